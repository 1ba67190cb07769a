// Autosave, recovery on start and the lock of an open book, also after killing the real program.
#include "support/guisupport.h"

#include "editing/verticalscrollarea.h"
#include "recovery/booklock.h"
#include "recovery/booksafety.h"
#include "recovery/recoverycopy.h"

#include <QStatusBar>

static QStringList recoveryFiles(const QString& suffix)
{
    return QDir(RecoveryCopy::folder()).entryList({"*" + suffix}, QDir::Files);
}

static bool holds(const QString& name, const QString& text) // as a book file stores it
{
    QFile file(name);
    const QByteArray utf16 = QTextCodec::codecForName("UTF-16BE")->fromUnicode(text);
    return file.open(QIODevice::ReadOnly) && file.readAll().contains(utf16.mid(2));
}

class TestRecovery : public QObject
{
    Q_OBJECT

    QTemporaryDir _home;
    std::unique_ptr<WindowFixture> _fixture;
    QString _book;
    QTimer _boxes; // answers message boxes with the next answer, or Escape; notes their texts
    QStringList _answers, _asked;

private slots:
    void initTestCase() // the data folder lies under HOME; autosave only when a test says so
    {
        qputenv("HOME", QFile::encodeName(_home.path()));
        useTemporarySettings(_home.path());
        storeSettings(_home.path(), QStringLiteral("autosave_seconds=0 language=0"));
        connect(&_boxes, &QTimer::timeout, [this]() {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                _asked << box->text() // with <recovery>, <id> and <time> for a copy's
                              .replace(RecoveryCopy::folder(), "<recovery>")
                              .replace(QRegularExpression("[-0-9a-f]{36}"), "<id>")
                              .replace(QRegularExpression("\\d+-\\d+-\\d+ \\d+:\\d+"), "<time>");
                answerDialog(box, _answers.isEmpty() ? "Escape" : _answers.takeFirst());
            }
        });
    }
    void init()
    {
        _fixture.reset(new WindowFixture);
        _book = _fixture->scratch.filePath(QStringLiteral("book.carb"));
        QVERIFY(_fixture->window->document.SaveCopy(_book));
    }
    void cleanup()
    {
        _fixture.reset();
        _boxes.stop();
        _asked.clear();
        QDir(RecoveryCopy::folder()).removeRecursively();
    }

    void autosave_data()
    {
        // The recipe's name typed in the panel only, saved into the book, or both; then a command.
        QTest::addColumn<QString>("steps");
        QTest::newRow("book edit of a saved book, then Save") << "book actionSave";
        QTest::newRow("book edit, then closing after No") << "book close";
        QTest::newRow("blocked at first, then written, then New") << "book actionNew";
        QTest::newRow("panel edit reverted") << "panel Revert";
        QTest::newRow("panel edit of a changed book reverted") << "both Revert";
    }
    // The copy holds every change, the panel's as if saved; the window stays as it was.
    void autosave()
    {
        QFETCH(QString, steps);
        const QString edit = steps.section(' ', 0, 0), command = steps.section(' ', 1);
        MainWindow* window = _fixture->window;
        Document& document = window->document;
        auto* safety = window->findChild<BookSafety*>();
        auto* recipes = qobject_cast<EditableDataList*>(window->editors[0]);
        QVERIFY(command != "actionSave" || document.SaveDocument(_book));
        if (edit == "both")
            emit _fixture->probe->documentChanged();
        static_cast<QLineEdit*>(recipes->nameEditor)->setText(QStringLiteral("Autosaved soup"));
        if (edit == "book")
            buttonWithText(recipes->scrollArea, "Save")->click();
        const QString before = window->windowTitle() + document.fileName;
        if (command == "actionNew") { // a file where the copies go: reported, retried next tick
            QFile blocker(RecoveryCopy::folder());
            QVERIFY(QDir().mkpath(QFileInfo(blocker).absolutePath()) &&
                    blocker.open(QIODevice::WriteOnly));
            safety->autosave();
            QCOMPARE(window->statusBar()->currentMessage(),
                     "The recovery copy could not be written");
            QVERIFY(blocker.remove());
        }
        safety->autosave();
        QCOMPARE(window->windowTitle() + document.fileName, before);
        QCOMPARE(document.modified, edit != "panel");
        QCOMPARE(document.getNameByID("Recipes", 1), edit == "book" ? "Autosaved soup" : "Pizza");
        QCOMPARE(recipes->isPanelChanged(), edit != "book");
        const QString copy = RecoveryCopy::folder() + '/' + recoveryFiles(".carb").value(0);
        QVERIFY(holds(copy, "Autosaved soup"));

        DialogLog dialogs;
        answerDialogs({"modified:No"}, &dialogs);
        if (command == "Revert") { // the copy no longer holds the panel's edit
            buttonWithText(recipes->scrollArea, command)->click();
            safety->autosave();
            QVERIFY(!holds(copy, "Autosaved soup"));
        } else if (command != "close") {
            trigger(window, qPrintable(command));
        } else if (window->close()) { // the program ends, and the window with it
            _fixture.reset();
        }
        QCOMPARE(dialogs.steps, QStringList{"modified:No"}.mid(
                                    command == "close" || command == "actionNew" ? 0 : 1));
        QCOMPARE(recoveryFiles(".carb").size(), edit == "both" ? 1 : 0);
    }

    void offer_data()
    {
        QTest::addColumn<QStringList>("starts"); // the answers at each start, ';' between
        QTest::addColumn<QStringList>("asked");
        const QString offer = QStringLiteral("Culinor closed unexpectedly. Restore the unsaved "
                                             "changes to a new book from <time>?");
        QTest::newRow("Later and Discard, then Restore at the next start")
            << QStringList{"Later;Discard", "Restore"} << QStringList{offer, offer, offer};
        QTest::newRow("a copy that does not open is kept and reported once")
            << QStringList{"Restore;OK", ""}
            << QStringList{offer, "The recovery copy of a new book from <time> could not be "
                                  "opened. It is kept in <recovery>/<id>.carb."};
    }
    // Copies whose writer is gone are offered when a window shows, a running one's is not.
    void offer()
    {
        QFETCH(QStringList, starts);
        QFETCH(QStringList, asked);
        const bool damaged = asked.size() == 2; // a copy cut short, else two dead windows' copies
        renameRow("Recipes", 1, "Restored soup");
        std::unique_ptr<RecoveryCopy> running; // the writers before it die
        for (int copies = damaged ? 2 : 3; copies > 0; --copies) {
            running.reset(new RecoveryCopy);
            QVERIFY(running->write(_fixture->window->document, QString()));
            QVERIFY(!damaged || QFile::resize(running->filePath(), 100));
        }
        _boxes.start(10);
        for (const QString& start : starts) {
            _fixture.reset();
            _fixture.reset(new WindowFixture);
            _answers = start.split(';', Qt::SkipEmptyParts);
            _fixture->window->showMainWindow();
        }
        QCOMPARE(_asked, asked);
        auto* recipes = qobject_cast<EditableDataList*>(_fixture->window->editors[0]);
        QCOMPARE(_fixture->window->windowTitle() + ": " + recipes->list->item(0)->text(),
                 damaged ? "Culinor - NewBook: Pizza" : "Culinor* - NewBook: Restored soup");
        QCOMPARE(recoveryFiles(".carb").size(), 2); // the running window's, and one kept
    }

    void lock_data() // another window holds the book open
    {
        QTest::addColumn<QString>("command");
        QTest::addColumn<QStringList>("script");
        const QString open = QStringLiteral("open:book.carb");
        const QString another =
            QStringLiteral("book.carb is already open in another Culinor window. Open it anyway? "
                           "Saving here may overwrite changes made there.:");
        QTest::newRow("Return cancels") << "actionOpen" << QStringList{open, another + "Return"};
        QTest::newRow("Open anyway") << "actionOpen" << QStringList{open, another + "Open anyway"};
        QTest::newRow("Open after the other window died") << "actionOpen" << QStringList{open};
        QTest::newRow("Save as onto it, then Cancel")
            << "actionSave_as" << QStringList{"save:book", "replace:Yes", another + "Cancel"};
    }
    void lock()
    {
        QFETCH(QString, command);
        QFETCH(QStringList, script);
        const bool died = script.size() == 1; // the other window died first
        auto other = std::make_unique<BookLock>();
        other->follow(_book);
        if (died) { // it leaves its lock behind, naming a process that is gone
            QFile stale(QDir(RecoveryCopy::folder()).entryInfoList({"*.lock"}).value(0).filePath());
            other.reset();
            QVERIFY(stale.open(QIODevice::WriteOnly) && stale.write("2147483600\n") > 0);
        }
        DialogLog dialogs;
        answerDialogs(script, &dialogs);
        trigger(_fixture->window, qPrintable(command));
        QCOMPARE(dialogs.steps, script);
        QCOMPARE(_fixture->window->document.fileName,
                 died || script.last().endsWith("anyway") ? _book : QStringLiteral("NewBook"));
        // The window holds its book's lock, taken over from a dead window, until it leaves it.
        other.reset();
        QCOMPARE(BookLock().isHeldElsewhere(_book), died);
        trigger(_fixture->window, "actionNew");
        QVERIFY(!BookLock().isHeldElsewhere(_book));
    }

    // The real program killed after it wrote a copy of its book: Restore gives unsaved changes.
    void crashAndRestore()
    {
        storeSettings(_home.path() + "/config", QStringLiteral("autosave_seconds=1 language=0"));
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("XDG_CONFIG_HOME", _home.path() + "/config");
        environment.insert("XDG_DATA_HOME", QDir::cleanPath(RecoveryCopy::folder() + "/../../.."));
        environment.insert("QT_PLUGIN_PATH", CULINOR_BUILD_DIR "/tests/plugins");
        environment.insert("QT_QPA_GENERIC_PLUGINS", "culinoruidriver");
        environment.insert("CULINOR_DRIVE", "type:Pizza=Restored soup");
        QProcess program;
        program.setProcessEnvironment(environment);
        program.start(CULINOR_BUILD_DIR "/culinor", {_book});
        QTRY_COMPARE_WITH_TIMEOUT(recoveryFiles(".json").size(), 1, 30000);
        program.kill();
        QVERIFY(program.waitForFinished());
        _answers = QStringList{"Restore"};
        _boxes.start(10);
        _fixture->window->showMainWindow();
        QCOMPARE(_asked, QStringList{"Culinor closed unexpectedly. Restore the unsaved changes to "
                                     "book.carb from <time>?"});
        QCOMPARE(_fixture->window->windowTitle(), "Culinor* - " + _book);
        QVERIFY(!holds(_book, "Restored soup"));
    }
};

QTEST_MAIN(TestRecovery)
#include "tst_recovery.moc"
