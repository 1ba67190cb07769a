// Picture widgets: the display rule, stored values, drops and pastes of
// pictures, HTML and links, the photo editor, list icons and the camera
// dialog.
#include "data/recipebook.h"
#include "editing/editabledatalist.h"
#include "images/dropimagelabel.h"
#include "images/droptextedit.h"
#include "images/photoiconengine.h"
#include "images/pictures.h"
#include "images/webcamdialog.h"
#include "lang/langmodel.h"
#include "support/guisupport.h"

#include <QBuffer>
#include <QCameraInfo>
#include <QClipboard>
#include <QFileDialog>
#include <QMimeData>
#include <QPainter>
#include <QPushButton>
#include <QRandomGenerator>
#include <QScrollBar>
#include <QTimer>

#include <algorithm>

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

bool writeFile(const QString& name, const QByteArray& bytes)
{
    QFile file(name);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
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

// "format WxH" of every data picture of an HTML text.
QStringList dataPictures(const QString& html)
{
    QStringList found;
    auto match = QRegularExpression("data:image/(\\w+);base64,([A-Za-z0-9+/=]+)").globalMatch(html);
    while (match.hasNext()) {
        const QStringList parts = match.next().capturedTexts();
        const QImage image = QImage::fromData(QByteArray::fromBase64(parts[2].toLatin1()),
                                              parts[1].toLatin1().constData());
        found << QString("%1 %2x%3").arg(parts[1]).arg(image.width()).arg(image.height());
    }
    return found;
}

// Data as dropped or pasted: a picture, HTML (starting with "<") or text; and links.
QMimeData* mime(const QVariant& content, const QList<QUrl>& urls = {})
{
    auto* data = new QMimeData;
    if (content.userType() == QMetaType::QImage)
        data->setImageData(content);
    else if (content.toString().startsWith('<'))
        data->setHtml(content.toString());
    else if (!content.toString().isEmpty())
        data->setText(content.toString());
    if (!urls.isEmpty())
        data->setUrls(urls);
    return data;
}

void paste(QWidget* target, QMimeData* data)
{
    QApplication::clipboard()->setMimeData(data);
    QTest::keyClick(target, Qt::Key_V, Qt::ControlModifier);
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

    std::unique_ptr<ScratchDir> _dir; // the working folder
    SampleBook _book;

    void click(const QString& text)
    {
        for (QPushButton* button : _book.window->findChildren<QPushButton*>())
            if (button->text() == text)
                return QTest::mouseClick(button, Qt::LeftButton);
        QFAIL(qPrintable("no button " + text));
    }

private slots:
    // One scratch folder for the suite; the default photo the program shows
    // when a row has none is written anew for every case.
    void initTestCase()
    {
        QStandardPaths::setTestModeEnabled(true);
        _dir.reset(new ScratchDir);
        const QByteArray small = encoded(picture(30, 10, true), "PNG");
        QVERIFY(writeFile("dish.jpg", encoded(picture(300, 150, false), "JPG")) &&
                writeFile("wide.jpg", encoded(picture(400, 100, false), "JPG")) &&
                writeFile("once.png", encoded(picture(20, 20, true), "PNG")) &&
                writeFile("dropped.png", encoded(picture(50, 80, true), "PNG")) &&
                writeFile("broken.png", "not a picture at all") &&
                writeFile("bomb.png", pictureBomb("PNG")) && writeFile("a.PNG", small) &&
                writeFile("b.Png", small) && writeFile("c.gif", small));
    }
    void init() { QVERIFY(picture(30, 20, false, Qt::blue).save("media/defphoto.png")); }
    void cleanup() { _book.close(); }

    void storedValues_data()
    {
        QTest::addColumn<QByteArray>("value");
        QTest::addColumn<QSize>("shown"); // invalid: the default picture
        QTest::addColumn<bool>("refused");
        const auto png = [](int w, int h) { return encoded(picture(w, h, true), "PNG"); };
        const auto jpg = [](int w, int h) { return encoded(picture(w, h, false), "JPG"); };
        QTest::newRow("wide") << jpg(400, 100) << QSize(200, 50) << false;
        QTest::newRow("tall") << png(100, 400) << QSize(50, 200) << false;
        QTest::newRow("small") << jpg(150, 150) << QSize(150, 150) << false;
        QTest::newRow("square just over") << png(201, 201) << QSize(200, 200) << false;
        QTest::newRow("exactly fits") << jpg(200, 120) << QSize(200, 120) << false;
        QTest::newRow("truncating") << jpg(300, 301) << QSize(199, 200) << false;
        QTest::newRow("zero") << QByteArray("0") << QSize() << false;
        QTest::newRow("empty") << QByteArray() << QSize() << false;
        QTest::newRow("nine bytes") << QByteArray("123456789") << QSize() << false;
        QTest::newRow("ten bytes") << QByteArray("1234567890") << QSize(0, 0) << false;
        QTest::newRow("JPG too large") << pictureBomb("JPG") << QSize() << true;
        QTest::newRow("PNG too large") << pictureBomb("PNG") << QSize() << true;
    }
    // At most 200 pixels on the longer side, the aspect kept. Values of up to
    // 9 bytes mean "no picture", stored as "0". A picture too large is refused
    // from its header alone and shown as the default one; its bytes are kept.
    void storedValues()
    {
        QFETCH(QByteArray, value);
        QFETCH(QSize, shown);
        QFETCH(bool, refused);
        const bool usesDefault = !shown.isValid() && !refused;
        MessageCapture messages;
        QPixmap out = QPixmap::fromImage(picture(5, 5, false));
        QCOMPARE(varToPixmap(value, out), usesDefault);
        QCOMPARE(out.size(), shown.isValid() ? shown : QSize(30, 20));
        QCOMPARE(messages.contains(Refused), refused);
        ImageLabel label;
        varToImageLabel(&label, value);
        QCOMPARE(label.empty, usesDefault);
        QCOMPARE(shownSize(label), out.size());
        QCOMPARE(stored(&label), usesDefault ? QByteArray("0") : value); // saved as it was read
        const QString format = out.hasAlphaChannel() ? "png" : "jpg";    // as pictures are written
        QVERIFY(imageVarToHtml(value).startsWith("<img src=\"data:image/" + format + ";base64,"));
        const QImage image = shown.isValid() ? QImage::fromData(value) : QImage();
        if (image.isNull())
            return;
        // Set by the user, the picture is shown and stored at display size.
        label.setImage(QPixmap::fromImage(image), false);
        QCOMPARE(shownSize(label), shown);
        QVERIFY(stored(&label).startsWith(format == "png" ? "\x89PNG" : "\xFF\xD8\xFF"));
        QCOMPARE(QImage::fromData(stored(&label)).size(), shown);
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
    }

    void imageSources_data()
    {
        QTest::addColumn<QString>("html");
        QTest::addColumn<QStringList>("sources"); // an address, "data <format><width>" or "ignored"
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
        QTest::newRow("png data") << "<img src=\"" + png + "\">" << QStringList{"data png4"};
        QTest::newRow("jpeg data")
            << "<img src=\"data:image/jpeg;base64,AAAA\">" << QStringList{"data jpeg0"};
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
            const int width = QImage::fromData(bytes, format.toLatin1().constData()).width();
            found << (kind == ImageSourceKind::Data      ? "data " + format + QString::number(width)
                      : kind == ImageSourceKind::Ignored ? "ignored"
                                                         : source);
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
        const QColor red(Qt::red), blue(Qt::blue);
        QTest::newRow("scaled down") << photo << QSize(20, 20) << QSize(20, 10) << red;
        QTest::newRow("not enlarged") << photo << QSize(400, 300) << QSize(200, 100) << red;
        QTest::newRow("no picture") << QVariant("0") << QSize(100, 100) << QSize(30, 20) << blue;
        QTest::newRow("no photo column") << QVariant() << QSize(10, 30) << QSize(10, 6) << blue;
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

    void labelTakesDrops_data()
    {
        QTest::addColumn<QVariant>("content"); // a picture, HTML or text
        QTest::addColumn<QList<QUrl>>("links");
        QTest::addColumn<QSize>("shown");
        QTest::addColumn<QString>("info");
        const auto link = [this](const char* name) {
            return QUrl::fromLocalFile(_dir->filePath(name));
        };
        const auto img = [](const QString& source) {
            return QVariant("<img src=\"" + source + "\">");
        };
        const QString png = dataUrl(encoded(picture(60, 40, true), "PNG"));
        const QString svg = "data:image/svg+xml;base64,PHN2Zz48L3N2Zz4=",
                      unknown = "Unknown format";
        const QList<QUrl> none;
        const QSize no(0, 0);
        QTest::newRow("raw picture")
            << QVariant(picture(400, 100, false)) << none << QSize(200, 50) << QString();
        QTest::newRow("data url") << img(png) << none << QSize(60, 40) << QString();
        QTest::newRow("long format name") << img(svg) << none << no << unknown;
        QTest::newRow("plain words") << QVariant("just words") << none << no << unknown;
        QTest::newRow("html address")
            << img(link("dish.jpg").toString()) << none << QSize(200, 100) << QString();
        QTest::newRow("broken link, then a file")
            << QVariant() << QList<QUrl>{link("broken.png"), link("dropped.png")} << QSize(50, 80)
            << QString();
        QTest::newRow("html and link of one picture")
            << img(link("once.png").toString()) << QList<QUrl>{link("once.png")} << QSize(20, 20)
            << QString();
        QTest::newRow("download too large")
            << QVariant() << QList<QUrl>{link("bomb.png")} << no << QString();
    }
    // A raw picture, else the pictures of the HTML, else the links one after
    // another: the first that gives a picture ends the search, so a picture
    // is fetched once.
    void labelTakesDrops()
    {
        QFETCH(QVariant, content);
        QFETCH(QList<QUrl>, links);
        QFETCH(QSize, shown);
        QFETCH(QString, info);
        const std::unique_ptr<QMimeData> data(mime(content, links));
        DropImageLabel label;
        QLabel infoLabel;
        label.infoLabel = &infoLabel;
        label.empty = true;
        QVERIFY(label.acceptDrops());
        QDragEnterEvent enter({1, 1}, Qt::CopyAction, data.get(), Qt::LeftButton, Qt::NoModifier);
        enter.setAccepted(false);
        QApplication::sendEvent(&label, &enter);
        QCOMPARE(enter.isAccepted(), data->hasImage() || data->hasUrls());
        MessageCapture messages;
        QDropEvent drop({1, 1}, Qt::CopyAction, data.get(), Qt::LeftButton, Qt::NoModifier);
        if (enter.isAccepted()) // a drop refused on entering never arrives
            QApplication::sendEvent(&label, &drop);
        else
            label.getImagesFromMimeData(data.get());
        QCOMPARE(drop.isAccepted(), enter.isAccepted());
        QTRY_COMPARE(messages.contains(Refused), links.value(0).fileName() == "bomb.png");
        QTRY_COMPARE(shownSize(label), shown);
        QCOMPARE(label.empty, shown.isEmpty());
        QCOMPARE(infoLabel.text(), info);
        // Links are fetched only when nothing before them gave a picture.
        QCOMPARE(messages.count("url:"), content.toString().contains("file:") ? 0 : links.size());
    }

    // Text, and links to what is not a picture, arrive as text. Raw pictures
    // become data pictures; links to picture files of a supported kind are
    // fetched and appended; all at display size.
    void textTakesPastes()
    {
        QList<QUrl> links;
        for (const char* name : {"b.Png", "c.gif", "wide.jpg", "a.PNG"})
            links << QUrl::fromLocalFile(_dir->filePath(name));
        DropTextEdit edit;
        MessageCapture messages;
        paste(&edit, mime("Mix well."));
        paste(&edit, mime(picture(400, 100, true)));
        paste(&edit, mime(picture(60, 60, false)));
        paste(&edit, mime(" See page.", {QUrl("http://127.0.0.1:9/page.html")}));
        QVERIFY(messages.contains("Raw image case"));
        QCOMPARE(edit.toPlainText().remove(QChar::ObjectReplacementCharacter),
                 QString("Mix well. See page."));
        paste(&edit, mime(QString(), links << QUrl("http://127.0.0.1:1/noextension")));
        QTRY_COMPARE(dataPictures(edit.bodyHtml()).size(), 4);
        QVERIFY(!edit.bodyHtml().contains("<body") && !edit.bodyHtml().contains("<html"));
        QStringList pictures = dataPictures(edit.bodyHtml());
        std::sort(pictures.begin() + 2, pictures.end()); // the downloads come in any order
        QCOMPARE(pictures, (QStringList{"png 200x50", "jpg 60x60", "jpg 200x50", "png 30x10"}));
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

    // A text from someone else's book reads no file of the disk and decodes
    // no picture too large: a blank pixel stands in for them.
    void textShowsOnlyItsOwnPictures()
    {
        const QString file = _dir->filePath("dropped.png");
        const QStringList sources{dataUrl(encoded(picture(60, 40, true), "PNG")),
                                  dataUrl(pictureBomb("PNG")), QUrl::fromLocalFile(file).toString(),
                                  file};
        DropTextEdit edit;
        MessageCapture messages;
        edit.setHtml("<p>Stir</p><img src=\"" + sources.join("\"><img src=\"") + "\">");
        QList<int> shown;
        for (const QString& source : sources) {
            const QVariant image = edit.document()->resource(QTextDocument::ImageResource, source);
            shown << qvariant_cast<QImage>(image).width();
        }
        QCOMPARE(shown, (QList<int>{60, 1, 1, 1}));
        QCOMPARE(messages.count(Refused), 1);
        QCOMPARE(::imageSources(edit.bodyHtml()), sources); // stored again as they were
    }

    void photoButtons_data()
    {
        QTest::addColumn<QString>("button"); // "#name": a stray button of that object name
        QTest::addColumn<QString>("answer"); // file content, or "ok" / "cancel" to the camera
        QTest::addColumn<QSize>("stored");   // of the stored picture; invalid: "0"
        QTest::addColumn<QString>("info");
        QTest::addColumn<QString>("diagnostic");
        const QSize photo(80, 60);
        const QString set = "Set image", camera = "Get image from web camera", no, old = "old";
        const QString bad = "Cannot load image: incorrect format", badInfo = "<i>" + bad + "</i>";
        QTest::newRow("set from a file") << set << "picture" << QSize(200, 150) << no << no;
        QTest::newRow("set from no picture") << set << "not a picture" << photo << badInfo << bad;
        QTest::newRow("set from a picture too large") << set << "bomb" << photo << badInfo << bad;
        QTest::newRow("set cancelled") << set << no << photo << no << no;
        QTest::newRow("clear") << "Clear image" << no << QSize() << no << no;
        QTest::newRow("camera cancelled") << camera << "cancel" << photo << old << no;
        QTest::newRow("camera OK") << camera << "ok" << QSize(200, 200) << no << no;
        QTest::newRow("not a number") << "#photo" << no << photo << old << "Cannot extract index";
        QTest::newRow("too large") << "#6" << no << photo << old << "Index out of range";
        QTest::newRow("negative") << "#-1" << no << photo << old << "Index out of range";
        QTest::newRow("not a picture") << "#0" << no << photo << old << "Incorrect data type";
    }
    // The photo editor of Pizza, whose stored photo is an opaque PNG: a photo
    // not replaced keeps its bytes, never encoded again as a lossy JPG. A
    // picture pasted into the description is saved with it.
    void photoButtons()
    {
        QFETCH(QString, button);
        QFETCH(QString, answer);
        QFETCH(QSize, stored);
        QFETCH(QString, info);
        QFETCH(QString, diagnostic);
        _book.document.reset(new Document);
        QVERIFY(_book.document->setDataStructure());
        _book.document->fillSampleBook();
        const int pizza = _book.document->getIDByName(Book::Recipes, "Pizza");
        const QByteArray png = encoded(picture(80, 60, false), "PNG");
        _book.document->updateItem(Book::Recipes, pizza, Book::RecipePhoto, png);
        auto* list =
            new EditableDataList(_book.document.get(), Book::Recipes, {Book::CookingPlanRecipes});
        _book.editor.reset(list);
        QVERIFY(_book.show(list->layout));
        list->synchronize();
        auto* photo = qobject_cast<ImageLabel*>(list->form.widgets[Book::RecipePhoto].widget);
        photo->infoLabel->setText("old"); // a message that no longer applies
        QWidget* description = list->form.widgets[Book::RecipeDescription].widget;
        description->setFocus();
        QTest::keyClick(description, Qt::Key_End, Qt::ControlModifier);
        paste(description, mime(picture(100, 80, true)));
        const QString file = _dir->filePath("media/photo.png");
        QVERIFY(writeFile(file, answer == "picture" ? encoded(picture(400, 300, true), "PNG")
                                : answer == "bomb"  ? pictureBomb("JPG")
                                                    : answer.toLatin1()));
        QString startFolder;
        QTimer::singleShot(0, list, [answer, file, &startFolder]() {
            QWidget* modal = QApplication::activeModalWidget();
            if (auto* files = qobject_cast<QFileDialog*>(modal)) {
                QVERIFY(files->nameFilters().value(0).startsWith("Image files ("));
                startFolder = files->directory().absolutePath();
                files->selectFile(file);
            }
            const bool cancel = answer.isEmpty() || answer == "cancel";
            if (modal)
                QTest::keyClick(modal, cancel ? Qt::Key_Escape : Qt::Key_Enter);
        });
        MessageCapture messages;
        QPushButton stray;
        stray.setObjectName(button.mid(1));
        connect(&stray, &QPushButton::clicked, list, &EditableDataList::onClearImageRequested);
        if (button.startsWith('#'))
            QTest::mouseClick(&stray, Qt::LeftButton);
        else
            click(button);
        QCOMPARE(messages.contains("Cannot get image widget"), button.startsWith('#'));
        QVERIFY(diagnostic.isEmpty() || messages.contains(diagnostic));
        // Where the user keeps pictures, never the program's working directory.
        QCOMPARE(!startFolder.isEmpty() && startFolder != QDir::currentPath(),
                 button == "Set image");
        QCOMPARE(photo->infoLabel->text(), info);
        QCOMPARE(photo->empty, !stored.isValid());
        QCOMPARE(shownSize(*photo), stored.isValid() ? stored : QSize(30, 20));
        click("Save");
        const std::vector<QVariant> row = _book.row(Book::Recipes, pizza);
        const QByteArray bytes = row[Book::RecipePhoto].toByteArray();
        QCOMPARE(bytes == png, stored == QSize(80, 60));
        QCOMPARE(QImage::fromData(bytes).size(), stored.isValid() ? stored : QSize(0, 0));
        const QString text = row[Book::RecipeDescription].toString();
        QVERIFY(text.indexOf("Famous Italian food") < text.indexOf("data:image/png"));
        QCOMPARE(dataPictures(text), QStringList{"png 100x80"});
    }

    void cameraDialog_data()
    {
        QTest::addColumn<bool>("hasDefault"); // media/defphoto.png is there
        QTest::newRow("default picture") << true;
        QTest::newRow("no default picture") << false;
    }
    // Without a camera a translated line says so and a capture changes
    // nothing; the picture offered is the default one, stretched to 200 x
    // 200. Without it there is nothing to confirm: OK is disabled.
    void cameraDialog()
    {
        QFETCH(bool, hasDefault);
        if (!QCameraInfo::availableCameras().isEmpty())
            QSKIP("a camera is attached: these cases need a machine without one");
        const QString file = QDir::currentPath() + "/media/defphoto.png";
        const QImage def = QPixmap(file).scaled(200, 200).toImage();
        QVERIFY(hasDefault || QFile::remove(file));
        LangModel model(2, QDir::currentPath() + "/languages/");
        MessageCapture messages;
        WebCamDialog dialog(&model, nullptr);
        QVERIFY(!dialog.cameraUsable());
        QCOMPARE(messages.diagnostics("No camera available"), 1);
        QCOMPARE(messages.diagnostics("Cannot load default picture: " + file), hasDefault ? 0 : 1);
        auto* info = dialog.findChild<QLabel*>("cameraInfo");
        QVERIFY(!info->isHidden() && info->text() != "No web camera found");
        QCOMPARE(info->text(), model.translate("No web camera found"));
        auto* preview = dialog.findChild<QLabel*>("preview");
        QCOMPARE(preview->text(), hasDefault ? QString() : model.translate("No picture"));
        QVERIFY(!dialog.findChild<QPushButton*>("captureButton")->isEnabled());
        QCOMPARE(dialog.findChild<QPushButton*>("okButton")->isEnabled(), hasDefault);
        dialog.captureImage();
        QCOMPARE(preview->pixmap(Qt::ReturnByValue).toImage(), hasDefault ? def : QImage());
        QCOMPARE(dialog.picture().toImage(), hasDefault ? def : QImage());
    }
};

QTEST_MAIN(TestImages)
#include "tst_images.moc"
