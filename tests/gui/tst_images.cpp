// Picture widgets: stored values, drops and pastes, the photo editor, list icons, the camera.
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
#include <QScrollBar>
#include <QTimer>

class TestImages : public QObject
{
    Q_OBJECT

    std::unique_ptr<ScratchDir> _dir;
    SampleBook _book;

    struct Probe : EditableEntity
    {
        void synchronize() override {}
        void onEditButtonClicked() override {}
    };
    static QImage picture(int w, int h, bool alpha)
    {
        QImage image(w, h, alpha ? QImage::Format_ARGB32 : QImage::Format_RGB32);
        image.fill(QColor(255, 0, 0, alpha ? 128 : 255));
        return image;
    }
    static QByteArray encoded(int w, int h, bool alpha, const char* format)
    {
        QBuffer buffer;
        buffer.open(QIODevice::WriteOnly);
        picture(w, h, alpha).save(&buffer, format);
        return buffer.data();
    }
    static QString dataUrl(const char* format, const QByteArray& bytes)
    {
        return "data:image/" + QString(format) + ";base64," + bytes.toBase64();
    }
    // Tiny, but their headers claim 65500 x 65500 pixels: gigabytes once decoded.
    const QByteArray JpgBomb =
        QByteArray::fromHex("ffd8ffc0000b08ffdcffdc01011100ffda000801010000003f00ffd9");
    const QByteArray PngBomb = QByteArray::fromHex(
        "89504e470d0a1a0a0000000d494844520000ffdc0000ffdc08020000001c35814c0000000949444154789c"
        "630000000100015eff7df90000000049454e44ae426082");
    static constexpr const char* Refused = "Picture refused: 65500 x 65500 pixels";
    static QMimeData* mime(const QVariant& content, const QList<QUrl>& urls = {}) // "<": HTML
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
    static void paste(QWidget* target, QMimeData* data)
    {
        QApplication::clipboard()->setMimeData(data);
        QTest::keyClick(target, Qt::Key_V, Qt::ControlModifier);
    }
    static QSize shownSize(const QLabel& label) { return label.pixmap(Qt::ReturnByValue).size(); }
    static int shownWidth(const QTextEdit& edit, const QString& source)
    {
        const QVariant image = edit.document()->resource(QTextDocument::ImageResource, source);
        return image.value<QImage>().width();
    }
    QUrl link(const char* name) const { return QUrl::fromLocalFile(_dir->filePath(name)); }

private slots:
    void initTestCase()
    {
        QStandardPaths::setTestModeEnabled(true);
        _dir.reset(new ScratchDir);
        for (const auto& file : {std::pair("media/wide.PNG", encoded(400, 100, true, "PNG")),
                                 {"dropped.png", encoded(50, 80, true, "PNG")},
                                 {"broken.png", "not a picture at all"},
                                 {"bomb.png", PngBomb},
                                 {"media/bomb.jpg", JpgBomb},
                                 {"c.gif", encoded(30, 10, true, "PNG")}}) {
            QFile out(file.first);
            QVERIFY(out.open(QIODevice::WriteOnly) && out.write(file.second) > 0);
        }
    }
    void init() { QVERIFY(picture(30, 20, false).save("media/defphoto.png")); }
    void cleanup() { _book.close(); }

    void storedValues_data()
    {
        QTest::addColumn<QByteArray>("value");
        QTest::addColumn<QSize>("shown"); // invalid: the default picture
        QTest::newRow("wide") << encoded(400, 100, false, "JPG") << QSize(200, 50);
        QTest::newRow("tall") << encoded(300, 301, true, "PNG") << QSize(199, 200);
        QTest::newRow("fits") << encoded(200, 120, false, "JPG") << QSize(200, 120);
        QTest::newRow("nine bytes") << QByteArray("123456789") << QSize();
        QTest::newRow("ten bytes") << QByteArray("1234567890") << QSize(0, 0);
        QTest::newRow("JPG too large") << JpgBomb << QSize();
        QTest::newRow("PNG too large") << PngBomb << QSize();
    }
    // Up to 200 x 200; 9 bytes or fewer: no picture; too large: refused, bytes kept.
    void storedValues()
    {
        QFETCH(QByteArray, value);
        QFETCH(QSize, shown);
        const bool refused = value == JpgBomb || value == PngBomb;
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
        QVariant saved("junk");
        Probe().imageToVar(&label, saved);
        QCOMPARE(saved.toByteArray(), usesDefault ? QByteArray("0") : value); // as it was read
        const QString format = out.hasAlphaChannel() ? "png" : "jpg"; // as pictures are written
        QVERIFY(imageVarToHtml(value).startsWith("<img src=\"data:image/" + format + ";base64,"));
    }

    // List icons decode their photo when first drawn, never enlarged, centred.
    void photoIcon()
    {
        const QIcon icon(new PhotoIconEngine(QVariant(encoded(200, 100, false, "PNG"))));
        QCOMPARE(icon.actualSize(QSize(20, 20)), QSize(20, 20)); // laying out needs no picture
        QCOMPARE(icon.pixmap(QSize(20, 20)).size(), QSize(20, 10));
        QCOMPARE(icon.actualSize(QSize(20, 20)), QSize(20, 10));
        QImage canvas(90, 60, QImage::Format_RGB32);
        canvas.fill(Qt::white);
        QPainter painter(&canvas);
        QIcon(new PhotoIconEngine(QVariant("0"))).paint(&painter, canvas.rect());
        painter.end();
        QCOMPARE(canvas.pixelColor(29, 19), QColor(Qt::white));
        QCOMPARE(canvas.pixelColor(30, 20), QColor(Qt::red));
    }

    void labelTakesDrops_data()
    {
        QTest::addColumn<QVariant>("content"); // a picture, HTML or text
        QTest::addColumn<QList<QUrl>>("links");
        QTest::addColumn<QSize>("shown");
        const QString img = "<img src=\"%1\">";
        QTest::newRow("raw picture")
            << QVariant(picture(400, 100, false)) << QList<QUrl>() << QSize(200, 50);
        // The scanner: blanks around the tag name and the equals sign, other attributes first.
        const QString jpeg = dataUrl("jpeg", encoded(60, 40, false, "JPG"));
        QTest::newRow("data url") << QVariant("< img alt=\"x\" src =\"" + jpeg + "\">")
                                  << QList<QUrl>() << QSize(60, 40);
        QTest::newRow("sources ignored or not found")
            << QVariant(img.arg("data:image/svg+xml;base64,PHN2Zz4=") + img.arg("x;base64,AAAA") +
                        img.arg("data:image/png,raw") + "<image src=\"q\"><img src= \"c\">" +
                        "<img alt=\"y\"> src=\"z\" <img src=\"a")
            << QList<QUrl>() << QSize(0, 0);
        QTest::newRow("broken links, then a file")
            << QVariant() << QList<QUrl>{link("bomb.png"), link("broken.png"), link("dropped.png")}
            << QSize(50, 80);
        QTest::newRow("html and link of one picture")
            << QVariant(img.arg(link("dropped.png").toString())) << QList<QUrl>{link("dropped.png")}
            << QSize(50, 80);
    }
    // A raw picture, else the pictures of the HTML, else the links: one picture is fetched once.
    void labelTakesDrops()
    {
        QFETCH(QVariant, content);
        QFETCH(QList<QUrl>, links);
        QFETCH(QSize, shown);
        const std::unique_ptr<QMimeData> data(mime(content, links));
        DropImageLabel label;
        QLabel info;
        label.infoLabel = &info;
        label.empty = true;
        QVERIFY(label.acceptDrops());
        QDragEnterEvent enter({1, 1}, Qt::CopyAction, data.get(), Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(&label, &enter);
        QCOMPARE(enter.isAccepted(), data->hasImage() || data->hasUrls());
        MessageCapture messages;
        QDropEvent drop({1, 1}, Qt::CopyAction, data.get(), Qt::LeftButton, Qt::NoModifier);
        if (enter.isAccepted()) // a drop refused on entering never arrives
            QApplication::sendEvent(&label, &drop);
        else
            label.getImagesFromMimeData(data.get());
        QTRY_COMPARE(messages.contains(Refused), links.value(0).fileName() == "bomb.png");
        QTRY_COMPARE(shownSize(label), shown);
        QCOMPARE(label.empty, shown.isEmpty());
        QCOMPARE(info.text(), QString(shown.isEmpty() && links.isEmpty() ? "Unknown format" : ""));
        QCOMPARE(messages.count("url:"), content.toString().contains("file:") ? 0 : links.size());
    }

    // Text and links to no picture arrive as text; pictures as data pictures at display size.
    void textTakesPastes()
    {
        DropTextEdit edit;
        paste(&edit, mime("Mix well."));
        paste(&edit, mime(picture(400, 100, true)));
        paste(&edit, mime(picture(60, 60, false)));
        paste(&edit, mime(" See page.", {QUrl("http://127.0.0.1:9/page.html")}));
        QCOMPARE(edit.toPlainText().remove(QChar::ObjectReplacementCharacter),
                 QString("Mix well. See page."));
        paste(&edit, mime(QString(), {link("c.gif"), link("media/wide.PNG")}));
        QTRY_COMPARE(::imageSources(edit.bodyHtml()).size(), 3);
        QVERIFY(!edit.bodyHtml().contains("<body") && !edit.bodyHtml().contains("<html"));
        QStringList pictures; // "format width"
        for (const QString& source : ::imageSources(edit.bodyHtml()))
            pictures << source.mid(11, 4) + QString::number(shownWidth(edit, source));
        QCOMPARE(pictures, (QStringList{"png;200", "jpg;60", "png;200"}));
    }

    // A text set while the editor was hidden is laid out whole once it is shown.
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
    }

    // A hostile text reads no file and decodes no picture too large: a blank pixel instead.
    void textShowsOnlyItsOwnPictures()
    {
        const QStringList sources{dataUrl("png", encoded(60, 40, true, "PNG")),
                                  dataUrl("png", PngBomb), link("dropped.png").toString(),
                                  link("dropped.png").toLocalFile()};
        DropTextEdit edit;
        MessageCapture messages;
        edit.setHtml("<p>Stir</p><img src=\"" + sources.join("\"><img src=\"") + "\">");
        QList<int> shown;
        for (const QString& source : sources)
            shown << shownWidth(edit, source);
        QCOMPARE(shown, (QList<int>{60, 1, 1, 1}));
        QCOMPARE(messages.count(Refused), 1);
        QCOMPARE(::imageSources(edit.bodyHtml()), sources); // stored again as they were
    }

    void photoButtons_data()
    {
        QTest::addColumn<QString>("button");
        QTest::addColumn<QString>("answer"); // the file chosen, or "ok" / "cancel" to the camera
        QTest::addColumn<QSize>("stored");   // of the stored picture; invalid: "0"
        QTest::addColumn<QString>("info");
        const QSize photo(80, 60);
        const QString set = "Set image", camera = "Get image from web camera", no;
        QTest::newRow("set from a file") << set << "media/wide.PNG" << QSize(200, 50) << no;
        QTest::newRow("set from a picture too large")
            << set << "media/bomb.jpg" << photo << "<i>Cannot load image: incorrect format</i>";
        QTest::newRow("set cancelled") << set << no << photo << no;
        QTest::newRow("clear") << "Clear image" << no << QSize() << no;
        QTest::newRow("camera cancelled") << camera << "cancel" << photo << "old";
        QTest::newRow("camera OK") << camera << "ok" << QSize(200, 200) << no;
    }
    // Pizza's photo is an opaque PNG: not replaced, it keeps its bytes, never made a lossy JPG.
    void photoButtons()
    {
        QFETCH(QString, button);
        QFETCH(QString, answer);
        QFETCH(QSize, stored);
        QFETCH(QString, info);
        QVERIFY(_book.open()); // a folder of its own, with the program's default picture
        const int pizza = _book.document->getIDByName(Book::Recipes, "Pizza");
        const QByteArray png = encoded(80, 60, false, "PNG");
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
        QString startFolder;
        QTimer::singleShot(0, list, [answer, file = _dir->filePath(answer), &startFolder]() {
            QWidget* modal = QApplication::activeModalWidget();
            if (auto* files = qobject_cast<QFileDialog*>(modal)) {
                startFolder = files->directory().absolutePath();
                files->selectFile(file);
            }
            if (modal)
                QTest::keyClick(modal, answer.isEmpty() || answer == "cancel" ? Qt::Key_Escape
                                                                              : Qt::Key_Enter);
        });
        const auto click = [this](const QString& text) { // each button has a row failing without it
            for (QPushButton* button : _book.window->findChildren<QPushButton*>())
                if (button->text() == text)
                    QTest::mouseClick(button, Qt::LeftButton);
        };
        click(button);
        QCOMPARE(!startFolder.isEmpty() && startFolder != QDir::currentPath(),
                 button == "Set image");
        QCOMPARE(photo->infoLabel->text(), info);
        QCOMPARE(photo->empty, !stored.isValid());
        QCOMPARE(shownSize(*photo),
                 stored.isValid() ? stored : QPixmap("media/defphoto.png").size());
        click("Save");
        const std::vector<QVariant> row = _book.row(Book::Recipes, pizza);
        const QByteArray bytes = row[Book::RecipePhoto].toByteArray();
        QCOMPARE(bytes == png, stored == QSize(80, 60));
        QCOMPARE(QImage::fromData(bytes).size(), stored.isValid() ? stored : QSize(0, 0));
        const QString text = row[Book::RecipeDescription].toString();
        QVERIFY(text.indexOf("Famous Italian food") < text.indexOf("data:image/png"));
    }

    // No camera and no default picture: a translated line, and OK waits for a capture.
    void cameraDialog()
    {
        if (!QCameraInfo::availableCameras().isEmpty())
            QSKIP("a camera is attached: this case needs a machine without one");
        QVERIFY(QFile::remove("media/defphoto.png"));
        LangModel model(2, QDir::currentPath() + "/languages/");
        WebCamDialog dialog(&model, nullptr);
        QCOMPARE(dialog.findChild<QLabel*>("cameraInfo")->text(),
                 model.translate("No web camera found"));
        QCOMPARE(dialog.findChild<QLabel*>("preview")->text(), model.translate("No picture"));
        QVERIFY(!dialog.findChild<QPushButton*>("captureButton")->isEnabled());
        QVERIFY(!dialog.findChild<QPushButton*>("okButton")->isEnabled());
        dialog.captureImage();
        QVERIFY(dialog.picture().isNull());
    }
};

QTEST_MAIN(TestImages)
#include "tst_images.moc"
