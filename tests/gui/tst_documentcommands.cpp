// New, Open, Save and Save as of the main window: what each does to the book,
// its file name and modified state, the files written, the dialogs asked and
// the status-bar messages.
#include "shellfixture.h"

#include <QStatusBar>
#include <QTemporaryDir>

class TestDocumentCommands : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { useTemporarySettingsStore(_settings.path()); }
    void init() { _fixture.reset(new WindowFixture); }
    void cleanup() { _fixture.reset(); }

    void commands_data();
    void commands();
    void openFailureKeepsBook_data();
    void openFailureKeepsBook();

private:
    MainWindow* _window() const { return _fixture->window; }
    Document& _document() const { return _fixture->window->document; }

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

QTEST_MAIN(TestDocumentCommands)
#include "tst_documentcommands.moc"
