#pragma once

// Helpers shared by the main window's test suites: a window on a scratch
// working directory, the settings file, the book files written, and a script
// that answers the modal dialogs the window opens.

#include "app/mainwindow.h"
#include "editing/editabledata.h"
#include "support/testsupport.h"

#include <QAction>
#include <QApplication>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QLineEdit>
#include <QMap>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QSettings>
#include <QSqlQuery>
#include <QStandardPaths>
#include <QTest>
#include <QTimer>
#include <QVBoxLayout>

#include <functional>
#include <memory>

inline void useTemporarySettingsStore(const QString& folder)
{
    QStandardPaths::setTestModeEnabled(true);
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, folder);
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, folder);
}

inline QString settingsFile(const QString& folder)
{
    return folder + QStringLiteral("/Ostrel software/Culinor.conf");
}

// The stored settings as "key=value" pairs in key order, e.g. "currency=USD language=0".
inline QString storedSettings(const QString& folder)
{
    QSettings stored(settingsFile(folder), QSettings::IniFormat);
    QStringList keys = stored.allKeys();
    keys.sort();
    QStringList pairs;
    for (const QString& key : keys)
        pairs << key + QLatin1Char('=') + stored.value(key).toString();
    return pairs.join(QLatin1Char(' '));
}

// Replaces the stored settings with the pairs of a storedSettings() text.
inline void storeSettings(const QString& folder, const QString& pairs)
{
    QSettings stored(settingsFile(folder), QSettings::IniFormat);
    stored.clear();
    for (const QString& pair : pairs.split(QLatin1Char(' '), Qt::SkipEmptyParts))
        stored.setValue(pair.section(QLatin1Char('='), 0, 0), pair.section(QLatin1Char('='), 1));
}

// The files of a folder as "name:kind": "empty" for an emptied book, "book"
// for another book file, "other" for anything else.
inline QStringList filesIn(const QString& folder)
{
    QStringList files;
    for (const QFileInfo& info :
         QDir(folder).entryInfoList(QDir::Files | QDir::Hidden, QDir::Name)) {
        QFile file(info.filePath());
        const bool book =
            file.open(QIODevice::ReadOnly) && file.read(4) == QByteArray::fromHex("04D68B60");
        files << info.fileName() + (!book ? ":other" : info.size() == 248 ? ":empty" : ":book");
    }
    return files;
}

// The parent of the pending dialog watchers.
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

// A main window working in a scratch directory, with a probe editor in a fourth tab.
struct WindowFixture
{
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

    // Gives the window an emptied book, first:
    //   "saved": saved as book.carb;  "gone": saved as book.carb, then deleted;
    //   "folder": named taken.carb, where a folder stands;
    //   any other name: a file of someone else's by that name lies beside it.
    // When edited, an editor reports a change.
    bool prepareBook(const QString& setup, bool edited)
    {
        Document& document = window->document;
        if (setup == QLatin1String("saved") || setup == QLatin1String("gone")) {
            if (!document.SaveDocument(scratch.filePath(QStringLiteral("book.carb")))
                || (setup == QLatin1String("gone") && !QFile::remove(document.fileName)))
                return false;
        } else if (setup == QLatin1String("folder")) {
            document.fileName = scratch.filePath(QStringLiteral("taken.carb"));
            if (!QDir().mkdir(document.fileName))
                return false;
        } else if (!setup.isEmpty()) {
            QFile file(scratch.filePath(setup));
            if (!file.open(QIODevice::WriteOnly) || file.write("someone else's") <= 0)
                return false;
        }
        document.Clear();
        if (edited)
            emit probe->documentChanged();
        probe->synchronized = 0;
        return true;
    }

    ScratchDir scratch;
    MainWindow* window;
    ProbeEditor* probe;
};

// What the answered dialogs were: "kind:answer" steps, and the details of each
// message box ("text / informative text / buttons", the default one starred)
// and file dialog ("title / filters / file mode").
struct DialogLog
{
    QStringList steps;
    QStringList details;
};

inline const std::pair<QMessageBox::StandardButton, const char*> MessageButtons[] = {
    {QMessageBox::Ok, "Ok"},
    {QMessageBox::Yes, "Yes"},
    {QMessageBox::No, "No"},
    {QMessageBox::Cancel, "Cancel"}};

// "modified" and "replace" for the window's questions, "save" and "open" for
// file dialogs, else a message box's title, or its text when it has none.
inline QString dialogKind(QWidget* dialog, QString* details)
{
    if (auto* files = qobject_cast<QFileDialog*>(dialog)) {
        *details =
            files->windowTitle() + QStringLiteral(" / ")
            + files->nameFilters().join(QLatin1Char(';'))
            + QLatin1String(files->fileMode() == QFileDialog::ExistingFile ? " / existing file"
                                                                           : " / any file");
        return QLatin1String(files->acceptMode() == QFileDialog::AcceptSave ? "save" : "open");
    }
    auto* box = qobject_cast<QMessageBox*>(dialog);
    if (!box)
        return QLatin1String(dialog->metaObject()->className());
    *details = box->text() + QStringLiteral(" / ") + box->informativeText() + QStringLiteral(" /");
    for (const auto& button : MessageButtons) {
        if (box->standardButtons() & button.first)
            *details +=
                QLatin1Char(' ') + QLatin1String(button.second)
                + QLatin1String(box->defaultButton() == box->button(button.first) ? "*" : "");
    }
    const QMap<QString, QString> questions = {{"Document has been modified!", "modified"},
                                              {"This file already exists. Replace it?", "replace"}};
    return questions.value(box->text(),
                           box->windowTitle().isEmpty() ? box->text() : box->windowTitle());
}

// Answers a message box with a button name or text, Escape or Return; a file dialog
// with a file name in the working directory, or Cancel when there is none;
// another dialog with Ok or Cancel.
inline void answerDialog(QWidget* dialog, const QString& answer)
{
    if (auto* box = qobject_cast<QMessageBox*>(dialog)) {
        if (answer == QLatin1String("Escape") || answer == QLatin1String("Return"))
            QTest::keyClick(box,
                            answer == QLatin1String("Escape") ? Qt::Key_Escape : Qt::Key_Return);
        for (const auto& button : MessageButtons) {
            if (answer == QLatin1String(button.second))
                QTest::mouseClick(box->button(button.first), Qt::LeftButton);
        }
        for (QAbstractButton* button : box->buttons()) {
            if (button->text() == answer) // a button of the box's own
                QTest::mouseClick(button, Qt::LeftButton);
        }
        return;
    }
    auto* fileName = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
    if (fileName && !answer.isEmpty())
        fileName->setText(QDir::current().filePath(answer));
    const bool accept = fileName ? !answer.isEmpty() : answer == QLatin1String("Ok");
    auto* buttons = dialog->findChild<QDialogButtonBox*>();
    for (QAbstractButton* button : buttons->buttons()) {
        if (buttons->buttonRole(button)
            == (accept ? QDialogButtonBox::AcceptRole : QDialogButtonBox::RejectRole))
            return QTest::mouseClick(button, Qt::LeftButton);
    }
}

// Answers the modal dialogs as they show, one "kind:answer" step each, after
// prepare has worked on those other than message boxes and file dialogs. A
// dialog without its step is logged as "kind:unexpected" and rejected.
inline void answerDialogs(const QStringList& script, DialogLog* log,
                          std::function<void(QWidget*)> prepare = nullptr)
{
    auto* timer = new QTimer(&modalWatchers());
    auto pending = std::make_shared<QStringList>(script);
    auto answered = std::make_shared<QPointer<QWidget>>();
    QObject::connect(timer, &QTimer::timeout, [=]() {
        QWidget* dialog = QApplication::activeModalWidget();
        if (!dialog || !dialog->isVisible() || dialog == *answered)
            return;
        *answered = dialog;
        QString details;
        const QString kind = dialogKind(dialog, &details) + QLatin1Char(':');
        if (pending->isEmpty() || !pending->first().startsWith(kind)) {
            log->steps << kind + QStringLiteral("unexpected");
            qobject_cast<QDialog*>(dialog)->reject();
            return;
        }
        log->steps << pending->first();
        if (details.isEmpty() && prepare)
            prepare(dialog);
        else
            log->details << details;
        answerDialog(dialog, pending->takeFirst().mid(kind.size()));
    });
    timer->start(10);
}

inline void trigger(MainWindow* window, const char* action)
{
    window->findChild<QAction*>(QLatin1String(action))->trigger();
}

inline int rowCount(MainWindow* window, const QString& table)
{
    QSqlQuery query(window->document.db);
    query.exec(QStringLiteral("SELECT COUNT(*) FROM ") + table);
    return query.next() ? query.value(0).toInt() : -1;
}
