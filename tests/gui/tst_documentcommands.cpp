// New, Open, Save and Save as of the main window: what each does to the book,
// its file name and modified state, the files written, the dialogs asked and
// the status-bar messages.
#include "shellfixture.h"

#include "app/bookprogress.h"
#include "settings/settings.h"

#include <QMenu>
#include <QProgressDialog>
#include <QStatusBar>
#include <QTemporaryDir>

namespace {

// Notes each progress dialog as it shows ("label", with " / Cancel" when it
// has that button) and presses its Cancel at once.
class ProgressCanceller : public QObject
{
public:
    QStringList shown;

protected:
    bool eventFilter(QObject* object, QEvent* event) override
    {
        auto* dialog = qobject_cast<QProgressDialog*>(object);
        if (dialog && event->type() == QEvent::Show) {
            shown << dialog->labelText()
                         + QLatin1String(dialog->findChild<QPushButton*>() ? " / Cancel" : "");
            dialog->cancel();
        }
        return false;
    }
};

} // namespace

class TestDocumentCommands : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { useTemporarySettingsStore(_settings.path()); }
    void init()
    {
        if (appSettings()) {
            appSettings()->remove(SettingKey::RecentBooks);
            appSettings()->remove(SettingKey::LastFolder);
        }
        _fixture.reset(new WindowFixture);
    }
    void cleanup() { _fixture.reset(); }

    void commands_data();
    void commands();
    void openFailureKeepsBook_data();
    void openFailureKeepsBook();
    void recentBooks_data();
    void recentBooks();
    void dialogsStartWhereTheUserWorks_data();
    void dialogsStartWhereTheUserWorks();
    void longWorkShowsProgress_data();
    void longWorkShowsProgress();

private:
    MainWindow* _window() const { return _fixture->window; }
    Document& _document() const { return _fixture->window->document; }
    QMenu* _recentMenu() const
    {
        return _window()->findChild<QMenu*>(QStringLiteral("menuRecent_books"));
    }
    bool _run(const QString& step);

    QTemporaryDir _settings;
    std::unique_ptr<WindowFixture> _fixture;
};

void TestDocumentCommands::commands_data()
{
    // The book before: an emptied book, set up as WindowFixture::prepareBook says.
    QTest::addColumn<QString>("setup");
    QTest::addColumn<bool>("edited");
    QTest::addColumn<QString>("command");
    QTest::addColumn<QStringList>("script");
    // The state after: the Recipes rows (3: the sample book), the file name
    // in the scratch folder, modified, editor refreshes, files, status message.
    QTest::addColumn<int>("recipes");
    QTest::addColumn<QString>("fileName");
    QTest::addColumn<bool>("modified");
    QTest::addColumn<int>("refreshes");
    QTest::addColumn<QStringList>("files");
    QTest::addColumn<QString>("status");

    const QString New = QStringLiteral("NewBook");
    const QStringList none;
    QTest::newRow("New, unmodified, asks nothing")
        << "" << false << "actionNew" << none << 3 << New << false << 1 << none << "";
    QTest::newRow("New after No") << "" << true << "actionNew" << QStringList{"modified:No"} << 3
                                  << New << false << 1 << none << "";
    QTest::newRow("New after Yes saves first")
        << "" << true << "actionNew" << QStringList{"modified:Yes", "save:before-new.carb"} << 3
        << New << false << 2 << QStringList{"before-new.carb:empty"} << "";
    QTest::newRow("New after Yes and a cancelled save keeps the book")
        << "" << true << "actionNew" << QStringList{"modified:Yes", "save:"} << 0 << New << true
        << 0 << none << "";
    QTest::newRow("New after Cancel keeps the book")
        << "" << true << "actionNew" << QStringList{"modified:Cancel"} << 0 << New << true << 0
        << none << "";
    QTest::newRow("Open after Cancel keeps the book")
        << "" << true << "actionOpen" << QStringList{"modified:Cancel"} << 0 << New << true << 0
        << none << "";
    QTest::newRow("Open loads the book")
        << "saved" << true << "actionOpen" << QStringList{"modified:No", "open:book.carb"} << 3
        << "book.carb" << false << 1 << QStringList{"book.carb:book"} << "";
    QTest::newRow("Open cancelled")
        << "" << true << "actionOpen" << QStringList{"modified:No", "open:"} << 0 << New << true
        << 0 << none << "";
    QTest::newRow("Open after Yes and a cancelled save stops")
        << "" << true << "actionOpen" << QStringList{"modified:Yes", "save:"} << 0 << New << true
        << 0 << none << "";
    QTest::newRow("Save of an unchanged new book writes nothing")
        << "" << false << "actionSave" << none << 0 << New << false << 0 << none << "";
    QTest::newRow("Save of an edited new book asks for a name")
        << "" << true << "actionSave" << QStringList{"save:first"} << 0 << "first.carb" << false
        << 1 << QStringList{"first.carb:empty"} << "";
    QTest::newRow("Save of a never-saved book ignores a file called NewBook")
        << "NewBook" << true << "actionSave" << QStringList{"save:"} << 0 << New << true << 0
        << QStringList{"NewBook:other"} << "";
    QTest::newRow("Save writes to the book's file")
        << "saved" << true << "actionSave" << none << 0 << "book.carb" << false << 1
        << QStringList{"book.carb:empty"} << "";
    QTest::newRow("Save of an unchanged saved book writes nothing")
        << "saved" << false << "actionSave" << none << 0 << "book.carb" << false << 0
        << QStringList{"book.carb:book"} << "";
    QTest::newRow("Save with the file gone asks for a name")
        << "gone" << true << "actionSave" << QStringList{"save:"} << 0 << "book.carb" << true << 0
        << none << "";
    QTest::newRow("Save failure keeps the state and leaves no copy")
        << "folder" << true << "actionSave" << none << 0 << "taken.carb" << true << 1 << none
        << "Saving error";
    QTest::newRow("Save as cancelled") << "" << true << "actionSave_as" << QStringList{"save:"} << 0
                                       << New << true << 0 << none << "";
    const QStringList names[] = {{"dinner", "dinner.carb"},
                                 {"dinner.carb", "dinner.carb"},
                                 {"dinner.CARB", "dinner.CARB.carb"},
                                 {"dinner.book", "dinner.book.carb"},
                                 {".carb", ".carb"}};
    for (const QStringList& name : names) {
        QTest::addRow("Save as %s", qPrintable(name[0]))
            << "" << false << "actionSave_as" << QStringList{"save:" + name[0]} << 0 << name[1]
            << false << 1 << QStringList{name[1] + ":empty"} << "";
    }
    QTest::newRow("Save as replaces the .carb file it appended after Yes")
        << "dinner.carb" << true << "actionSave_as" << QStringList{"save:dinner", "replace:Yes"}
        << 0 << "dinner.carb" << false << 1 << QStringList{"dinner.carb:empty"} << "";
    QTest::newRow("Save as keeps the .carb file it appended after No")
        << "dinner.carb" << true << "actionSave_as" << QStringList{"save:dinner", "replace:No"} << 0
        << New << true << 0 << QStringList{"dinner.carb:other"} << "";
}

void TestDocumentCommands::commands()
{
    QFETCH(QString, setup);
    QFETCH(bool, edited);
    QFETCH(QString, command);
    QFETCH(QStringList, script);
    QFETCH(int, recipes);
    QFETCH(QString, fileName);
    QFETCH(bool, modified);
    QFETCH(int, refreshes);
    QFETCH(QStringList, files);
    QFETCH(QString, status);
    QVERIFY(_fixture->prepareBook(setup, edited));
    DialogLog dialogs;
    answerDialogs(script, &dialogs);
    MessageCapture messages;
    trigger(_window(), qPrintable(command));

    QCOMPARE(dialogs.steps, script);
    const QMap<QString, QString> shapes = {
        {"modified", "Document has been modified! / Do you want to save changes? / Yes No* Cancel"},
        {"open", "Load Recipe book / Culinor documents(*.carb) / existing file"},
        {"save", "Save Recipe book / Culinor documents(*.carb) / any file"},
        {"replace", "This file already exists. Replace it? / "
                        + _fixture->scratch.filePath("dinner.carb") + " / Yes No*"}};
    for (int i = 0; i < script.size(); ++i)
        QCOMPARE(dialogs.details[i], shapes[script[i].section(QLatin1Char(':'), 0, 0)]);
    QCOMPARE(rowCount(_window(), QStringLiteral("Recipes")), recipes);
    QCOMPARE(QDir(_fixture->scratch.path()).relativeFilePath(_document().fileName), fileName);
    QCOMPARE(_document().modified, modified);
    QCOMPARE(_fixture->probe->synchronized, refreshes);
    QCOMPARE(filesIn(_fixture->scratch.path()), files);
    QCOMPARE(_window()->statusBar()->currentMessage(), status);
    if (!status.isEmpty())
        QVERIFY(messages.contains(status));
    if (edited || refreshes) // else nothing told the window of the book's file
        QCOMPARE(_window()->windowTitle(),
                 QStringLiteral("Culinor") + (modified ? "*" : "") + " - " + _document().fileName);
}

void TestDocumentCommands::openFailureKeepsBook_data()
{
    QTest::addColumn<QString>("damage");
    QTest::newRow("wrong file ID") << "id";
    QTest::newRow("wrong end marker") << "end";
    QTest::newRow("truncated") << "truncated";
}

void TestDocumentCommands::openFailureKeepsBook()
{
    QFETCH(QString, damage);
    const QString good = _fixture->scratch.filePath(QStringLiteral("good.carb"));
    QVERIFY(_document().SaveDocument(good));
    QFile file(good);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QByteArray content = file.readAll();
    if (damage == QLatin1String("id"))
        content[0] = 9;
    else if (damage == QLatin1String("end"))
        content[content.size() - 1] = 0;
    else
        content.truncate(content.size() / 2);
    QFile broken(_fixture->scratch.filePath(QStringLiteral("broken.carb")));
    QVERIFY(broken.open(QIODevice::WriteOnly) && broken.write(content) == content.size());
    broken.close();

    // The open book: the sample book, saved as good.carb and then edited.
    const int ingredients = rowCount(_window(), QStringLiteral("Ingredients"));
    emit _fixture->probe->documentChanged();
    const QString title = _window()->windowTitle();
    QCOMPARE(title, QStringLiteral("Culinor* - ") + good);
    const QStringList script = {"modified:No", "open:broken.carb"};
    DialogLog dialogs;
    answerDialogs(script, &dialogs);
    MessageCapture messages;
    trigger(_window(), "actionOpen");
    QCOMPARE(dialogs.steps, script);
    QVERIFY(messages.contains(QStringLiteral("Loading error")));
    QCOMPARE(_window()->statusBar()->currentMessage(), QStringLiteral("Loading error"));
    QCOMPARE(rowCount(_window(), QStringLiteral("Recipes")), 3);
    QCOMPARE(rowCount(_window(), QStringLiteral("Ingredients")), ingredients);
    QCOMPARE(_document().fileName, good);
    QVERIFY(_document().modified);
    QCOMPARE(_window()->windowTitle(), title);
    QCOMPARE(_fixture->probe->synchronized, 1); // the editors show the book again
}

void TestDocumentCommands::recentBooks_data()
{
    QTest::addColumn<QStringList>("steps"); // as _run() takes them
    QTest::addColumn<QStringList>("books"); // the menu's entries, newest first
    QTest::addColumn<QString>("open");      // the book open at the end
    QTest::newRow("newest first, once each")
        << QStringList{"save a.carb", "save b.carb", "open a.carb"}
        << QStringList{"a.carb", "b.carb"} << "a.carb";
    QStringList ten;
    for (int i = 0; i < 10; ++i)
        ten << QString("save %1.carb").arg(i);
    QTest::newRow("the last eight") << ten
                                    << QStringList{"9.carb", "8.carb", "7.carb", "6.carb",
                                                   "5.carb", "4.carb", "3.carb", "2.carb"}
                                    << "9.carb";
    QTest::newRow("an entry opens its book")
        << QStringList{"save a.carb", "save b.carb", "new", "recent 2"}
        << QStringList{"a.carb", "b.carb"} << "a.carb";
    QTest::newRow("a book gone is said so and dropped")
        << QStringList{"save a.carb", "save b.carb", "delete a.carb", "recent 2"}
        << QStringList{"b.carb"} << "b.carb";
    QTest::newRow("a failed open is no entry")
        << QStringList{"save a.carb", "junk bad.carb", "open bad.carb"} << QStringList{"a.carb"}
        << "a.carb";
    QTest::newRow("clear list") << QStringList{"save a.carb", "save b.carb", "clear"}
                                << QStringList{} << "b.carb";
}

void TestDocumentCommands::recentBooks()
{
    QFETCH(QStringList, steps);
    QFETCH(QStringList, books);
    QFETCH(QString, open);
    MessageCapture messages;
    for (const QString& step : steps)
        QVERIFY2(_run(step), qPrintable(step));
    QStringList entries;
    QStringList paths;
    for (int i = 0; i < books.size(); ++i) {
        paths << _fixture->scratch.filePath(books[i]);
        entries << QString("&%1 %2").arg(i + 1).arg(paths.last());
    }
    QStringList shown;
    for (QAction* action : _recentMenu()->actions())
        shown << action->text();
    QCOMPARE(shown, entries + QStringList({"", "Clear list"}));
    QCOMPARE(_recentMenu()->isEnabled(), !books.isEmpty());
    QCOMPARE(appSettings()->value(SettingKey::RecentBooks).toStringList(), paths);
    QCOMPARE(_document().fileName, _fixture->scratch.filePath(open));
}

void TestDocumentCommands::dialogsStartWhereTheUserWorks_data()
{
    QTest::addColumn<QStringList>("steps");
    QTest::addColumn<QString>("command");
    QTest::addColumn<QString>("folder"); // in the scratch folder, or "Documents"
    QTest::newRow("a new book: Documents") << QStringList{} << "actionOpen" << "Documents";
    QTest::newRow("then the folder last used")
        << QStringList{"mkdir sub", "save sub/a.carb", "new"} << "actionOpen" << "sub";
    QTest::newRow("unless it is gone")
        << QStringList{"mkdir sub", "save sub/a.carb", "new", "delete sub"} << "actionSave_as"
        << "Documents";
    QTest::newRow("the book's own folder first")
        << QStringList{"mkdir sub", "save sub/a.carb", "mkdir other", "junk other/bad.carb",
                       "open other/bad.carb"}
        << "actionSave_as" << "sub";
    QTest::newRow("export") << QStringList{"mkdir sub", "save sub/a.carb"}
                            << "actionExport_recipes" << "sub";
    QTest::newRow("import's Browse") << QStringList{"mkdir sub", "save sub/a.carb"}
                                     << "actionImport_recipe" << "sub";
}

void TestDocumentCommands::dialogsStartWhereTheUserWorks()
{
    QFETCH(QStringList, steps);
    QFETCH(QString, command);
    QFETCH(QString, folder);
    MessageCapture messages;
    for (const QString& step : steps)
        QVERIFY2(_run(step), qPrintable(step));
    QString shown;
    QObject watcher; // its timers end with the test
    std::function<void()> look = [&shown, &look, &watcher]() {
        QWidget* modal = QApplication::activeModalWidget();
        if (auto* dialog = qobject_cast<QFileDialog*>(modal)) {
            shown = dialog->directory().absolutePath();
            dialog->reject();
            return;
        }
        if (!modal)
            return;
        // On the way to the file dialog: export all recipes, or browse for an import.
        QTimer::singleShot(10, &watcher, look);
        if (auto* box = qobject_cast<QMessageBox*>(modal)) {
            box->defaultButton()->click();
            return;
        }
        for (QPushButton* button : modal->findChildren<QPushButton*>())
            if (button->text() == QLatin1String("Browse..."))
                button->click();
        qobject_cast<QDialog*>(modal)->reject();
    };
    QTimer::singleShot(0, &watcher, look);
    trigger(_window(), qPrintable(command));
    QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (!QFileInfo(documents).isDir())
        documents = QDir::homePath();
    QCOMPARE(shown, folder == QLatin1String("Documents")
                        ? documents
                        : QDir(_fixture->scratch.filePath(folder)).absolutePath());
    QVERIFY(shown != QDir::currentPath());
}

void TestDocumentCommands::longWorkShowsProgress_data()
{
    QTest::addColumn<QString>("command");
    QTest::addColumn<QStringList>("script");
    QTest::addColumn<QString>("dialog");
    QTest::addColumn<int>("recipes"); // afterwards; the open book has none
    QTest::addColumn<bool>("modified");
    QTest::addColumn<QString>("status");
    QTest::newRow("a cancelled open keeps the book")
        << "actionOpen" << QStringList{"modified:No", "open:book.carb"}
        << "Opening book.carb / Cancel" << 0 << true << "Loading error";
    QTest::newRow("a save runs to its end")
        << "actionSave" << QStringList{} << "Saving book.carb" << 0 << false << "";
}

// However short the work, a dialog allowed to show at once shows.
void TestDocumentCommands::longWorkShowsProgress()
{
    QFETCH(QString, command);
    QFETCH(QStringList, script);
    QFETCH(QString, dialog);
    QFETCH(int, recipes);
    QFETCH(bool, modified);
    QFETCH(QString, status);
    QVERIFY(_fixture->prepareBook(QStringLiteral("saved"), true)); // the sample book's file
    BookProgressDialog::showAfter = 0;
    ProgressCanceller canceller;
    qApp->installEventFilter(&canceller);
    DialogLog dialogs;
    answerDialogs(script, &dialogs);
    MessageCapture messages;
    trigger(_window(), qPrintable(command));
    qApp->removeEventFilter(&canceller);
    BookProgressDialog::showAfter = 500;
    QCOMPARE(dialogs.steps, script);
    QCOMPARE(canceller.shown, QStringList{dialog});
    QCOMPARE(rowCount(_window(), QStringLiteral("Recipes")), recipes);
    QCOMPARE(_document().fileName, _fixture->scratch.filePath("book.carb"));
    QCOMPARE(_document().modified, modified);
    QCOMPARE(_window()->statusBar()->currentMessage(), status);
    QCOMPARE(filesIn(_fixture->scratch.path()),
             QStringList(modified ? "book.carb:book" : "book.carb:empty"));
}

// Runs one step as a user would, "what name": "save", "open", "new",
// "recent" (the n-th entry), "clear", "delete" (a file or folder), "mkdir",
// "junk" (writes a file that is no book); names are in the scratch folder.
// True when it met just the dialogs it expected.
bool TestDocumentCommands::_run(const QString& step)
{
    const QString what = step.section(QLatin1Char(' '), 0, 0);
    const QString name = step.section(QLatin1Char(' '), 1);
    const QString path = _fixture->scratch.filePath(name);
    QAction* action = nullptr;
    QStringList script;
    if (what == QLatin1String("save") || what == QLatin1String("open")) {
        script << what + QLatin1Char(':') + name;
        action = _window()->findChild<QAction*>(
            QLatin1String(what == QLatin1String("save") ? "actionSave_as" : "actionOpen"));
    } else if (what == QLatin1String("recent")) {
        action = _recentMenu()->actions().value(name.toInt() - 1);
        if (action && !QFile::exists(action->text().section(QLatin1Char(' '), 1)))
            script << QStringLiteral("This book no longer exists.:Ok");
    } else if (what == QLatin1String("new")) {
        action = _window()->findChild<QAction*>(QStringLiteral("actionNew"));
    } else if (what == QLatin1String("clear")) {
        action = _window()->findChild<QAction*>(QStringLiteral("actionClear_recent_books"));
    } else if (what == QLatin1String("delete")) {
        if (!QFile::remove(path))
            QDir(path).removeRecursively();
    } else if (what == QLatin1String("mkdir")) {
        QDir().mkpath(path);
    } else {
        QFile junk(path);
        if (junk.open(QIODevice::WriteOnly))
            junk.write("junk");
    }
    DialogLog dialogs;
    answerDialogs(script, &dialogs);
    if (action)
        action->trigger();
    qDeleteAll(modalWatchers().children());
    return dialogs.steps == script && (action || what == QLatin1String("delete")
                                       || what == QLatin1String("mkdir")
                                       || what == QLatin1String("junk"));
}

QTEST_MAIN(TestDocumentCommands)
#include "tst_documentcommands.moc"
