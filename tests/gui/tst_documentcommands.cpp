// New, Open, Save and Save as of the main window: what each does to the book,
// its file name and modified state, the files written, the dialogs asked and
// the status-bar messages; the recent books and where the file dialogs start.
#include "support/guisupport.h"

#include "app/bookprogress.h"
#include "settings/settings.h"

#include <QMenu>
#include <QProgressDialog>
#include <QStatusBar>
#include <QTemporaryDir>

namespace {

// Notes each progress dialog as it shows ("label", with " / Cancel" when it
// has that button) and presses its Cancel at once.
struct ProgressCanceller : QObject
{
    QStringList shown;

    bool eventFilter(QObject* object, QEvent* event) override
    {
        auto* dialog = qobject_cast<QProgressDialog*>(object);
        if (dialog && event->type() == QEvent::Show) {
            shown << dialog->labelText() +
                         QLatin1String(dialog->findChild<QPushButton*>() ? " / Cancel" : "");
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
    void initTestCase() { useTemporarySettings(_settings.path()); }
    void init()
    {
        if (appSettings()) {
            appSettings()->remove(SettingKey::RecentBooks);
            appSettings()->remove(SettingKey::LastFolder);
        }
        _fixture.reset(new WindowFixture);
    }
    void cleanup()
    {
        _fixture.reset();
        BookProgressDialog::showAfter = 500;
    }

    void commands_data();
    void commands();
    void recentBooksAndStartFolders_data();
    void recentBooksAndStartFolders();

private:
    MainWindow* _window() const { return _fixture->window; }
    Document& _document() const { return _fixture->window->document; }
    QString _inScratch(const QString& path) const
    {
        return QDir(_fixture->scratch.path()).relativeFilePath(path);
    }
    QMenu* _recentMenu() const
    {
        return _window()->findChild<QMenu*>(QStringLiteral("menuRecent_books"));
    }
    bool _run(const QString& step);
    QString _startFolder(const QString& command);

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
    // The state after: the Recipes rows (3: the sample book), the file name in
    // the scratch folder ("*": modified), editor refreshes, files, status message.
    QTest::addColumn<int>("recipes");
    QTest::addColumn<QString>("book");
    QTest::addColumn<int>("refreshes");
    QTest::addColumn<QStringList>("files");
    QTest::addColumn<QString>("status");
    // The progress dialog shown at once and cancelled; none shows when empty.
    QTest::addColumn<QString>("progress");

    const QStringList none;
    const QString no;
    QTest::newRow("New, unmodified, asks nothing")
        << "" << false << "actionNew" << none << 3 << "NewBook" << 1 << none << no << no;
    QTest::newRow("New after Yes saves first")
        << "" << true << "actionNew" << QStringList{"modified:Yes", "save:before-new.carb"} << 3
        << "NewBook" << 2 << QStringList{"before-new.carb:empty"} << no << no;
    QTest::newRow("New after Yes and a cancelled save keeps the book")
        << "" << true << "actionNew" << QStringList{"modified:Yes", "save:"} << 0 << "NewBook*" << 0
        << none << no << no;
    QTest::newRow("Open after Cancel keeps the book")
        << "" << true << "actionOpen" << QStringList{"modified:Cancel"} << 0 << "NewBook*" << 0
        << none << no << no;
    QTest::newRow("Open loads the book")
        << "saved" << true << "actionOpen" << QStringList{"modified:No", "open:book.carb"} << 3
        << "book.carb" << 1 << QStringList{"book.carb:book"} << no << no;
    QTest::newRow("a failed Open keeps the book")
        << "broken.carb" << true << "actionOpen" << QStringList{"modified:No", "open:broken.carb"}
        << 0 << "NewBook*" << 1 << QStringList{"broken.carb:other"} << "Loading error" << no;
    QTest::newRow("a cancelled Open keeps the book")
        << "saved" << true << "actionOpen" << QStringList{"modified:No", "open:book.carb"} << 0
        << "book.carb*" << 1 << QStringList{"book.carb:book"} << "Loading error"
        << "Opening book.carb / Cancel";
    QTest::newRow("Save of a never-saved book ignores a file called NewBook")
        << "NewBook" << true << "actionSave" << QStringList{"save:"} << 0 << "NewBook*" << 0
        << QStringList{"NewBook:other"} << no << no;
    QTest::newRow("Save writes to the book's file, to its end")
        << "saved" << true << "actionSave" << none << 0 << "book.carb" << 1
        << QStringList{"book.carb:empty"} << no << "Saving book.carb";
    QTest::newRow("Save of an unchanged book writes nothing")
        << "saved" << false << "actionSave" << none << 0 << "book.carb" << 0
        << QStringList{"book.carb:book"} << no << no;
    QTest::newRow("Save with the file gone asks for a name")
        << "gone" << true << "actionSave" << QStringList{"save:"} << 0 << "book.carb*" << 0 << none
        << no << no;
    QTest::newRow("Save failure keeps the state, says so and leaves no copy")
        << "folder" << true << "actionSave" << none << 0 << "taken.carb*" << 1 << none
        << "Saving error" << no;
    for (const QString name : {"dinner", "dinner.carb", "dinner.CARB"}) {
        const QString saved = name.endsWith(".carb") ? name : name + ".carb";
        QTest::addRow("Save as %s", qPrintable(name))
            << "" << false << "actionSave_as" << QStringList{"save:" + name} << 0 << saved << 1
            << QStringList{saved + ":empty"} << no << no;
    }
    QTest::newRow("Save as keeps the .carb file it appended after No")
        << "dinner.carb" << true << "actionSave_as" << QStringList{"save:dinner", "replace:No"} << 0
        << "NewBook*" << 0 << QStringList{"dinner.carb:other"} << no << no;
}

void TestDocumentCommands::commands()
{
    QFETCH(QString, setup);
    QFETCH(bool, edited);
    QFETCH(QString, command);
    QFETCH(QStringList, script);
    QFETCH(int, recipes);
    QFETCH(QString, book);
    QFETCH(int, refreshes);
    QFETCH(QStringList, files);
    QFETCH(QString, status);
    QFETCH(QString, progress);
    QVERIFY(_fixture->prepareBook(setup, edited));
    ProgressCanceller canceller; // no longer filters once gone
    if (!progress.isEmpty()) {
        BookProgressDialog::showAfter = 0;
        qApp->installEventFilter(&canceller);
    }
    DialogLog dialogs;
    answerDialogs(script, &dialogs);
    MessageCapture messages;
    trigger(_window(), qPrintable(command));

    QCOMPARE(dialogs.steps, script);
    const QMap<QString, QString> shapes = {
        {"modified", "Document has been modified! / Do you want to save changes? / Yes No* Cancel"},
        {"open", "Load Recipe book / Culinor documents(*.carb) / existing file"},
        {"save", "Save Recipe book / Culinor documents(*.carb) / any file"},
        {"replace", "This file already exists. Replace it? / " +
                        _fixture->scratch.filePath("dinner.carb") + " / Yes No*"}};
    for (int i = 0; i < script.size(); ++i)
        QCOMPARE(dialogs.details[i], shapes[script[i].section(QLatin1Char(':'), 0, 0)]);
    QCOMPARE(canceller.shown.join(", "), progress);
    QCOMPARE(countRows(QStringLiteral("Recipes")), recipes);
    QCOMPARE(_inScratch(_document().fileName) + (_document().modified ? "*" : ""), book);
    QCOMPARE(_fixture->probe->synchronized, refreshes);
    QCOMPARE(filesIn(_fixture->scratch.path()), files);
    QCOMPARE(_window()->statusBar()->currentMessage(), status);
    if (!status.isEmpty())
        QVERIFY(messages.contains(status));
    if (edited || refreshes) // else nothing told the window of the book's file
        QCOMPARE(_window()->windowTitle(), QStringLiteral("Culinor") +
                                               (book.endsWith('*') ? "*" : "") + " - " +
                                               _document().fileName);
}

void TestDocumentCommands::recentBooksAndStartFolders_data()
{
    QTest::addColumn<QString>("steps"); // as _run() takes them, separated by ", "
    QTest::addColumn<QString>("books"); // the menu's entries, newest first
    QTest::addColumn<QString>("open");  // the book open at the end
    QTest::newRow("newest first, once each; an entry opens its book")
        << "save a.carb, save b.carb, open a.carb, new, recent 2"
        << "b.carb a.carb"
        << "b.carb";
    QTest::newRow("the last eight") << "seed 8, save 9.carb"
                                    << "9.carb 1.carb 2.carb 3.carb 4.carb 5.carb 6.carb 7.carb"
                                    << "9.carb";
    QTest::newRow("a book gone is said so and dropped")
        << "save a.carb, save b.carb, delete a.carb, recent 2"
        << "b.carb"
        << "b.carb";
    QTest::newRow("clear list") << "save a.carb, save b.carb, clear" << QString() << "b.carb";
    // File dialogs start in the book's folder, else the one last used, else Documents.
    QTest::newRow("Documents, then the folder last used")
        << "look actionOpen Documents, mkdir sub, save sub/a.carb, new, look actionOpen sub"
        << "sub/a.carb"
        << "NewBook";
    QTest::newRow("unless it is gone")
        << "mkdir sub, save sub/a.carb, new, delete sub, look actionSave_as Documents"
        << "sub/a.carb"
        << "NewBook";
    QTest::newRow("a failed open is no entry; the book's own folder first")
        << "mkdir sub, save sub/a.carb, mkdir other, junk other/bad.carb, open other/bad.carb, "
           "look actionSave_as sub"
        << "sub/a.carb"
        << "sub/a.carb";
    QTest::newRow("export and import's Browse")
        << "mkdir sub, save sub/a.carb, look actionExport_recipes sub, look actionImport_recipe sub"
        << "sub/a.carb"
        << "sub/a.carb";
}

void TestDocumentCommands::recentBooksAndStartFolders()
{
    QFETCH(QString, steps);
    QFETCH(QString, books);
    QFETCH(QString, open);
    MessageCapture messages;
    for (const QString& step : steps.split(", "))
        QVERIFY2(_run(step), qPrintable(step));
    QStringList paths;
    QStringList entries;
    for (const QString& book : books.split(' ', Qt::SkipEmptyParts)) {
        paths << _fixture->scratch.filePath(book);
        entries << QString("&%1 %2").arg(paths.size()).arg(paths.last());
    }
    QStringList shown;
    for (QAction* action : _recentMenu()->actions())
        shown << action->text();
    QCOMPARE(shown, entries + QStringList({"", "Clear list"}));
    QCOMPARE(_recentMenu()->isEnabled(), !paths.isEmpty());
    QCOMPARE(appSettings()->value(SettingKey::RecentBooks).toStringList(), paths);
    QCOMPARE(_inScratch(_document().fileName), open);
}

// Runs one step as a user would, "what name": "save", "open", "new", "recent"
// (the n-th entry), "clear", "delete" (a file or folder), "mkdir", "junk"
// (writes a file that is no book), "seed" (a recent list left by earlier
// sessions), "look <action> <folder>" (its file dialog starts there;
// "Documents" is the user's); names are in the scratch folder. True when it
// did so, meeting just the dialogs it expected.
bool TestDocumentCommands::_run(const QString& step)
{
    const QString what = step.section(' ', 0, 0);
    const QString name = step.section(' ', 1);
    const QString path = _fixture->scratch.filePath(name);
    QFile file(path);
    if (what == "delete")
        return file.remove() || QDir(path).removeRecursively();
    if (what == "mkdir")
        return QDir().mkpath(path);
    if (what == "seed") { // "1.carb" to "<n>.carb", newest first
        QStringList books;
        for (int i = 1; i <= name.toInt(); ++i)
            books << _fixture->scratch.filePath(QString("%1.carb").arg(i));
        appSettings()->setValue(SettingKey::RecentBooks, books);
        return true;
    }
    if (what == "junk")
        return file.open(QIODevice::WriteOnly) && file.write("junk") == 4;
    if (what == "look") {
        const QString folder = name.section(' ', 1);
        QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
        if (!QFileInfo(documents).isDir())
            documents = QDir::homePath();
        return _startFolder(name.section(' ', 0, 0)) ==
               (folder == "Documents" ? documents
                                      : QDir(_fixture->scratch.filePath(folder)).absolutePath());
    }
    const QMap<QString, QString> actions = {{"save", "actionSave_as"},
                                            {"open", "actionOpen"},
                                            {"new", "actionNew"},
                                            {"clear", "actionClear_recent_books"}};
    QAction* action = what == "recent" ? _recentMenu()->actions().value(name.toInt() - 1)
                                       : _window()->findChild<QAction*>(actions.value(what, "-"));
    QStringList script;
    if (what == "save" || what == "open")
        script << what + ':' + name;
    else if (what == "recent" && action && !QFile::exists(action->text().section(' ', 1)))
        script << "This book no longer exists.:Ok";
    DialogLog dialogs;
    answerDialogs(script, &dialogs);
    if (action)
        action->trigger();
    qDeleteAll(modalWatchers().children());
    return action && dialogs.steps == script;
}

// The folder the command's file dialog starts in; on the way there it exports
// all recipes, or browses for an import.
QString TestDocumentCommands::_startFolder(const QString& command)
{
    QString shown;
    QObject watcher; // its timers end with the call
    std::function<void()> look = [&shown, &look, &watcher]() {
        QWidget* modal = QApplication::activeModalWidget();
        if (auto* dialog = qobject_cast<QFileDialog*>(modal)) {
            shown = dialog->directory().absolutePath();
            dialog->reject();
            return;
        }
        if (!modal)
            return;
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
    return shown;
}

QTEST_MAIN(TestDocumentCommands)
#include "tst_documentcommands.moc"
