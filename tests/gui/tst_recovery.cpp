// Autosave, recovery on start and the lock of an open book: in a window of
// this process, and in the real program started, killed and started again.
#include "shellfixture.h"

#include "settings/settings.h"
#include "editing/editabledatalist.h"
#include "editing/flowlayout.h"
#include "recovery/booklock.h"
#include "recovery/recoverycopy.h"

#include <QHBoxLayout>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QStatusBar>
#include <QTemporaryDir>

#include <cstdio>

namespace {

// A child process run for lock() holds the lock of the book named here.
const char* LockChild = "CULINOR_LOCK_CHILD";
const QString AnotherWindow =
    QStringLiteral("book.carb is already open in another Culinor window. Open it anyway? "
                   "Saving here may overwrite changes made there.");

QStringList recoveryFiles(const QString& folder, const QString& suffix)
{
    return QDir(folder).entryList({QStringLiteral("*") + suffix}, QDir::Files);
}

QByteArray readFile(const QString& name)
{
    QFile file(name);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// A text as a book file stores it.
QByteArray storedText(const QString& text)
{
    QByteArray bytes;
    QDataStream out(&bytes, QIODevice::WriteOnly);
    out << text;
    return bytes.mid(4);
}

QPushButton* panelButton(EditableDataList* list, const QString& text)
{
    for (int i = 0; i < list->saveBar->count(); ++i) {
        auto* button = qobject_cast<QPushButton*>(list->saveBar->itemAt(i)->widget());
        if (button && button->text() == text)
            return button;
    }
    return nullptr;
}

} // namespace

class TestRecovery : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanup();

    void holdLockChild();
    void autosave_data();
    void autosave();
    void autosaveFailure();
    void revertedPanel_data();
    void revertedPanel();
    void lock_data();
    void lock();
    void crashAndRestart_data();
    void crashAndRestart();

private:
    QString _recovery() const { return RecoveryCopy::folder(); }

    QTemporaryDir _home;
    QTemporaryDir _settings;
    std::unique_ptr<WindowFixture> _fixture;
    QProcess _child;
};

void TestRecovery::initTestCase()
{
    // The data folder of the tests lies under the home folder.
    if (!qEnvironmentVariableIsSet(LockChild))
        qputenv("HOME", QFile::encodeName(_home.path()));
    useTemporarySettingsStore(_settings.path());
    storeSettings(_settings.path(), QStringLiteral("autosave_seconds=1 language=0"));
}

void TestRecovery::cleanup()
{
    _fixture.reset();
    _child.kill();
    _child.waitForFinished();
    QDir(_recovery()).removeRecursively();
}

// Runs as a child process of lock() and holds the book until it is killed.
void TestRecovery::holdLockChild()
{
    if (!qEnvironmentVariableIsSet(LockChild))
        QSKIP("runs only as a child process of lock");
    QCoreApplication::setOrganizationName(QStringLiteral("Ostrel software"));
    QCoreApplication::setApplicationName(QStringLiteral("Culinor"));
    BookLock lock;
    lock.follow(qEnvironmentVariable(LockChild));
    std::puts(lock.heldBook().isEmpty() ? "not locked" : "locked");
    std::fflush(stdout);
    QTest::qWait(600000);
}

void TestRecovery::autosave_data()
{
    QTest::addColumn<bool>("saved");      // the book has a file
    QTest::addColumn<bool>("pressSave");  // the panel's edit is saved into the book
    QTest::addColumn<QString>("command"); // given once the copy is written
    QTest::addColumn<QStringList>("script");
    QTest::addColumn<bool>("copyKept");
    QTest::newRow("book edit of a saved book, then Save")
        << true << true << "actionSave" << QStringList() << false;
    QTest::newRow("panel edit of a saved book, then closing is cancelled")
        << true << false << "close" << QStringList{"Save changes to \"Pizza\"?:Cancel"} << true;
    QTest::newRow("book edit of a new book, then New after No")
        << false << true << "actionNew" << QStringList{"modified:No"} << false;
    QTest::newRow("book edit of a new book, then closing after No")
        << false << true << "close" << QStringList{"modified:No"} << false;
}

// The copy holds every change, the panel's as if saved, while the window's
// title, modified state, file and panel stay as they were.
void TestRecovery::autosave()
{
    QFETCH(bool, saved);
    QFETCH(bool, pressSave);
    QFETCH(QString, command);
    QFETCH(QStringList, script);
    QFETCH(bool, copyKept);
    _fixture.reset(new WindowFixture);
    MainWindow* window = _fixture->window;
    Document& document = window->document;
    const QString book = _fixture->scratch.filePath(QStringLiteral("book.carb"));
    if (saved)
        document.modified = document.SaveDocument(book); // marked for the question on closing
    if (command == QLatin1String("close"))
        emit _fixture->probe->documentChanged();
    auto* recipes = qobject_cast<EditableDataList*>(window->editors[0]);
    const int id = recipes->_currentItemID();
    static_cast<QLineEdit*>(recipes->nameEditor)->setText(QStringLiteral("Autosaved soup"));
    if (pressSave)
        panelButton(recipes, QStringLiteral("Save"))->click();
    const QString title = window->windowTitle();
    const bool modified = document.modified;
    const QByteArray onDisk = readFile(book);

    QTRY_COMPARE_WITH_TIMEOUT(recoveryFiles(_recovery(), ".json").size(), 1, 10000);
    QCOMPARE(window->windowTitle(), title);
    QCOMPARE(document.modified, modified);
    QCOMPARE(document.fileName, saved ? book : QStringLiteral("NewBook"));
    QCOMPARE(readFile(book), onDisk);
    QCOMPARE(document.getNameByID(QStringLiteral("Recipes"), id),
             QLatin1String(pressSave ? "Autosaved soup" : "Pizza"));
    QCOMPARE(recipes->isPanelChanged(), !pressSave);
    const QString copy = recoveryFiles(_recovery(), ".carb").value(0);
    QVERIFY(readFile(_recovery() + '/' + copy).contains(storedText("Autosaved soup")));
    const QJsonObject sidecar =
        QJsonDocument::fromJson(readFile(_recovery() + '/' + copy.chopped(5) + ".json")).object();
    QCOMPARE(sidecar.value("book").toString(), saved ? book : QString());
    QCOMPARE(sidecar.value("pid").toInt(), int(QCoreApplication::applicationPid()));

    DialogLog dialogs;
    answerDialogs(script, &dialogs);
    if (command == QLatin1String("close")) {
        if (window->close()) // the program ends, and the window with it
            _fixture.reset();
    } else {
        trigger(window, qPrintable(command));
    }
    QCOMPARE(dialogs.steps, script);
    QCOMPARE(recoveryFiles(_recovery(), ".carb").size(), copyKept ? 1 : 0);
}

// A copy that cannot be written is only reported, in the status bar.
void TestRecovery::autosaveFailure()
{
    _fixture.reset(new WindowFixture); // which names the application's data folder
    QVERIFY(QDir().mkpath(QFileInfo(_recovery()).absolutePath()));
    QFile blocker(_recovery()); // a file where the folder belongs
    QVERIFY(blocker.open(QIODevice::WriteOnly));
    emit _fixture->probe->documentChanged();
    const QString title = _fixture->window->windowTitle();
    MessageCapture messages;
    const QString failure = QStringLiteral("The recovery copy could not be written");
    QTRY_COMPARE_WITH_TIMEOUT(_fixture->window->statusBar()->currentMessage(), failure, 10000);
    QCOMPARE(messages.diagnostics("Error: the recovery copy could not be written"), 1);
    QCOMPARE(_fixture->window->windowTitle(), title);
    QVERIFY(_fixture->window->document.modified);
    QVERIFY(!QApplication::activeModalWidget());
    QVERIFY(blocker.remove());
    // Once the folder can be made, the next tick writes the copy.
    QTRY_COMPARE_WITH_TIMEOUT(recoveryFiles(_recovery(), ".carb").size(), 1, 10000);
}

void TestRecovery::revertedPanel_data()
{
    QTest::addColumn<bool>("modified");
    QTest::newRow("book unchanged") << false;
    QTest::newRow("book changed") << true;
}

// Panel edits the user reverted leave the copy; the book's own changes stay.
void TestRecovery::revertedPanel()
{
    QFETCH(bool, modified);
    _fixture.reset(new WindowFixture);
    if (modified)
        emit _fixture->probe->documentChanged();
    auto* recipes = qobject_cast<EditableDataList*>(_fixture->window->editors[0]);
    static_cast<QLineEdit*>(recipes->nameEditor)->setText(QStringLiteral("Reverted soup"));
    const auto copyHoldsEdit = [this] {
        const QString copy = recoveryFiles(_recovery(), ".carb").value(0);
        return !copy.isEmpty() &&
               readFile(_recovery() + '/' + copy).contains(storedText("Reverted soup"));
    };
    QTRY_VERIFY_WITH_TIMEOUT(copyHoldsEdit(), 10000);
    panelButton(recipes, QStringLiteral("Revert"))->click();
    QTRY_VERIFY_WITH_TIMEOUT(!copyHoldsEdit(), 10000);
    QCOMPARE(recoveryFiles(_recovery(), ".carb").size(), modified ? 1 : 0);
}

void TestRecovery::lock_data()
{
    QTest::addColumn<bool>("killed"); // the other window died first
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

// Another program's window holds the book open.
void TestRecovery::lock()
{
    QFETCH(bool, killed);
    QFETCH(QString, command);
    QFETCH(QStringList, script);
    QFETCH(bool, done);
    _fixture.reset(new WindowFixture);
    Document& document = _fixture->window->document;
    const QString book = _fixture->scratch.filePath(QStringLiteral("book.carb"));
    QVERIFY(document.SaveCopy(book));
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QLatin1String(LockChild), book);
    _child.setProcessEnvironment(environment);
    _child.start(QCoreApplication::applicationFilePath(), {QStringLiteral("holdLockChild")});
    QByteArray output;
    while (!output.contains("locked\n") && _child.waitForReadyRead(60000))
        output += _child.readAllStandardOutput();
    QVERIFY2(output.contains("\nlocked\n"), output.constData());
    if (killed) {
        _child.kill();
        QVERIFY(_child.waitForFinished());
    }

    DialogLog dialogs;
    answerDialogs(script, &dialogs);
    trigger(_fixture->window, qPrintable(command));
    QCOMPARE(dialogs.steps, script);
    QCOMPARE(document.fileName, done ? book : QStringLiteral("NewBook"));
    // The window holds the lock of its book, taken over from a dead window,
    // until it leaves the book.
    QCOMPARE(BookLock().isHeldElsewhere(book), true);
    trigger(_fixture->window, "actionNew");
    QCOMPARE(BookLock().isHeldElsewhere(book), !killed);
}

void TestRecovery::crashAndRestart_data()
{
    // Each run before the crash is killed once it wrote a recovery copy.
    QTest::addColumn<QStringList>("crashes");
    QTest::addColumn<bool>("damaged"); // the copies are cut short after the crash
    QTest::addColumn<QStringList>("starts");
    QTest::addColumn<QStringList>("output");
    QTest::addColumn<int>("copiesLeft");
    const QString asked = QStringLiteral("asked: Culinor closed unexpectedly. Restore the unsaved "
                                         "changes to a new book from <time>?");
    const QStringList restored = {"title: Culinor* - NewBook", "first: Restored soup"};
    const QStringList sample = {"title: Culinor - NewBook", "first: Pizza"};
    const QStringList typed = {"tab:Edit;type:Restored soup"};
    const QString restore = QStringLiteral("answer:Restore;report;quit");
    QTest::newRow("Restore a panel edit of a new book")
        << typed << false << QStringList{restore} << QStringList{asked} + restored << 1;
    QTest::newRow("Restore a saved edit of a book")
        << QStringList{"open:<book>;tab:Edit;type:Restored soup;press:Save"} << false
        << QStringList{restore}
        << QStringList{"asked: Culinor closed unexpectedly. Restore the unsaved changes to "
                       "book.carb from <time>?",
                       "title: Culinor* - <book>", "first: Restored soup"}
        << 1;
    QTest::newRow("Discard") << typed << false << QStringList{"answer:Discard;report;quit"}
                             << QStringList{asked} + sample << 0;
    QTest::newRow("Later, then Restore")
        << typed << false << QStringList{"answer:Later;report;quit", restore}
        << QStringList{asked} + sample + QStringList{asked} + restored << 1;
    QTest::newRow("two crashed windows are offered one after the other")
        << QStringList{"tab:Edit;type:Restored soup", "answer:Later;tab:Edit;type:Other soup"}
        << false << QStringList{"answer:Discard;answer:Later;report;quit"}
        << QStringList{asked, asked} + sample << 1;
    QTest::newRow("a copy that does not open is kept and reported once")
        << typed << true << QStringList{"answer:Restore;answer:OK;report;quit", "report;quit"}
        << QStringList{asked, "asked: The recovery copy of a new book from <time> could not be "
                              "opened. It is kept in <recovery>/<id>.carb."} +
               sample + sample
        << 1;
}

void TestRecovery::crashAndRestart()
{
    QFETCH(QStringList, crashes);
    QFETCH(bool, damaged);
    QFETCH(QStringList, starts);
    QFETCH(QStringList, output);
    QFETCH(int, copiesLeft);
    QTemporaryDir root;
    const QString recovery = root.path() + "/data/Ostrel software/Culinor/recovery";
    storeSettings(root.path() + "/config", QStringLiteral("autosave_seconds=1 language=0"));
    ScratchDir scratch;
    const QString book = scratch.filePath(QStringLiteral("book.carb"));
    {
        Document sample;
        QVERIFY(sample.setDataStructure());
        sample.fillSampleBook();
        QVERIFY(sample.SaveCopy(book));
    }
    const QByteArray onDisk = readFile(book);
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("HOME", root.path());
    environment.insert("XDG_CONFIG_HOME", root.path() + "/config");
    environment.insert("XDG_DATA_HOME", root.path() + "/data");
    environment.insert("QT_QPA_PLATFORM", "offscreen");
    environment.insert("QT_PLUGIN_PATH", CULINOR_BUILD_DIR "/tests/plugins");
    environment.insert("QT_QPA_GENERIC_PLUGINS", "culinoruidriver");
    QProcess program;
    program.setProgram(CULINOR_BUILD_DIR "/culinor");
    program.setWorkingDirectory(scratch.path());
    const auto start = [&](const QString& script) {
        environment.insert("CULINOR_DRIVE", QString(script).replace("<book>", book));
        program.setProcessEnvironment(environment);
        program.start();
        return program.waitForStarted();
    };

    for (int run = 0; run < crashes.size(); ++run) {
        QVERIFY(start(crashes[run]));
        QTRY_COMPARE_WITH_TIMEOUT(recoveryFiles(recovery, ".json").size(), run + 1, 30000);
        program.kill();
        QVERIFY(program.waitForFinished());
    }
    for (const QString& copy : recoveryFiles(recovery, ".carb")) {
        if (damaged)
            QVERIFY(QFile::resize(recovery + '/' + copy, 100));
    }
    QStringList seen;
    for (const QString& script : starts) {
        QVERIFY(start(script));
        QVERIFY(program.waitForFinished(60000));
        seen += QString::fromUtf8(program.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts);
        QCOMPARE(program.exitCode(), 0);
    }
    seen.replaceInStrings(QRegularExpression("\\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d"), "<time>");
    seen.replaceInStrings(recovery, "<recovery>");
    seen.replaceInStrings(QRegularExpression("[0-9a-f]{8}(-[0-9a-f]{4}){3}-[0-9a-f]{12}"), "<id>");
    seen.replaceInStrings(book, "<book>");
    QCOMPARE(seen, output);
    QCOMPARE(recoveryFiles(recovery, ".carb").size(), copiesLeft);
    QCOMPARE(readFile(book), onDisk);
}

QTEST_MAIN(TestRecovery)
#include "tst_recovery.moc"
