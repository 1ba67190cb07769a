// Picture widgets: the display rule, stored values, drops of picture data,
// HTML and URLs (downloaded from a local server), the photo editor, list
// icons and the camera dialog.
#include "data/recipebook.h"
#include "editing/editabledatalist.h"
#include "images/dropimagelabel.h"
#include "images/droptextedit.h"
#include "images/imagelabel.h"
#include "images/photoiconengine.h"
#include "images/pictures.h"
#include "images/webcamdialog.h"
#include "lang/langmodel.h"
#include "support/editingfixture.h"

#include <QApplication>
#include <QBuffer>
#include <QCameraInfo>
#include <QClipboard>
#include <QFileDialog>
#include <QLabel>
#include <QMimeData>
#include <QPainter>
#include <QPushButton>
#include <QRandomGenerator>
#include <QScrollBar>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTextDocument>
#include <QTimer>

namespace {

// Serves fixed bodies on 127.0.0.1 and records the paths asked for.
class PictureServer : public QTcpServer
{
public:
    PictureServer()
    {
        listen(QHostAddress::LocalHost);
        connect(this, &QTcpServer::newConnection, this, [this]() {
            while (QTcpSocket* socket = nextPendingConnection())
                connect(socket, &QTcpSocket::readyRead, this, [this, socket]() {
                    requests << QString::fromLatin1(socket->readAll().split(' ').value(1));
                    const QByteArray body = bodies.value(requests.last());
                    socket->write("HTTP/1.0 200 OK\r\nContent-Length: " +
                                  QByteArray::number(body.size()) + "\r\n\r\n" + body);
                    socket->disconnectFromHost();
                });
        });
    }
    QString url(const QString& path) const
    {
        return "http://127.0.0.1:" + QString::number(serverPort()) + path;
    }
    QMap<QString, QByteArray> bodies;
    QStringList requests;
};

// The picture conversions of every editor, without an editor around them.
struct Probe : EditableEntity
{
    void synchronize() override {}
    void onEditButtonClicked() override {}
};

QImage picture(int w, int h, bool alpha, QColor colour = Qt::red)
{
    QImage image(w, h, alpha ? QImage::Format_ARGB32 : QImage::Format_RGB32);
    colour.setAlpha(alpha ? 128 : 255);
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

QString dataUrl(const QByteArray& png)
{
    return "data:image/png;base64," + QString::fromLatin1(png.toBase64());
}

// A few hundred bytes whose header claims 65500 x 65500 pixels: decoded, they
// would take many gigabytes and a long time.
QByteArray pictureBomb(const char* format)
{
    QByteArray bytes = encoded(picture(8, 8, false), format);
    const QByteArray side("\xff\xdc", 2);
    if (QByteArray(format) == "PNG") { // IHDR: width and height, then its CRC-32
        bytes.replace(18, 2, side).replace(22, 2, side);
        quint32 crc = 0xffffffff;
        for (const char byte : bytes.mid(12, 17)) {
            crc ^= static_cast<uchar>(byte);
            for (int bit = 0; bit < 8; ++bit)
                crc = (crc >> 1) ^ (0xedb88320 & (0 - (crc & 1)));
        }
        for (int i = 0; i < 4; ++i)
            bytes[29 + i] = static_cast<char>(~crc >> (24 - 8 * i));
    } else { // the frame header: height, then width
        const int frame = bytes.indexOf("\xff\xc0");
        bytes.replace(frame + 5, 2, side).replace(frame + 7, 2, side);
    }
    return bytes;
}
const char* const Refused = "Picture refused: 65500 x 65500 pixels";

QImage decodeFirstDataImage(const QString& html)
{
    const QRegularExpressionMatch match =
        QRegularExpression("data:image/(\\w+);base64,([A-Za-z0-9+/=]+)").match(html);
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

void paste(QWidget* target, QMimeData* data)
{
    QApplication::clipboard()->setMimeData(data);
    QTest::keyClick(target, Qt::Key_V, Qt::ControlModifier);
}

} // namespace

class TestImages : public QObject
{
    Q_OBJECT

    SampleBook _book;
    EditableDataList* _list = nullptr;
    int _pizza = 0;

    // The recipe editor, Pizza holding a stored photo of 80 x 60.
    void buildList()
    {
        _book.document.reset(new Document);
        QVERIFY(_book.document->setDataStructure());
        _book.document->fillSampleBook();
        _pizza = _book.document->getIDByName(Book::Recipes, "Pizza");
        _book.document->updateItem(Book::Recipes, _pizza, Book::RecipePhoto,
                                   encoded(picture(80, 60, false), "PNG"));
        _list =
            new EditableDataList(_book.document.get(), Book::Recipes, {Book::CookingPlanRecipes});
        _book.editor.reset(_list);
        QVERIFY(_book.show(_list->layout));
        _list->synchronize();
    }

    void click(const QString& text)
    {
        for (QPushButton* button : _book.window->findChildren<QPushButton*>())
            if (button->text() == text)
                return QTest::mouseClick(button, Qt::LeftButton);
        QFAIL(qPrintable("no button " + text));
    }

    ImageLabel* photo()
    {
        return qobject_cast<ImageLabel*>(_list->form.widgets[Book::RecipePhoto].widget);
    }

private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }
    void cleanup() { _book.close(); }
    void init()
    {
        _book.dir.reset(new ScratchDir);
        // The default photo the program shows when a row has none.
        QVERIFY(picture(30, 20, false, Qt::blue).save(_book.dir->filePath("media/defphoto.png")));
        // Without their photo files the sample recipes hold the "no picture" value.
        for (const char* sample : {"pizza.png", "hamburger.png", "shawarma.png"})
            QFile::remove(_book.dir->filePath(QString("media/") + sample));
    }

    void displayRule_data()
    {
        QTest::addColumn<QSize>("original");
        QTest::addColumn<QSize>("shown");
        QTest::addColumn<bool>("alpha"); // transparent is stored as PNG, opaque as JPG
        QTest::newRow("wide") << QSize(400, 100) << QSize(200, 50) << false;
        QTest::newRow("tall") << QSize(100, 400) << QSize(50, 200) << true;
        QTest::newRow("small") << QSize(150, 150) << QSize(150, 150) << false;
        QTest::newRow("square just over") << QSize(201, 201) << QSize(200, 200) << true;
        QTest::newRow("exactly fits") << QSize(200, 120) << QSize(200, 120) << false;
        QTest::newRow("truncating") << QSize(300, 301) << QSize(199, 200) << false;
    }
    void displayRule()
    {
        QFETCH(QSize, original);
        QFETCH(QSize, shown);
        QFETCH(bool, alpha);
        ImageLabel label;
        const QImage image = picture(original.width(), original.height(), alpha);
        label.setImage(QPixmap::fromImage(image), false);
        QCOMPARE(shownSize(label), shown);
        // What is stored is what is shown.
        QVERIFY(stored(&label).startsWith(alpha ? "\x89PNG" : "\xFF\xD8\xFF"));
        QCOMPARE(QImage::fromData(stored(&label)).size(), shown);
        QCOMPARE(decodeFirstDataImage(imageVarToHtml(encoded(image, "PNG"))).size(), shown);
        // The default picture stands for "no picture", stored as "0".
        label.setImage(QPixmap::fromImage(image), true);
        QCOMPARE(stored(&label), QByteArray("0"));
        const QString html = imageVarToHtml(QByteArray("0"));
        QVERIFY(html.startsWith("<img src=\"data:image/jpg;base64,") && html.endsWith("\"/>"));
        QCOMPARE(decodeFirstDataImage(html).size(), QSize(30, 20));
    }

    void placeholderRule_data()
    {
        QTest::addColumn<QByteArray>("value");
        QTest::addColumn<bool>("usesDefault");
        QTest::addColumn<QSize>("shown");
        QTest::addColumn<bool>("refused");
        const QSize def(30, 20);
        QTest::newRow("zero") << QByteArray("0") << true << def << false;
        QTest::newRow("empty") << QByteArray() << true << def << false;
        QTest::newRow("nine bytes") << QByteArray("123456789") << true << def << false;
        QTest::newRow("ten bytes") << QByteArray("1234567890") << false << QSize(0, 0) << false;
        QTest::newRow("picture") << encoded(picture(400, 100, true), "PNG") << false
                                 << QSize(200, 50) << false;
        // Refused from the header alone, the picture stays stored and unseen.
        QTest::newRow("JPG too large") << pictureBomb("JPG") << false << def << true;
        QTest::newRow("PNG too large") << pictureBomb("PNG") << false << def << true;
    }
    void placeholderRule()
    {
        QFETCH(QByteArray, value);
        QFETCH(bool, usesDefault);
        QFETCH(QSize, shown);
        QFETCH(bool, refused);
        QPixmap out = QPixmap::fromImage(picture(5, 5, false));
        MessageCapture messages;
        QCOMPARE(varToPixmap(QVariant(value), out), usesDefault);
        QCOMPARE(out.size(), shown);
        QCOMPARE(messages.contains(Refused), refused);
        ImageLabel label;
        varToImageLabel(&label, QVariant(value));
        QCOMPARE(label.empty, usesDefault);
        QCOMPARE(shownSize(label), shown);
        QCOMPARE(stored(&label), usesDefault ? QByteArray("0") : value); // saved as it was read
    }

    void failedStoreKeepsNoPicture()
    {
        ImageLabel label;
        QLabel info;
        label.infoLabel = &info;
        MessageCapture messages;
        QCOMPARE(stored(&label), QByteArray("0"));
        QCOMPARE(info.text(), QString("Error: cannot save image"));
        // Noise does not compress: far more than 2 MiB as PNG.
        QImage noise(1000, 1000, QImage::Format_ARGB32);
        for (int y = 0; y < noise.height(); ++y)
            QRandomGenerator::global()->fillRange(reinterpret_cast<quint32*>(noise.scanLine(y)),
                                                  noise.width());
        label.setPixmap(QPixmap::fromImage(noise)); // bypasses the display rule on purpose
        QCOMPARE(stored(&label), QByteArray("0"));
        QCOMPARE(info.text(), QString("Image size should not exceed 2MB"));
        QCOMPARE(messages.diagnostics("Error: cannot save image"), 1);
        QCOMPARE(messages.diagnostics("Image size should not exceed 2MB"), 1);
        // The same noise at displayable size is stored.
        label.setImage(QPixmap::fromImage(noise), false);
        QVERIFY(stored(&label).size() > MaxPlaceholderBytes);
        QVERIFY(stored(&label).size() <= MaxStoredPictureBytes);
    }

    // What each img source of an HTML text is: an address, data (format and
    // size of the picture) or ignored.
    void imageSources_data()
    {
        QTest::addColumn<QString>("html");
        QTest::addColumn<QStringList>("sources");
        const QString png = dataUrl(encoded(picture(4, 3, true), "PNG"));
        QTest::newRow("plain") << "<p><img src=\"a.png\"></p>" << QStringList{"a.png"};
        QTest::newRow("blank after bracket") << "< img src=\"a\">" << QStringList{"a"};
        QTest::newRow("others first")
            << "<img alt=\"x\" width=\"3\" src=\"b\"/>" << QStringList{"b"};
        QTest::newRow("two") << "<img src=\"a\"> and <img src=\"b\">" << QStringList{"a", "b"};
        QTest::newRow("blank before equals") << "<img src =\"c\">" << QStringList{"c"};
        QTest::newRow("blank after equals") << "<img src= \"c\">" << QStringList{};
        QTest::newRow("upper case tag") << "<IMG SRC=\"a\">" << QStringList{};
        QTest::newRow("src outside tag") << "<img alt=\"y\"> src=\"z\"" << QStringList{};
        QTest::newRow("unterminated") << "<img src=\"abc" << QStringList{};
        QTest::newRow("other tag") << "<image src=\"q\">" << QStringList{};
        QTest::newRow("png data") << "<img src=\"" + png + "\">" << QStringList{"data png 4x3"};
        QTest::newRow("jpeg data")
            << "<img src=\"data:image/jpeg;base64,AAAA\">" << QStringList{"data jpeg 0x0"};
        QTest::newRow("long format")
            << "<img src=\"data:image/svg+xml;base64,PHN2Zz4=\">" << QStringList{"ignored"};
        QTest::newRow("base64 only") << "<img src=\"x;base64,AAAA\">" << QStringList{"ignored"};
        QTest::newRow("data only") << "<img src=\"data:image/png,raw\">" << QStringList{"ignored"};
    }
    void imageSources()
    {
        QFETCH(QString, html);
        QFETCH(QStringList, sources);
        QStringList found;
        for (const QString& source : ::imageSources(html)) {
            QByteArray bytes;
            QString format;
            const ImageSourceKind kind = classifyImageSource(source, bytes, format);
            const QSize size =
                QImage::fromData(bytes, format.toLatin1().constData()).size().expandedTo({0, 0});
            found << (kind == ImageSourceKind::Address   ? source
                      : kind == ImageSourceKind::Ignored ? "ignored"
                                                         : QString("data %1 %2x%3")
                                                               .arg(format)
                                                               .arg(size.width())
                                                               .arg(size.height()));
        }
        QCOMPARE(found, sources);
    }

    void photoIcon_data()
    {
        QTest::addColumn<QVariant>("photo");
        QTest::addColumn<QSize>("requested");
        QTest::addColumn<QSize>("expected");
        QTest::addColumn<QColor>("colour");
        const QVariant photo(encoded(picture(200, 100, false), "PNG"));
        QTest::newRow("scaled down") << photo << QSize(20, 20) << QSize(20, 10) << QColor(Qt::red);
        QTest::newRow("not enlarged")
            << photo << QSize(400, 300) << QSize(200, 100) << QColor(Qt::red);
        QTest::newRow("no picture")
            << QVariant(QByteArray("0")) << QSize(100, 100) << QSize(30, 20) << QColor(Qt::blue);
        QTest::newRow("no photo column")
            << QVariant() << QSize(10, 30) << QSize(10, 6) << QColor(Qt::blue);
    }
    // List icons decode their photo when first drawn, centred in the space given.
    void photoIcon()
    {
        QFETCH(QVariant, photo);
        QFETCH(QSize, requested);
        QFETCH(QSize, expected);
        QFETCH(QColor, colour);
        const QIcon icon(new PhotoIconEngine(photo));
        // Laying out a list asks for sizes only; that must not need the picture.
        QCOMPARE(icon.actualSize(requested), requested);
        QCOMPARE(icon.pixmap(requested).size(), expected);
        QCOMPARE(icon.actualSize(requested), expected);
        QImage canvas(requested, QImage::Format_RGB32);
        canvas.fill(Qt::white);
        QPainter painter(&canvas);
        QIcon(new PhotoIconEngine(photo)).paint(&painter, canvas.rect());
        painter.end();
        QCOMPARE(canvas.pixelColor(requested.width() / 2, requested.height() / 2), colour);
        QCOMPARE(canvas.pixelColor(0, 0), QColor(Qt::white));
    }

    // Each step of reading dropped data is an alternative: the first that
    // gives a picture ends the search, so a picture is fetched once.
    void labelTakesMimeData_data()
    {
        QTest::addColumn<QString>("html"); // %1 stands for the local server; "raw": a picture
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("urls"); // "/path" on the server, or a file name
        QTest::addColumn<QSize>("shown");
        QTest::addColumn<QString>("info");
        QTest::addColumn<QStringList>("requests");
        const QString png = dataUrl(encoded(picture(60, 40, true), "PNG"));
        const QStringList none;
        const QSize no(0, 0);
        QTest::newRow("raw picture") << "raw"
                                     << "" << none << QSize(200, 50) << "" << none;
        QTest::newRow("data url") << "<p>look</p><img src=\"" + png + "\">"
                                  << "" << none << QSize(60, 40) << "" << none;
        QTest::newRow("long format name")
            << "<img src=\"data:image/svg+xml;base64,PHN2Zz48L3N2Zz4=\">"
            << "" << none << no << "Unknown format" << none;
        QTest::newRow("plain words") << ""
                                     << "just words" << none << no << "Unknown format" << none;
        QTest::newRow("html address")
            << "<img src=\"%1/dish.jpg\">"
            << "" << none << QSize(200, 100) << "" << QStringList{"/dish.jpg"};
        QTest::newRow("broken url, then a file") << ""
                                                 << "" << QStringList{"/text", "dropped.png"}
                                                 << QSize(50, 80) << "" << QStringList{"/text"};
        QTest::newRow("html and url of one picture")
            << "<img src=\"%1/once.png\">"
            << "" << QStringList{"/once.png"} << QSize(20, 20) << "" << QStringList{"/once.png"};
        QTest::newRow("download too large")
            << ""
            << "" << QStringList{"/bomb.png"} << no << "" << QStringList{"/bomb.png"};
    }
    void labelTakesMimeData()
    {
        QFETCH(QString, html);
        QFETCH(QString, text);
        QFETCH(QStringList, urls);
        QFETCH(QSize, shown);
        QFETCH(QString, info);
        QFETCH(QStringList, requests);
        PictureServer server;
        server.bodies = {{"/dish.jpg", encoded(picture(300, 150, false), "JPG")},
                         {"/once.png", encoded(picture(20, 20, true), "PNG")},
                         {"/text", "not a picture at all"},
                         {"/bomb.png", pictureBomb("PNG")}};
        QVERIFY(picture(50, 80, true).save(_book.dir->filePath("dropped.png")));
        QList<QUrl> links;
        for (const QString& url : urls)
            links << (url.startsWith('/') ? QUrl(server.url(url))
                                          : QUrl::fromLocalFile(_book.dir->filePath(url)));
        QMimeData data;
        if (html == "raw")
            data.setImageData(picture(400, 100, false));
        else if (!html.isEmpty())
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
        QTRY_COMPARE(server.requests, requests);
        QTRY_COMPARE(messages.contains(Refused), urls.contains("/bomb.png"));
        QTRY_COMPARE(shownSize(label), shown);
        QCOMPARE(label.empty, shown.isEmpty());
        QCOMPARE(infoLabel.text(), info);
        // Dropped links are read only when nothing else gave a picture.
        QCOMPARE(messages.count("url:"), html.contains("%1") ? 0 : links.size());
    }

    void labelDragAndDrop()
    {
        DropImageLabel label;
        QVERIFY(label.acceptDrops());
        QMimeData text, image, uris;
        text.setText("words");
        image.setImageData(picture(30, 30, false));
        uris.setUrls({QUrl("http://127.0.0.1:1/x.png")});
        for (QMimeData* data : {&text, &image, &uris}) {
            QDragEnterEvent enter({1, 1}, Qt::CopyAction, data, Qt::LeftButton, Qt::NoModifier);
            enter.setAccepted(false);
            QApplication::sendEvent(&label, &enter);
            QCOMPARE(enter.isAccepted(), data != &text);
        }
        QDropEvent drop({1, 1}, Qt::CopyAction, &image, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(&label, &drop);
        QVERIFY(drop.isAccepted());
        QCOMPARE(shownSize(label), QSize(30, 30));
    }

    // Text, and links to what is not a picture, arrive as text; raw pictures
    // become Base64 data images that are shown again from the stored text.
    void textPastesTextAndEmbedsPictures()
    {
        DropTextEdit edit;
        auto* words = new QMimeData;
        words->setText("Mix well.");
        paste(&edit, words);
        MessageCapture messages;
        for (const QImage& image : {picture(400, 100, true), picture(60, 60, false, Qt::green)}) {
            auto* data = new QMimeData;
            data->setImageData(image);
            paste(&edit, data);
        }
        QVERIFY(messages.contains("Raw image case"));
        auto* link = new QMimeData;
        link->setUrls({QUrl("http://127.0.0.1:9/page.html")});
        link->setText(" See page.");
        paste(&edit, link);
        QCOMPARE(edit.toPlainText().remove(QChar::ObjectReplacementCharacter),
                 QString("Mix well. See page."));
        const QString body = edit.bodyHtml();
        QCOMPARE(body.count("data:image/"), 2);
        QVERIFY(!body.contains("<body") && !body.contains("<html"));
        QVERIFY(body.contains("data:image/png;base64,") && body.contains("data:image/jpg;base64,"));
        QCOMPARE(decodeFirstDataImage(body).size(), QSize(200, 50));
        DropTextEdit reloaded;
        reloaded.setHtml(body);
        QCOMPARE(reloaded.bodyHtml().count("data:image/"), 2);
        const QVariant shown = reloaded.document()->resource(QTextDocument::ImageResource,
                                                             QUrl(::imageSources(body).value(0)));
        QCOMPARE(qvariant_cast<QImage>(shown).size(), QSize(200, 50));
    }

    // A text set while the editor was hidden is laid out at the editor's
    // width, scroll range and all, once it is shown again.
    void textSetWhileHiddenIsShownWhole()
    {
        DropTextEdit edit;
        edit.resize(300, 200);
        edit.show();
        QVERIFY(QTest::qWaitForWindowExposed(&edit));
        edit.hide();
        edit.setPlainText(QString("Stir the sauce slowly. ").repeated(2000));
        edit.show();
        QTRY_VERIFY(edit.verticalScrollBar()->maximum() > 1000);
        QVERIFY(edit.document()->size().width() <= edit.viewport()->width());
        edit.verticalScrollBar()->setValue(edit.verticalScrollBar()->maximum());
        QVERIFY(edit.cursorForPosition(QPoint(5, edit.viewport()->height() - 5)).position() >
                40000);
    }

    // Every link to a picture file of a supported kind is fetched and
    // appended, scaled by the display rule; other links are left alone.
    void textDownloadsPictureLinksOnly()
    {
        PictureServer server;
        for (const char* path : {"/a.PNG", "/b.Png", "/c.gif"})
            server.bodies[path] = encoded(picture(30, 10, true), "PNG");
        const QString file = _book.dir->filePath("wide.jpg");
        QVERIFY(picture(400, 100, false).save(file, "JPG"));
        DropTextEdit edit;
        edit.setHtml("<p>Before</p>");
        QMimeData data;
        data.setUrls({QUrl::fromLocalFile(file), server.url("/a.PNG"), server.url("/b.Png"),
                      server.url("/c.gif"), QUrl("http://127.0.0.1:1/noextension")});
        edit.insertFromMimeData(&data);
        QTRY_COMPARE(edit.bodyHtml().count("data:image/"), 2);
        QTRY_COMPARE(server.requests, QStringList{"/a.PNG"});
        const QString body = edit.bodyHtml();
        QVERIFY(body.indexOf("Before") < body.indexOf("data:image/jpg;base64,"));
        QCOMPARE(decodeFirstDataImage(body).size(), QSize(200, 50));
    }

    void textShowsOnlyItsOwnPictures_data()
    {
        QTest::addColumn<QString>("source"); // %1: the working directory
        QTest::addColumn<QSize>("shown");    // 1 x 1: a blank instead of the picture
        QTest::addColumn<bool>("refused");
        const QString png = dataUrl(encoded(picture(60, 40, true), "PNG"));
        QTest::newRow("data") << png << QSize(60, 40) << false;
        QTest::newRow("data too large") << dataUrl(pictureBomb("PNG")) << QSize(1, 1) << true;
        QTest::newRow("local file") << "file://%1/dropped.png" << QSize(1, 1) << false;
        QTest::newRow("file path") << "%1/dropped.png" << QSize(1, 1) << false;
    }
    // A text from someone else's book reads no file of the disk and decodes
    // no picture too large.
    void textShowsOnlyItsOwnPictures()
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
        const QVariant image = edit.document()->resource(QTextDocument::ImageResource, source);
        QCOMPARE(qvariant_cast<QImage>(image).size(), shown);
        QCOMPARE(messages.contains(Refused), refused);
        QVERIFY(edit.bodyHtml().contains(source)); // stored again as it was
    }

    // A picture pasted into the description is saved with it. A photo not
    // touched is not encoded again: an opaque PNG would become a lossy JPG.
    void savedRowKeepsPictures()
    {
        buildList();
        const QByteArray png = _book.row(Book::Recipes, _pizza)[Book::RecipePhoto].toByteArray();
        auto* data = new QMimeData;
        data->setImageData(picture(100, 80, true, Qt::darkYellow));
        auto* description = _list->form.widgets[Book::RecipeDescription].widget;
        description->setFocus();
        QTest::keyClick(description, Qt::Key_End, Qt::ControlModifier);
        paste(description, data);
        for (int save = 0; save < 3; ++save)
            click("Save");
        const std::vector<QVariant> row = _book.row(Book::Recipes, _pizza);
        QCOMPARE(row[Book::RecipePhoto].toByteArray(), png);
        const QString text = row[Book::RecipeDescription].toString();
        QVERIFY(text.indexOf("Famous Italian food") < text.indexOf("data:image/png"));
        QCOMPARE(decodeFirstDataImage(text).size(), QSize(100, 80));
        QCOMPARE(decodeFirstDataImage(text).pixelColor(5, 5).rgb(), QColor(Qt::darkYellow).rgb());
    }

    // A file that is no picture, a cancelled dialog or a cancelled camera
    // keep the photo; Clear stores "0"; the camera's OK without a capture
    // stores the default picture as picture bytes.
    void photoButtons_data()
    {
        QTest::addColumn<QString>("button");
        QTest::addColumn<QString>("answer"); // file content, or the camera dialog's button
        QTest::addColumn<QSize>("stored");   // of the stored picture; invalid: "0"
        QTest::addColumn<QString>("info");
        const QSize photo(80, 60);
        const QString set = "Set image", camera = "Get image from web camera";
        const QString bad = "<i>Cannot load image: incorrect format</i>";
        QTest::newRow("set from a file") << set << "picture" << QSize(200, 150) << "";
        QTest::newRow("set from no picture") << set << "not a picture" << photo << bad;
        QTest::newRow("set from a picture too large") << set << "bomb" << photo << bad;
        QTest::newRow("set cancelled") << set << "" << photo << "";
        QTest::newRow("clear") << "Clear image"
                               << "" << QSize() << "";
        QTest::newRow("camera cancelled") << camera << "cancelButton" << photo << "old";
        QTest::newRow("camera OK") << camera << "okButton" << QSize(200, 200) << "";
    }
    void photoButtons()
    {
        QFETCH(QString, button);
        QFETCH(QString, answer);
        QFETCH(QSize, stored);
        QFETCH(QString, info);
        buildList();
        QCOMPARE(shownSize(*photo()), QSize(80, 60));
        const QString file = _book.dir->filePath("photo.png");
        QFile out(file);
        QVERIFY(out.open(QIODevice::WriteOnly));
        out.write(answer == "picture" ? encoded(picture(400, 300, true), "PNG")
                  : answer == "bomb"  ? pictureBomb("JPG")
                                      : answer.toLatin1());
        out.close();
        photo()->infoLabel->setText("old"); // a message that no longer applies
        QString startFolder;
        QTimer::singleShot(0, this, [answer, file, &startFolder]() {
            QWidget* modal = QApplication::activeModalWidget();
            if (auto* files = qobject_cast<QFileDialog*>(modal)) {
                QVERIFY(files->nameFilters().value(0).startsWith("Image files ("));
                startFolder = files->directory().absolutePath();
                if (answer.isEmpty())
                    return files->reject();
                files->selectFile(file);
                static_cast<QDialog*>(files)->accept();
            } else if (modal) {
                QTest::mouseClick(modal->findChild<QPushButton*>(answer), Qt::LeftButton);
            }
        });
        MessageCapture messages;
        click(button);
        // Where the user keeps pictures, never the program's working directory.
        QCOMPARE(!startFolder.isEmpty() && startFolder != QDir::currentPath(),
                 button == "Set image");
        QCOMPARE(photo()->infoLabel->text(), info);
        QCOMPARE(messages.contains("Cannot load image: incorrect format"), info.startsWith("<"));
        QCOMPARE(photo()->empty, !stored.isValid());
        QCOMPARE(shownSize(*photo()), stored.isValid() ? stored : QSize(30, 20));
        click("Save");
        const QByteArray bytes = _book.row(Book::Recipes, _pizza)[Book::RecipePhoto].toByteArray();
        QCOMPARE(bytes == "0", !stored.isValid());
        const QImage image = QImage::fromData(bytes);
        QCOMPARE(image.isNull() ? QSize() : image.size(), stored);
        if (answer == "okButton") { // the blue default picture; JPG is lossy
            const QColor centre = image.pixelColor(100, 100);
            QVERIFY(centre.blue() > 240 && centre.red() < 16 && centre.green() < 16);
        }
    }

    void imageLabelLookupFailures_data()
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
    void imageLabelLookupFailures()
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

    void cameraDialog_data()
    {
        QTest::addColumn<int>("language");
        QTest::addColumn<bool>("hasDefault"); // media/defphoto.png is there
        QTest::addColumn<QString>("answer");
        QTest::addColumn<int>("result");
        QTest::newRow("English, OK") << 0 << true << "okButton" << int(QDialog::Accepted);
        QTest::newRow("Russian, Cancel") << 1 << true << "cancelButton" << int(QDialog::Rejected);
        QTest::newRow("French, Escape") << 2 << true << "Escape" << int(QDialog::Rejected);
        QTest::newRow("German, no default") << 3 << false << "okButton" << int(QDialog::Rejected);
    }
    // Without a camera a translated line says so and Capture does nothing;
    // OK gives the default picture, stretched to 200 x 200. Without the
    // default picture only Cancel ends the dialog.
    void cameraDialog()
    {
        QFETCH(int, language);
        QFETCH(bool, hasDefault);
        QFETCH(QString, answer);
        QFETCH(int, result);
        if (!QCameraInfo::availableCameras().isEmpty())
            QSKIP("a camera is attached: these cases need a machine without one");
        const QString file = QDir::currentPath() + "/media/defphoto.png";
        const QImage def = QPixmap(file).scaled(200, 200).toImage();
        if (!hasDefault)
            QVERIFY(QFile::remove(file));
        LangModel model(language, QDir::currentPath() + "/languages/");
        MessageCapture messages;
        WebCamDialog dialog(&model, nullptr);
        QVERIFY(!dialog.cameraUsable());
        QCOMPARE(messages.diagnostics("No camera available"), 1);
        QCOMPARE(messages.diagnostics("Cannot load default picture: " + file), hasDefault ? 0 : 1);
        const auto child = [&dialog](const char* name) { return dialog.findChild<QWidget*>(name); };
        auto* info = static_cast<QLabel*>(child("cameraInfo"));
        QVERIFY(!info->isHidden());
        QCOMPARE(info->text(), model.translate("No web camera found"));
        QCOMPARE(info->text() == "No web camera found", language == 0);
        QVERIFY(!child("captureButton")->isEnabled() && child("cancelButton")->isEnabled());
        QCOMPARE(child("okButton")->isEnabled(), hasDefault);
        auto* preview = static_cast<QLabel*>(child("preview"));
        QCOMPARE(preview->pixmap(Qt::ReturnByValue).toImage(), hasDefault ? def : QImage());
        QCOMPARE(preview->text(), hasDefault ? "" : model.translate("No picture"));
        QVERIFY(preview->text() != "No picture");
        dialog.captureImage();
        QTimer::singleShot(0, &dialog, [&dialog, answer]() {
            auto* target = dialog.findChild<QPushButton*>(answer);
            if (answer == "Escape")
                QTest::keyClick(&dialog, Qt::Key_Escape);
            else if (target->isEnabled())
                QTest::mouseClick(target, Qt::LeftButton);
            else
                dialog.reject();
        });
        QCOMPARE(dialog.exec(), result);
        QCOMPARE(dialog.picture().toImage(), hasDefault ? def : QImage());
    }
};

QTEST_MAIN(TestImages)
#include "tst_images.moc"
