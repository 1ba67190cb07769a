#include "images/pictures.h"

#include "data/diagnostics.h"
#include "images/imagelabel.h"
#include "resources/resourcefiles.h"

#include <QBuffer>
#include <QImageReader>
#include <QTextDocument>

namespace {

// At most MaxPictureSide on the longer side, the other side in proportion.
QSize displaySize(const QSize& size)
{
    const int w = size.width();
    const int h = size.height();
    if (w <= MaxPictureSide && h <= MaxPictureSide)
        return size;
    if (w > h)
        return QSize(MaxPictureSide, h * MaxPictureSide / w);
    return QSize(w * MaxPictureSide / h, MaxPictureSide);
}

// Decodes at display size what the reader holds, when its header allows it.
QImage readForDisplay(QImageReader& reader, bool* tooLarge)
{
    const QSize size = reader.size();
    const bool refused = size.isValid() && qint64(size.width()) * size.height() > MaxPicturePixels;
    if (tooLarge)
        *tooLarge = refused;
    if (refused) {
        CULINOR_DIAG("utility", QStringLiteral("Picture refused: %1 x %2 pixels")
                                    .arg(size.width())
                                    .arg(size.height()));
        return QImage();
    }
    if (!size.isValid())
        return QImage();
    if (displaySize(size) != size)
        reader.setScaledSize(displaySize(size));
    return reader.read();
}

} // namespace

QImage readPicture(const QByteArray& bytes, const char* format, bool* tooLarge)
{
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, format);
    return readForDisplay(reader, tooLarge);
}

QImage readPictureFile(const QString& fileName, bool* tooLarge)
{
    QImageReader reader(fileName);
    return readForDisplay(reader, tooLarge);
}

QVariant textResource(int type, const QUrl& name)
{
    if (type != QTextDocument::ImageResource)
        return QByteArray("");
    QByteArray bytes;
    QString format;
    if (classifyImageSource(name.toString(), bytes, format) == ImageSourceKind::Data) {
        const QImage picture = readPicture(bytes, format.toLatin1().constData());
        if (!picture.isNull())
            return picture;
    }
    QImage blank(1, 1, QImage::Format_ARGB32);
    blank.fill(Qt::transparent);
    return blank;
}

QPixmap scaleForDisplay(const QPixmap& picture)
{
    const QSize size = displaySize(picture.size());
    return size == picture.size()
               ? picture
               : picture.scaled(size, Qt::IgnoreAspectRatio, Qt::FastTransformation);
}

QImage scaleForDisplay(const QImage& picture)
{
    const QSize size = displaySize(picture.size());
    return size == picture.size()
               ? picture
               : picture.scaled(size, Qt::IgnoreAspectRatio, Qt::FastTransformation);
}

bool encodePicture(const QImage& picture, QByteArray& bytes, QString* format)
{
    bytes.clear();
    const char* name = picture.hasAlphaChannel() ? "PNG" : "JPG";
    if (format)
        *format = QString::fromLatin1(name).toLower();
    QBuffer buffer(&bytes);
    if (!buffer.open(QIODevice::WriteOnly))
        return false;
    return picture.save(&buffer, name, -1);
}

QString pictureToHtml(const QImage& picture)
{
    QByteArray bytes;
    QString format;
    encodePicture(picture, bytes, &format);
    return QStringLiteral("<img src=\"data:image/") + format + QStringLiteral(";base64,") +
           QString::fromLatin1(bytes.toBase64()) + QStringLiteral("\"/>");
}

QString defaultPhotoPath()
{
    return ResourceFiles::path(QStringLiteral("media/defphoto.png"));
}

bool varToPixmap(const QVariant& value, QPixmap& out)
{
    out = QPixmap();
    const QByteArray bytes = value.toByteArray();
    if (bytes.size() > MaxPlaceholderBytes) {
        bool tooLarge = false;
        out = QPixmap::fromImage(readPicture(bytes, nullptr, &tooLarge));
        if (tooLarge)
            out.load(defaultPhotoPath());
        return false;
    }
    out.load(defaultPhotoPath());
    return true;
}

void varToImageLabel(ImageLabel* label, const QVariant& value)
{
    QPixmap picture;
    const bool usedDefault = varToPixmap(value, picture);
    label->setImage(picture, false);
    label->empty = usedDefault;
    // Saved again unchanged, a stored picture keeps its bytes, even one not shown.
    if (!usedDefault)
        label->storedBytes = value.toByteArray();
}

QString imageVarToHtml(const QVariant& value)
{
    QPixmap picture;
    varToPixmap(value, picture);
    return pictureToHtml(picture.toImage());
}

const QStringList imageExtensions = {
    QStringLiteral("bmp"), QStringLiteral("jpg"), QStringLiteral("jpeg"), QStringLiteral("png"),
    QStringLiteral("BMP"), QStringLiteral("JPG"), QStringLiteral("JPEG"), QStringLiteral("PNG"),
};

bool isImageExtension(QString extension)
{
    return imageExtensions.contains(extension, Qt::CaseSensitive);
}

namespace {

const QString tagStart = QStringLiteral("<img");
const QString sourceStart = QStringLiteral("src=\"");

} // namespace

QStringList imageSources(const QString& html)
{
    enum State { LookingForTag, InTag };
    QStringList sources;
    State state = LookingForTag;
    int matched = 0;
    int i = 0;
    while (i < html.size()) {
        const QChar c = html.at(i);
        if (state == LookingForTag) {
            if (c == tagStart.at(matched))
                ++matched;
            else if (c != QLatin1Char(' ') || matched != 1)
                matched = 0; // a blank may only follow the angle bracket
            if (matched == tagStart.size()) {
                state = InTag;
                matched = 0;
            }
            ++i;
            continue;
        }
        if (c == sourceStart.at(matched)) {
            ++matched;
        } else if (c == QLatin1Char('>')) {
            state = LookingForTag;
            matched = 0;
        } else if (c != QLatin1Char(' ') || (matched != 2 && matched != 3)) {
            matched = 0; // blanks may stand around the equals sign
        }
        ++i;
        if (state == InTag && matched == sourceStart.size()) {
            const int end = html.indexOf(QLatin1Char('"'), i);
            if (end < 0)
                break;
            sources << html.mid(i, end - i);
            i = end + 1;
            matched = 0;
        }
    }
    return sources;
}

ImageSourceKind classifyImageSource(const QString& source, QByteArray& bytes, QString& format)
{
    const QString base64Mark = QStringLiteral(";base64,");
    const QString dataMark = QStringLiteral("data:image/");
    const QString head = source.left(30);
    const int b = head.indexOf(base64Mark);
    const int d = head.indexOf(dataMark);
    if (b < 0 && d < 0)
        return ImageSourceKind::Address;
    if (b < 0 || d < 0)
        return ImageSourceKind::Ignored;
    const int formatStart = d + dataMark.size();
    if (b < formatStart || b - formatStart > 4)
        return ImageSourceKind::Ignored;
    format = source.mid(formatStart, b - formatStart);
    bytes = QByteArray::fromBase64(
        source.mid(source.indexOf(base64Mark) + base64Mark.size()).toLatin1());
    return ImageSourceKind::Data;
}
