#pragma once

#include <QAbstractTextDocumentLayout>

// The layout of a hidden editor's text: it lays out nothing, so that a long
// text loaded into an editor nobody sees costs no layout at all.
class HiddenTextLayout : public QAbstractTextDocumentLayout
{
public:
    explicit HiddenTextLayout(QTextDocument* document);

    void draw(QPainter* painter, const PaintContext& context) override;
    int hitTest(const QPointF& point, Qt::HitTestAccuracy accuracy) const override;
    int pageCount() const override;
    QSizeF documentSize() const override;
    QRectF frameBoundingRect(QTextFrame* frame) const override;
    QRectF blockBoundingRect(const QTextBlock& block) const override;

protected:
    void documentChanged(int from, int charsRemoved, int charsAdded) override;
};
