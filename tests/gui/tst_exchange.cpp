#include "data/recipebook.h"
#include "exchange/exchangeactions.h"
#include "exchange/recipeimporter.h"
#include "shellfixture.h"
#include "views/editablerecipelist.h"

#include <QBuffer>
#include <QImage>
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

#include <memory>

namespace {

QByteArray response(const QByteArray& body,
                    const QByteArray& head = "200 OK\r\nContent-Type: text/html")
{
    return "HTTP/1.1 " + head + "\r\nContent-Length: " + QByteArray::number(body.size()) +
           "\r\nConnection: close\r\n\r\n" + body;
}

// Test texts are written with single quotes where the file has double ones.
QByteArray quoted(const char* text)
{
    return QByteArray(text).replace('\'', '"');
}

QByteArray recipePage(const QByteArray& json)
{
    return "<html><head><script type='application/ld+json'>" + QByteArray(json).replace('\'', '"') +
           "</script></head></html>";
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

// The checksum of a PNG chunk.
quint32 crc32(const QByteArray& data)
{
    quint32 crc = 0xFFFFFFFFu;
    for (const char byte : data) {
        crc ^= static_cast<quint8>(byte);
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

// A web server on 127.0.0.1 with recipe pages, a picture, a page of 50 MB
// (announced, or streamed without a length) and a redirect loop.
class TestServer : public QTcpServer
{
public:
    TestServer()
    {
        // Inside their JSON, sites write "</" as "<\\/" so as not to end the script.
        const QByteArray hostile = "<script>evil<\\/script>";
        pages["/site.html"] = response(recipePage(
            "{'@context':'https://schema.org','@graph':[{'@type':'WebPage','@id':'#page'},"
            "{'@type':'Organization','@id':'#org','name':'Site'},"
            "{'@type':'ImageObject','@id':'#image','url':'/picture.png'},"
            "{'@type':['Recipe'],'name':'Apple pie','image':{'@id':'#image'},"
            "'recipeIngredient':['3 apples','200 g flour'],'keywords':'baking, apple',"
            "'aggregateRating':{'ratingValue':4.5}}]}"));
        pages["/two.html"] = response(recipePage("[{'@type':'Recipe','name':'One'},"
                                                 "{'@type':'Recipe','name':'Two'}]"));
        // A picture on this computer must not be read for a page from the web.
        const QString local = _files.filePath("local.png");
        QFile picture(local);
        if (picture.open(QIODevice::WriteOnly))
            picture.write(pngPicture(150, 100));
        // A saved page may show its own pictures, not others of this computer.
        QDir(_files.path()).mkpath("saved/page_files");
        QFile own(_files.filePath("saved/page_files/own.png"));
        if (own.open(QIODevice::WriteOnly))
            own.write(pngPicture(300, 150));
        for (const auto& page : {std::make_pair("own", "page_files/own.png"),
                                 std::make_pair("outside", "../local.png")}) {
            QFile saved(_files.filePath(QString("saved/%1.html").arg(page.first)));
            if (saved.open(QIODevice::WriteOnly))
                saved.write(recipePage(QByteArray("{'@type':'Recipe','name':'Saved ") + page.first +
                                       "','image':'" + page.second + "'}"));
        }
        pages["/nopicture.html"] = response(
            recipePage("{'@type':'Recipe','name':'Bare','image':['/missing.png','/two.html','"
                       + QUrl::fromLocalFile(local).toEncoded() + "']}"));
        pages["/none.html"] = response(recipePage("{'@type':'Article','name':'News'}"));
        pages["/hostile.html"] = response(recipePage(
            "{'@type':'Recipe','name':'" + hostile + "','description':'" + hostile +
            "','recipeIngredient':['1 g " + hostile + "'],'keywords':'" + hostile +
            "','recipeInstructions':['" + hostile + "'],'recipeYield':'" + hostile + "'}"));
        pages["/loop"] = response("", "302 Found\r\nLocation: /loop");
        pages["/picture.png"] = response(pngPicture(300, 150), "200 OK\r\nContent-Type: image/png");
        listen(QHostAddress::LocalHost);
        connect(this, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket* socket = nextPendingConnection()) {
                connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
                connect(socket, &QTcpSocket::readyRead, socket,
                        [this, socket] { _answer(socket); });
            }
        });
    }

    QString savedPage(const QString& name) const
    {
        return QUrl::fromLocalFile(_files.filePath(name)).toString();
    }

    QString address(const QString& path) const
    {
        return QStringLiteral("http://127.0.0.1:%1%2").arg(serverPort()).arg(path);
    }

    QMap<QByteArray, QByteArray> pages;
    QByteArrayList requested;

private:
    QTemporaryDir _files;

    void _answer(QTcpSocket* socket)
    {
        const QByteArray path = socket->readAll().split(' ').value(1);
        requested << path;
        if (path == "/silent")
            return; // never answers
        if (!path.startsWith("/big")) {
            socket->write(pages.value(path, response("", "404 Not Found")));
            socket->disconnectFromHost();
            return;
        }
        const qint64 size = 50LL * 1024 * 1024;
        socket->write("HTTP/1.1 200 OK\r\nContent-Type: text/html\r\nConnection: close\r\n" +
                      (path == "/big" ? "Content-Length: " + QByteArray::number(size) + "\r\n"
                                      : QByteArray()) +
                      "\r\n");
        auto sent = std::make_shared<qint64>(0);
        const auto more = [socket, sent, size] {
            if (*sent < size && socket->state() == QAbstractSocket::ConnectedState &&
                socket->bytesToWrite() < (1 << 20)) {
                socket->write(QByteArray(1 << 18, 'x'));
                *sent += 1 << 18;
            }
        };
        connect(socket, &QTcpSocket::bytesWritten, socket, more);
        more();
    }
};

// Answers the window's questions as they come: the import dialog gets the
// source, a message box has its text kept and is closed, a file dialog gets
// the name, the export question its button. The progress dialog is cancelled
// when asked for, else left alone.
struct Answers
{
    bool cancel = false;
    QString source;
    QString fileName;
    QString exportChoice;
    QStringList messages;
};

void answerWindow(Answers* answers)
{
    auto* timer = new QTimer(&modalWatchers());
    QObject::connect(timer, &QTimer::timeout, [answers] {
        QWidget* dialog = QApplication::activeModalWidget();
        if (!dialog || !dialog->isVisible())
            return;
        if (qobject_cast<QProgressDialog*>(dialog)) {
            if (answers->cancel)
                dialog->findChild<QPushButton*>()->click();
            return;
        }
        if (auto* box = qobject_cast<QMessageBox*>(dialog)) {
            answers->messages << box->text();
            for (QAbstractButton* button : box->buttons())
                if (button->text() == answers->exportChoice || box->buttons().size() == 1)
                    return button->click();
            return box->reject();
        }
        auto* edit = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
        if (!edit)
            edit = dialog->findChild<QLineEdit*>();
        edit->setText(qobject_cast<QFileDialog*>(dialog) ? answers->fileName : answers->source);
        QTest::keyClick(edit, Qt::Key_Return);
    });
    timer->start(10);
}

QStringList listTexts(const EditableRecipeList* recipes)
{
    QStringList texts;
    for (int row = 0; row < recipes->list->count(); ++row)
        texts << recipes->list->item(row)->text();
    return texts;
}

EditableRecipeList* recipeList(MainWindow* window)
{
    return qobject_cast<EditableRecipeList*>(window->editors.front());
}

// "name | lines | tags | rating | photo size" of every recipe of the book, in order.
QStringList bookRecipes(Document& document, int skip = 0)
{
    QStringList recipes;
    QSqlQuery ids(document.db);
    ids.exec("SELECT id FROM Recipes ORDER BY id");
    while (ids.next()) {
        if (skip-- > 0)
            continue;
        Recipe recipe;
        document.getRecipe(ids.value(0).toInt(), recipe);
        QStringList lines;
        for (const RecipeIngredient& line : recipe.ingredients)
            lines << QString::number(line.quantity) + " " + line.unit + " " + line.ingredient;
        const QImage photo = QImage::fromData(recipe.photo.toByteArray());
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

} // namespace

// Importing and exporting recipes through the window and the command line.
class TestExchange : public QObject
{
    Q_OBJECT

    std::unique_ptr<TestServer> _server;
    QTemporaryDir _settings;

private slots:
    void initTestCase()
    {
        useTemporarySettingsStore(_settings.path());
        _server.reset(new TestServer);
        QVERIFY(_server->isListening());
    }

    void importFromAddress_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QStringList>("added"); // "name | lines | tags | rating | photo"
        QTest::addColumn<QString>(
            "message"); // in a message box after the source, else in the status bar
        QTest::newRow("site with a graph and a picture")
            << "/site.html"
            << QStringList{"Apple pie | 3 pcs. apples, 200 g flour | baking, apple | 9 | 200x100"}
            << "Recipes imported: 1";
        QTest::newRow("two recipes, a name already in the book")
            << "/two.html" << QStringList{"One |  |  | 5 | none", "Two |  |  | 5 | none"}
            << "Recipes imported: 2";
        QTest::newRow("pictures that do not load, one on this computer")
            << "/nopicture.html" << QStringList{"Bare |  |  | 5 | none"} << "Recipes imported: 1";
        QTest::newRow("saved page, its own picture")
            << "saved/own.html" << QStringList{"Saved own |  |  | 5 | 200x100"}
            << "Recipes imported: 1";
        QTest::newRow("saved page, a picture outside its folder")
            << "saved/outside.html" << QStringList{"Saved outside |  |  | 5 | none"}
            << "Recipes imported: 1";
        QTest::newRow("hostile fields")
            << "/hostile.html"
            << QStringList{"<script>evil</script> | 1 g <script>evil</script> | "
                           "<script>evil</script> | 5 | none"}
            << "Recipes imported: 1";
        QTest::newRow("cancelled while loading")
            << "/silent" << QStringList{} << "The import was cancelled.";
        QTest::newRow("no recipe") << "/none.html" << QStringList{} << "No recipe was found there.";
        QTest::newRow("page of 50 MB")
            << "/big" << QStringList{} << "The download is larger than the limit of 8 MB.";
        QTest::newRow("page of 50 MB without a length")
            << "/big-unannounced" << QStringList{}
            << "The download is larger than the limit of 8 MB.";
        QTest::newRow("redirect loop")
            << "/loop" << QStringList{} << "The address redirects too often.";
        QTest::newRow("not found")
            << "/gone.html" << QStringList{} << "The address could not be loaded: HTTP 404";
        QTest::newRow("other scheme")
            << "ftp://127.0.0.1/x" << QStringList{}
            << "Only http and https addresses and local files can be imported.";
    }

    void importFromAddress()
    {
        QFETCH(QString, path);
        QFETCH(QStringList, added);
        QFETCH(QString, message);
        WindowFixture fixture;
        MainWindow* window = fixture.window;
        EditableRecipeList* recipes = recipeList(window);
        const QStringList before = listTexts(recipes);
        const QStringList rowsBefore = bookRecipes(window->document);
        if (path == "/two.html") {
            const QVariant one[] = {"One"};
            window->document.addRow(Book::Recipes, one, 1);
        }
        Answers answers;
        answers.source = path.startsWith('/')        ? _server->address(path)
                         : path.startsWith("saved/") ? _server->savedPage(path)
                                                     : path;
        answers.cancel = path == "/silent";
        answerWindow(&answers);
        trigger(window, "actionImport_recipe");

        const int skip = rowsBefore.size() + (path == "/two.html");
        QStringList expected = added;
        if (path == "/two.html")
            expected[0].replace("One |", "One (2) |");
        QCOMPARE(bookRecipes(window->document, skip), expected);
        if (answers.messages.isEmpty())
            QCOMPARE(window->statusBar()->currentMessage(), message);
        else
            QCOMPARE(answers.messages, QStringList{answers.source + ": " + message});
        QCOMPARE(window->document.modified, !added.isEmpty());
        QStringList names;
        for (const QString& recipe : expected)
            names << recipe.section(" | ", 0, 0);
        QCOMPARE(listTexts(recipes), before + names);
        if (added.isEmpty())
            return;
        QCOMPARE(recipes->_currentItem()->text(), names.first());
        // What the user reads is text: nothing of the page runs or renders as markup.
        QVERIFY(!recipes->page.contains("<script"));
        Recipe recipe;
        window->document.getRecipe(recipes->_currentItemID(), recipe);
        QCOMPARE(recipe.description.contains("default picture"),
                 path == "/nopicture.html" || path == "saved/outside.html");
        QVERIFY(recipe.description.contains(answers.source.toHtmlEscaped()));
    }

    void storedPicture_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("stored"); // "same bytes", a size, or "none"
        const QByteArray small = pngPicture(150, 100);
        QByteArray huge = small;
        // The header claims 30000 x 30000 pixels; its checksum is made to match.
        const QByteArray side = QByteArray::fromHex("00007530");
        huge.replace(16, 8, side + side);
        const quint32 crc = crc32(huge.mid(12, 17));
        huge.replace(29, 4,
                     QByteArray::fromHex(QByteArray::number(crc, 16).rightJustified(8, '0')));
        QTest::newRow("PNG of display size") << small << "same bytes";
        QTest::newRow("larger PNG") << pngPicture(300, 150) << "200x100";
        QTest::newRow("900 megapixels") << huge << "none";
        QTest::newRow("no picture") << QByteArray("<html></html>") << "none";
    }

    void storedPicture()
    {
        QFETCH(QByteArray, bytes);
        MessageCapture messages;
        const QByteArray stored = RecipeImporter::storedPicture(bytes);
        // Refused from its header by the program's own picture rule.
        QCOMPARE(messages.contains("Picture refused: 30000 x 30000 pixels"),
                 QByteArray(QTest::currentDataTag()) == "900 megapixels");
        const QImage picture = QImage::fromData(stored);
        QTEST(stored == bytes    ? QString("same bytes")
              : stored.isEmpty() ? QString("none")
                                 : QString("%1x%2").arg(picture.width()).arg(picture.height()),
              "stored");
    }

    void dropOnRecipeList_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<int>("added");
        QTest::newRow("JSON-LD file") << "dropped.json" << 1;
        QTest::newRow("other file") << "dropped.txt" << 0;
    }

    void dropOnRecipeList()
    {
        QFETCH(QString, file);
        WindowFixture fixture;
        QFile json(fixture.scratch.filePath(file));
        QVERIFY(json.open(QIODevice::WriteOnly));
        json.write(quoted("{'@type': 'Recipe', 'name': 'Dropped'}"));
        json.close();
        EditableRecipeList* recipes = recipeList(fixture.window);
        const int before = recipes->list->count();
        QMimeData data;
        data.setUrls({QUrl::fromLocalFile(json.fileName())});
        QWidget* target = recipes->list->viewport();
        QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(target, &enter);
        QDropEvent drop(QPoint(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(target, &drop);
        QFETCH(int, added);
        QCOMPARE(enter.isAccepted(), added > 0);
        QTRY_COMPARE(recipes->list->count(), before + added);
        QTest::qWait(50);
        QCOMPARE(recipes->list->count(), before + added);
        if (added)
            QCOMPARE(recipes->_currentItem()->text(), QStringLiteral("Dropped"));
    }

    void exportThenImport_data()
    {
        QTest::addColumn<QString>("file");
        QTest::newRow("JSON-LD") << "recipes.json";
        QTest::newRow("web page") << "recipes.html";
    }

    void exportThenImport()
    {
        // The sample book's recipes, exported and imported into an emptied
        // book, come back with their title, tags, rating, lines and photo.
        QFETCH(QString, file);
        WindowFixture fixture;
        MainWindow* window = fixture.window;
        const QVariant hostile[] = {"</script><script>evil()</script>"};
        window->document.addRow(Book::Recipes, hostile, 1);
        QSqlQuery(window->document.db).exec("UPDATE Recipes SET expenses=1234567.89 WHERE id=1");
        QSqlQuery(window->document.db).exec("UPDATE RecipeIngredients SET quant=12345.67");
        // A book from someone else: its description loads a picture from the web.
        QSqlQuery(window->document.db)
            .exec("UPDATE Recipes SET description='<img src=\"" + _server->address("/tracker") +
                  "\">' WHERE id=1");
        const QStringList original = bookRecipes(window->document);
        QVERIFY(original.size() == 4 && !original.first().endsWith("none"));
        Answers answers;
        answers.exportChoice = "All recipes";
        answers.fileName = fixture.scratch.filePath(file);
        answerWindow(&answers);
        trigger(window, "actionExport_recipes");
        QFile exported(answers.fileName);
        QVERIFY(exported.open(QIODevice::ReadOnly));
        // The page shows the name as text, and its JSON-LD cannot end the script early.
        const QByteArray content = exported.readAll();
        QCOMPARE(content.contains("<script>evil"), file.endsWith(".json"));
        // Amounts and costs keep every digit.
        QVERIFY(content.contains("\"12345.67 ") && content.contains("1234567.89"));
        if (file.endsWith(".html")) {
            // Opened in a browser, the page loads nothing from the web.
            QWebView browser;
            QSignalSpy loaded(&browser, &QWebView::loadFinished);
            browser.setHtml(QString::fromUtf8(content), QUrl::fromLocalFile(answers.fileName));
            QVERIFY(loaded.wait(10000));
            QTest::qWait(200);
            QVERIFY(!_server->requested.contains("/tracker"));
        }

        window->document.Clear();
        answers.source = answers.fileName;
        trigger(window, "actionImport_recipe");
        QCOMPARE(bookRecipes(window->document), original);
        QCOMPARE(answers.messages, QStringList{"Which recipes do you want to export?"});
    }

    void commandLine_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("output");
        QTest::addColumn<QString>("result"); // the file written: its recipe names
        QTest::newRow("import two sources into a new book")
            << QStringList{"--import", "one.json", "page.html", "--into", "new.carb"} << 0
            << "Imported: One\nImported: Two\n"
            << "new.carb: One, Two";
        QTest::newRow("import into a book, a source without recipes")
            << QStringList{"--import", "empty.json", "one.json", "--into", "book.carb"} << 0
            << "Imported: One (2)\n"
            << "book.carb: One, One (2)";
        QTest::newRow("nothing imported")
            << QStringList{"--import", "empty.json", "--into", "new.carb"} << 1 << ""
            << "new.carb: -";
        QTest::newRow("export JSON-LD") << QStringList{"--export", "book.carb", "--to", "out.json"}
                                        << 0 << "Recipes exported: 1\n"
                                        << "out.json: One";
        QTest::newRow("export web page") << QStringList{"--export", "book.carb", "--to", "out.html"}
                                         << 0 << "Recipes exported: 1\n"
                                         << "out.html: One";
        QTest::newRow("--into without --import")
            << QStringList{"--into", "new.carb"} << 2 << "" << "new.carb: -";
        QTest::newRow("export of a missing book")
            << QStringList{"--export", "missing.carb", "--to", "out.json"} << 1 << ""
            << "out.json: -";
    }

    void commandLine()
    {
        QFETCH(QStringList, arguments);
        ScratchDir scratch;
        const auto write = [&scratch](const QString& name, const QByteArray& content) {
            QFile file(scratch.filePath(name));
            return file.open(QIODevice::WriteOnly) && file.write(content) == content.size();
        };
        QVERIFY(write("one.json", quoted("{'@type': 'Recipe', 'name': 'One'}")));
        QVERIFY(write("empty.json", quoted("{'@type': 'Thing'}")));
        QVERIFY(write("page.html", recipePage(quoted("{'@type': 'Recipe', 'name': 'Two'}"))));
        {
            Document book;
            QVERIFY(book.setDataStructure());
            const QVariant one[] = {"One"};
            book.addRow(Book::Recipes, one, 1);
            QVERIFY(book.SaveDocument(scratch.filePath("book.carb")));
        }
        QProcess program;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.remove("QT_QPA_PLATFORM"); // it must run without a display of its own
        environment.remove("DISPLAY");
        environment.insert("XDG_CONFIG_HOME", scratch.filePath("config"));
        program.setProcessEnvironment(environment);
        program.start(QCoreApplication::applicationDirPath() + "/../culinor", arguments);
        QVERIFY(program.waitForFinished(60000));
        QTEST(program.exitCode(), "exitCode");
        QTEST(QString::fromUtf8(program.readAllStandardOutput()), "output");
        // A failure says why on the error output.
        const QString errors = QString::fromUtf8(program.readAllStandardError());
        QCOMPARE(errors.contains("No recipe was imported.") ||
                     errors.contains("could not be opened") || errors.contains("Use --import"),
                 program.exitCode() != 0);

        QFETCH(QString, result);
        const QString name = result.section(": ", 0, 0);
        QStringList names;
        QFile file(scratch.filePath(name));
        if (name.endsWith(".carb") && file.exists()) {
            Document book;
            QVERIFY(book.setDataStructure());
            QVERIFY(book.OpenDocument(file.fileName()));
            QSqlQuery query(book.db);
            query.exec("SELECT name FROM Recipes ORDER BY id");
            while (query.next())
                names << query.value(0).toString();
        } else if (file.open(QIODevice::ReadOnly)) {
            QByteArray json = file.readAll();
            if (name.endsWith(".html")) // the JSON-LD of the page's head
                json = QString::fromUtf8(json.mid(json.indexOf("ld+json\">") + 9))
                           .section("</script>", 0, 0)
                           .toUtf8();
            for (const QJsonValue& recipe : QJsonDocument::fromJson(json).array())
                names << recipe.toObject().value("name").toString();
        }
        QCOMPARE(name + ": " + (names.isEmpty() ? "-" : names.join(", ")), result);
    }
};

QTEST_MAIN(TestExchange)
#include "tst_exchange.moc"
