#pragma once

#include <QColor>
#include <QImage>
#include <QPainterPath>
#include <QPointF>
#include <QRandomGenerator>

class QPainter;

// Small drawing helpers shared by the icons and the photos. Pictures are painted on a
// canvas several times larger than the result and scaled down smoothly at the end,
// which gives clean edges and soft texture.
namespace paintkit {

// A transparent canvas of (width x height) * scale device pixels.
QImage canvas(int width, int height, int scale);

// Prepares a painter on a canvas so that it draws in result pixels.
void begin(QPainter& painter, QImage& image, int scale);

// Scales a finished canvas down to its result size.
QImage finish(const QImage& image, int width, int height);

// A copy of the image blurred with a box blur of the given radius (device pixels).
QImage blurred(const QImage& image, int radius);

// Paints a soft shadow of the shape, moved by offset, below what comes next.
void softShadow(QPainter& painter, const QPainterPath& shape, QPointF offset, qreal blur,
                qreal opacity, const QColor& colour = Qt::black);

// The colour a fraction t of the way from a to b.
QColor mix(const QColor& a, const QColor& b, qreal t);

// The colour with the given alpha (0..1).
QColor withAlpha(const QColor& colour, qreal alpha);

// A closed shape around centre whose radius wobbles by up to wobble, like melted
// cheese or a hand-cut slice.
QPainterPath wobblyEllipse(QPointF centre, qreal rx, qreal ry, qreal wobble, int bumps,
                           QRandomGenerator& random);

// A leaf from base to tip, width at its widest.
QPainterPath leaf(QPointF base, QPointF tip, qreal width);

// Scatters count small round dots of the colour inside the shape.
void speckle(QPainter& painter, const QPainterPath& area, int count, const QColor& colour,
             qreal minRadius, qreal maxRadius, QRandomGenerator& random);

// Fills the path and strokes its outline with round joins.
void fillOutlined(QPainter& painter, const QPainterPath& path, const QColor& fill,
                  const QColor& line, qreal lineWidth);

// A rounded rectangle as a path.
QPainterPath roundedRect(const QRectF& rect, qreal radius);

// A circle as a path.
QPainterPath circle(QPointF centre, qreal radius);

} // namespace paintkit
