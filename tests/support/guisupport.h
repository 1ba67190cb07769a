#pragma once

// Helpers shared by the widget suites: the sample book around an editor, grid
// cells edited as a user does, a main window on a scratch folder with a script
// that answers its dialogs, lists and pages of the web views, and printing a
// page to a PDF file through the print dialog.

#include "app/mainwindow.h"
#include "editing/editabledata.h"
#include "editing/editabledatalist.h"
#include "editing/editablesubtable.h"
#include "lang/langmodel.h"
#include "support/testsupport.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QLayout>
#include <QLineEdit>
#include <QListWidget>
#include <QMap>
#include <QMessageBox>
#include <QPointer>
#include <QPrintDialog>
#include <QPrinter>
#include <QProcess>
#include <QPushButton>
#include <QSettings>
#include <QSignalSpy>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QStandardPaths>
#include <QTableWidget>
#include <QTimer>
#include <QVBoxLayout>
#include <QWebElement>
#include <QWebFrame>
#include <QWebView>
#include <QtTest>

#include <functional>
#include <memory>
#include <vector>

struct SampleBook
{
    std::unique_ptr<ScratchDir> dir;
    std::unique_ptr<Document> document;
    std::unique_ptr<QWidget> window;
    std::unique_ptr<QObject> editor; // deleted after its window, before the book

    bool open()
    {
        dir.reset(new ScratchDir);
        document.reset(new Document);
        if (!document->setDataStructure())
            return false;
        document->fillSampleBook();
        return true;
    }

    void close()
    {
        window.reset();
        editor.reset();
        if (document) {
            document.reset();
            QSqlDatabase::removeDatabase(QSqlDatabase::defaultConnection);
        }
        dir.reset();
    }

    bool show(QLayout* layout, const QSize& size = QSize(1000, 800))
    {
        window.reset(new QWidget);
        window->setLayout(layout);
        window->resize(size);
        window->show();
        window->activateWindow();
        return QTest::qWaitForWindowActive(window.get());
    }

    // The stored row; empty values when it cannot be read, so comparisons fail.
    std::vector<QVariant> row(const QString& table, int id) const
    {
        std::vector<QVariant> values;
        if (!document->getRowByID(table, id, values))
            values.assign(16, QVariant());
        return values;
    }
};

inline int rowWithText(QTableWidget* grid, int column, const QString& text)
{
    for (int r = 0; r < grid->rowCount(); ++r)
        if (grid->item(r, column) && grid->item(r, column)->text() == text)
            return r;
    return -1;
}

// Opens the cell's editor with a click and a double click; an open cell
// editor is a visible child of the grid's viewport.
inline QWidget* openCellEditor(QTableWidget* grid, int row, int column)
{
    QTableWidgetItem* item = grid->item(row, column);
    if (!item)
        return nullptr;
    grid->scrollToItem(item);
    const QPoint centre = grid->visualItemRect(item).center();
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, Qt::NoModifier, centre);
    QTest::mouseDClick(grid->viewport(), Qt::LeftButton, Qt::NoModifier, centre);
    for (QWidget* child :
         grid->viewport()->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly))
        if (child->isVisible())
            return child;
    return nullptr;
}

// Replaces the editor's text with the typed one and commits it with Enter.
inline bool typeIntoCell(QWidget* editor, const QString& text, bool replace = true)
{
    if (!editor)
        return false;
    QPointer<QWidget> open(editor);
    QWidget* target = editor;
    if (auto* combo = qobject_cast<QComboBox*>(editor))
        target = combo->lineEdit();
    if (auto* line = qobject_cast<QLineEdit*>(target); line && replace)
        line->selectAll();
    if (auto* spin = qobject_cast<QAbstractSpinBox*>(target); spin && replace)
        spin->selectAll();
    QTest::keyClicks(target, text);
    QTest::keyClick(target, Qt::Key_Enter);
    return QTest::qWaitFor([&open]() { return !open || !open->isVisible(); });
}

inline void clickCell(QTableWidget* grid, int row, int column)
{
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, Qt::NoModifier,
                      grid->visualItemRect(grid->item(row, column)).center());
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

// A list of the sample book shown in a window; the language goes back to
// English when it ends.
template <class List>
struct ListWindow
{
    ListWindow()
    {
        QSettings().clear();
        book.document.fillSampleBook();
    }
    ~ListWindow() { setAppLangModel(nullptr); }

    List* show(List* shown)
    {
        window.reset();
        list.reset(shown);
        window.reset(new QWidget);
        window->setLayout(list->layout);
        window->resize(1100, 900);
        window->show();
        list->synchronize();
        return shown;
    }

    ScratchBook book{true};
    std::unique_ptr<List> list;
    std::unique_ptr<QWidget> window;
};

inline void renameRow(const QString& table, int id, const QString& name)
{
    QSqlQuery rename;
    rename.prepare("UPDATE " + table + " SET name=:name WHERE id=:id");
    rename.bindValue(":name", name);
    rename.bindValue(":id", id);
    QVERIFY(rename.exec());
}

// A name holding HTML is escaped in the built page and shown as text; none of
// its elements or scripts reach the shown page.
inline void verifyShownAsText(const QString& name, const QString& built, QWebView* view,
                              int pictures)
{
    QVERIFY(built.contains(name.toHtmlEscaped()));
    QVERIFY(!built.contains(name));
    QWebFrame* frame = view->page()->mainFrame();
    QVERIFY(frame->toPlainText().contains(name));
    QCOMPARE(frame->findAllElements("img").count(), pictures);
    QCOMPARE(frame->findAllElements("script, li b, td b, td i, th b").count(), 0);
    QVERIFY(view->title().isEmpty());
}

// Deletes every item of the list with its delete button, answering Yes each time.
inline void deleteEveryItem(EditableDataList* list)
{
    QTimer yes;
    QObject::connect(&yes, &QTimer::timeout, [] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget()))
            box->button(QMessageBox::Yes)->click();
    });
    yes.start(10);
    QPushButton* remove = list->list->parentWidget()->findChild<QPushButton*>("d");
    for (int left = list->list->count(); left > 0; --left)
        QTest::mouseClick(remove, Qt::LeftButton);
}

inline QListWidgetItem* findItem(QListWidget* list, const QString& text)
{
    const auto found = list->findItems(text, Qt::MatchExactly);
    return found.isEmpty() ? nullptr : found.first();
}

inline void clickItem(QListWidget* list, QListWidgetItem* item)
{
    QVERIFY(item);
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(item).center());
}

inline QPushButton* buttonWithText(QWidget* window, const QString& text)
{
    for (QPushButton* button : window->findChildren<QPushButton*>())
        if (button->text() == text)
            return button;
    return nullptr;
}

// Waits for a load, then gives the page time for anything it might still run.
inline bool waitForLoad(QSignalSpy& loaded)
{
    const bool done = loaded.count() > 0 || loaded.wait(10000);
    QTest::qWait(50);
    return done;
}

enum class PrintAnswer { Print, AcceptUnchecked, Cancel };

// What the answerer of the print dialog saw.
struct PrintVisit
{
    bool seen = false;
    QString documentName;
    QString messageBoxText;
};

// Answers the print dialog about to open: picks its PDF file entry, types
// the file name and presses Print (or accepts without the dialog's own check
// of the name, or presses Cancel); then answers a message box that follows.
inline void answerPrintDialog(const QString& pdfPath, PrintVisit* visit,
                              PrintAnswer answer = PrintAnswer::Print)
{
    QTimer::singleShot(0, [=] {
        auto* dialog = qobject_cast<QPrintDialog*>(QApplication::activeModalWidget());
        if (!dialog)
            return;
        visit->seen = true;
        visit->documentName = dialog->printer()->docName();
        auto* printers = dialog->findChild<QComboBox*>(QStringLiteral("printers"));
        auto* fileName = dialog->findChild<QLineEdit*>(QStringLiteral("filename"));
        auto* buttons = dialog->findChild<QDialogButtonBox*>();
        if (!printers || !fileName || !buttons) {
            dialog->reject();
            return;
        }
        if (answer == PrintAnswer::Cancel) {
            QTest::mouseClick(buttons->button(QDialogButtonBox::Cancel), Qt::LeftButton);
            return;
        }
        printers->setCurrentIndex(printers->count() - 1);
        fileName->clear();
        QTest::keyClicks(fileName, pdfPath);
        QTimer::singleShot(0, [visit] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                visit->messageBoxText = box->text();
                box->accept();
            }
        });
        if (answer == PrintAnswer::Print)
            QTest::mouseClick(buttons->button(QDialogButtonBox::Ok), Qt::LeftButton);
        else
            dialog->accept();
    });
}

inline bool toolMissing(const QString& tool)
{
    return QStandardPaths::findExecutable(tool).isEmpty();
}

inline QString toolOutput(const QString& tool, const QStringList& arguments)
{
    QProcess process;
    process.start(tool, arguments);
    if (!process.waitForFinished(30000))
        return QString();
    return QString::fromUtf8(process.readAllStandardOutput());
}

// The text of a PDF file, words separated as pdftotext lays them out.
inline QString pdfText(const QString& pdfPath)
{
    return toolOutput(QStringLiteral("pdftotext"),
                      {QStringLiteral("-enc"), QStringLiteral("UTF-8"), pdfPath, QStringLiteral("-")});
}
