// New, Open, Save and Save as of the main window, the recent books and where file dialogs start.
#include "support/guisupport.h"

#include "app/bookprogress.h"
#include "settings/settings.h"

#include <QMenu>
#include <QProgressDialog>
#include <QStatusBar>
#include <QTemporaryDir>

// Notes each progress dialog as it shows (" / Cancel": it has that button) and cancels it.
struct ProgressCanceller : QObject
{
    QStringList shown;

    bool eventFilter(QObject* object, QEvent* event) override
    {
        auto* dialog = qobject_cast<QProgressDialog*>(object);
        if (dialog && event->type() == QEvent::Show) {
            shown << dialog->labelText() + (dialog->findChild<QPushButton*>() ? " / Cancel" : "");
            dialog->cancel();
        }
        return false;
    }
};

class TestDocumentCommands : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { useTemporarySettings(_settings.path()); }
    void init() { _fixture.reset(new WindowFixture); }
    void cleanup()
    {
        appSettings()->clear(); // the recent books and the last folder
        _fixture.reset();
        BookProgressDialog::showAfter = 500;
    }

    void commands_data();
    void commands();

private:
    MainWindow* _window() const { return _fixture->window; }
    QMenu* _recentMenu() const { return _window()->findChild<QMenu*>("menuRecent_books"); }
    bool _run(const QString& step);

    QTemporaryDir _settings;
    std::unique_ptr<WindowFixture> _fixture;
};

void TestDocumentCommands::commands_data()
{
    // The book before: emptied, as WindowFixture::prepareBook sets it up, "*" when edited;
    // the steps as _run() takes them. The state after: the Recipes rows (3: the sample
    // book), the file name in the scratch folder ("*": modified), refreshes, files, status
    // message, progress dialog (shown at once and cancelled), recent books.
    QTest::addColumn<QString>("before");
    QTest::addColumn<QString>("steps");
    QTest::addColumn<QString>("after");
    const auto row = [](const char* tag, QString before, QString steps, QString after) {
        QTest::newRow(tag) << before << steps << after;
    };
    row("New, unmodified, asks nothing", "", "New", "3, NewBook, 1");
    row("New after Yes saves first", "*", "New modified:Yes save:before-new.carb",
        "3, NewBook, 2, before-new.carb:empty, recent: before-new.carb");
    row("New after Yes and a cancelled save", "*", "New modified:Yes save:", "0, NewBook*, 0");
    row("Open after Cancel keeps the book", "*", "Open modified:Cancel", "0, NewBook*, 0");
    row("Open", "saved*", "Open modified:No open:book.carb",
        "3, book.carb, 1, book.carb:book, recent: book.carb");
    row("a failed Open keeps the book, and is no recent book", "broken.carb*",
        "Open modified:No open:broken.carb", "0, NewBook*, 1, broken.carb:other, Loading error");
    row("a cancelled Open keeps the book", "saved*", "Open modified:No open:book.carb",
        "0, book.carb*, 1, book.carb:book, Loading error, Opening book.carb / Cancel");
    row("Save never overwrites NewBook", "NewBook*", "Save save:", "0, NewBook*, 0, NewBook:other");
    row("Save writes to the book's file, to its end", "saved*", "Save",
        "0, book.carb, 1, book.carb:empty, Saving book.carb, recent: book.carb");
    row("Save failure keeps the state, says so and leaves no copy", "folder*", "Save",
        "0, taken.carb*, 1, Saving error");
    row("Save as appends .carb", "", "Save_as dinner",
        "0, dinner.carb, 1, dinner.carb:empty, recent: dinner.carb");
    row("Save as appends it to .CARB", "", "Save_as dinner.CARB",
        "0, dinner.CARB.carb, 1, dinner.CARB.carb:empty, recent: dinner.CARB.carb");
    row("Save as keeps the .carb file it appended after No", "dinner.carb*",
        "Save_as save:dinner replace:No", "0, NewBook*, 0, dinner.carb:other");
    row("recent books: newest first, once each, the last eight; gone ones dropped", "",
        "seed 8, Save_as a, Save_as b, Open a.carb, delete b.carb, New, recent 2, recent 1",
        "0, a.carb, 5, a.carb:empty, recent: a.carb 1.carb 2.carb 3.carb 4.carb 5.carb 6.carb");
    row("clear the recent books", "", "seed 2, Clear_recent_books", "0, NewBook, 0");
    // File dialogs start in the book's folder, else the one last used unless gone, else Documents.
    row("start in Documents, then in the folder last used, even by a failed open", "",
        "look Open Documents, Save_as d/a.carb, New, look Open d, delete d, "
        "look Save_as Documents, junk o/bad.carb, Open o/bad.carb, look Open o",
        "3, NewBook, 3, Loading error, recent: d/a.carb");
    row("start in the book's own folder, also for export and import's Browse", "",
        "New, Save_as o/c.carb, Save_as s/a.carb, look Export_recipes s, Save_as o/d.carb, "
        "Save_as s/e.carb, look Import_recipe s, junk o/bad.carb, Open o/bad.carb, look Save_as s",
        "3, s/e.carb, 6, Loading error, recent: s/e.carb o/d.carb s/a.carb o/c.carb");
}

void TestDocumentCommands::commands()
{
    QFETCH(QString, before);
    QFETCH(QString, steps);
    QFETCH(QString, after);
    QVERIFY(_fixture->prepareBook(QString(before).remove('*'), before.endsWith('*')));
    ProgressCanceller canceller;           // no longer filters once gone
    if (after.contains("ing book.carb")) { // "Opening" or "Saving": a progress dialog
        BookProgressDialog::showAfter = 0;
        qApp->installEventFilter(&canceller);
    }
    for (const QString& step : steps.split(", "))
        QVERIFY2(_run(step), qPrintable(step));

    const Document& document = _window()->document;
    const QDir scratch(_fixture->scratch.path());
    QStringList state = {QString::number(countRows("Recipes")),
                         scratch.relativeFilePath(document.fileName) +
                             (document.modified ? "*" : ""),
                         QString::number(_fixture->probe->synchronized)};
    state << filesIn(scratch.path()) << _window()->statusBar()->currentMessage() << canceller.shown;
    QStringList recent; // the menu's entries, newest first, numbered for the keyboard
    for (QAction* action : _recentMenu()->actions()) {
        if (action->isSeparator())
            break;
        QCOMPARE(action->text().section(' ', 0, 0), QString("&%1").arg(recent.size() + 1));
        recent << action->text().section(' ', 1);
    }
    QCOMPARE(appSettings()->value(SettingKey::RecentBooks).toStringList(), recent);
    QCOMPARE(_recentMenu()->isEnabled(), !recent.isEmpty());
    if (!recent.isEmpty())
        state << "recent: " + recent.replaceInStrings(scratch.path() + '/', "").join(' ');
    state.removeAll(QString());
    QCOMPARE(state.join(", "), after);
    QCOMPARE(_window()->windowTitle(),
             QString("Culinor%1 - %2").arg(document.modified ? "*" : "", document.fileName));
}

// Runs one step as a user would, "what name": an action ("Save_as", "Open", "New",
// "Clear_recent_books"), "recent" (the n-th entry), "delete" (a file or folder), "junk"
// (a file that is no book), "seed" (a recent list from earlier sessions), "look <action>
// <folder>" (its file dialog starts there; "Documents" is the user's). Names are in the
// scratch folder, its subfolders made as needed. True when it met the dialogs expected.
bool TestDocumentCommands::_run(const QString& step)
{
    const QString what = step.section(' ', 0, 0);
    const QString name = step.section(' ', 1);
    const QString path = _fixture->scratch.filePath(name);
    QFile file(path);
    if (what == "delete")
        return file.remove() || QDir(path).removeRecursively();
    QDir().mkpath(QFileInfo(path).path());
    if (what == "junk")
        return file.open(QIODevice::WriteOnly) && file.write("junk") == 4;
    if (what == "seed") { // "1.carb" to "<n>.carb", newest first
        QStringList books;
        for (int i = 1; i <= name.toInt(); ++i)
            books << _fixture->scratch.filePath(QString("%1.carb").arg(i));
        appSettings()->setValue(SettingKey::RecentBooks, books);
        return true;
    }
    if (what == "look") { // on the way it takes a message box's default, and Browse
        QString shown;
        QObject watcher; // its timers end with the step
        std::function<void()> look = [&shown, &look, &watcher]() {
            QWidget* modal = QApplication::activeModalWidget();
            if (auto* dialog = qobject_cast<QFileDialog*>(modal)) {
                shown = dialog->directory().absolutePath();
                return dialog->reject();
            }
            if (!modal)
                return;
            QTimer::singleShot(10, &watcher, look);
            if (auto* box = qobject_cast<QMessageBox*>(modal))
                return box->defaultButton()->click();
            for (QPushButton* button : modal->findChildren<QPushButton*>())
                if (button->text() == QLatin1String("Browse..."))
                    button->click();
            qobject_cast<QDialog*>(modal)->reject();
        };
        QTimer::singleShot(0, &watcher, look);
        trigger(_window(), qPrintable("action" + name.section(' ', 0, 0)));
        QString expected = QDir(_fixture->scratch.filePath(name.section(' ', 1))).absolutePath();
        if (name.endsWith(" Documents"))
            expected = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
        return shown == (QFileInfo(expected).isDir() ? expected : QDir::homePath());
    }
    QAction* action = what == "recent" ? _recentMenu()->actions().value(name.toInt() - 1)
                                       : _window()->findChild<QAction*>("action" + what);
    QStringList script; // the dialogs' "kind:answer" steps
    if (name.contains(':'))
        script = name.split(' ');
    else if (what == "Save_as" || what == "Open")
        script << (what == "Open" ? "open:" : "save:") + name;
    else if (what == "recent" && action && !QFile::exists(action->text().section(' ', 1)))
        script << "This book no longer exists.:Ok";
    DialogLog dialogs;
    answerDialogs(script, &dialogs);
    if (action)
        action->trigger();
    qDeleteAll(modalWatchers().children());
    const QString question = // as the user sees it, the default starred
        "Document has been modified! / Do you want to save changes? / Yes No* Cancel";
    for (int i = 0; i < dialogs.details.size(); ++i)
        if (script[i].startsWith("modified:") && dialogs.details[i] != question)
            return false;
    return action && dialogs.steps == script;
}

QTEST_MAIN(TestDocumentCommands)
#include "tst_documentcommands.moc"
