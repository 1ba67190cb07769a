// A test plugin that drives the real program as a user would: loaded into it
// through QT_QPA_GENERIC_PLUGINS, it works through the steps that the
// environment variable CULINOR_DRIVE lists (separated by ';'), each as soon as
// the window is ready for it, and prints what it saw on standard output:
//   tab:<title>     shows the tab of that title
//   type:<text>     types a new name over the first recipe's name in its panel
//   press:<button>  clicks a button of the main window, e.g. the panel's Save
//   open:<path>     chooses File, Open and then that file in the file dialog
//   answer:<button> answers the message box on show; prints "asked: <its text>"
//   report          prints "title: <window title>" and "first: <first recipe>"
//   quit            ends the program at once, as a crash would
#include <QAction>
#include <QApplication>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QGenericPlugin>
#include <QLineEdit>
#include <QListWidget>
#include <QMainWindow>
#include <QMessageBox>
#include <QPushButton>
#include <QTabWidget>
#include <QTimer>

#include <cstdio>
#include <functional>
#include <cstdlib>

namespace {

const int StepTimeoutTicks = 1500; // 30 seconds

void print(const QString& line)
{
    std::fputs(qPrintable(line + QLatin1Char('\n')), stdout);
    std::fflush(stdout);
}

QMainWindow* readyWindow()
{
    if (QApplication::activeModalWidget())
        return nullptr;
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        auto* window = qobject_cast<QMainWindow*>(widget);
        if (window && window->isVisible())
            return window;
    }
    return nullptr;
}

template <class Widget>
Widget* visibleChild(QWidget* parent, const std::function<bool(Widget*)>& wanted)
{
    for (Widget* child : parent->findChildren<Widget*>()) {
        if (child->isVisible() && wanted(child))
            return child;
    }
    return nullptr;
}

QListWidget* recipeList(QWidget* window)
{
    return visibleChild<QListWidget>(window, [](QListWidget* list) { return list->count() > 0; });
}

} // namespace

class UiDriver : public QObject
{
public:
    UiDriver() : _steps(QString::fromUtf8(qgetenv("CULINOR_DRIVE")).split(QLatin1Char(';')))
    {
        auto* timer = new QTimer(this);
        connect(timer, &QTimer::timeout, this, &UiDriver::_tick);
        timer->start(20);
    }

private:
    void _tick()
    {
        if (_steps.isEmpty() || _busy)
            return;
        auto* files = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        if (files && files->isVisible() && !_fileToOpen.isEmpty()) {
            files->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))->setText(_fileToOpen);
            _fileToOpen.clear();
            QMetaObject::invokeMethod(files, "accept", Qt::QueuedConnection);
            return;
        }
        if (++_waited > StepTimeoutTicks) {
            print(QStringLiteral("stuck at ") + _steps.first());
            std::_Exit(3);
        }
        // A step that opens a dialog returns only when the dialog closes.
        _busy = true;
        const bool done = _perform(_steps.first().section(QLatin1Char(':'), 0, 0),
                                   _steps.first().section(QLatin1Char(':'), 1));
        _busy = false;
        if (done) {
            _steps.removeFirst();
            _waited = 0;
        }
    }

    bool _perform(const QString& action, const QString& argument)
    {
        if (action == QLatin1String("answer"))
            return _answer(argument);
        if (action == QLatin1String("quit"))
            std::_Exit(0);
        QMainWindow* window = readyWindow();
        if (!window)
            return false;
        if (action == QLatin1String("type")) {
            QListWidget* list = recipeList(window);
            const QString name = list ? list->item(0)->text() : QString();
            auto* editor = visibleChild<QLineEdit>(
                window, [&](QLineEdit* edit) { return !name.isEmpty() && edit->text() == name; });
            if (editor)
                editor->setText(argument);
            return editor;
        }
        if (action == QLatin1String("tab")) {
            auto* tabs = visibleChild<QTabWidget>(window, [&](QTabWidget* tabs) {
                for (int i = 0; i < tabs->count(); ++i) {
                    if (tabs->tabText(i) == argument)
                        return true;
                }
                return false;
            });
            for (int i = 0; tabs && i < tabs->count(); ++i) {
                if (tabs->tabText(i) == argument)
                    tabs->setCurrentIndex(i);
            }
            return tabs;
        }
        if (action == QLatin1String("press")) {
            auto* button = visibleChild<QPushButton>(
                window, [&](QPushButton* button) { return button->text() == argument; });
            if (button)
                button->click();
            return button;
        }
        if (action == QLatin1String("open")) {
            _fileToOpen = argument;
            QTimer::singleShot(0, window->findChild<QAction*>(QStringLiteral("actionOpen")),
                               &QAction::trigger);
            return true;
        }
        if (action == QLatin1String("report")) {
            QListWidget* list = recipeList(window);
            print(QStringLiteral("title: ") + window->windowTitle());
            print(QStringLiteral("first: ") + (list ? list->item(0)->text() : QString()));
            return true;
        }
        print(QStringLiteral("unknown step ") + action);
        std::_Exit(3);
    }

    bool _answer(const QString& buttonText)
    {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box || !box->isVisible())
            return false;
        for (QAbstractButton* button : box->buttons()) {
            if (button->text() == buttonText) {
                print(QStringLiteral("asked: ") + box->text());
                QTimer::singleShot(0, button, &QAbstractButton::click);
                return true;
            }
        }
        return false;
    }

    QStringList _steps;
    QString _fileToOpen;
    int _waited = 0;
    bool _busy = false;
};

class UiDriverPlugin : public QGenericPlugin
{
    Q_OBJECT
    Q_PLUGIN_METADATA(IID QGenericPluginFactoryInterface_iid FILE "uidriver.json")

public:
    QObject* create(const QString&, const QString&) override { return new UiDriver; }
};

#include "uidriver.moc"
