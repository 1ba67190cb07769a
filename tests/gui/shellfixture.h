#pragma once

// Helpers shared by the main window's test suites: a window on a scratch
// working directory, an editor that counts its refreshes, and answering the
// modal dialogs the window opens.

#include "app/mainwindow.h"
#include "editing/editabledata.h"
#include "support/testsupport.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QSettings>
#include <QSqlQuery>
#include <QStandardPaths>
#include <QStatusBar>
#include <QTest>
#include <QTimer>
#include <QVBoxLayout>

#include <functional>
#include <memory>

// Keeps the settings of the test process in a temporary folder.
inline void useTemporarySettingsStore(const QString& folder)
{
    QStandardPaths::setTestModeEnabled(true);
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, folder);
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, folder);
}

// The parent of the pending dialog watchers; a test's watchers that never met
// their dialog are dropped when its window fixture goes.
inline QObject& modalWatchers()
{
    static QObject watchers;
    return watchers;
}

// An editor of the Recipes table that only counts how often it is refreshed.
class ProbeEditor : public EditableData
{
public:
    explicit ProbeEditor(Document* document) : EditableData(document, QStringLiteral("Recipes"))
    {
        layout = new QVBoxLayout;
    }

    void synchronize() override { ++synchronized; }
    void onEditButtonClicked() override {}

    int synchronized = 0;
};

// A main window working in a scratch directory, with a probe editor in a
// fourth tab.
struct WindowFixture
{
    // prepare, when given, fills the scratch directory before the window starts.
    explicit WindowFixture(std::function<void(const ScratchDir&)> prepare = nullptr)
    {
        if (prepare)
            prepare(scratch);
        window = new MainWindow(qApp);
        probe = new ProbeEditor(&window->document);
        window->addTab(probe, QStringLiteral("Probe"));
    }
    ~WindowFixture()
    {
        qDeleteAll(modalWatchers().children());
        delete window;
        delete probe;
    }

    ScratchDir scratch;
    MainWindow* window;
    ProbeEditor* probe;
};

// Runs handler on the next modal dialog of type T, once it is on show.
template <class T>
void whenModal(std::function<void(T*)> handler)
{
    auto* timer = new QTimer(&modalWatchers());
    timer->setInterval(10);
    QObject::connect(timer, &QTimer::timeout, [timer, handler]() {
        T* dialog = qobject_cast<T*>(QApplication::activeModalWidget());
        if (!dialog || !dialog->isVisible())
            return;
        timer->stop();
        timer->deleteLater();
        handler(dialog);
    });
    timer->start();
}

// Clicks a button of the next message box; records its texts when asked.
inline void answerMessageBox(QMessageBox::StandardButton button, QString* text = nullptr,
                             std::function<void()> then = nullptr)
{
    whenModal<QMessageBox>([=](QMessageBox* box) {
        if (text)
            *text = box->text();
        if (then)
            then();
        QTest::mouseClick(box->button(button), Qt::LeftButton);
    });
}

// The button of a dialog's button box that has the given role.
inline QAbstractButton* buttonWithRole(QWidget* dialog, QDialogButtonBox::ButtonRole role)
{
    for (QDialogButtonBox* box : dialog->findChildren<QDialogButtonBox*>()) {
        for (QAbstractButton* button : box->buttons()) {
            if (box->buttonRole(button) == role)
                return button;
        }
    }
    return nullptr;
}

// What a file dialog showed.
struct FileDialogSeen
{
    bool shown = false;
    QString title;
    QStringList nameFilters;
    QFileDialog::FileMode fileMode = QFileDialog::AnyFile;
    QFileDialog::AcceptMode acceptMode = QFileDialog::AcceptOpen;
};

// Answers the next file dialog: types the path into its file name box and
// presses its accept button, or presses Cancel when the path is empty.
inline void answerFileDialog(const QString& path, FileDialogSeen* seen = nullptr,
                             std::function<void()> then = nullptr)
{
    whenModal<QFileDialog>([=](QFileDialog* dialog) {
        if (seen) {
            seen->shown = true;
            seen->title = dialog->windowTitle();
            seen->nameFilters = dialog->nameFilters();
            seen->fileMode = dialog->fileMode();
            seen->acceptMode = dialog->acceptMode();
        }
        if (then)
            then();
        if (path.isEmpty()) {
            QTest::mouseClick(buttonWithRole(dialog, QDialogButtonBox::RejectRole), Qt::LeftButton);
            return;
        }
        auto* edit = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
        edit->setText(path);
        QTest::mouseClick(buttonWithRole(dialog, QDialogButtonBox::AcceptRole), Qt::LeftButton);
    });
}

// Triggers an action of the window, found by its object name.
inline void trigger(MainWindow* window, const char* action)
{
    window->findChild<QAction*>(QLatin1String(action))->trigger();
}

// Counts the rows of a table of the window's book.
inline int rowCount(MainWindow* window, const QString& table)
{
    QSqlQuery query(window->document.db);
    query.exec(QStringLiteral("SELECT COUNT(*) FROM ") + table);
    return query.next() ? query.value(0).toInt() : -1;
}

// The status bar's message.
inline QString statusMessage(MainWindow* window)
{
    return window->statusBar()->currentMessage();
}
