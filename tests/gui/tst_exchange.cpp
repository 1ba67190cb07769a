#include "data/recipebook.h"
#include "exchange/exchangecommand.h"
#include "exchange/recipeimporter.h"
#include "support/guisupport.h"
#include "views/editablerecipelist.h"

#include <QtNetwork>
#include <QtTest>
#include <QtWidgets>

#include <cstdio>

// JSON-LD in a page; test texts are written with single quotes where it has double ones.
static QByteArray recipePage(const QByteArray& json, bool page = true)
{
    const QByteArray text = QByteArray(json).replace('\'', '"');
    return page ? "<html><head><script type='application/ld+json'>" + text + "</script></head>"
                : text;
}

static QByteArray picture(int width, int height, const char* format = "PNG")
{
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(Qt::darkGreen);
    QBuffer buffer;
    image.save(&buffer, format);
    return buffer.data();
}

// "name | lines | tags | rating | photo size" of the book's recipes after the first skip ones.
static QStringList bookRecipes(Document& document, int skip = 0)
{
    QStringList recipes;
    for (const QString& id : queryRows("SELECT id FROM Recipes ORDER BY id").mid(skip)) {
        Recipe recipe;
        document.getRecipe(id.toInt(), recipe);
        const QImage photo = QImage::fromData(recipe.photo.toByteArray()); // 0x0 when there is none
        QStringList fields{recipe.name, "",
                           QStringList(recipe.tags.begin(), recipe.tags.end()).join(", "),
                           QString::number(recipe.rating),
                           QString("%1x%2").arg(photo.width()).arg(photo.height())};
        for (const RecipeIngredient& line : recipe.ingredients)
            fields[1] += QString(fields[1].isEmpty() ? "" : ", ") + QString::number(line.quantity) +
                         " " + line.unit + " " + line.ingredient;
        recipes << fields.join(" | ");
    }
    return recipes;
}

// Importing and exporting recipes through the window and the command line.
class TestExchange : public QObject
{
    Q_OBJECT

    QTcpServer _server; // on 127.0.0.1: a path of _pages, or 404; "/silent" never answers
    QMap<QByteArray, QByteArray> _pages; // answered as they are when they start with "HTTP"
    QByteArrayList _requested;
    QTemporaryDir _files, _settings;        // beside the server, saved pages with their pictures
    std::unique_ptr<WindowFixture> _window; // one for the rows of the import table
    QString _answer, _fileName, _web;       // for the import dialog, a file dialog; the server
    QStringList _messages;                  // of the message boxes answered

    // Answers the window's dialogs: a message box has its text kept and is closed (the export
    // question with "All recipes"); the progress dialog is cancelled for "/silent".
    void _answerWindow()
    {
        _messages.clear();
        auto* timer = new QTimer(&modalWatchers());
        connect(timer, &QTimer::timeout, this, [this] {
            QWidget* dialog = QApplication::activeModalWidget();
            if (!dialog || !dialog->isVisible())
                return;
            if (qobject_cast<QProgressDialog*>(dialog)) {
                if (_answer.endsWith("/silent"))
                    dialog->findChild<QPushButton*>()->click();
            } else if (auto* box = qobject_cast<QMessageBox*>(dialog)) {
                _messages << box->text();
                for (QAbstractButton* button : box->buttons())
                    if (button->text() == "All recipes" || box->buttons().size() == 1)
                        return button->click();
                box->reject();
            } else {
                auto* edit = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
                edit = edit ? edit : dialog->findChild<QLineEdit*>();
                edit->setText(qobject_cast<QFileDialog*>(dialog) ? _fileName : _answer);
                QTest::keyClick(edit, Qt::Key_Return);
            }
        });
        timer->start(10);
    }

private slots:
    void initTestCase()
    {
        useTemporarySettings(_settings.path());
        _window.reset(new WindowFixture);
        const QString local = _files.filePath("local.png"); // never read for a web page
        writeFile(local, picture(150, 100));
        writeFile(_files.filePath("saved/page_files/own.png"), picture(300, 150));
        writeFile(_files.filePath("saved/page.html"),
                  recipePage("{'@type':'Recipe','name':'Saved','image':['../local.png','page_files/"
                             "own.png']}"));
        const QByteArray evil = "<script>evil<\\/script>"; // "</" as sites write it in JSON
        _pages = {{"/site.html", recipePage("{'@type':['Recipe'],'name':'Apple pie','image':{"
                                            "'@type':'ImageObject','url':'/picture.png'},"
                                            "'recipeIngredient':['3 apples','1 g " +
                                            evil + "'],'keywords':'baking, " + evil +
                                            "','aggregateRating':{'ratingValue':4.5}}")},
                  {"/nopicture.html", recipePage("{'@type':'Recipe','name':'Bare','image':['/"
                                                 "missing.png','/site.html','" +
                                                 QUrl::fromLocalFile(local).toEncoded() + "']}")},
                  {"/picture.png", picture(300, 150)},
                  {"/loop", "HTTP/1.1 302 Found\r\nLocation: /loop\r\nContent-Length: 0\r\n\r\n"},
                  {"/big", "HTTP/1.1 200 OK\r\nContent-Length: 52428800\r\n\r\n"},
                  {"/big-unannounced", "HTTP/1.1 200 OK\r\n\r\n" + QByteArray(9 << 20, 'x')}};
        connect(&_server, &QTcpServer::newConnection, this, [this] {
            QTcpSocket* socket = _server.nextPendingConnection();
            connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
            connect(socket, &QTcpSocket::readyRead, socket, [this, socket] {
                const QByteArray path = socket->readAll().split(' ').value(1), page = _pages[path];
                _requested << path;
                if (path == "/silent")
                    return;
                const QByteArray status = page.isEmpty() ? "404 Not Found" : "200 OK";
                socket->write(page.startsWith("HTTP")
                                  ? page
                                  : "HTTP/1.1 " + status + "\r\nContent-Length: " +
                                        QByteArray::number(page.size()) + "\r\n\r\n" + page);
                socket->disconnectFromHost();
            });
        });
        QVERIFY(_server.listen(QHostAddress::LocalHost));
        _web = QString("http://127.0.0.1:%1").arg(_server.serverPort());
    }
    void cleanup() { qDeleteAll(modalWatchers().children()); } // the row's dialog answers

    // File > Import recipe from the server ("/..."), a saved page (reading only its own picture)
    // or another address, or a file dropped on the recipe list ("drop:").
    void importRecipes_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("added");   // "name | lines | tags | rating | photo"
        QTest::addColumn<QString>("message"); // in a box after the source, else in the status bar
        const char *one = "Recipes imported: 1",
                   *tooLarge = "The download is larger than the limit of 8 MB.";
        const char* rows[][3] = {
            {"/site.html",
             "Apple pie | 3 pcs. apples, 1 g <script>evil</script> | baking, <script>evil</script> "
             "| 9 | 200x100",
             one},
            {"/nopicture.html", "Bare |  |  | 5 | 0x0", one},
            {"saved/page.html", "Saved |  |  | 5 | 200x100", one},
            {"drop:dropped.json", "Dropped |  |  | 5 | 0x0", one},
            {"drop:dropped.txt", "", ""},
            {"/silent", "", "The import was cancelled."},
            {"/big", "", tooLarge},             // 50 MB, with its length
            {"/big-unannounced", "", tooLarge}, // 9 MB without
            {"/loop", "", "The address redirects too often."},
            {"/gone.html", "", "The address could not be loaded: HTTP 404"},
            {"ftp://127.0.0.1/x", "",
             "Only http and https addresses and local files can be imported."}};
        for (const auto& row : rows)
            QTest::newRow(row[0]) << QString(row[0]) << QString(row[1]) << QString(row[2]);
    }

    void importRecipes()
    {
        QFETCH(QString, path);
        QFETCH(QString, added);
        QFETCH(QString, message);
        MainWindow* window = _window->window;
        window->document.modified = false;
        window->statusBar()->clearMessage();
        auto* recipes = qobject_cast<EditableRecipeList*>(window->editors.front());
        const int before = recipes->list->count();
        _answer = path.startsWith("saved/") ? QUrl::fromLocalFile(_files.filePath(path)).toString()
                  : path.startsWith('/')    ? _web + path
                                            : path;
        _answerWindow();
        if (path.startsWith("drop:")) {
            _answer = _window->scratch.filePath(path.mid(5));
            QVERIFY(writeFile(_answer, recipePage("{'@type':'Recipe','name':'Dropped'}", false)));
            QMimeData data;
            data.setUrls({QUrl::fromLocalFile(_answer)});
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
        QCOMPARE(bookRecipes(window->document, before).join(""), added);
        QCOMPARE(_messages.isEmpty() ? window->statusBar()->currentMessage() : _messages.join('\n'),
                 _messages.isEmpty() ? message : _answer + ": " + message);
        QCOMPARE(window->document.modified, !added.isEmpty());
        QCOMPARE(recipes->list->count(), before + !added.isEmpty());
        if (added.isEmpty())
            return;
        QCOMPARE(recipes->_currentItem()->text(), added.section(" | ", 0, 0));
        QVERIFY(!recipes->page.contains("<script")); // what the user reads is text
        QCOMPARE(recipes->page.contains("default picture"), path == "/nopicture.html");
        QVERIFY(recipes->page.contains(_answer.toHtmlEscaped()));
    }

    // Web pictures go through the shared picture reader, which refuses 30000 x 30000 pixels.
    void storedPicture()
    {
        QByteArray huge = picture(150, 100, "JPG");
        huge.replace(huge.indexOf("\xFF\xC0") + 5, 4, "\x75\x30\x75\x30");
        MessageCapture messages;
        QCOMPARE(RecipeImporter::storedPicture(picture(150, 100)), picture(150, 100)); // kept
        QCOMPARE(RecipeImporter::storedPicture(huge), QByteArray());
        QCOMPARE(messages.messages().filter("Picture refused").size(), 1);
        QVERIFY(messages.contains("Picture refused: 30000 x 30000 pixels"));
    }

    // The sample book's recipes, exported (JSON-LD, web page) and imported, come back as they were.
    void exportThenImport()
    {
        _window.reset();
        WindowFixture fixture;
        Document& document = fixture.window->document;
        const QVariant hostile[] = {"</script><script>evil()</script>"};
        document.addRow(Book::Recipes, hostile, 1);
        QSqlQuery(document.db).exec("UPDATE RecipeIngredients SET quant=12345.67");
        // A book from someone else: its description loads a picture from the web.
        QSqlQuery(document.db)
            .exec("UPDATE Recipes SET expenses=1234567.89, description='<img src=\"" + _web +
                  "/tracker\">' WHERE id=1");
        const QStringList original = bookRecipes(document);
        QVERIFY(original.size() == 4 && !original.first().endsWith("0x0"));
        _answerWindow();
        for (const QString file : {"recipes.json", "recipes.html"}) {
            _fileName = fixture.scratch.filePath(file);
            trigger(fixture.window, "actionExport_recipes");
        }
        for (const QString file : {"recipes.json", "recipes.html"}) {
            // The page shows the name as text, and its JSON-LD cannot end the script early.
            _answer = fixture.scratch.filePath(file);
            const QByteArray content = readFile(_answer);
            QCOMPARE(content.contains("<script>evil"), file.endsWith(".json"));
            QVERIFY(content.contains("\"12345.67 ") && content.contains("1234567.89")); // exact
            if (file.endsWith(".html")) { // opened in a browser, it loads nothing from the web
                QWebView browser;
                QSignalSpy loaded(&browser, &QWebView::loadFinished);
                browser.setHtml(QString::fromUtf8(content), QUrl::fromLocalFile(_answer));
                QVERIFY(loaded.wait(10000));
                QVERIFY(!_requested.contains("/tracker"));
            }
            document.Clear();
            trigger(fixture.window, "actionImport_recipe");
            QCOMPARE(bookRecipes(document), original);
        }
    }

    // The program itself without a display, then the same command line in this process.
    void commandLine_data()
    {
        QTest::addColumn<QString>("row"); // "arguments|exit code|output|written file: its recipes"
        const char* rows[][2] = {
            {"program", "--import one.json page.html --into new.carb|0|Imported: One\nImported: "
                        "Two\n|new.carb: One, Two"},
            {"into a book", "--import=empty.json one.json --into book.carb|0|empty.json: No recipe "
                            "was found there.\nImported: One (2)\n|book.carb: One, One (2)"},
            {"nothing imported", "--import empty.json --into new.carb|1|empty.json: No recipe was "
                                 "found there.\nNo recipe was imported.\n|new.carb: -"},
            {"export", "--export book.carb --to out.json|0|Recipes exported: 1\n|out.json: One"},
            {"usage error", "--into new.carb|2|Use --import SOURCE... --into BOOK.carb or --export "
                            "BOOK.carb --to OUT.json|OUT.html\n|new.carb: -"},
            {"missing book", "--export missing.carb --to out.json|1|The book missing.carb could "
                             "not be opened.\n|out.json: -"}};
        for (const auto& row : rows)
            QTest::newRow(row[0]) << QString(row[1]);
    }

    void commandLine()
    {
        QFETCH(QString, row);
        const QStringList arguments = row.section('|', 0, 0).split(' ');
        ScratchDir scratch;
        QVERIFY(writeFile("one.json", recipePage("{'@type':'Recipe','name':'One'}", false)));
        QVERIFY(writeFile("empty.json", recipePage("{'@type':'Thing'}", false)));
        QVERIFY(writeFile("page.html", recipePage("{'@type':'Recipe','name':'Two'}")));
        const QVariant one[] = {"One"};
        auto book = std::make_unique<Document>();
        QVERIFY(book->setDataStructure() && book->addRow(Book::Recipes, one, 1) > 0 &&
                book->SaveDocument("book.carb"));
        book.reset();
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
            QCommandLineParser parser;
            addExchangeOptions(parser);
            parser.parse(QStringList{"culinor"} + arguments);
            FILE* const saved[] = {stdout, stderr};
            stdout = stderr = std::fopen("out.txt", "w");
            const MessageCapture diagnostics; // kept off out.txt
            exitCode = runExchangeCommand(parser);
            std::fclose(stdout);
            stdout = saved[0];
            stderr = saved[1];
        }
        QCOMPARE(QString::number(exitCode), row.section('|', 1, 1));
        QCOMPARE(QString::fromUtf8(readFile("out.txt")), row.section('|', 2, -2));
        const QString result = row.section('|', -1), name = result.section(": ", 0, 0);
        QStringList names; // in the book, or in the exported JSON-LD file
        book = std::make_unique<Document>();
        if (QFile::exists(name) && book->setDataStructure() && book->OpenDocument(name))
            names = queryRows("SELECT name FROM Recipes ORDER BY id");
        for (const QJsonValue& recipe : QJsonDocument::fromJson(readFile(name)).array())
            names << recipe.toObject().value("name").toString();
        QCOMPARE(name + ": " + (names.isEmpty() ? "-" : names.join(", ")), result);
    }
};

QTEST_MAIN(TestExchange)
#include "tst_exchange.moc"
