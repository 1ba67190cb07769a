// Picture widgets: the display rule, stored values, drops of picture data,
// HTML and URLs (downloaded from a local server), and the photo editor.
#include "data/recipebook.h"
#include "editing/editabledatalist.h"
#include "images/dropimagelabel.h"
#include "images/droptextedit.h"
#include "images/imagelabel.h"
#include "images/pictures.h"
#include "images/webcamdialog.h"
#include "support/editingfixture.h"

#include <QApplication>
#include <QBuffer>
#include <QClipboard>
#include <QFileDialog>
#include <QLabel>
#include <QMimeData>
#include <QPushButton>
#include <QRandomGenerator>
#include <QScrollBar>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTextDocument>
#include <QTimer>

#include <map>

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
        QByteArray& request = _pending[socket];
        request += socket->readAll();
        if (!request.contains("\r\n\r\n"))
            return;
        const QString path = QString::fromLatin1(request.split(' ').value(1));
        requests << path;
        const auto found = bodies.find(path);
        socket->write(found == bodies.end()
                          ? QByteArray("HTTP/1.0 404 Not Found\r\nContent-Length: 0\r\n\r\n")
                          : "HTTP/1.0 200 OK\r\nContent-Type: application/octet-stream\r\n"
                            "Content-Length: " +
                                QByteArray::number(found->second.size()) + "\r\n\r\n" +
                                found->second);
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

QImage picture(int w, int h, bool alpha, QColor colour = Qt::red)
{
    QImage image(w, h, alpha ? QImage::Format_ARGB32 : QImage::Format_RGB32);
    if (alpha)
        colour.setAlpha(128);
    image.fill(colour);
    return image;
}

QByteArray encoded(const QImage& image, const char* format)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, format);
    return bytes;
}

quint32 crc32(const QByteArray& data)
{
    quint32 crc = 0xffffffff;
    for (const char byte : data) {
        crc ^= static_cast<uchar>(byte);
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc >> 1) ^ (0xedb88320 & (0 - (crc & 1)));
    }
    return ~crc;
}

// A few hundred bytes whose header claims 65500 x 65500 pixels: decoded, they
// would take many gigabytes and a long time.
QByteArray pictureBomb(const char* format)
{
    QByteArray bytes = encoded(picture(8, 8, false), format);
    const QByteArray side("\xff\xdc", 2);
    if (QByteArray(format) == "PNG") { // IHDR: width and height, then a checksum
        bytes.replace(18, 2, side).replace(22, 2, side);
        const quint32 crc = crc32(bytes.mid(12, 17));
        for (int i = 0; i < 4; ++i)
            bytes[29 + i] = static_cast<char>(crc >> (24 - 8 * i));
    } else { // the frame header: height, then width
        const int frame = bytes.indexOf("\xff\xc0");
        bytes.replace(frame + 5, 2, side).replace(frame + 7, 2, side);
    }
    return bytes;
}

QImage decodeFirstDataImage(const QString& html)
{
    const QRegularExpressionMatch match =
        QRegularExpression("data:image/(\\w+);base64,([A-Za-z0-9+/=]+)").match(html);
    if (!match.hasMatch())
        return QImage();
    return QImage::fromData(QByteArray::fromBase64(match.captured(2).toLatin1()),
                            match.captured(1).toLatin1().constData());
}

QByteArray stored(ImageLabel* label)
{
    QVariant value("junk");
    Probe().imageToVar(label, value);
    return value.toByteArray();
}

QSize shownSize(const QLabel& label)
{
    return label.pixmap(Qt::ReturnByValue).size();
}

} // namespace

class TestImages : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }
    void init();
    void cleanup() { _book.close(); }

    void displayRuleAndStoredFormat_data();
    void displayRuleAndStoredFormat();
    void placeholderRule_data();
    void placeholderRule();
    void failedStoreKeepsNoPicture_data();
    void failedStoreKeepsNoPicture();
    void imageVarToHtmlEmbedsPicture();
    void extensions();
    void sourceScanner_data();
    void sourceScanner();
    void sourceKinds_data();
    void sourceKinds();

    void labelTakesMimeData_data();
    void labelTakesMimeData();
    void labelDragAndDrop();

    void textPastesPlainText();
    void textSetWhileHiddenIsShownWhole();
    void textEmbedsRawPictures();
    void textDownloadsImageUrlsOnly();
    void textShowsOnlyItsOwnPictures_data();
    void textShowsOnlyItsOwnPictures();
    void rawPictureSurvivesSaveAndReload();
    void unchangedPhotoKeepsItsBytes();

    void photoButtons_data();
    void photoButtons();
    void imageLabelLookupFailures_data();
    void imageLabelLookupFailures();

private:
    void buildList();
    QPushButton* button(const QString& text);
    void click(const QString& text) { QTest::mouseClick(button(text), Qt::LeftButton); }
    ImageLabel* photo();

    SampleBook _book;
    EditableDataList* _list = nullptr;
};

void TestImages::init()
{
    _book.dir.reset(new ScratchDir);
    // The default photo the program shows when a row has none.
    QVERIFY(picture(30, 20, false, Qt::blue).save(_book.dir->filePath("media/defphoto.png")));
    // Without their photo files the sample recipes hold the "no picture" value.
    for (const char* sample : {"pizza.png", "hamburger.png", "shawarma.png"})
        QFile::remove(_book.dir->filePath(QString("media/") + sample));
}

void TestImages::buildList()
{
    _book.document.reset(new Document);
    QVERIFY(_book.document->setDataStructure());
    _book.document->fillSampleBook();
    _list = new EditableDataList(_book.document.get(), Book::Recipes, {Book::CookingPlanRecipes});
    _book.editor.reset(_list);
    QVERIFY(_book.show(_list->layout));
    _list->synchronize();
}

QPushButton* TestImages::button(const QString& text)
{
    for (QPushButton* candidate : _book.window->findChildren<QPushButton*>())
        if (candidate->text() == text)
            return candidate;
    return nullptr;
}

ImageLabel* TestImages::photo()
{
    return qobject_cast<ImageLabel*>(_list->form.widgets[Book::RecipePhoto].widget);
}

void TestImages::displayRuleAndStoredFormat_data()
{
    QTest::addColumn<QSize>("original");
    QTest::addColumn<QSize>("shown");
    QTest::addColumn<bool>("alpha");
    QTest::addColumn<QByteArray>("signature"); // transparent is PNG, opaque is JPG
    const QByteArray png("\x89PNG", 4), jpg("\xFF\xD8\xFF", 3);
    QTest::newRow("wide") << QSize(400, 100) << QSize(200, 50) << false << jpg;
    QTest::newRow("tall") << QSize(100, 400) << QSize(50, 200) << true << png;
    QTest::newRow("small") << QSize(150, 150) << QSize(150, 150) << false << jpg;
    QTest::newRow("square just over") << QSize(201, 201) << QSize(200, 200) << true << png;
    QTest::newRow("exactly fits") << QSize(200, 120) << QSize(200, 120) << false << jpg;
    QTest::newRow("truncating") << QSize(300, 301) << QSize(199, 200) << false << jpg;
}

void TestImages::displayRuleAndStoredFormat()
{
    QFETCH(QSize, original);
    QFETCH(QSize, shown);
    QFETCH(bool, alpha);
    QFETCH(QByteArray, signature);
    ImageLabel label;
    const QPixmap pixmap = QPixmap::fromImage(picture(original.width(), original.height(), alpha));
    label.setImage(pixmap, false);
    QCOMPARE(shownSize(label), shown);
    // What is stored is what is shown.
    QVERIFY(stored(&label).startsWith(signature));
    QCOMPARE(QImage::fromData(stored(&label)).size(), shown);
    // The default picture stands for "no picture", stored as "0".
    label.setImage(pixmap, true);
    QCOMPARE(stored(&label), QByteArray("0"));
}

void TestImages::placeholderRule_data()
{
    QTest::addColumn<QByteArray>("value");
    QTest::addColumn<bool>("usesDefault");
    QTest::addColumn<QSize>("size");  // of the pixmap; invalid: none
    QTest::addColumn<QSize>("shown"); // on a picture label
    QTest::addColumn<bool>("refused");
    const QSize def(30, 20);
    QTest::newRow("zero") << QByteArray("0") << true << def << def << false;
    QTest::newRow("empty") << QByteArray() << true << def << def << false;
    QTest::newRow("nine bytes") << QByteArray("123456789") << true << def << def << false;
    QTest::newRow("ten bytes") << QByteArray("1234567890") << false << QSize() << QSize() << false;
    QTest::newRow("picture") << encoded(picture(400, 100, false), "PNG") << false << QSize(200, 50)
                             << QSize(200, 50) << false;
    // Refused from the header alone, the picture stays stored and unseen.
    QTest::newRow("JPG too large") << pictureBomb("JPG") << false << def << def << true;
    QTest::newRow("PNG too large") << pictureBomb("PNG") << false << def << def << true;
}

void TestImages::placeholderRule()
{
    QFETCH(QByteArray, value);
    QFETCH(bool, usesDefault);
    QFETCH(QSize, size);
    QFETCH(QSize, shown);
    QFETCH(bool, refused);
    QPixmap out = QPixmap::fromImage(picture(5, 5, false));
    MessageCapture messages;
    QCOMPARE(varToPixmap(QVariant(value), out), usesDefault);
    QCOMPARE(out.isNull() ? QSize() : out.size(), size);
    QCOMPARE(messages.contains("Picture refused: 65500 x 65500 pixels"), refused);
    if (!shown.isValid())
        return;
    ImageLabel label;
    varToImageLabel(&label, QVariant(value));
    QCOMPARE(label.empty, usesDefault);
    QCOMPARE(shownSize(label), shown);
    QCOMPARE(stored(&label), usesDefault ? QByteArray("0") : value); // saved as it was read
}

void TestImages::failedStoreKeepsNoPicture_data()
{
    QTest::addColumn<bool>("oversized");
    QTest::addColumn<QString>("message");
    QTest::newRow("over 2 MiB") << true << "Image size should not exceed 2MB";
    QTest::newRow("no picture at all") << false << "Error: cannot save image";
}

void TestImages::failedStoreKeepsNoPicture()
{
    QFETCH(bool, oversized);
    QFETCH(QString, message);
    ImageLabel label;
    QLabel info;
    label.infoLabel = &info;
    // Noise does not compress: far more than 2 MiB as PNG.
    QImage noise(1000, 1000, QImage::Format_ARGB32);
    for (int y = 0; y < noise.height(); ++y)
        QRandomGenerator::global()->fillRange(reinterpret_cast<quint32*>(noise.scanLine(y)),
                                              noise.width());
    if (oversized)
        label.setPixmap(QPixmap::fromImage(noise)); // bypasses the display rule on purpose
    MessageCapture messages;
    QCOMPARE(stored(&label), QByteArray("0"));
    QCOMPARE(info.text(), message);
    QVERIFY(messages.contains(message));
    if (!oversized)
        return;
    // The same noise at displayable size is stored.
    label.setImage(QPixmap::fromImage(noise), false);
    QVERIFY(stored(&label).size() > MaxPlaceholderBytes);
    QVERIFY(stored(&label).size() <= MaxStoredPictureBytes);
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

void TestImages::extensions()
{
    for (const char* yes : {"bmp", "jpg", "jpeg", "png", "BMP", "JPG", "JPEG", "PNG"})
        QVERIFY2(isImageExtension(yes), yes);
    for (const char* no : {"Png", "gif", "", "jPg"})
        QVERIFY2(!isImageExtension(no), no);
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
    const int data = int(ImageSourceKind::Data), ignored = int(ImageSourceKind::Ignored);
    QTest::newRow("png data") << "data:image/png;base64," + png << data << "png";
    QTest::newRow("jpeg data") << "data:image/jpeg;base64,AAAA" << data << "jpeg";
    QTest::newRow("address") << "http://example.org/pic.jpg" << int(ImageSourceKind::Address) << "";
    QTest::newRow("long format") << "data:image/svg+xml;base64,PHN2Zz4=" << ignored << "";
    QTest::newRow("base64 only") << "x;base64,AAAA" << ignored << "";
    QTest::newRow("data only") << "data:image/png,raw" << ignored << "";
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

// Each step of reading dropped data is an alternative: the first that gives
// a picture ends the search, so a picture is fetched once.
void TestImages::labelTakesMimeData_data()
{
    QTest::addColumn<bool>("raw");
    QTest::addColumn<QString>("html"); // %1 stands for the local server
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("urls"); // "/path" on the server, or a file name
    QTest::addColumn<QSize>("shown");      // invalid: nothing shown
    QTest::addColumn<QString>("info");
    QTest::addColumn<QStringList>("requests");
    const QString png = QString::fromLatin1(encoded(picture(60, 40, true), "PNG").toBase64());
    const QStringList none;
    QTest::newRow("raw picture") << true << ""
                                 << "" << none << QSize(200, 50) << "" << none;
    QTest::newRow("data url, no download")
        << false << "<p>look</p><img src=\"data:image/png;base64," + png + "\">"
        << "" << none << QSize(60, 40) << "" << none;
    QTest::newRow("long format name")
        << false << "<img src=\"data:image/svg+xml;base64,PHN2Zz48L3N2Zz4=\">"
        << "" << none << QSize() << "Unknown format" << none;
    QTest::newRow("plain words") << false << ""
                                 << "just words" << none << QSize() << "Unknown format" << none;
    QTest::newRow("html address") << false << "<img src=\"%1/dish.jpg\">"
                                  << "" << none << QSize(200, 100) << ""
                                  << QStringList{"/dish.jpg"};
    QTest::newRow("broken url, then a file") << false << ""
                                             << "" << QStringList{"/broken.png", "dropped.png"}
                                             << QSize(50, 80) << "" << QStringList{"/broken.png"};
    QTest::newRow("html and url of one picture")
        << false << "<img src=\"%1/once.png\">"
        << "" << QStringList{"/once.png"} << QSize(20, 20) << "" << QStringList{"/once.png"};
    QTest::newRow("download too large") << false << ""
                                        << "" << QStringList{"/bomb.png"} << QSize() << ""
                                        << QStringList{"/bomb.png"};
}

void TestImages::labelTakesMimeData()
{
    QFETCH(bool, raw);
    QFETCH(QString, html);
    QFETCH(QString, text);
    QFETCH(QStringList, urls);
    QFETCH(QSize, shown);
    QFETCH(QString, info);
    QFETCH(QStringList, requests);
    PictureServer server;
    server.bodies["/dish.jpg"] = encoded(picture(300, 150, false), "JPG");
    server.bodies["/once.png"] = encoded(picture(20, 20, true), "PNG");
    server.bodies["/broken.png"] = "not a picture at all";
    server.bodies["/bomb.png"] = pictureBomb("PNG");
    QVERIFY(picture(50, 80, true).save(_book.dir->filePath("dropped.png")));
    QList<QUrl> links;
    for (const QString& url : urls)
        links << (url.startsWith('/') ? QUrl(server.url(url))
                                      : QUrl::fromLocalFile(_book.dir->filePath(url)));
    QMimeData data;
    if (raw)
        data.setImageData(picture(400, 100, false));
    if (!html.isEmpty())
        data.setHtml(html.arg(server.url(QString())));
    if (!text.isEmpty())
        data.setText(text);
    if (!links.isEmpty())
        data.setUrls(links);
    DropImageLabel label;
    QLabel infoLabel;
    label.infoLabel = &infoLabel;
    label.empty = true;
    MessageCapture messages;
    label.getImagesFromMimeData(&data);
    if (shown.isValid())
        QTRY_COMPARE(shownSize(label), shown);
    QTest::qWait(requests.isEmpty() ? 0 : 200);
    QCOMPARE(label.pixmap(Qt::ReturnByValue).isNull(), !shown.isValid());
    QCOMPARE(label.empty, !shown.isValid());
    QCOMPARE(infoLabel.text(), info);
    QCOMPARE(server.requests, requests);
    // Dropped links are read one after another only when nothing else gave a picture.
    QCOMPARE(messages.contains("url:"), !html.contains("%1") && !links.isEmpty());
    for (const QUrl& link : links)
        if (html.isEmpty())
            QVERIFY(messages.contains("url:" + link.toString()));
}

void TestImages::labelDragAndDrop()
{
    DropImageLabel label;
    QVERIFY(label.acceptDrops());
    QMimeData text, image, uris;
    text.setText("words");
    image.setImageData(picture(30, 30, false));
    uris.setUrls({QUrl("http://127.0.0.1:1/x.png")});
    for (QMimeData* data : {&text, &image, &uris}) {
        QDragEnterEvent enter(QPoint(1, 1), Qt::CopyAction, data, Qt::LeftButton, Qt::NoModifier);
        enter.setAccepted(false);
        QApplication::sendEvent(&label, &enter);
        QCOMPARE(enter.isAccepted(), data != &text);
    }
    QDropEvent drop(QPointF(1, 1), Qt::CopyAction, &image, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&label, &drop);
    QVERIFY(drop.isAccepted());
    QCOMPARE(shownSize(label), QSize(30, 30));
}

// Plain text and links to what is not a picture arrive as text.
void TestImages::textPastesPlainText()
{
    DropTextEdit edit;
    edit.show();
    QVERIFY(QTest::qWaitForWindowExposed(&edit));
    edit.setFocus();
    for (const char* text : {"Mix well.", " Serve warm."}) {
        QApplication::clipboard()->setText(text);
        edit.moveCursor(QTextCursor::End);
        QTest::keyClick(&edit, Qt::Key_V, Qt::ControlModifier);
    }
    QCOMPARE(edit.toPlainText(), QString("Mix well. Serve warm."));
    QMimeData link;
    link.setUrls({QUrl("http://127.0.0.1:9/page.html")});
    link.setText(" See page.");
    edit.moveCursor(QTextCursor::End);
    edit.insertFromMimeData(&link);
    QCOMPARE(edit.toPlainText(), QString("Mix well. Serve warm. See page."));
}

// A text set while the editor was hidden is laid out at the editor's width,
// scroll range and all, once it is shown again.
void TestImages::textSetWhileHiddenIsShownWhole()
{
    DropTextEdit edit;
    edit.resize(300, 200);
    edit.show();
    QVERIFY(QTest::qWaitForWindowExposed(&edit));
    edit.hide();
    edit.setPlainText(QString("Stir the sauce slowly. ").repeated(2000));
    edit.show();
    QVERIFY(QTest::qWaitForWindowExposed(&edit));
    QTRY_VERIFY(edit.verticalScrollBar()->maximum() > 1000);
    QVERIFY(edit.document()->size().width() <= edit.viewport()->width());
    edit.verticalScrollBar()->setValue(edit.verticalScrollBar()->maximum());
    QVERIFY(edit.cursorForPosition(QPoint(5, edit.viewport()->height() - 5)).position() > 40000);
}

// Raw pictures become Base64 data images: two pastes give two pictures,
// and they survive being stored and shown again.
void TestImages::textEmbedsRawPictures()
{
    DropTextEdit edit;
    edit.setPlainText("Steps");
    edit.moveCursor(QTextCursor::End);
    MessageCapture messages;
    for (const QImage& image :
         {picture(400, 100, true, Qt::red), picture(60, 60, false, Qt::green)}) {
        auto* data = new QMimeData;
        data->setImageData(image);
        QApplication::clipboard()->setMimeData(data);
        edit.paste();
    }
    QVERIFY(messages.contains("Raw image case"));

    const QString body = edit.bodyHtml();
    QCOMPARE(body.count("data:image/"), 2);
    QVERIFY(!body.contains("<body") && !body.contains("<html"));
    QVERIFY(body.contains("data:image/png;base64,"));
    QVERIFY(body.contains("data:image/jpg;base64,"));
    QCOMPARE(decodeFirstDataImage(body).size(), QSize(200, 50));

    DropTextEdit reloaded;
    reloaded.setHtml(body);
    QCOMPARE(reloaded.bodyHtml().count("data:image/"), 2);
    const QVariant shown = reloaded.document()->resource(QTextDocument::ImageResource,
                                                         QUrl(imageSources(body).value(0)));
    QCOMPARE(qvariant_cast<QImage>(shown).size(), QSize(200, 50));
}

// Every link with a picture's extension is fetched and appended, scaled by
// the display rule; other links are left alone.
void TestImages::textDownloadsImageUrlsOnly()
{
    PictureServer server;
    for (const char* path : {"/a.PNG", "/b.Png", "/c.gif"})
        server.bodies[path] = encoded(picture(30, 10, true), "PNG");
    const QString file = _book.dir->filePath("wide.jpg");
    QVERIFY(picture(400, 100, false).save(file, "JPG"));
    DropTextEdit edit;
    edit.setHtml("<p>Before</p>");
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(file), QUrl(server.url("/a.PNG")), QUrl(server.url("/b.Png")),
                  QUrl(server.url("/c.gif")), QUrl("http://127.0.0.1:1/noextension")});
    edit.insertFromMimeData(&data);
    QTRY_COMPARE(edit.bodyHtml().count("data:image/"), 2);
    QTest::qWait(200);
    QCOMPARE(server.requests, QStringList{"/a.PNG"});
    const QString body = edit.bodyHtml();
    QVERIFY(body.indexOf("Before") < body.indexOf("data:image/jpg;base64,"));
    QCOMPARE(decodeFirstDataImage(body).size(), QSize(200, 50));
}

void TestImages::textShowsOnlyItsOwnPictures_data()
{
    QTest::addColumn<QString>("source"); // %1: the working directory
    QTest::addColumn<QSize>("shown");    // 1 x 1: a blank instead of the picture
    QTest::addColumn<bool>("refused");
    const auto data = [](const QByteArray& bytes) {
        return "data:image/png;base64," + QString::fromLatin1(bytes.toBase64());
    };
    QTest::newRow("data") << data(encoded(picture(60, 40, true), "PNG")) << QSize(60, 40) << false;
    QTest::newRow("data too large") << data(pictureBomb("PNG")) << QSize(1, 1) << true;
    QTest::newRow("local file") << "file://%1/dropped.png" << QSize(1, 1) << false;
    QTest::newRow("file path") << "%1/dropped.png" << QSize(1, 1) << false;
}

// A text from someone else's book reads no file of the disk and decodes no
// picture too large.
void TestImages::textShowsOnlyItsOwnPictures()
{
    QFETCH(QString, source);
    QFETCH(QSize, shown);
    QFETCH(bool, refused);
    QVERIFY(picture(50, 80, true).save(_book.dir->filePath("dropped.png")));
    source.replace("%1", _book.dir->path());
    DropTextEdit edit;
    MessageCapture messages;
    edit.setHtml("<p>Stir</p><img src=\"" + source + "\">");
    edit.show();
    QVERIFY(QTest::qWaitForWindowExposed(&edit));
    const QImage image =
        qvariant_cast<QImage>(edit.document()->resource(QTextDocument::ImageResource, source));
    QCOMPARE(image.size(), shown);
    QCOMPARE(messages.contains("Picture refused: 65500 x 65500 pixels"), refused);
    QVERIFY(edit.bodyHtml().contains(source)); // stored again as it was
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
    click("Save");

    const QString file = _book.dir->filePath("book.carb");
    QVERIFY(_book.document->SaveDocument(file));
    _book.window.reset();
    _book.editor.reset();
    _book.document.reset();
    QSqlDatabase::removeDatabase(QSqlDatabase::defaultConnection);

    _book.document.reset(new Document);
    QVERIFY(_book.document->setDataStructure());
    QVERIFY(_book.document->OpenDocument(file));
    const QString stored =
        _book
            .row(Book::Recipes,
                 _book.document->getIDByName(Book::Recipes, "Pizza"))[Book::RecipeDescription]
            .toString();
    QVERIFY(stored.contains("Famous Italian food"));
    QCOMPARE(decodeFirstDataImage(stored).size(), QSize(100, 80));
    QCOMPARE(decodeFirstDataImage(stored).pixelColor(5, 5).rgb(), QColor(Qt::darkYellow).rgb());
}

// Pizza's stored 80×60 photo, then a photo button and Save. A file that is
// no picture, a cancelled dialog or a cancelled camera keep the photo; Clear
// stores "0"; the camera's OK without a capture stores the default picture
// as picture bytes.
void TestImages::unchangedPhotoKeepsItsBytes()
{
    // Saving a row whose photo was not touched must not re-encode it: an
    // opaque PNG (as the sample photos are) would become a lossy JPG.
    buildList();
    const int pizza = _book.document->getIDByName(Book::Recipes, "Pizza");
    const QByteArray png = encoded(picture(120, 90, false), "PNG");
    _book.document->updateItem(Book::Recipes, pizza, Book::RecipePhoto, png);
    click("Revert");
    for (int save = 0; save < 3; ++save)
        click("Save");
    std::vector<QVariant> row;
    QVERIFY(_book.document->getRowByID(Book::Recipes, pizza, row));
    QCOMPARE(row[Book::RecipePhoto].toByteArray(), png);
}

void TestImages::photoButtons_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<QString>("answer"); // file content, or the camera dialog's button
    QTest::addColumn<QSize>("stored");   // of the stored picture; invalid: "0"
    QTest::addColumn<QString>("info");
    const QSize photo(80, 60);
    QTest::newRow("set from a file") << "Set image"
                                     << "picture" << QSize(200, 150) << "";
    QTest::newRow("set from no picture")
        << "Set image"
        << "this is not a picture" << photo << "<i>Cannot load image: incorrect format</i>";
    QTest::newRow("set from a picture too large")
        << "Set image"
        << "bomb" << photo << "<i>Cannot load image: incorrect format</i>";
    QTest::newRow("set cancelled") << "Set image"
                                   << "" << photo << "";
    QTest::newRow("clear") << "Clear image"
                           << "" << QSize() << "";
    QTest::newRow("camera cancelled") << "Get image from web camera"
                                      << "cancelButton" << photo << "";
    QTest::newRow("camera OK without a capture") << "Get image from web camera"
                                                 << "okButton" << QSize(200, 200) << "";
}

void TestImages::photoButtons()
{
    QFETCH(QString, button);
    QFETCH(QString, answer);
    QFETCH(QSize, stored);
    QFETCH(QString, info);
    buildList();
    const int pizza = _book.document->getIDByName(Book::Recipes, "Pizza");
    _book.document->updateItem(Book::Recipes, pizza, Book::RecipePhoto,
                               encoded(picture(80, 60, false), "JPG"));
    click("Revert");
    QCOMPARE(shownSize(*photo()), QSize(80, 60));
    const QString file = _book.dir->filePath("photo.png");
    QFile out(file);
    QVERIFY(out.open(QIODevice::WriteOnly));
    out.write(answer == "picture" ? encoded(picture(400, 300, true), "PNG")
              : answer == "bomb"    ? pictureBomb("JPG")
                                    : answer.toLatin1());
    out.close();
    if (button == "Set image" && answer.isEmpty())
        photo()->infoLabel->setText("old message"); // cancelling clears an earlier message
    bool dialogShown = false;
    QString startFolder;
    QTimer::singleShot(0, this, [answer, file, &dialogShown, &startFolder]() {
        QWidget* modal = QApplication::activeModalWidget();
        dialogShown = modal != nullptr;
        if (auto* files = qobject_cast<QFileDialog*>(modal)) {
            QCOMPARE(files->nameFilters(), QStringList{"Image files (*.bmp *.jpg *.jpeg *.png)"});
            startFolder = files->directory().absolutePath();
            if (answer.isEmpty())
                return files->reject();
            files->selectFile(file);
            static_cast<QDialog*>(files)->accept();
        } else if (auto* camera = qobject_cast<WebCamDialog*>(modal)) {
            auto* capture = camera->findChild<QPushButton*>("captureButton");
            QVERIFY(capture && !capture->isEnabled()); // no camera on a headless machine
            QTest::mouseClick(camera->findChild<QPushButton*>(answer), Qt::LeftButton);
        }
    });
    MessageCapture messages;
    click(button);
    QCOMPARE(dialogShown, button != "Clear image");
    // Where the user keeps pictures, never the program's working directory.
    if (button == "Set image")
        QVERIFY2(!startFolder.isEmpty() && startFolder != QDir::currentPath(),
                 qPrintable(startFolder));
    if (button == "Set image")
        QCOMPARE(photo()->infoLabel->text(), info);
    QCOMPARE(messages.contains("Cannot load image: incorrect format"), !info.isEmpty());
    QCOMPARE(photo()->empty, !stored.isValid());
    QCOMPARE(shownSize(*photo()), stored.isValid() ? stored : QSize(30, 20));
    click("Save");
    const QByteArray bytes = _book.row(Book::Recipes, pizza)[Book::RecipePhoto].toByteArray();
    QCOMPARE(bytes == "0", !stored.isValid());
    const QImage image = QImage::fromData(bytes);
    QCOMPARE(image.isNull() ? QSize() : image.size(), stored);
    if (answer == "okButton") { // the blue default picture; JPG is lossy
        const QColor centre = image.pixelColor(100, 100);
        QVERIFY(centre.blue() > 240 && centre.red() < 16 && centre.green() < 16);
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
