// A test plugin that drives the real program as a user would: loaded into it
// through QT_QPA_GENERIC_PLUGINS, it takes the steps that the environment
// variable CULINOR_DRIVE lists (separated by ';'), each as soon as it can:
//   type:<old>=<new> types the new text over the text of a line edit showing the old
//   answer:<button>  clicks that button of a message box, and prints "asked: <its text>"
#include <QApplication>
#include <QGenericPlugin>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>

#include <cstdio>

namespace {

bool perform(const QString& action, const QString& argument)
{
    if (action == QLatin1String("type")) {
        for (QWidget* widget : QApplication::allWidgets()) {
            auto* edit = qobject_cast<QLineEdit*>(widget);
            if (edit && edit->text() == argument.section(QLatin1Char('='), 0, 0)) {
                edit->setText(argument.section(QLatin1Char('='), 1));
                return true;
            }
        }
        return false;
    }
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    for (QAbstractButton* button : box ? box->buttons() : QList<QAbstractButton*>()) {
        if (action == QLatin1String("answer") && button->text() == argument) {
            std::printf("asked: %s\n", qPrintable(box->text()));
            std::fflush(stdout);
            QTimer::singleShot(0, button, &QAbstractButton::click);
            return true;
        }
    }
    return false;
}

} // namespace

class UiDriver : public QObject
{
public:
    UiDriver() : _steps(qEnvironmentVariable("CULINOR_DRIVE").split(QLatin1Char(';')))
    {
        auto* timer = new QTimer(this);
        connect(timer, &QTimer::timeout, this, [this]() {
            const QString step = _steps.value(0);
            if (perform(step.section(QLatin1Char(':'), 0, 0), step.section(QLatin1Char(':'), 1)))
                _steps.removeFirst();
        });
        timer->start(20);
    }

private:
    QStringList _steps;
};

class UiDriverPlugin : public QGenericPlugin
{
    Q_OBJECT
    Q_PLUGIN_METADATA(IID QGenericPluginFactoryInterface_iid FILE "uidriver.json")

public:
    QObject* create(const QString&, const QString&) override { return new UiDriver; }
};

#include "uidriver.moc"
