// List icons of stored photos: decoded on demand, the default picture for
// "no picture".
#include "images/photoiconengine.h"
#include "support/testsupport.h"

#include <QBuffer>
#include <QIcon>
#include <QImage>
#include <QPainter>
#include <QtTest>

namespace {

QByteArray encoded(const QImage& image, const char* format)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, format);
    return bytes;
}

QImage filled(int width, int height, QColor colour)
{
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(colour);
    return image;
}

} // namespace

class TestPhotoIcon : public QObject
{
    Q_OBJECT

private slots:
    void pixmapFitsTheRequestedSize_data();
    void pixmapFitsTheRequestedSize();
    void paintsCentred();
};

void TestPhotoIcon::pixmapFitsTheRequestedSize_data()
{
    QTest::addColumn<QVariant>("photo");
    QTest::addColumn<QSize>("requested");
    QTest::addColumn<QSize>("expected");
    QTest::addColumn<QColor>("colour");
    const QByteArray photo = encoded(filled(200, 100, Qt::red), "PNG");
    QTest::newRow("scaled down") << QVariant(photo) << QSize(20, 20) << QSize(20, 10)
                                 << QColor(Qt::red);
    QTest::newRow("never enlarged") << QVariant(photo) << QSize(400, 400) << QSize(200, 100)
                                    << QColor(Qt::red);
    QTest::newRow("no picture") << QVariant(QByteArray("0")) << QSize(100, 100) << QSize(30, 20)
                                << QColor(Qt::blue);
    QTest::newRow("no photo column") << QVariant() << QSize(100, 100) << QSize(30, 20)
                                     << QColor(Qt::blue);
}

void TestPhotoIcon::pixmapFitsTheRequestedSize()
{
    QFETCH(QVariant, photo);
    QFETCH(QSize, requested);
    QFETCH(QSize, expected);
    QFETCH(QColor, colour);
    ScratchDir dir;
    QVERIFY(filled(30, 20, Qt::blue).save(dir.filePath("media/defphoto.png")));
    const QIcon icon(new PhotoIconEngine(photo));
    // Laying out a list asks for sizes only; that must not need the picture.
    QCOMPARE(icon.actualSize(requested), requested);
    const QPixmap pixmap = icon.pixmap(requested);
    QCOMPARE(pixmap.size(), expected);
    QCOMPARE(pixmap.toImage().pixelColor(expected.width() / 2, expected.height() / 2), colour);
    QCOMPARE(icon.actualSize(requested), expected);
}

void TestPhotoIcon::paintsCentred()
{
    const QIcon icon(new PhotoIconEngine(encoded(filled(40, 20, Qt::green), "PNG")));
    QImage canvas = filled(60, 60, Qt::white);
    QPainter painter(&canvas);
    icon.paint(&painter, QRect(0, 0, 60, 60));
    painter.end();
    QCOMPARE(canvas.pixelColor(30, 30), QColor(Qt::green));
    QCOMPARE(canvas.pixelColor(30, 15), QColor(Qt::white));
    QCOMPARE(canvas.pixelColor(5, 30), QColor(Qt::white));
}

QTEST_MAIN(TestPhotoIcon)
#include "tst_photoicon.moc"
