// Picture widgets: the display rule, stored values, drops of picture data,
// HTML and URLs (downloaded from a local server), and the photo editor.
#include "data/document.h"
#include "data/recipebook.h"
#include "editing/editabledatalist.h"
#include "images/dropimagelabel.h"
#include "images/droptextedit.h"
#include "images/imagelabel.h"
#include "images/pictures.h"
#include "images/webcamdialog.h"
#include "support/testsupport.h"

#include <QApplication>
#include <QBuffer>
#include <QClipboard>
#include <QFileDialog>
#include <QLabel>
#include <QListWidget>
#include <QMimeData>
#include <QPushButton>
#include <QRandomGenerator>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTextDocument>
#include <QTimer>
#include <QtTest>

#include <map>
#include <memory>

// A tiny HTTP server on 127.0.0.1 that serves fixed bodies and counts requests.
class PictureServer : public QObject
{
public:
    PictureServer()
    {
        _server.listen(QHostAddress::LocalHost, 0);
        connect(&_server, &QTcpServer::newConnection, this, [this]() {
            while (QTcpSocket* socket = _server.nextPendingConnection()) {
                connect(socket, &QTcpSocket::readyRead, this, [this, socket]() { answer(socket); });
                connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
            }
        });
    }

    QString url(const QString& path) const
    {
        return QStringLiteral("http://127.0.0.1:") + QString::number(_server.serverPort()) + path;
    }

    std::map<QString, QByteArray> bodies;
    QStringList requests;

private:
    void answer(QTcpSocket* socket)
    {
        _pending[socket] += socket->readAll();
        const QByteArray& request = _pending[socket];
        if (!request.contains("\r\n\r\n"))
            return;
        const QString path = QString::fromLatin1(request.split(' ').value(1));
        requests << path;
        const auto found = bodies.find(path);
        QByteArray reply;
        if (found == bodies.end()) {
            reply = "HTTP/1.0 404 Not Found\r\nContent-Length: 0\r\n\r\n";
        } else {
            reply =
                "HTTP/1.0 200 OK\r\nContent-Type: application/octet-stream\r\nContent-Length: " +
                QByteArray::number(found->second.size()) + "\r\n\r\n" + found->second;
        }
        socket->write(reply);
        socket->disconnectFromHost();
        _pending.erase(socket);
    }

    QTcpServer _server;
    std::map<QTcpSocket*, QByteArray> _pending;
};

namespace {

// The picture conversions of every editor, without an editor around them.
struct Probe : EditableEntity
{
    void synchronize() override {}
    void onEditButtonClicked() override {}
};

} // namespace

class TestImages : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void displayRule_data();
    void displayRule();
    void emptyFlagAndInfoLabel();
    void storedFormat_data();
    void storedFormat();
    void placeholderRule_data();
    void placeholderRule();
    void imageLabelFromValue();
    void oversizedPictureIsNotStored();
    void unsavablePictureIsReported();
    void imageVarToHtmlEmbedsPicture();
    void extensions_data();
    void extensions();
    void sourceScanner_data();
    void sourceScanner();
    void sourceKinds_data();
    void sourceKinds();

    void labelTakesRawImage();
    void labelTakesDataUrlWithoutDownload();
    void labelIgnoresLongFormatName();
    void labelDownloadsHtmlAddress();
    void labelDownloadsUrls();
    void labelFetchesPictureOnce();
    void labelRejectsUnknownData();
    void labelDragAndDrop();

    void textBodyHtml();
    void textPastesPlainText();
    void textEmbedsRawPictures();
    void textDownloadsImageUrlsOnly();
    void textDownloadScaledAndAppended();
    void rawPictureSurvivesSaveAndReload();

    void photoEditorWidgets();
    void setImageFromFile();
    void setImageCancelledOrUnreadable();
    void clearImageStoresZero();
    void webCameraButton_data();
    void webCameraButton();
    void imageLabelLookupFailures_data();
    void imageLabelLookupFailures();

private:
    static QImage picture(int w, int h, bool alpha, QColor colour = Qt::red);
    static QByteArray encoded(const QImage& image, const char* format);
    static QImage decodeFirstDataImage(const QString& html);
    void buildList();
    QPushButton* button(const QString& text);
    ImageLabel* photo();

    std::unique_ptr<ScratchDir> _dir;
    std::unique_ptr<Document> _document;
    std::unique_ptr<QWidget> _window;
    EditableDataList* _list = nullptr;
};

QImage TestImages::picture(int w, int h, bool alpha, QColor colour)
{
    QImage image(w, h, alpha ? QImage::Format_ARGB32 : QImage::Format_RGB32);
    if (alpha)
        colour.setAlpha(128);
    image.fill(colour);
    return image;
}

QByteArray TestImages::encoded(const QImage& image, const char* format)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, format);
    return bytes;
}

QImage TestImages::decodeFirstDataImage(const QString& html)
{
    QRegularExpression data("data:image/(\\w+);base64,([A-Za-z0-9+/=]+)");
    const QRegularExpressionMatch match = data.match(html);
    if (!match.hasMatch())
        return QImage();
    return QImage::fromData(QByteArray::fromBase64(match.captured(2).toLatin1()),
                            match.captured(1).toLatin1().constData());
}

void TestImages::initTestCase()
{
    QStandardPaths::setTestModeEnabled(true);
}

void TestImages::init()
{
    _dir.reset(new ScratchDir);
    // The default photo the program shows when a row has none.
    QVERIFY(picture(30, 20, false, Qt::blue).save(_dir->filePath("media/defphoto.png")));
    // Without their photo files the sample recipes hold the "no picture" value.
    for (const char* sample : {"pizza.png", "hamburger.png", "shawarma.png"})
        QFile::remove(_dir->filePath(QString("media/") + sample));
}

void TestImages::cleanup()
{
    _window.reset();
    delete _list;
    _list = nullptr;
    if (_document) {
        _document.reset();
        QSqlDatabase::removeDatabase(QSqlDatabase::defaultConnection);
    }
    _dir.reset();
}

void TestImages::buildList()
{
    _document.reset(new Document);
    QVERIFY(_document->setDataStructure());
    _document->fillSampleBook();
    _list = new EditableDataList(_document.get(), Book::Recipes, {Book::CookingPlanRecipes});
    _window.reset(new QWidget);
    _window->setLayout(_list->layout);
    _window->resize(1000, 800);
    _window->show();
    QVERIFY(QTest::qWaitForWindowExposed(_window.get()));
    _list->synchronize();
}

QPushButton* TestImages::button(const QString& text)
{
    for (QPushButton* candidate : _window->findChildren<QPushButton*>())
        if (candidate->text() == text)
            return candidate;
    return nullptr;
}

ImageLabel* TestImages::photo()
{
    return qobject_cast<ImageLabel*>(_list->form.widgets[Book::RecipePhoto].widget);
}

void TestImages::displayRule_data()
{
    QTest::addColumn<QSize>("original");
    QTest::addColumn<QSize>("shown");
    QTest::newRow("wide") << QSize(400, 100) << QSize(200, 50);
    QTest::newRow("tall") << QSize(100, 400) << QSize(50, 200);
    QTest::newRow("small") << QSize(150, 150) << QSize(150, 150);
    QTest::newRow("square just over") << QSize(201, 201) << QSize(200, 200);
    QTest::newRow("exactly fits") << QSize(200, 120) << QSize(200, 120);
    QTest::newRow("truncating") << QSize(300, 301) << QSize(199, 200);
}

void TestImages::displayRule()
{
    QFETCH(QSize, original);
    QFETCH(QSize, shown);
    ImageLabel label;
    label.setImage(QPixmap::fromImage(picture(original.width(), original.height(), false)), false);
    QCOMPARE(label.pixmap(Qt::ReturnByValue).size(), shown);
    // What is stored is what is shown.
    QVariant stored;
    Probe probe;
    probe.imageToVar(&label, stored);
    QCOMPARE(QImage::fromData(stored.toByteArray()).size(), shown);
}

void TestImages::emptyFlagAndInfoLabel()
{
    ImageLabel label;
    QLabel info;
    label.infoLabel = &info;
    QVERIFY(!label.empty);
    info.setText("old message");
    label.setImage(QPixmap::fromImage(picture(10, 10, false)), false);
    QCOMPARE(info.text(), QString("old message"));
    label.setImage(QPixmap::fromImage(picture(10, 10, false)), true);
    QVERIFY(label.empty);
    QVERIFY(info.text().isEmpty());
    ImageLabel alone;
    alone.setImage(QPixmap(), true); // no info label: nothing to clear
    QVERIFY(alone.empty);
}

void TestImages::storedFormat_data()
{
    QTest::addColumn<bool>("alpha");
    QTest::addColumn<QByteArray>("signature");
    QTest::newRow("transparent is PNG") << true << QByteArray("\x89PNG", 4);
    QTest::newRow("opaque is JPG") << false << QByteArray("\xFF\xD8\xFF", 3);
}

void TestImages::storedFormat()
{
    QFETCH(bool, alpha);
    QFETCH(QByteArray, signature);
    ImageLabel label;
    label.setImage(QPixmap::fromImage(picture(40, 30, alpha)), false);
    QVariant stored;
    Probe probe;
    probe.imageToVar(&label, stored);
    QVERIFY(stored.toByteArray().startsWith(signature));
    QCOMPARE(QImage::fromData(stored.toByteArray()).size(), QSize(40, 30));

    label.setImage(QPixmap::fromImage(picture(40, 30, alpha)), true);
    probe.imageToVar(&label, stored);
    QCOMPARE(stored.toByteArray(), QByteArray("0"));
}

void TestImages::placeholderRule_data()
{
    QTest::addColumn<QByteArray>("value");
    QTest::addColumn<bool>("usesDefault");
    QTest::addColumn<QSize>("size");
    QTest::newRow("zero") << QByteArray("0") << true << QSize(30, 20);
    QTest::newRow("empty") << QByteArray() << true << QSize(30, 20);
    QTest::newRow("nine bytes") << QByteArray("123456789") << true << QSize(30, 20);
    QTest::newRow("ten bytes") << QByteArray("1234567890") << false << QSize();
    QTest::newRow("picture") << encoded(picture(12, 7, false), "PNG") << false << QSize(12, 7);
}

void TestImages::placeholderRule()
{
    QFETCH(QByteArray, value);
    QFETCH(bool, usesDefault);
    QFETCH(QSize, size);
    QPixmap out = QPixmap::fromImage(picture(5, 5, false));
    QCOMPARE(varToPixmap(QVariant(value), out), usesDefault);
    if (size.isValid())
        QCOMPARE(out.size(), size);
    else
        QVERIFY(out.isNull());
}

void TestImages::imageLabelFromValue()
{
    ImageLabel label;
    varToImageLabel(&label, QVariant(QByteArray("0")));
    QVERIFY(label.empty);
    QCOMPARE(label.pixmap(Qt::ReturnByValue).size(), QSize(30, 20));
    varToImageLabel(&label, QVariant(encoded(picture(400, 100, false), "PNG")));
    QVERIFY(!label.empty);
    QCOMPARE(label.pixmap(Qt::ReturnByValue).size(), QSize(200, 50));
}

void TestImages::oversizedPictureIsNotStored()
{
    ImageLabel label;
    QLabel info;
    label.infoLabel = &info;
    // Noise does not compress: far more than 2 MiB as PNG.
    QImage noise(1000, 1000, QImage::Format_ARGB32);
    auto* random = QRandomGenerator::global();
    for (int y = 0; y < noise.height(); ++y) {
        auto* line = reinterpret_cast<quint32*>(noise.scanLine(y));
        for (int x = 0; x < noise.width(); ++x)
            line[x] = random->generate();
    }
    label.setPixmap(QPixmap::fromImage(noise)); // bypasses the display rule on purpose
    MessageCapture messages;
    QVariant stored;
    Probe probe;
    probe.imageToVar(&label, stored);
    QCOMPARE(stored.toByteArray(), QByteArray("0"));
    QCOMPARE(info.text(), QString("Image size should not exceed 2MB"));
    QVERIFY(messages.contains("Image size should not exceed 2MB"));

    // The same label with a picture of displayable size is stored.
    label.setImage(QPixmap::fromImage(noise), false);
    probe.imageToVar(&label, stored);
    QVERIFY(stored.toByteArray().size() > MaxPlaceholderBytes);
    QVERIFY(stored.toByteArray().size() <= MaxStoredPictureBytes);
}

void TestImages::unsavablePictureIsReported()
{
    ImageLabel label;
    QLabel info;
    label.infoLabel = &info;
    MessageCapture messages;
    QVariant stored("junk");
    Probe probe;
    probe.imageToVar(&label, stored);
    QCOMPARE(stored.toByteArray(), QByteArray("0"));
    QCOMPARE(info.text(), QString("Error: cannot save image"));
    QVERIFY(messages.contains("Error: cannot save image"));
}

void TestImages::imageVarToHtmlEmbedsPicture()
{
    const QString png = imageVarToHtml(QVariant(encoded(picture(20, 10, true), "PNG")));
    QVERIFY(png.startsWith("<img src=\"data:image/png;base64,"));
    QVERIFY(png.endsWith("\"/>"));
    QCOMPARE(decodeFirstDataImage(png).size(), QSize(20, 10));
    const QString jpg = imageVarToHtml(QVariant(encoded(picture(20, 10, false), "JPG")));
    QVERIFY(jpg.startsWith("<img src=\"data:image/jpg;base64,"));
    const QString missing = imageVarToHtml(QVariant(QByteArray("0")));
    QCOMPARE(decodeFirstDataImage(missing).size(), QSize(30, 20));
}

void TestImages::extensions_data()
{
    QTest::addColumn<QString>("extension");
    QTest::addColumn<bool>("accepted");
    for (const char* yes : {"bmp", "jpg", "jpeg", "png", "BMP", "JPG", "JPEG", "PNG"})
        QTest::newRow(yes) << yes << true;
    for (const char* no : {"Png", "gif", "", "svg", "jPg"})
        QTest::newRow(no[0] ? no : "empty") << no << false;
}

void TestImages::extensions()
{
    QFETCH(QString, extension);
    QFETCH(bool, accepted);
    QCOMPARE(isImageExtension(extension), accepted);
    QCOMPARE(imageExtensions.size(), 8);
}

void TestImages::sourceScanner_data()
{
    QTest::addColumn<QString>("html");
    QTest::addColumn<QStringList>("sources");
    QTest::newRow("plain") << "<p><img src=\"a.png\"></p>" << QStringList{"a.png"};
    QTest::newRow("blank after bracket") << "< img src=\"a\">" << QStringList{"a"};
    QTest::newRow("other attributes first")
        << "<img alt=\"x\" width=\"3\" src=\"b\"/>" << QStringList{"b"};
    QTest::newRow("two elements") << "<img src=\"a\"> and <img src=\"b\">" << QStringList{"a", "b"};
    QTest::newRow("blank before equals") << "<img src =\"c\">" << QStringList{"c"};
    QTest::newRow("blank after equals") << "<img src= \"c\">" << QStringList{};
    QTest::newRow("upper case tag") << "<IMG SRC=\"a\">" << QStringList{};
    QTest::newRow("src outside tag") << "<img alt=\"y\"> src=\"z\"" << QStringList{};
    QTest::newRow("unterminated") << "<img src=\"abc" << QStringList{};
    QTest::newRow("other tag") << "<image src=\"q\">" << QStringList{};
    QTest::newRow("data url") << "<img src=\"data:image/png;base64,AAAA\">"
                              << QStringList{"data:image/png;base64,AAAA"};
}

void TestImages::sourceScanner()
{
    QFETCH(QString, html);
    QFETCH(QStringList, sources);
    QCOMPARE(imageSources(html), sources);
}

void TestImages::sourceKinds_data()
{
    QTest::addColumn<QString>("source");
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("format");
    const QString png = QString::fromLatin1(encoded(picture(4, 4, true), "PNG").toBase64());
    QTest::newRow("png data") << "data:image/png;base64," + png << int(ImageSourceKind::Data)
                              << "png";
    QTest::newRow("jpeg data") << "data:image/jpeg;base64,AAAA" << int(ImageSourceKind::Data)
                               << "jpeg";
    QTest::newRow("address") << "http://example.org/pic.jpg" << int(ImageSourceKind::Address) << "";
    QTest::newRow("long format") << "data:image/svg+xml;base64,PHN2Zz4="
                                 << int(ImageSourceKind::Ignored) << "";
    QTest::newRow("base64 only") << "x;base64,AAAA" << int(ImageSourceKind::Ignored) << "";
    QTest::newRow("data only") << "data:image/png,raw" << int(ImageSourceKind::Ignored) << "";
}

void TestImages::sourceKinds()
{
    QFETCH(QString, source);
    QFETCH(int, kind);
    QFETCH(QString, format);
    QByteArray bytes;
    QString found;
    QCOMPARE(int(classifyImageSource(source, bytes, found)), kind);
    if (kind == int(ImageSourceKind::Data))
        QCOMPARE(found, format);
    if (format == "png")
        QCOMPARE(QImage::fromData(bytes, "png").size(), QSize(4, 4));
}

void TestImages::labelTakesRawImage()
{
    DropImageLabel label;
    QLabel info;
    label.infoLabel = &info;
    label.empty = true;
    QMimeData data;
    data.setImageData(picture(400, 100, false));
    label.getImagesFromMimeData(&data);
    QVERIFY(!label.empty);
    QCOMPARE(label.pixmap(Qt::ReturnByValue).size(), QSize(200, 50));
    QVERIFY(info.text().isEmpty());
}

void TestImages::labelTakesDataUrlWithoutDownload()
{
    DropImageLabel label;
    QLabel info;
    label.infoLabel = &info;
    QMimeData data;
    const QString png = QString::fromLatin1(encoded(picture(60, 40, true), "PNG").toBase64());
    data.setHtml("<p>look</p><img src=\"data:image/png;base64," + png + "\">");
    MessageCapture messages;
    label.getImagesFromMimeData(&data);
    QCOMPARE(label.pixmap(Qt::ReturnByValue).size(), QSize(60, 40));
    QVERIFY(info.text().isEmpty()); // a picture was found: no "Unknown format"
    QVERIFY(!messages.contains("url:"));
}

void TestImages::labelIgnoresLongFormatName()
{
    DropImageLabel label;
    QLabel info;
    label.infoLabel = &info;
    QMimeData data;
    data.setHtml("<img src=\"data:image/svg+xml;base64,PHN2Zz48L3N2Zz4=\">");
    label.getImagesFromMimeData(&data);
    QVERIFY(label.pixmap(Qt::ReturnByValue).isNull());
    QCOMPARE(info.text(), QString("Unknown format"));
}

void TestImages::labelDownloadsHtmlAddress()
{
    PictureServer server;
    server.bodies["/dish.jpg"] = encoded(picture(300, 150, false), "JPG");
    DropImageLabel label;
    QMimeData data;
    data.setHtml("<img src=\"" + server.url("/dish.jpg") + "\">");
    label.getImagesFromMimeData(&data);
    QTRY_COMPARE(label.pixmap(Qt::ReturnByValue).size(), QSize(200, 100));
    QCOMPARE(server.requests, QStringList{"/dish.jpg"});
}

void TestImages::labelDownloadsUrls()
{
    const QString file = _dir->filePath("dropped.png");
    QVERIFY(picture(50, 80, true).save(file));
    PictureServer server;
    server.bodies["/broken.png"] = "not a picture at all";
    DropImageLabel label;
    label.empty = true;
    QMimeData data;
    data.setUrls({QUrl(server.url("/broken.png")), QUrl::fromLocalFile(file)});
    MessageCapture messages;
    label.getImagesFromMimeData(&data);
    QTRY_COMPARE(label.pixmap(Qt::ReturnByValue).size(), QSize(50, 80));
    QVERIFY(!label.empty);
    QTRY_COMPARE(server.requests.size(), 1);
    QVERIFY(messages.contains("url:" + QUrl::fromLocalFile(file).toString()));
    QVERIFY(messages.contains("url:" + server.url("/broken.png")));
}

void TestImages::labelFetchesPictureOnce()
{
    PictureServer server;
    server.bodies["/once.png"] = encoded(picture(20, 20, true), "PNG");
    DropImageLabel label;
    QLabel info;
    label.infoLabel = &info;
    QMimeData data;
    data.setHtml("<img src=\"" + server.url("/once.png") + "\">");
    data.setUrls({QUrl(server.url("/once.png"))});
    label.getImagesFromMimeData(&data);
    QTRY_COMPARE(label.pixmap(Qt::ReturnByValue).size(), QSize(20, 20));
    QTest::qWait(200);
    QCOMPARE(server.requests, QStringList{"/once.png"});
    QVERIFY(info.text().isEmpty());
}

void TestImages::labelRejectsUnknownData()
{
    DropImageLabel label;
    QLabel info;
    label.infoLabel = &info;
    QMimeData data;
    data.setText("just words");
    label.getImagesFromMimeData(&data);
    QCOMPARE(info.text(), QString("Unknown format"));
    QVERIFY(label.pixmap(Qt::ReturnByValue).isNull());
}

void TestImages::labelDragAndDrop()
{
    DropImageLabel label;
    QVERIFY(label.acceptDrops());
    QMimeData text;
    text.setText("words");
    QDragEnterEvent refused(QPoint(1, 1), Qt::CopyAction, &text, Qt::LeftButton, Qt::NoModifier);
    refused.setAccepted(false);
    QApplication::sendEvent(&label, &refused);
    QVERIFY(!refused.isAccepted());

    QMimeData image;
    image.setImageData(picture(30, 30, false));
    QDragEnterEvent welcomed(QPoint(1, 1), Qt::CopyAction, &image, Qt::LeftButton, Qt::NoModifier);
    welcomed.setAccepted(false);
    QApplication::sendEvent(&label, &welcomed);
    QVERIFY(welcomed.isAccepted());

    QMimeData uris;
    uris.setUrls({QUrl("http://127.0.0.1:1/x.png")});
    QDragEnterEvent listed(QPoint(1, 1), Qt::CopyAction, &uris, Qt::LeftButton, Qt::NoModifier);
    listed.setAccepted(false);
    QApplication::sendEvent(&label, &listed);
    QVERIFY(listed.isAccepted());

    QDropEvent drop(QPointF(1, 1), Qt::CopyAction, &image, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&label, &drop);
    QVERIFY(drop.isAccepted());
    QCOMPARE(label.pixmap(Qt::ReturnByValue).size(), QSize(30, 30));
}

void TestImages::textBodyHtml()
{
    DropTextEdit edit;
    edit.setHtml("<p>Hello <b>cook</b></p>");
    const QString body = edit.bodyHtml();
    QVERIFY(body.contains("Hello"));
    QVERIFY(body.contains("cook"));
    QVERIFY(!body.contains("body"));
    QVERIFY(!body.contains("<html"));
    DropTextEdit again;
    again.setHtml(body);
    QCOMPARE(again.toPlainText(), QString("Hello cook"));
}

void TestImages::textPastesPlainText()
{
    DropTextEdit edit;
    edit.show();
    QVERIFY(QTest::qWaitForWindowExposed(&edit));
    QApplication::clipboard()->setText("Mix well.");
    edit.setFocus();
    QTest::keyClick(&edit, Qt::Key_V, Qt::ControlModifier);
    QCOMPARE(edit.toPlainText(), QString("Mix well."));

    QMimeData dropped;
    dropped.setText(" Serve warm.");
    QVERIFY(edit.canInsertFromMimeData(&dropped));
    edit.moveCursor(QTextCursor::End);
    QApplication::clipboard()->setMimeData(new QMimeData);
    auto* data = new QMimeData;
    data->setText(" Serve warm.");
    QApplication::clipboard()->setMimeData(data);
    QTest::keyClick(&edit, Qt::Key_V, Qt::ControlModifier);
    QCOMPARE(edit.toPlainText(), QString("Mix well. Serve warm."));

    // A link to something that is not a picture arrives as its text.
    QMimeData link;
    link.setUrls({QUrl("http://127.0.0.1:9/page.html")});
    link.setText(" See page.");
    edit.moveCursor(QTextCursor::End);
    edit.insertFromMimeData(&link);
    QCOMPARE(edit.toPlainText(), QString("Mix well. Serve warm. See page."));
}

void TestImages::textEmbedsRawPictures()
{
    DropTextEdit edit;
    edit.setPlainText("Steps");
    edit.moveCursor(QTextCursor::End);
    MessageCapture messages;
    QMimeData first;
    first.setImageData(picture(400, 100, true, Qt::red));
    QVERIFY(edit.canInsertFromMimeData(&first));
    auto* clipboardData = new QMimeData;
    clipboardData->setImageData(picture(400, 100, true, Qt::red));
    QApplication::clipboard()->setMimeData(clipboardData);
    edit.paste();
    auto* second = new QMimeData;
    second->setImageData(picture(60, 60, false, Qt::green));
    QApplication::clipboard()->setMimeData(second);
    edit.paste();
    QVERIFY(messages.contains("Raw image case"));

    const QString body = edit.bodyHtml();
    QCOMPARE(body.count("data:image/"), 2);
    QVERIFY(body.contains("data:image/png;base64,"));
    QVERIFY(body.contains("data:image/jpg;base64,"));
    QCOMPARE(decodeFirstDataImage(body).size(), QSize(200, 50));

    // Stored and shown again, the pictures are still there and displayable.
    DropTextEdit reloaded;
    reloaded.setHtml(body);
    QCOMPARE(reloaded.bodyHtml().count("data:image/"), 2);
    const QString source = imageSources(body).value(0);
    const QVariant shown =
        reloaded.document()->resource(QTextDocument::ImageResource, QUrl(source));
    QCOMPARE(qvariant_cast<QImage>(shown).size(), QSize(200, 50));
    QVERIFY(!body.contains("src=\"image\""));
}

void TestImages::textDownloadsImageUrlsOnly()
{
    PictureServer server;
    server.bodies["/a.PNG"] = encoded(picture(30, 10, true), "PNG");
    server.bodies["/b.Png"] = encoded(picture(30, 10, true), "PNG");
    server.bodies["/c.gif"] = encoded(picture(30, 10, true), "PNG");
    DropTextEdit edit;
    edit.setPlainText("Dish");
    QMimeData data;
    data.setUrls({QUrl(server.url("/a.PNG")), QUrl(server.url("/b.Png")),
                  QUrl(server.url("/c.gif")), QUrl("http://127.0.0.1:1/noextension")});
    edit.insertFromMimeData(&data);
    QTRY_COMPARE(edit.bodyHtml().count("data:image/"), 1);
    QTest::qWait(200);
    QCOMPARE(server.requests, QStringList{"/a.PNG"});
    QVERIFY(edit.toPlainText().startsWith("Dish"));
}

void TestImages::textDownloadScaledAndAppended()
{
    const QString file = _dir->filePath("wide.jpg");
    QVERIFY(picture(400, 100, false).save(file, "JPG"));
    DropTextEdit edit;
    edit.setHtml("<p>Before</p>");
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(file)});
    edit.insertFromMimeData(&data);
    QTRY_VERIFY(edit.bodyHtml().contains("data:image/jpg;base64,"));
    const QString body = edit.bodyHtml();
    QVERIFY(body.indexOf("Before") < body.indexOf("data:image/"));
    QCOMPARE(decodeFirstDataImage(body).size(), QSize(200, 50));
}

void TestImages::rawPictureSurvivesSaveAndReload()
{
    buildList();
    auto* description =
        qobject_cast<DropTextEdit*>(_list->form.widgets[Book::RecipeDescription].widget);
    QVERIFY(description);
    description->moveCursor(QTextCursor::End);
    auto* data = new QMimeData;
    data->setImageData(picture(100, 80, true, Qt::darkYellow));
    QApplication::clipboard()->setMimeData(data);
    description->setFocus();
    QTest::keyClick(description, Qt::Key_V, Qt::ControlModifier);
    QTest::mouseClick(button("Save"), Qt::LeftButton);

    const QString file = _dir->filePath("book.carb");
    QVERIFY(_document->SaveDocument(file));
    _window.reset();
    delete _list;
    _list = nullptr;
    _document.reset();
    QSqlDatabase::removeDatabase(QSqlDatabase::defaultConnection);

    _document.reset(new Document);
    QVERIFY(_document->setDataStructure());
    QVERIFY(_document->OpenDocument(file));
    std::vector<QVariant> row;
    QVERIFY(
        _document->getRowByID(Book::Recipes, _document->getIDByName(Book::Recipes, "Pizza"), row));
    const QString stored = row[Book::RecipeDescription].toString();
    QVERIFY(stored.contains("Famous Italian food"));
    QCOMPARE(decodeFirstDataImage(stored).size(), QSize(100, 80));
    QCOMPARE(decodeFirstDataImage(stored).pixelColor(5, 5).rgb(), QColor(Qt::darkYellow).rgb());
}

void TestImages::photoEditorWidgets()
{
    buildList();
    const QString index = QString::number(Book::RecipePhoto);
    auto* label = qobject_cast<DropImageLabel*>(photo());
    QVERIFY(label);
    QCOMPARE(label->styleSheet(), QString("QLabel {border: 1px solid gray;}"));
    QCOMPARE(label->toolTip(), QString("You can drag and drop image here"));
    for (const char* text : {"Set image", "Clear image", "Get image from web camera"}) {
        QPushButton* b = button(text);
        QVERIFY2(b, text);
        QCOMPARE(b->objectName(), index);
    }
    auto* info = _window->findChild<QLabel*>("imageinfo_" + index);
    QVERIFY(info);
    QCOMPARE(label->infoLabel, info);
    // The sample photos are removed here, so every recipe shows the default photo.
    QVERIFY(label->empty);
    QCOMPARE(label->pixmap(Qt::ReturnByValue).size(), QSize(30, 20));
}

void TestImages::setImageFromFile()
{
    buildList();
    const QString file = _dir->filePath("photo.png");
    QVERIFY(picture(400, 300, true).save(file));
    QTimer::singleShot(0, this, [file]() {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        QVERIFY(dialog);
        QCOMPARE(dialog->windowTitle(), QString("Select image"));
        QCOMPARE(dialog->nameFilters(), QStringList{"Image files (*.bmp *.jpg *.jpeg *.png)"});
        QCOMPARE(dialog->fileMode(), QFileDialog::ExistingFile);
        dialog->selectFile(file);
        static_cast<QDialog*>(dialog)->accept();
    });
    QTest::mouseClick(button("Set image"), Qt::LeftButton);
    QCOMPARE(photo()->pixmap(Qt::ReturnByValue).size(), QSize(200, 150));
    QVERIFY(!photo()->empty);
    QTest::mouseClick(button("Save"), Qt::LeftButton);
    std::vector<QVariant> row;
    QVERIFY(
        _document->getRowByID(Book::Recipes, _document->getIDByName(Book::Recipes, "Pizza"), row));
    const QByteArray stored = row[Book::RecipePhoto].toByteArray();
    QVERIFY(stored.startsWith("\x89PNG"));
    QCOMPARE(QImage::fromData(stored).size(), QSize(200, 150));
}

void TestImages::setImageCancelledOrUnreadable()
{
    buildList();
    auto* info = _window->findChild<QLabel*>("imageinfo_" + QString::number(Book::RecipePhoto));
    const QString junk = _dir->filePath("junk.png");
    QFile out(junk);
    QVERIFY(out.open(QIODevice::WriteOnly));
    out.write("this is not a picture");
    out.close();
    const QSize before = photo()->pixmap(Qt::ReturnByValue).size();
    MessageCapture messages;
    QTimer::singleShot(0, this, [junk]() {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        QVERIFY(dialog);
        dialog->selectFile(junk);
        static_cast<QDialog*>(dialog)->accept();
    });
    QTest::mouseClick(button("Set image"), Qt::LeftButton);
    QCOMPARE(info->text(), QString("<i>Cannot load image: incorrect format</i>"));
    QVERIFY(messages.contains("Cannot load image: incorrect format"));
    QCOMPARE(photo()->pixmap(Qt::ReturnByValue).size(), before);

    QTimer::singleShot(0, this, []() {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        QVERIFY(dialog);
        dialog->reject();
    });
    QTest::mouseClick(button("Set image"), Qt::LeftButton);
    QVERIFY(info->text().isEmpty());
}

void TestImages::clearImageStoresZero()
{
    buildList();
    const int pizza = _document->getIDByName(Book::Recipes, "Pizza");
    _document->updateItem(Book::Recipes, pizza, Book::RecipePhoto,
                          encoded(picture(80, 60, false), "JPG"));
    QTest::mouseClick(button("Revert"), Qt::LeftButton);
    QVERIFY(!photo()->empty);
    QCOMPARE(photo()->pixmap(Qt::ReturnByValue).size(), QSize(80, 60));

    QTest::mouseClick(button("Clear image"), Qt::LeftButton);
    QVERIFY(photo()->empty);
    QCOMPARE(photo()->pixmap(Qt::ReturnByValue).size(), QSize(30, 20));
    QTest::mouseClick(button("Save"), Qt::LeftButton);
    std::vector<QVariant> row;
    QVERIFY(_document->getRowByID(Book::Recipes, pizza, row));
    QCOMPARE(row[Book::RecipePhoto].toByteArray(), QByteArray("0"));
    QVERIFY(photo()->empty);
}

void TestImages::webCameraButton_data()
{
    QTest::addColumn<QString>("answer");
    QTest::newRow("cancel keeps the photo") << "cancelButton";
    QTest::newRow("OK without a capture gives the default picture") << "okButton";
}

void TestImages::webCameraButton()
{
    QFETCH(QString, answer);
    buildList();
    const int pizza = _document->getIDByName(Book::Recipes, "Pizza");
    _document->updateItem(Book::Recipes, pizza, Book::RecipePhoto,
                          encoded(picture(80, 60, false), "JPG"));
    QTest::mouseClick(button("Revert"), Qt::LeftButton);
    bool dialogShown = false;
    QTimer::singleShot(0, this, [answer, &dialogShown]() {
        auto* dialog = qobject_cast<WebCamDialog*>(QApplication::activeModalWidget());
        dialogShown = dialog != nullptr;
        if (!dialog)
            return;
        auto* capture = dialog->findChild<QPushButton*>("captureButton");
        QVERIFY(capture && !capture->isEnabled()); // no camera on a headless machine
        auto* target = dialog->findChild<QPushButton*>(answer);
        QVERIFY(target && target->isEnabled());
        QTest::mouseClick(target, Qt::LeftButton);
    });
    QTest::mouseClick(button("Get image from web camera"), Qt::LeftButton);
    QVERIFY(dialogShown);
    QTest::mouseClick(button("Save"), Qt::LeftButton);

    std::vector<QVariant> row;
    QVERIFY(_document->getRowByID(Book::Recipes, pizza, row));
    const QImage stored = QImage::fromData(row[Book::RecipePhoto].toByteArray());
    QVERIFY(!photo()->empty);
    if (answer == "cancelButton") {
        QCOMPARE(photo()->pixmap(Qt::ReturnByValue).size(), QSize(80, 60));
        QCOMPARE(stored.size(), QSize(80, 60));
    } else {
        // The default picture is stored as picture bytes, never as "no picture".
        QVERIFY(row[Book::RecipePhoto].toByteArray() != QByteArray("0"));
        QVERIFY(!stored.isNull());
        const QColor centre = stored.pixelColor(stored.width() / 2, stored.height() / 2);
        QVERIFY(centre.blue() > 240 && centre.red() < 16 && centre.green() < 16); // JPG is lossy
    }
}

void TestImages::imageLabelLookupFailures_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("message");
    QTest::newRow("not a number") << "photo"
                                  << "Cannot extract index";
    QTest::newRow("too large") << "6"
                               << "Index out of range";
    QTest::newRow("negative") << "-1"
                              << "Index out of range";
    QTest::newRow("not a picture field") << "0"
                                         << "Incorrect data type";
}

void TestImages::imageLabelLookupFailures()
{
    QFETCH(QString, name);
    QFETCH(QString, message);
    buildList();
    MessageCapture messages;
    QVERIFY(!_list->_getImageLabel(name));
    QVERIFY(messages.contains(message));
    QCOMPARE(_list->_getImageLabel(QString::number(Book::RecipePhoto)), photo());

    QPushButton stray;
    stray.setObjectName(name);
    connect(&stray, &QPushButton::clicked, _list, &EditableDataList::onClearImageRequested);
    messages.clear();
    QTest::mouseClick(&stray, Qt::LeftButton);
    QVERIFY(messages.contains("Cannot get image widget"));
}

QTEST_MAIN(TestImages)
#include "tst_images.moc"
