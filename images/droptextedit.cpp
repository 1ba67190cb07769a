#include "images/droptextedit.h"

#include "data/diagnostics.h"
#include "images/hiddentextlayout.h"
#include "images/pictures.h"

#include <QImage>
#include <QMimeData>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QShowEvent>

DropTextEdit::DropTextEdit(QWidget* parent) : QTextEdit(parent)
{
    connect(&_network, &QNetworkAccessManager::finished, this, &DropTextEdit::testLoad);
    // A long text is laid out once: a scroll bar appearing after the first
    // layout would narrow the text and have all of it laid out again.
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    _suspendLayout();
}

// Laying out a long text takes far longer than reading it, and a text of one
// paragraph is laid out all at once: an editor lays out its text only while
// it is shown, once, at the width it is shown at.
void DropTextEdit::_suspendLayout()
{
    if (!dynamic_cast<HiddenTextLayout*>(document()->documentLayout()))
        document()->setDocumentLayout(new HiddenTextLayout(document()));
}

void DropTextEdit::_resumeLayout()
{
    if (!dynamic_cast<HiddenTextLayout*>(document()->documentLayout()))
        return;
    {
        // Quietly dropped, so that the editor takes up only the layout made below.
        const QSignalBlocker blocker(document());
        document()->setDocumentLayout(nullptr);
    }
    document()->documentLayout(); // the standard layout, made anew
}

void DropTextEdit::hideEvent(QHideEvent* event)
{
    // A minimised window keeps its layouts.
    if (!event->spontaneous())
        _suspendLayout();
    QTextEdit::hideEvent(event);
}

void DropTextEdit::showEvent(QShowEvent* event)
{
    _resumeLayout();
    QTextEdit::showEvent(event);
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
