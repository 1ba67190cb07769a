// Draws the pictures of the media directory: icons, sample dish photos, the picture of
// the saving splash and the default photo. Usage: drawmedia [output directory]
// (default "media").

#include "icons.h"
#include "photos.h"

#include <QDir>
#include <QImage>
#include <QString>

#include <cstdio>
#include <functional>

namespace {

struct Picture
{
    const char* fileName;
    std::function<QImage()> paint;
    // JPEG pictures have no alpha channel and get this quality.
    int quality;
};

constexpr int kPngQuality = -1;
constexpr int kJpegQuality = 92;

const Picture kPictures[] = {
    {"favicon.png", icons::appIcon, kPngQuality},
    {"new.png", icons::newBook, kPngQuality},
    {"save.png", icons::save, kPngQuality},
    {"save_as.png", icons::saveAs, kPngQuality},
    {"open.png", icons::open, kPngQuality},
    {"quit.png", icons::quit, kPngQuality},
    {"about.png", icons::about, kPngQuality},
    {"website.png", icons::website, kPngQuality},
    {"conf.png", icons::settings, kPngQuality},
    {"add.png", icons::add, kPngQuality},
    {"copy.png", icons::copy, kPngQuality},
    {"delete.png", icons::remove, kPngQuality},
    {"sort.png", icons::sort, kPngQuality},
    {"view.png", icons::view, kPngQuality},
    {"pizza.png", photos::pizza, kPngQuality},
    {"hamburger.png", photos::hamburger, kPngQuality},
    {"shawarma.png", photos::shawarma, kPngQuality},
    {"defphoto.png", photos::placeholder, kPngQuality},
    {"save.jpg", photos::savingPot, kJpegQuality},
};

bool writePicture(const QDir& directory, const Picture& picture)
{
    QImage image = picture.paint();
    const QString path = directory.filePath(QString::fromLatin1(picture.fileName));
    if (path.endsWith(QLatin1String(".jpg")))
        image = image.convertToFormat(QImage::Format_RGB32);
    if (!image.save(path, nullptr, picture.quality)) {
        std::fprintf(stderr, "drawmedia: cannot write %s\n", qPrintable(path));
        return false;
    }
    std::printf("%s %dx%d\n", qPrintable(path), image.width(), image.height());
    return true;
}

} // namespace

int main(int argc, char* argv[])
{
    const QString target = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("media");
    QDir directory(target);
    if (!directory.mkpath(QStringLiteral("."))) {
        std::fprintf(stderr, "drawmedia: cannot create %s\n", qPrintable(target));
        return 1;
    }
    bool allWritten = true;
    for (const Picture& picture : kPictures)
        allWritten = writePicture(directory, picture) && allWritten;
    return allWritten ? 0 : 1;
}
