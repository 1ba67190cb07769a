#include "images/dropimagelabel.h"

#include "data/diagnostics.h"
#include "images/pictures.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QImage>
#include <QMimeData>
#include <QNetworkReply>
#include <QNetworkRequest>

DropImageLabel::DropImageLabel(QWidget* parent) : ImageLabel(parent)
{
    setAcceptDrops(true);
    connect(&_network, &QNetworkAccessManager::finished, this, &DropImageLabel::testLoad);
}

void DropImageLabel::testLoad(QNetworkReply* reply)
{
    const QPixmap picture = QPixmap::fromImage(readPicture(reply->readAll()));
    if (!picture.isNull())
        setImage(picture, false);
}

void DropImageLabel::dragEnterEvent(QDragEnterEvent* event)
{
    const QMimeData* data = event->mimeData();
    if (data->hasImage() || data->hasFormat(QStringLiteral("text/uri-list")))
        event->acceptProposedAction();
}

void DropImageLabel::dropEvent(QDropEvent* event)
{
    getImagesFromMimeData(event->mimeData());
    event->acceptProposedAction();
}

// Raw picture data, else the pictures of the HTML, else the URLs: one source
// per drop, so a picture is never fetched twice.
void DropImageLabel::getImagesFromMimeData(const QMimeData* data)
{
    if (data->hasImage()) {
        const QVariant value = data->imageData();
        const QImage image = value.canConvert<QImage>() ? qvariant_cast<QImage>(value) : QImage();
        setImage(QPixmap::fromImage(image), false);
        return;
    }
    if (data->hasHtml() && _takeHtmlImages(data->html()))
        return;
    if (data->hasUrls()) {
        for (const QUrl& url : data->urls()) {
            CULINOR_DIAG("utility", QStringLiteral("url:") + url.toString());
            _network.get(QNetworkRequest(url));
        }
        return;
    }
    showInfo(QStringLiteral("Unknown format"));
}

// Handles every img source of the HTML; true when any of them was usable.
bool DropImageLabel::_takeHtmlImages(const QString& html)
{
    bool found = false;
    for (const QString& source : imageSources(html)) {
        QByteArray bytes;
        QString format;
        switch (classifyImageSource(source, bytes, format)) {
        case ImageSourceKind::Address:
            _network.get(QNetworkRequest(QUrl(source)));
            found = true;
            break;
        case ImageSourceKind::Data: {
            const QPixmap picture =
                QPixmap::fromImage(readPicture(bytes, format.toLatin1().constData()));
            if (!picture.isNull()) {
                setImage(picture, false);
                found = true;
            }
            break;
        }
        case ImageSourceKind::Ignored:
            break;
        }
    }
    return found;
}
