#include "data/recipebook.h"
#include "exchange/exchangecommand.h"
#include "exchange/recipeimporter.h"
#include "support/guisupport.h"
#include "views/editablerecipelist.h"

#include <QBuffer>
#include <QCommandLineParser>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QListWidget>
#include <QMimeData>
#include <QProcess>
#include <QProgressDialog>
#include <QStatusBar>
#include <QTcpServer>
#include <QTcpSocket>
#include <QWebView>
#include <QtTest>

#include <cstdio>
#include <fcntl.h>
#include <unistd.h>

namespace {

QByteArray response(const QByteArray& body, const QByteArray& head = "200 OK")
{
    return "HTTP/1.1 " + head + "\r\nContent-Length: " + QByteArray::number(body.size()) +
           "\r\nConnection: close\r\n\r\n" + body;
}

// JSON-LD in a page; test texts are written with single quotes where it has double ones.
QByteArray recipePage(const QByteArray& json, bool page = true)
{
    const QByteArray text = QByteArray(json).replace('\'', '"');
    return page ? "<html><head><script type='application/ld+json'>" + text + "</script></head>"
                : text;
}

QByteArray pngPicture(int width, int height)
{
    QImage picture(width, height, QImage::Format_RGB32);
    picture.fill(Qt::darkGreen);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    picture.save(&buffer, "PNG");
    return bytes;
}

QByteArray readFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool writeFile(const QString& path, const QByteArray& content)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(content) == content.size();
}

// A web server on 127.0.0.1; "/silent" never answers. Beside it, saved pages: one
// with a picture of its own folder, one naming a picture outside it.
struct TestServer : QTcpServer
{
    TestServer()
    {
        const QString local = _files.filePath("local.png"); // never read for a web page
        writeFile(local, pngPicture(150, 100));
        writeFile(_files.filePath("saved/page_files/own.png"), pngPicture(300, 150));
        for (const auto& page : {std::make_pair("own", "page_files/own.png"),
                                 std::make_pair("outside", "../local.png")})
            writeFile(_files.filePath(QString("saved/%1.html").arg(page.first)),
                      recipePage(QByteArray("{'@type':'Recipe','name':'Saved ") + page.first +
                                 "','image':'" + page.second + "'}"));
        // Inside their JSON, sites write "</" as "<\\/" so as not to end the script.
        const QByteArray evil = "<script>evil<\\/script>";
        pages["/site.html"] = response(recipePage(
            "{'@type':['Recipe'],'name':'Apple pie','image':{'@type':'ImageObject','url':"
            "'/picture.png'},'recipeIngredient':['3 apples','200 g flour'],'keywords':'baking, "
            "apple','aggregateRating':{'ratingValue':4.5}}"));
        pages["/two.html"] = response(
            recipePage("[{'@type':'Recipe','name':'One'},{'@type':'Recipe','name':'Two'}]"));
        pages["/nopicture.html"] = response(
            recipePage("{'@type':'Recipe','name':'Bare','image':['/missing.png','/two.html','" +
                       QUrl::fromLocalFile(local).toEncoded() + "']}"));
        pages["/none.html"] = response(recipePage("{'@type':'Article','name':'News'}"));
        pages["/hostile.html"] = response(
            recipePage("{'@type':'Recipe','name':'" + evil + "','description':'" + evil +
                       "','recipeIngredient':['1 g " + evil + "'],'keywords':'" + evil +
                       "','recipeInstructions':['" + evil + "'],'recipeYield':'" + evil + "'}"));
        pages["/loop"] = response("", "302 Found\r\nLocation: /loop");
        pages["/picture.png"] = response(pngPicture(300, 150));
        pages["/big"] = "HTTP/1.1 200 OK\r\nContent-Length: 52428800\r\n\r\n";
        pages["/big-unannounced"] = "HTTP/1.1 200 OK\r\n\r\n" + QByteArray(9 << 20, 'x');
        listen(QHostAddress::LocalHost);
        connect(this, &QTcpServer::newConnection, this, [this] {
            QTcpSocket* socket = nextPendingConnection();
            connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
            connect(socket, &QTcpSocket::readyRead, socket, [this, socket] {
                const QByteArray path = socket->readAll().split(' ').value(1);
                requested << path;
                if (path != "/silent") {
                    socket->write(pages.value(path, response("", "404 Not Found")));
                    socket->disconnectFromHost();
                }
            });
        });
    }

    // A path of the server, "saved/..." of the saved pages, or the text as it is.
    QString source(const QString& path) const
    {
        if (path.startsWith("saved/"))
            return QUrl::fromLocalFile(_files.filePath(path)).toString();
        return !path.startsWith('/') ? path
                                     : QString("http://127.0.0.1:%1").arg(serverPort()) + path;
    }

    QMap<QByteArray, QByteArray> pages;
    QByteArrayList requested;
    QTemporaryDir _files;
};

// Answers the window's dialogs as they come: the import dialog with the source, a file
// dialog with the file name; a message box has its text kept and is closed (the export
// question with "All recipes"); the progress dialog is cancelled for "/silent".
struct Answers
{
    QString source, fileName = {};
    QStringList messages = {};
};

void answerWindow(Answers* answers)
{
    auto* timer = new QTimer(&modalWatchers());
    QObject::connect(timer, &QTimer::timeout, [answers] {
        QWidget* dialog = QApplication::activeModalWidget();
        if (!dialog || !dialog->isVisible()) {
        } else if (qobject_cast<QProgressDialog*>(dialog)) {
            if (answers->source.endsWith("/silent"))
                dialog->findChild<QPushButton*>()->click();
        } else if (auto* box = qobject_cast<QMessageBox*>(dialog)) {
            answers->messages << box->text();
            for (QAbstractButton* button : box->buttons())
                if (button->text() == "All recipes" || box->buttons().size() == 1)
                    return button->click();
            box->reject();
        } else {
            auto* edit = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
            edit = edit ? edit : dialog->findChild<QLineEdit*>();
            edit->setText(qobject_cast<QFileDialog*>(dialog) ? answers->fileName : answers->source);
            QTest::keyClick(edit, Qt::Key_Return);
        }
    });
    timer->start(10);
}

// "name | lines | tags | rating | photo size" of the book's recipes after the first skip ones.
QStringList bookRecipes(Document& document, int skip = 0)
{
    QStringList recipes;
    QSqlQuery ids(document.db);
    ids.exec("SELECT id FROM Recipes ORDER BY id");
    for (int row = 0; ids.next(); ++row) {
        Recipe recipe;
        document.getRecipe(ids.value(0).toInt(), recipe);
        QStringList lines;
        for (const RecipeIngredient& line : recipe.ingredients)
            lines << QString::number(line.quantity) + " " + line.unit + " " + line.ingredient;
        const QImage photo = QImage::fromData(recipe.photo.toByteArray());
        if (row >= skip)
            recipes << QStringList{recipe.name, lines.join(", "),
                                   QStringList(recipe.tags.begin(), recipe.tags.end()).join(", "),
                                   QString::number(recipe.rating),
                                   photo.isNull()
                                       ? "none"
                                       : QString("%1x%2").arg(photo.width()).arg(photo.height())}
                           .join(" | ");
    }
    return recipes;
}

// The names of the recipes a book or an exported JSON-LD file holds, or "-".
QString namesIn(const QString& name)
{
    QStringList names;
    Document book;
    if (name.endsWith(".carb") && QFile::exists(name) && book.setDataStructure() &&
        book.OpenDocument(name))
        names = queryRows("SELECT name FROM Recipes ORDER BY id");
    for (const QJsonValue& recipe : QJsonDocument::fromJson(readFile(name)).array())
        names << recipe.toObject().value("name").toString();
    return names.isEmpty() ? "-" : names.join(", ");
}

// Runs the exchange command line in this process, standard output and error both
// going to out.txt; its exit code.
int runInProcess(const QStringList& arguments)
{
    QCommandLineParser parser;
    addExchangeOptions(parser);
    parser.parse(QStringList{"culinor"} + arguments);
    std::fflush(stdout);
    const int saved[] = {dup(1), dup(2)};
    const int file = open("out.txt", O_WRONLY | O_CREAT, 0600);
    dup2(file, 1);
    dup2(file, 2);
    int code = -1;
    {
        const MessageCapture diagnostics; // kept off the test log, which is standard output
        code = runExchangeCommand(parser);
    }
    std::fflush(stdout);
    for (const int channel : {1, 2})
        dup2(saved[channel - 1], channel);
    for (const int descriptor : {file, saved[0], saved[1]})
        close(descriptor);
    return code;
}

} // namespace

// Importing and exporting recipes through the window and the command line.
class TestExchange : public QObject
{
    Q_OBJECT

    std::unique_ptr<TestServer> _server;
    QTemporaryDir _settings;
    std::unique_ptr<WindowFixture> _window; // one for the rows of the import table

private slots:
    void initTestCase()
    {
        useTemporarySettings(_settings.path());
        _server.reset(new TestServer);
        QVERIFY(_server->isListening());
    }
    void init()
    {
        if (QTest::currentTestFunction() != QByteArray("importRecipes"))
            _window.reset();
    }
    void cleanup() { qDeleteAll(modalWatchers().children()); } // the row's dialog answers

    // Through File > Import recipe, or a file dropped on the recipe list ("drop:").
    void importRecipes_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QStringList>("added"); // "name | lines | tags | rating | photo"
        QTest::addColumn<QString>("message");   // in a box after the source, else in the status bar
        const char *one = "Recipes imported: 1", *none = "",
                   *tooLarge = "The download is larger than the limit of 8 MB.";
        const char* rows[][4] = {
            {"site with a picture", "/site.html",
             "Apple pie | 3 pcs. apples, 200 g flour | baking, apple | 9 | 200x100", one},
            {"two recipes", "/two.html", "One |  |  | 5 | none;Two |  |  | 5 | none",
             "Recipes imported: 2"},
            {"pictures that do not load, one on this computer", "/nopicture.html",
             "Bare |  |  | 5 | none", one},
            {"saved page, its own picture", "saved/own.html", "Saved own |  |  | 5 | 200x100", one},
            {"saved page, a picture outside its folder", "saved/outside.html",
             "Saved outside |  |  | 5 | none", one},
            {"hostile fields", "/hostile.html",
             "<script>evil</script> | 1 g <script>evil</script> | <script>evil</script> | 5 | none",
             one},
            {"dropped JSON-LD file", "drop:dropped.json", "Dropped |  |  | 5 | none", one},
            {"dropped other file", "drop:dropped.txt", none, none},
            {"cancelled", "/silent", none, "The import was cancelled."},
            {"no recipe", "/none.html", none, "No recipe was found there."},
            {"page of 50 MB", "/big", none, tooLarge},
            {"9 MB without a length", "/big-unannounced", none, tooLarge},
            {"redirect loop", "/loop", none, "The address redirects too often."},
            {"not found", "/gone.html", none, "The address could not be loaded: HTTP 404"},
            {"other scheme", "ftp://127.0.0.1/x", none,
             "Only http and https addresses and local files can be imported."}};
        for (const auto& row : rows)
            QTest::newRow(row[0]) << QString(row[1])
                                  << QString(row[2]).split(';', Qt::SkipEmptyParts)
                                  << QString(row[3]);
    }

    void importRecipes()
    {
        QFETCH(QString, path);
        QFETCH(QStringList, added);
        QFETCH(QString, message);
        if (!_window)
            _window.reset(new WindowFixture);
        MainWindow* window = _window->window;
        window->document.modified = false;
        window->statusBar()->clearMessage();
        auto* recipes = qobject_cast<EditableRecipeList*>(window->editors.front());
        const int before = recipes->list->count();
        const int rowsBefore = bookRecipes(window->document).size();
        Answers answers{_server->source(path)};
        answerWindow(&answers);
        if (path.startsWith("drop:")) {
            answers.source = _window->scratch.filePath(path.mid(5));
            QVERIFY(writeFile(answers.source,
                              recipePage("{'@type':'Recipe','name':'Dropped'}", false)));
            QMimeData data;
            data.setUrls({QUrl::fromLocalFile(answers.source)});
            QDragEnterEvent enter({5, 5}, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
            QApplication::sendEvent(recipes->list->viewport(), &enter);
            QDropEvent drop({5, 5}, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
            QApplication::sendEvent(recipes->list->viewport(), &drop);
            QCOMPARE(enter.isAccepted(), !added.isEmpty());
            QTRY_COMPARE(window->statusBar()->currentMessage(), message);
            QCoreApplication::processEvents();
        } else {
            trigger(window, "actionImport_recipe");
        }

        QCOMPARE(bookRecipes(window->document, rowsBefore), added);
        QCOMPARE(answers.messages.isEmpty() ? window->statusBar()->currentMessage()
                                            : answers.messages.join('\n'),
                 answers.messages.isEmpty() ? message : answers.source + ": " + message);
        QCOMPARE(window->document.modified, !added.isEmpty());
        QCOMPARE(recipes->list->count(), before + added.size());
        if (added.isEmpty())
            return;
        QCOMPARE(recipes->_currentItem()->text(), added.first().section(" | ", 0, 0));
        QCOMPARE(recipes->list->item(before + added.size() - 1)->text(),
                 added.last().section(" | ", 0, 0));
        // What the user reads is text: nothing of the page runs or renders as markup.
        QVERIFY(!recipes->page.contains("<script"));
        Recipe recipe;
        window->document.getRecipe(recipes->_currentItemID(), recipe);
        QCOMPARE(recipe.description.contains("default picture"),
                 path == "/nopicture.html" || path == "saved/outside.html");
        QVERIFY(recipe.description.contains(answers.source.toHtmlEscaped()));
    }

    // Pictures of the web go through the program's own picture rule (a larger one is
    // scaled, "site with a picture", and a page is no picture, "pictures that do not load").
    void storedPicture()
    {
        const QByteArray small = pngPicture(150, 100);
        // The header claims 30000 x 30000 pixels; its checksum is made to match.
        QByteArray huge = small;
        huge.replace(16, 8, QByteArray::fromHex("0000753000007530"));
        quint32 crc = 0xFFFFFFFFu;
        for (const char byte : huge.mid(12, 17)) {
            crc ^= static_cast<quint8>(byte);
            for (int bit = 0; bit < 8; ++bit)
                crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
        }
        huge.replace(29, 4,
                     QByteArray::fromHex(QByteArray::number(~crc, 16).rightJustified(8, '0')));
        MessageCapture messages;
        QCOMPARE(RecipeImporter::storedPicture(small), small); // of display size: kept as it is
        QVERIFY(!messages.contains("Picture refused"));
        QCOMPARE(RecipeImporter::storedPicture(huge), QByteArray());
        QVERIFY(messages.contains("Picture refused: 30000 x 30000 pixels"));
    }

    void exportThenImport_data()
    {
        QTest::addColumn<QString>("file");
        QTest::newRow("JSON-LD") << "recipes.json";
        QTest::newRow("web page") << "recipes.html";
    }

    // The sample book's recipes, exported and imported into an emptied book, come back
    // with their title, tags, rating, lines and photo.
    void exportThenImport()
    {
        QFETCH(QString, file);
        WindowFixture fixture;
        Document& document = fixture.window->document;
        const QVariant hostile[] = {"</script><script>evil()</script>"};
        document.addRow(Book::Recipes, hostile, 1);
        QSqlQuery(document.db).exec("UPDATE RecipeIngredients SET quant=12345.67");
        // A book from someone else: its description loads a picture from the web.
        QSqlQuery(document.db)
            .exec("UPDATE Recipes SET expenses=1234567.89, description='<img src=\"" +
                  _server->source("/tracker") + "\">' WHERE id=1");
        const QStringList original = bookRecipes(document);
        QVERIFY(original.size() == 4 && !original.first().endsWith("none"));
        Answers answers{{}, fixture.scratch.filePath(file)};
        answerWindow(&answers);
        trigger(fixture.window, "actionExport_recipes");
        // The page shows the name as text, and its JSON-LD cannot end the script early.
        const QByteArray content = readFile(answers.fileName);
        QCOMPARE(content.contains("<script>evil"), file.endsWith(".json"));
        // Amounts and costs keep every digit.
        QVERIFY(content.contains("\"12345.67 ") && content.contains("1234567.89"));
        if (file.endsWith(".html")) {
            // Opened in a browser, the page loads nothing from the web (its pictures
            // would be loaded before it is finished).
            QWebView browser;
            QSignalSpy loaded(&browser, &QWebView::loadFinished);
            browser.setHtml(QString::fromUtf8(content), QUrl::fromLocalFile(answers.fileName));
            QVERIFY(loaded.wait(10000));
            QVERIFY(!_server->requested.contains("/tracker"));
        }
        document.Clear();
        answers.source = answers.fileName;
        trigger(fixture.window, "actionImport_recipe");
        QCOMPARE(bookRecipes(document), original);
        QCOMPARE(answers.messages, QStringList{"Which recipes do you want to export?"});
    }

    // The first row runs the program itself, without a display; the others the same
    // command line in this process.
    void commandLine_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("output"); // with the error output, in this process
        QTest::addColumn<QString>("result"); // the file written: its recipe names
        const struct
        {
            const char *tag, *arguments;
            int exitCode;
            const char *output, *result;
        } rows[] = {{"program: import two sources into a new book",
                     "--import one.json page.html --into new.carb", 0,
                     "Imported: One\nImported: Two\n", "new.carb: One, Two"},
                    {"import into a book, a source without recipes",
                     "--import=empty.json one.json --into book.carb", 0,
                     "empty.json: No recipe was found there.\nImported: One (2)\n",
                     "book.carb: One, One (2)"},
                    {"nothing imported", "--import empty.json --into new.carb", 1,
                     "empty.json: No recipe was found there.\nNo recipe was imported.\n",
                     "new.carb: -"},
                    {"export JSON-LD", "--export book.carb --to out.json", 0,
                     "Recipes exported: 1\n", "out.json: One"},
                    {"--into without --import", "--into new.carb", 2,
                     "Use --import SOURCE... --into BOOK.carb or --export BOOK.carb --to "
                     "OUT.json|OUT.html\n",
                     "new.carb: -"},
                    {"export of a missing book", "--export missing.carb --to out.json", 1,
                     "The book missing.carb could not be opened.\n", "out.json: -"}};
        for (const auto& row : rows)
            QTest::newRow(row.tag) << QString(row.arguments).split(' ') << row.exitCode
                                   << QString(row.output) << QString(row.result);
    }

    void commandLine()
    {
        QFETCH(QStringList, arguments);
        ScratchDir scratch;
        QVERIFY(writeFile("one.json", recipePage("{'@type':'Recipe','name':'One'}", false)));
        QVERIFY(writeFile("empty.json", recipePage("{'@type':'Thing'}", false)));
        QVERIFY(writeFile("page.html", recipePage("{'@type':'Recipe','name':'Two'}")));
        {
            Document book;
            const QVariant one[] = {"One"};
            QVERIFY(book.setDataStructure() && book.addRow(Book::Recipes, one, 1) > 0);
            QVERIFY(book.SaveDocument("book.carb"));
        }
        int exitCode = -1;
        if (QByteArray(QTest::currentDataTag()).startsWith("program")) {
            QProcess program;
            QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
            environment.remove("QT_QPA_PLATFORM"); // it must run without a display of its own
            environment.remove("DISPLAY");
            environment.insert("XDG_CONFIG_HOME", scratch.filePath("config"));
            program.setProcessEnvironment(environment);
            program.setStandardOutputFile("out.txt");
            program.start(QCoreApplication::applicationDirPath() + "/../culinor", arguments);
            QVERIFY(program.waitForFinished(60000));
            exitCode = program.exitCode();
        } else {
            exitCode = runInProcess(arguments);
        }
        QTEST(exitCode, "exitCode");
        QTEST(QString::fromUtf8(readFile("out.txt")), "output");
        QFETCH(QString, result);
        const QString name = result.section(": ", 0, 0);
        QCOMPARE(name + ": " + namesIn(name), result);
    }
};

QTEST_MAIN(TestExchange)
#include "tst_exchange.moc"
