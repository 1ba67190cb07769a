// Draws the pictures of the media directory: icons, sample dish photos, the picture of
// the saving splash and the default photo. Usage: drawmedia [output directory]
// (default "media"). With --desktop [directory] (default "desktop/icons") it draws
// the program's and its book files' icons for the desktop's icon theme instead.

#include "icons.h"
#include "photos.h"

#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QString>

#include <cstdio>
#include <functional>

namespace {

struct Picture
{
    const char* fileName;
    std::function<QImage()> paint;
    // Photos fill their whole frame, so they are written without an alpha channel.
    bool opaque;
};

// Quality of the JPEG pictures.
constexpr int kJpegQuality = 92;
constexpr bool kOpaque = true;
constexpr bool kTransparent = false;

const Picture kPictures[] = {
    {"favicon.png", icons::appIcon, kTransparent}, {"new.png", icons::newBook, kTransparent},
    {"save.png", icons::save, kTransparent},       {"save_as.png", icons::saveAs, kTransparent},
    {"open.png", icons::open, kTransparent},       {"quit.png", icons::quit, kTransparent},
    {"about.png", icons::about, kTransparent},     {"website.png", icons::website, kTransparent},
    {"conf.png", icons::settings, kTransparent},   {"add.png", icons::add, kTransparent},
    {"copy.png", icons::copy, kTransparent},       {"delete.png", icons::remove, kTransparent},
    {"sort.png", icons::sort, kTransparent},       {"view.png", icons::view, kTransparent},
    {"pizza.png", photos::pizza, kOpaque},         {"hamburger.png", photos::hamburger, kOpaque},
    {"shawarma.png", photos::shawarma, kOpaque},   {"defphoto.png", photos::placeholder, kOpaque},
    {"save.jpg", photos::savingPot, kOpaque},
};

bool writePicture(const QDir& directory, const Picture& picture)
{
    QImage image = picture.paint();
    const QString path = directory.filePath(QString::fromLatin1(picture.fileName));
    if (picture.opaque)
        image = image.convertToFormat(QImage::Format_RGB32);
    const int quality = path.endsWith(QLatin1String(".jpg")) ? kJpegQuality : -1;
    if (!image.save(path, nullptr, quality)) {
        std::fprintf(stderr, "drawmedia: cannot write %s\n", qPrintable(path));
        return false;
    }
    std::printf("%s %dx%d\n", qPrintable(path), image.width(), image.height());
    return true;
}

// The sizes of the desktop icon theme's folders (16x16/apps, ...).
const int kDesktopSizes[] = {16, 22, 24, 32, 48, 64, 128, 256};

bool writeDesktopIcons(const QString& target)
{
    bool allWritten = true;
    for (int pixels : kDesktopSizes) {
        const QString folder = QStringLiteral("%1/%2x%2/").arg(target).arg(pixels);
        const Picture pictures[] = {
            {"apps/org.example.ostrel.culinor.png", [pixels] { return icons::appIconAt(pixels); },
             kTransparent},
            {"mimetypes/application-x-culinor-book.png",
             [pixels] { return icons::bookFileAt(pixels); }, kTransparent},
        };
        for (const Picture& picture : pictures) {
            QDir directory(folder);
            allWritten = directory.mkpath(QFileInfo(picture.fileName).path())
                         && writePicture(directory, picture) && allWritten;
        }
    }
    return allWritten;
}

} // namespace

int main(int argc, char* argv[])
{
    if (argc > 1 && QByteArray(argv[1]) == "--desktop")
        return writeDesktopIcons(argc > 2 ? QString::fromLocal8Bit(argv[2])
                                          : QStringLiteral("desktop/icons"))
                   ? 0
                   : 1;
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
