#include "images/droptextedit.h"

#include "data/diagnostics.h"
#include "images/pictures.h"

#include <QImage>
#include <QMimeData>
#include <QNetworkReply>
#include <QNetworkRequest>

DropTextEdit::DropTextEdit(QWidget* parent) : QTextEdit(parent)
{
    connect(&_network, &QNetworkAccessManager::finished, this, &DropTextEdit::testLoad);
}

QString DropTextEdit::bodyHtml()
{
    const QString html = toHtml();
    const int tag = html.indexOf(QStringLiteral("<body"));
    if (tag < 0)
        return QString();
    const int start = html.indexOf(QLatin1Char('>'), tag);
    if (start < 0)
        return QString();
    int end = html.indexOf(QStringLiteral("</body"), start);
    if (end < 0)
        end = html.size();
    return html.mid(start + 1, end - start - 1);
}

bool DropTextEdit::canInsertFromMimeData(const QMimeData* source) const
{
    return source->hasImage() || QTextEdit::canInsertFromMimeData(source);
}

void DropTextEdit::insertFromMimeData(const QMimeData* source)
{
    if (source->hasImage()) {
        CULINOR_DIAG("utility", "Raw image case");
        const QVariant value = source->imageData();
        const QImage image = value.canConvert<QImage>() ? qvariant_cast<QImage>(value) : QImage();
        // Embedded as data, the picture is part of the stored text like a downloaded one.
        if (!image.isNull())
            textCursor().insertHtml(pictureToHtml(scaleForDisplay(image)));
        return;
    }
    if (source->hasUrls()) {
        bool fetching = false;
        for (const QUrl& url : source->urls()) {
            const QString text = url.toString();
            CULINOR_DIAG("utility", text);
            const int dot = text.lastIndexOf(QLatin1Char('.'));
            if (dot < 0)
                continue;
            const QString extension = text.mid(dot + 1);
            CULINOR_DIAG("utility", extension);
            if (isImageExtension(extension)) {
                _network.get(QNetworkRequest(url));
                fetching = true;
            }
        }
        // Without a picture to fetch, the drop is text like any other.
        if (source->hasHtml() || !fetching)
            QTextEdit::insertFromMimeData(source);
        return;
    }
    QTextEdit::insertFromMimeData(source);
}

QVariant DropTextEdit::loadResource(int type, const QUrl& name)
{
    return textResource(type, name);
}

void DropTextEdit::testLoad(QNetworkReply* reply)
{
    const QImage picture = readPicture(reply->readAll());
    if (picture.isNull())
        return;
    setHtml(bodyHtml() + pictureToHtml(picture));
}
