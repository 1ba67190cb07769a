// Autosave, recovery on start and the lock of an open book: in windows of
// this process, and once in the real program, killed and started again.
#include "support/guisupport.h"

#include "editing/editabledatalist.h"
#include "editing/verticalscrollarea.h"
#include "recovery/booklock.h"
#include "recovery/booksafety.h"
#include "recovery/recoverycopy.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QListWidget>
#include <QProcess>
#include <QRegularExpression>
#include <QStatusBar>
#include <QTemporaryDir>

namespace {

const QString AnotherWindow =
    QStringLiteral("book.carb is already open in another Culinor window. Open it anyway? "
                   "Saving here may overwrite changes made there.");
const QString Offer = QStringLiteral("Culinor closed unexpectedly. Restore the unsaved changes "
                                     "to a new book from <time>?");

QStringList recoveryFiles(const QString& suffix, const QString& folder = RecoveryCopy::folder())
{
    return QDir(folder).entryList({QStringLiteral("*") + suffix}, QDir::Files);
}

QByteArray readFile(const QString& name)
{
    QFile file(name);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Whether the file holds the text as a book file stores it.
bool holds(const QString& file, const QString& text)
{
    QByteArray bytes;
    QDataStream stream(&bytes, QIODevice::WriteOnly);
    stream << text;
    return readFile(file).contains(bytes.mid(4));
}

// A message with its times as <time> and the ids of copies as <id>.
QString general(QString text)
{
    return text.replace(QRegularExpression("\\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d"), "<time>")
        .replace(QRegularExpression("[0-9a-f]{8}(-[0-9a-f]{4}){3}-[0-9a-f]{12}"), "<id>");
}

void click(EditableDataList* list, const QString& text)
{
    for (QPushButton* button : list->scrollArea->findChildren<QPushButton*>()) {
        if (button->text() == text)
            button->click();
    }
}

} // namespace

class TestRecovery : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanup();

    void autosave_data();
    void autosave();
    void offer_data();
    void offer();
    void lock_data();
    void lock();
    void crashAndRestore();

private:
    QTemporaryDir _home;
    QTemporaryDir _settings;
    std::unique_ptr<WindowFixture> _fixture;
};

void TestRecovery::initTestCase()
{
    // The data folder of the tests lies under the home folder. The windows
    // here autosave only when a test says so.
    qputenv("HOME", QFile::encodeName(_home.path()));
    useTemporarySettings(_settings.path());
    storeSettings(_settings.path(), QStringLiteral("autosave_seconds=0 language=0"));
}

void TestRecovery::cleanup()
{
    _fixture.reset();
    QDir(RecoveryCopy::folder()).removeRecursively();
}

void TestRecovery::autosave_data()
{
    QTest::addColumn<bool>("saved"); // the book has a file
    // The recipe's name typed in the panel: "panel" only, "book" and saved
    // into the book, "both" while the book has another change.
    QTest::addColumn<QString>("edit");
    QTest::addColumn<bool>("blocked");    // a file stands where the recovery folder belongs
    QTest::addColumn<QString>("command"); // given once the copy is written
    QTest::addColumn<QStringList>("script");
    QTest::addColumn<bool>("copyKept");
    const QStringList no = {"modified:No"};
    QTest::newRow("book edit of a saved book, then Save")
        << true << "book" << false << "actionSave" << QStringList() << false;
    QTest::newRow("panel edit of a saved book, then closing is cancelled")
        << true << "panel" << false << "close" << QStringList{"Save changes to \"Pizza\"?:Cancel"}
        << true;
    QTest::newRow("book edit of a new book, then New after No")
        << false << "book" << false << "actionNew" << no << false;
    QTest::newRow("book edit of a new book, then closing after No")
        << false << "book" << false << "close" << no << false;
    QTest::newRow("blocked at first, then written")
        << false << "book" << true << "actionNew" << no << false;
    QTest::newRow("panel edit reverted")
        << false << "panel" << false << "Revert" << QStringList() << false;
    QTest::newRow("panel edit of a changed book reverted")
        << false << "both" << false << "Revert" << QStringList() << true;
}

// The copy holds every change, the panel's as if saved, while the window's
// title, modified state, file and panel stay as they were.
void TestRecovery::autosave()
{
    QFETCH(bool, saved);
    QFETCH(QString, edit);
    QFETCH(bool, blocked);
    QFETCH(QString, command);
    QFETCH(QStringList, script);
    QFETCH(bool, copyKept);
    _fixture.reset(new WindowFixture);
    MainWindow* window = _fixture->window;
    Document& document = window->document;
    auto* safety = window->findChild<BookSafety*>();
    auto* recipes = qobject_cast<EditableDataList*>(window->editors[0]);
    const int id = recipes->_currentItemID();
    const QString book = _fixture->scratch.filePath(QStringLiteral("book.carb"));
    if (saved)
        QVERIFY(document.SaveDocument(book));
    if (edit == "both")
        emit _fixture->probe->documentChanged();
    static_cast<QLineEdit*>(recipes->nameEditor)->setText(QStringLiteral("Autosaved soup"));
    if (edit == "book")
        click(recipes, "Save");
    const QString title = window->windowTitle();
    const bool modified = document.modified;
    const QByteArray onDisk = readFile(book);
    if (blocked) { // only reported, and tried again at the next tick
        QVERIFY(QDir().mkpath(QFileInfo(RecoveryCopy::folder()).absolutePath()));
        QFile blocker(RecoveryCopy::folder());
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        MessageCapture messages;
        safety->autosave();
        QCOMPARE(window->statusBar()->currentMessage(),
                 QStringLiteral("The recovery copy could not be written"));
        QCOMPARE(messages.diagnostics("Error: the recovery copy could not be written"), 1);
        QVERIFY(blocker.remove());
    }
    safety->autosave();
    QCOMPARE(window->windowTitle(), title);
    QCOMPARE(document.modified, modified);
    QCOMPARE(document.fileName, saved ? book : QStringLiteral("NewBook"));
    QCOMPARE(readFile(book), onDisk);
    QCOMPARE(document.getNameByID(QStringLiteral("Recipes"), id),
             QLatin1String(edit == "book" ? "Autosaved soup" : "Pizza"));
    QCOMPARE(recipes->isPanelChanged(), edit != "book");
    const QString copy = RecoveryCopy::folder() + '/' + recoveryFiles(".carb").value(0);
    QVERIFY(holds(copy, "Autosaved soup"));
    const QJsonObject sidecar =
        QJsonDocument::fromJson(readFile(copy.chopped(5) + ".json")).object();
    QCOMPARE(sidecar.value("book").toString(), saved ? book : QString());
    QCOMPARE(sidecar.value("pid").toInt(), int(QCoreApplication::applicationPid()));

    DialogLog dialogs;
    answerDialogs(script, &dialogs);
    if (command == "Revert") { // the copy no longer holds the panel's edit
        click(recipes, command);
        safety->autosave();
        QVERIFY(!holds(copy, "Autosaved soup"));
    } else if (command != "close") {
        trigger(window, qPrintable(command));
    } else if (window->close()) { // the program ends, and the window with it
        _fixture.reset();
    }
    QCOMPARE(dialogs.steps, script);
    QCOMPARE(recoveryFiles(".carb").size(), copyKept ? 1 : 0);
}

void TestRecovery::offer_data()
{
    QTest::addColumn<int>("dead");     // copies of windows that died, beside one still running
    QTest::addColumn<bool>("damaged"); // the copies are cut short
    QTest::addColumn<QStringList>("starts"); // the answers at each start, ';' between
    QTest::addColumn<QStringList>("asked");
    QTest::addColumn<QString>("shown"); // the window's title and first recipe after the last start
    QTest::addColumn<int>("copiesLeft");
    const QString sample = QStringLiteral("Culinor - NewBook: Pizza");
    QTest::newRow("Discard") << 1 << false << QStringList{"Discard"} << QStringList{Offer} << sample
                             << 1;
    QTest::newRow("Later, then Restore at the next start")
        << 1 << false << QStringList{"Later", "Restore"} << QStringList{Offer, Offer}
        << "Culinor* - NewBook: Restored soup" << 2;
    QTest::newRow("two dead windows are offered one after the other")
        << 2 << false << QStringList{"Discard;Later"} << QStringList{Offer, Offer} << sample << 2;
    QTest::newRow("a copy that does not open is kept and reported once")
        << 1 << true << QStringList{"Restore;OK", ""}
        << QStringList{Offer, "The recovery copy of a new book from <time> could not be opened. "
                              "It is kept in <recovery>/<id>.carb."}
        << sample << 2;
}

// Copies whose writer is gone are offered when a window shows.
void TestRecovery::offer()
{
    QFETCH(int, dead);
    QFETCH(bool, damaged);
    QFETCH(QStringList, starts);
    QFETCH(QStringList, asked);
    QFETCH(QString, shown);
    QFETCH(int, copiesLeft);
    _fixture.reset(new WindowFixture);
    Document& document = _fixture->window->document;
    QVERIFY(QSqlQuery(document.db).exec("UPDATE Recipes SET name='Restored soup' WHERE id=1"));
    std::vector<std::unique_ptr<RecoveryCopy>> copies(dead + 1);
    for (auto& copy : copies) {
        copy.reset(new RecoveryCopy);
        QVERIFY(copy->write(document, QString()));
        QVERIFY(!damaged || QFile::resize(copy->filePath(), 100));
    }
    copies.erase(copies.begin(), copies.end() - 1); // their writers die
    QStringList answers, seen;
    QTimer boxes; // answers each message box as it shows with the next answer, or Escape
    connect(&boxes, &QTimer::timeout, [&]() {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box || !box->isVisible())
            return;
        seen << general(box->text()).replace(RecoveryCopy::folder(), "<recovery>");
        const QString answer = answers.isEmpty() ? QString() : answers.takeFirst();
        for (QAbstractButton* button : box->buttons()) {
            if (button->text() == answer)
                return button->click();
        }
        QTest::keyClick(box, Qt::Key_Escape);
    });
    boxes.start(10);
    for (const QString& start : starts) {
        _fixture.reset();
        _fixture.reset(new WindowFixture);
        answers = start.split(';', Qt::SkipEmptyParts);
        _fixture->window->showMainWindow();
    }
    QCOMPARE(seen, asked);
    auto* recipes = qobject_cast<EditableDataList*>(_fixture->window->editors[0]);
    QCOMPARE(_fixture->window->windowTitle() + ": " + recipes->list->item(0)->text(), shown);
    QCOMPARE(recoveryFiles(".carb").size(), copiesLeft);
}

void TestRecovery::lock_data()
{
    QTest::addColumn<bool>("died"); // the other window died first
    QTest::addColumn<QString>("command");
    QTest::addColumn<QStringList>("script");
    QTest::addColumn<bool>("done");
    const QString open = QStringLiteral("open:book.carb");
    QTest::newRow("Open, then Cancel")
        << false << "actionOpen" << QStringList{open, AnotherWindow + ":Cancel"} << false;
    QTest::newRow("Open, then Return")
        << false << "actionOpen" << QStringList{open, AnotherWindow + ":Return"} << false;
    QTest::newRow("Open anyway") << false << "actionOpen"
                                 << QStringList{open, AnotherWindow + ":Open anyway"} << true;
    QTest::newRow("Open after the other window died")
        << true << "actionOpen" << QStringList{open} << true;
    QTest::newRow("Save as onto it, then Cancel")
        << false << "actionSave_as"
        << QStringList{"save:book", "replace:Yes", AnotherWindow + ":Cancel"} << false;
    QTest::newRow("Save as onto it anyway")
        << false << "actionSave_as"
        << QStringList{"save:book", "replace:Yes", AnotherWindow + ":Open anyway"} << true;
}

// Another window holds the book open.
void TestRecovery::lock()
{
    QFETCH(bool, died);
    QFETCH(QString, command);
    QFETCH(QStringList, script);
    QFETCH(bool, done);
    _fixture.reset(new WindowFixture);
    Document& document = _fixture->window->document;
    const QString book = _fixture->scratch.filePath(QStringLiteral("book.carb"));
    QVERIFY(document.SaveCopy(book));
    auto other = std::make_unique<BookLock>();
    other->follow(book);
    if (died) { // it leaves its lock behind, naming a process that is gone
        const QString lock =
            QDir(RecoveryCopy::folder()).entryInfoList({"*.lock"}).value(0).filePath();
        other.reset();
        QFile stale(lock);
        QVERIFY(stale.open(QIODevice::WriteOnly) && stale.write("2147483600\n") && stale.flush());
    }

    DialogLog dialogs;
    answerDialogs(script, &dialogs);
    trigger(_fixture->window, qPrintable(command));
    QCOMPARE(dialogs.steps, script);
    QCOMPARE(document.fileName, done ? book : QStringLiteral("NewBook"));
    // The window holds the lock of its book, taken over from a dead window,
    // until it leaves the book.
    other.reset();
    QCOMPARE(BookLock().isHeldElsewhere(book), died);
    trigger(_fixture->window, "actionNew");
    QVERIFY(!BookLock().isHeldElsewhere(book));
}

// The real program, killed once it wrote the recovery copy of the book it
// opened, offers the copy at its next start: Restore brings the panel's edit
// back as an unsaved change of that book, whose file stays as it was.
void TestRecovery::crashAndRestore()
{
    QTemporaryDir root;
    const QString recovery = root.path() + "/data/Ostrel software/Culinor/recovery";
    storeSettings(root.path() + "/config", QStringLiteral("autosave_seconds=1 language=0"));
    _fixture.reset(new WindowFixture);
    const QString book = _fixture->scratch.filePath(QStringLiteral("book.carb"));
    QVERIFY(_fixture->window->document.SaveCopy(book));
    const QByteArray onDisk = readFile(book);
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("HOME", root.path());
    environment.insert("XDG_CONFIG_HOME", root.path() + "/config");
    environment.insert("XDG_DATA_HOME", root.path() + "/data");
    environment.insert("QT_PLUGIN_PATH", CULINOR_BUILD_DIR "/tests/plugins");
    environment.insert("QT_QPA_GENERIC_PLUGINS", "culinoruidriver");
    QProcess program;
    program.setProgram(CULINOR_BUILD_DIR "/culinor");
    program.setWorkingDirectory(_fixture->scratch.path());
    program.setProcessChannelMode(QProcess::MergedChannels);
    const auto start = [&](const QString& steps, const QStringList& arguments) {
        environment.insert("CULINOR_DRIVE", steps);
        program.setProcessEnvironment(environment);
        program.setArguments(arguments);
        program.start();
        return program.waitForStarted();
    };

    QVERIFY(start("type:Pizza=Restored soup", {book}));
    QTRY_COMPARE_WITH_TIMEOUT(recoveryFiles(".json", recovery).size(), 1, 30000);
    program.kill();
    QVERIFY(program.waitForFinished());
    QVERIFY(start("answer:Restore", {}));
    QString seen;
    const QString restored = "\"Window title: Culinor* - " + book + '"';
    QTRY_VERIFY_WITH_TIMEOUT((seen += program.readAll()).contains(restored), 30000);
    QVERIFY(general(seen).contains("asked: Culinor closed unexpectedly. Restore the unsaved "
                                   "changes to book.carb from <time>?\n"));
    program.kill();
    QVERIFY(program.waitForFinished());
    QCOMPARE(recoveryFiles(".carb", recovery).size(), 1);
    QCOMPARE(readFile(book), onDisk);
}

QTEST_MAIN(TestRecovery)
#include "tst_recovery.moc"
