#include "paintkit.h"

#include <QPainter>
#include <QtMath>

#include <algorithm>
#include <vector>

namespace paintkit {

QImage canvas(int width, int height, int scale)
{
    QImage image(width * scale, height * scale, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    return image;
}

void begin(QPainter& painter, QImage& image, int scale)
{
    painter.begin(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.scale(scale, scale);
}

QImage finish(const QImage& image, int width, int height)
{
    return image.scaled(width, height, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
        .convertToFormat(QImage::Format_ARGB32);
}

namespace {

// One pass of a running-sum box blur along rows (horizontal) or columns.
void boxBlurPass(QImage& image, int radius, bool horizontal)
{
    const int w = image.width();
    const int h = image.height();
    const int lines = horizontal ? h : w;
    const int length = horizontal ? w : h;
    const int window = 2 * radius + 1;
    std::vector<QRgb> source(static_cast<size_t>(length));
    for (int line = 0; line < lines; ++line) {
        auto pixel = [&](int i) -> QRgb& {
            const int x = horizontal ? i : line;
            const int y = horizontal ? line : i;
            return reinterpret_cast<QRgb*>(image.scanLine(y))[x];
        };
        for (int i = 0; i < length; ++i)
            source[static_cast<size_t>(i)] = pixel(i);
        auto at = [&](int i) { return source[static_cast<size_t>(std::clamp(i, 0, length - 1))]; };
        int a = 0, r = 0, g = 0, b = 0;
        for (int i = -radius; i <= radius; ++i) {
            const QRgb c = at(i);
            a += qAlpha(c), r += qRed(c), g += qGreen(c), b += qBlue(c);
        }
        for (int i = 0; i < length; ++i) {
            pixel(i) = qRgba(r / window, g / window, b / window, a / window);
            const QRgb out = at(i - radius);
            const QRgb in = at(i + radius + 1);
            a += qAlpha(in) - qAlpha(out);
            r += qRed(in) - qRed(out);
            g += qGreen(in) - qGreen(out);
            b += qBlue(in) - qBlue(out);
        }
    }
}

} // namespace

QImage blurred(const QImage& image, int radius)
{
    QImage result = image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    if (radius < 1)
        return result;
    // Three box passes come close to a Gaussian blur.
    for (int pass = 0; pass < 3; ++pass) {
        boxBlurPass(result, radius, true);
        boxBlurPass(result, radius, false);
    }
    return result;
}

void softShadow(QPainter& painter, const QPainterPath& shape, QPointF offset, qreal blur,
                qreal opacity, const QColor& colour)
{
    auto* device = dynamic_cast<QImage*>(painter.device());
    if (!device)
        return;
    QImage layer(device->size(), QImage::Format_ARGB32_Premultiplied);
    layer.fill(Qt::transparent);
    const QTransform transform = painter.worldTransform();
    {
        QPainter shadow(&layer);
        shadow.setRenderHint(QPainter::Antialiasing);
        shadow.setTransform(transform);
        shadow.translate(offset);
        shadow.fillPath(shape, colour);
    }
    const int radius = qMax(1, qRound(blur * transform.m11() / 2.0));
    painter.save();
    painter.resetTransform();
    painter.setOpacity(painter.opacity() * opacity);
    painter.drawImage(0, 0, blurred(layer, radius));
    painter.restore();
}

QColor mix(const QColor& a, const QColor& b, qreal t)
{
    return QColor::fromRgbF(
        a.redF() + (b.redF() - a.redF()) * t, a.greenF() + (b.greenF() - a.greenF()) * t,
        a.blueF() + (b.blueF() - a.blueF()) * t, a.alphaF() + (b.alphaF() - a.alphaF()) * t);
}

QColor withAlpha(const QColor& colour, qreal alpha)
{
    QColor result = colour;
    result.setAlphaF(alpha);
    return result;
}

QPainterPath wobblyEllipse(QPointF centre, qreal rx, qreal ry, qreal wobble, int bumps,
                           QRandomGenerator& random)
{
    // Radii at evenly spaced angles, joined by smooth curves through the midpoints.
    std::vector<QPointF> points;
    for (int i = 0; i < bumps; ++i) {
        const qreal angle = 2 * M_PI * i / bumps;
        const qreal k = 1.0 + (random.generateDouble() * 2 - 1) * wobble;
        points.emplace_back(centre.x() + rx * k * qCos(angle), centre.y() + ry * k * qSin(angle));
    }
    QPainterPath path;
    const auto n = points.size();
    auto mid = [&](size_t i) { return (points[i % n] + points[(i + 1) % n]) / 2; };
    path.moveTo(mid(0));
    for (size_t i = 1; i <= n; ++i)
        path.quadTo(points[i % n], mid(i));
    path.closeSubpath();
    return path;
}

QPainterPath leaf(QPointF base, QPointF tip, qreal width)
{
    const QPointF along = tip - base;
    const QPointF across =
        QPointF(-along.y(), along.x()) / qSqrt(QPointF::dotProduct(along, along));
    const QPointF widest = base + along * 0.45;
    QPainterPath path(base);
    path.cubicTo(widest + across * width * 0.75, tip - along * 0.2 + across * width * 0.35, tip);
    path.cubicTo(tip - along * 0.2 - across * width * 0.35, widest - across * width * 0.75, base);
    path.closeSubpath();
    return path;
}

void speckle(QPainter& painter, const QPainterPath& area, int count, const QColor& colour,
             qreal minRadius, qreal maxRadius, QRandomGenerator& random)
{
    const QRectF box = area.boundingRect();
    painter.save();
    painter.setClipPath(area, Qt::IntersectClip);
    painter.setPen(Qt::NoPen);
    painter.setBrush(colour);
    for (int i = 0; i < count; ++i) {
        const QPointF at(box.left() + random.generateDouble() * box.width(),
                         box.top() + random.generateDouble() * box.height());
        const qreal r = minRadius + random.generateDouble() * (maxRadius - minRadius);
        painter.drawEllipse(at, r, r * (0.7 + 0.3 * random.generateDouble()));
    }
    painter.restore();
}

void fillOutlined(QPainter& painter, const QPainterPath& path, const QColor& fill,
                  const QColor& line, qreal lineWidth)
{
    painter.save();
    painter.setPen(QPen(line, lineWidth, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.setBrush(fill);
    painter.drawPath(path);
    painter.restore();
}

QPainterPath roundedRect(const QRectF& rect, qreal radius)
{
    QPainterPath path;
    path.addRoundedRect(rect, radius, radius);
    return path;
}

QPainterPath circle(QPointF centre, qreal radius)
{
    QPainterPath path;
    path.addEllipse(centre, radius, radius);
    return path;
}

} // namespace paintkit
