#include "images/hiddentextlayout.h"

HiddenTextLayout::HiddenTextLayout(QTextDocument* document)
    : QAbstractTextDocumentLayout(document)
{
}

void HiddenTextLayout::draw(QPainter*, const PaintContext&) {}

int HiddenTextLayout::hitTest(const QPointF&, Qt::HitTestAccuracy) const
{
    return -1;
}

int HiddenTextLayout::pageCount() const
{
    return 1;
}

QSizeF HiddenTextLayout::documentSize() const
{
    return QSizeF();
}

QRectF HiddenTextLayout::frameBoundingRect(QTextFrame*) const
{
    return QRectF();
}

QRectF HiddenTextLayout::blockBoundingRect(const QTextBlock&) const
{
    return QRectF();
}

void HiddenTextLayout::documentChanged(int, int, int) {}
