#pragma once

#include <QByteArray>
#include <QImage>
#include <QPixmap>
#include <QString>
#include <QStringList>
#include <QUrl>
#include <QVariant>

class ImageLabel;

// Pictures are shown and stored at most this many pixels on their longer side.
const int MaxPictureSide = 200;
// The largest encoded picture a field stores.
const int MaxStoredPictureBytes = 2097152;
// Stored values this short cannot be a picture ("0" means none).
const int MaxPlaceholderBytes = 9;
// Pictures with more pixels are refused before they are decoded: a few bytes
// may claim billions of pixels, which would take minutes and gigabytes.
const qint64 MaxPicturePixels = 100000000;

// The picture reduced to the display size: unchanged when both sides fit,
// else the longer side becomes MaxPictureSide (integer division, aspect kept).
QPixmap scaleForDisplay(const QPixmap& picture);
QImage scaleForDisplay(const QImage& picture);

// The picture that encoded bytes (format: a format name, or null for any)
// or a file hold, decoded straight to the display size. The size is read
// from the header first: a picture above MaxPicturePixels (tooLarge is then
// set) or whose header tells no size is refused undecoded. Null when there
// is no picture.
QImage readPicture(const QByteArray& bytes, const char* format = nullptr,
                   bool* tooLarge = nullptr);
QImage readPictureFile(const QString& fileName, bool* tooLarge = nullptr);

// What a rich text document shows for a resource its HTML names: a picture
// the text holds as data, read by readPicture; for any other picture, or one
// refused, a blank pixel (never null, which would make the document read it
// from the disk itself); an empty text for any other resource.
QVariant textResource(int type, const QUrl& name);

// Encodes as PNG when the picture has an alpha channel, else as JPG.
// format receives "png" or "jpg".
bool encodePicture(const QImage& picture, QByteArray& bytes, QString* format = nullptr);

// An <img> element that carries the picture itself as Base64 data.
QString pictureToHtml(const QImage& picture);

// The picture of a stored value at display size; true when the value holds
// no picture. A stored picture too large to decode shows the default picture.
bool varToPixmap(const QVariant& value, QPixmap& out);
void varToImageLabel(ImageLabel* label, const QVariant& value);
QString imageVarToHtml(const QVariant& value);
QString defaultPhotoPath();

extern const QStringList imageExtensions;
bool isImageExtension(QString extension);

// The values of the src attributes of the img elements of an HTML text.
QStringList imageSources(const QString& html);

// How one img source is handled: downloaded, decoded in place, or ignored.
enum class ImageSourceKind { Address, Data, Ignored };
// For Data, bytes and format receive the decoded picture and its format name.
ImageSourceKind classifyImageSource(const QString& source, QByteArray& bytes, QString& format);
