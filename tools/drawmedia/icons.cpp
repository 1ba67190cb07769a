#include "icons.h"

#include "paintkit.h"
#include "palette.h"

#include <QPainter>
#include <QtMath>

#include <functional>

using namespace paintkit;

namespace icons {

namespace {

// Icons are painted four times larger and scaled down to 64 x 64.
constexpr int kScale = 4;
// Width of every outline, in icon pixels (about one pixel at 20 x 20).
constexpr qreal kLine = 3.5;
// Width of the white or light strokes drawn inside a shape.
constexpr qreal kInnerLine = 5.0;

// Every icon is drawn on the same 64-unit grid, whatever its size in pixels.
QImage paintIcon(const std::function<void(QPainter&)>& paint, int pixels = size)
{
    QImage image = canvas(pixels, pixels, kScale);
    QPainter painter;
    begin(painter, image, kScale);
    painter.scale(qreal(pixels) / size, qreal(pixels) / size);
    paint(painter);
    painter.end();
    return finish(image, pixels, pixels);
}

QPen roundPen(const QColor& colour, qreal width)
{
    return QPen(colour, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
}

// A sheet of paper with a folded top-right corner.
void paintSheet(QPainter& p, const QRectF& r, qreal fold)
{
    QPainterPath sheet;
    sheet.moveTo(r.left() + 3, r.top());
    sheet.lineTo(r.right() - fold, r.top());
    sheet.lineTo(r.right(), r.top() + fold);
    sheet.lineTo(r.right(), r.bottom() - 3);
    sheet.quadTo(r.right(), r.bottom(), r.right() - 3, r.bottom());
    sheet.lineTo(r.left() + 3, r.bottom());
    sheet.quadTo(r.left(), r.bottom(), r.left(), r.bottom() - 3);
    sheet.lineTo(r.left(), r.top() + 3);
    sheet.quadTo(r.left(), r.top(), r.left() + 3, r.top());
    fillOutlined(p, sheet, palette::paper, palette::outline, kLine);
    QPainterPath corner;
    corner.moveTo(r.right() - fold, r.top());
    corner.lineTo(r.right() - fold, r.top() + fold);
    corner.lineTo(r.right(), r.top() + fold);
    fillOutlined(p, corner, palette::paperShade, palette::outline, kLine);
}

// A round badge with a white plus, used by "new" and "add".
void paintPlusBadge(QPainter& p, QPointF centre, qreal radius, bool halo)
{
    if (halo)
        p.fillPath(circle(centre, radius + kLine), palette::paper);
    fillOutlined(p, circle(centre, radius), palette::green, palette::greenDark, kLine);
    const qreal arm = radius * 0.52;
    p.setPen(roundPen(palette::paper, radius * 0.34));
    p.drawLine(QPointF(centre.x() - arm, centre.y()), QPointF(centre.x() + arm, centre.y()));
    p.drawLine(QPointF(centre.x(), centre.y() - arm), QPointF(centre.x(), centre.y() + arm));
}

// A floppy disk filling the rectangle.
void paintDisk(QPainter& p, const QRectF& r)
{
    const qreal chamfer = r.width() * 0.16;
    const qreal corner = r.width() * 0.1;
    QPainterPath body;
    body.moveTo(r.left() + corner, r.top());
    body.lineTo(r.right() - chamfer, r.top());
    body.lineTo(r.right(), r.top() + chamfer);
    body.lineTo(r.right(), r.bottom() - corner);
    body.quadTo(r.right(), r.bottom(), r.right() - corner, r.bottom());
    body.lineTo(r.left() + corner, r.bottom());
    body.quadTo(r.left(), r.bottom(), r.left(), r.bottom() - corner);
    body.lineTo(r.left(), r.top() + corner);
    body.quadTo(r.left(), r.top(), r.left() + corner, r.top());
    fillOutlined(p, body, palette::blue, palette::blueDark, kLine);

    // Metal shutter at the top with its window.
    const qreal w = r.width();
    const QRectF shutter(r.left() + w * 0.22, r.top(), w * 0.5, w * 0.32);
    fillOutlined(p, roundedRect(shutter, 2), palette::paperShade, palette::blueDark, kLine);
    p.fillPath(roundedRect(QRectF(shutter.left() + shutter.width() * 0.6, shutter.top() + 4,
                                  shutter.width() * 0.22, shutter.height() - 8),
                           1.5),
               palette::slateDark);

    // Paper label at the bottom with two written lines.
    const QRectF label(r.left() + w * 0.16, r.top() + w * 0.52, w * 0.68, w * 0.48);
    fillOutlined(p, roundedRect(label, 3), palette::paper, palette::blueDark, kLine);
    p.setPen(roundPen(palette::blueLight, 3));
    p.drawLine(QPointF(label.left() + 6, label.top() + label.height() * 0.38),
               QPointF(label.right() - 6, label.top() + label.height() * 0.38));
    p.drawLine(QPointF(label.left() + 6, label.top() + label.height() * 0.68),
               QPointF(label.right() - 10, label.top() + label.height() * 0.68));
}

// A pencil lying from the tip towards the back end.
void paintPencil(QPainter& p, QPointF tip, QPointF back, qreal width)
{
    const QPointF along = back - tip;
    const qreal length = qSqrt(QPointF::dotProduct(along, along));
    p.save();
    p.translate(tip);
    p.rotate(qRadiansToDegrees(qAtan2(along.y(), along.x())));
    const qreal half = width / 2;
    const qreal point = width * 1.1;

    // A white halo keeps the pencil apart from what lies beneath.
    QPainterPath whole;
    whole.moveTo(0, 0);
    whole.lineTo(point, -half);
    whole.lineTo(length - 2, -half);
    whole.quadTo(length, -half, length, -half + 2);
    whole.lineTo(length, half - 2);
    whole.quadTo(length, half, length - 2, half);
    whole.lineTo(point, half);
    whole.closeSubpath();
    p.setPen(roundPen(palette::paper, kLine * 2.6));
    p.setBrush(Qt::NoBrush);
    p.drawPath(whole);

    QPainterPath body;
    body.addRect(QRectF(point, -half, length - point - width * 0.9, width));
    fillOutlined(p, body, palette::amber, palette::amberDark, kLine);
    QPainterPath eraser = roundedRect(QRectF(length - width * 0.9, -half, width * 0.9, width), 2);
    fillOutlined(p, eraser, palette::pink, palette::amberDark, kLine);
    QPainterPath wood;
    wood.moveTo(0, 0);
    wood.lineTo(point, -half);
    wood.lineTo(point, half);
    wood.closeSubpath();
    fillOutlined(p, wood, palette::yellow, palette::amberDark, kLine);
    QPainterPath lead;
    lead.moveTo(0, 0);
    lead.lineTo(point * 0.4, -half * 0.4);
    lead.lineTo(point * 0.4, half * 0.4);
    lead.closeSubpath();
    p.fillPath(lead, palette::slateDark);
    p.restore();
}

// An arrow with a bold shaft and a triangular head pointing along (from -> to).
void paintArrow(QPainter& p, QPointF from, QPointF to, const QColor& fill, const QColor& line,
                qreal shaft, qreal head)
{
    const QPointF along = to - from;
    const qreal length = qSqrt(QPointF::dotProduct(along, along));
    p.save();
    p.translate(from);
    p.rotate(qRadiansToDegrees(qAtan2(along.y(), along.x())));
    QPainterPath arrow;
    const qreal neck = length - head;
    arrow.moveTo(0, -shaft / 2);
    arrow.lineTo(neck, -shaft / 2);
    arrow.lineTo(neck, -head * 0.75);
    arrow.lineTo(length, 0);
    arrow.lineTo(neck, head * 0.75);
    arrow.lineTo(neck, shaft / 2);
    arrow.lineTo(0, shaft / 2);
    arrow.closeSubpath();
    fillOutlined(p, arrow, fill, line, kLine);
    p.restore();
}

// Orange disc with a white cook's hat: the program's own picture.
void paintAppIcon(QPainter& p)
{
    QRadialGradient disc(QPointF(26, 22), 40);
    disc.setColorAt(0, mix(palette::orange, palette::yellow, 0.35));
    disc.setColorAt(1, palette::orange);
    p.setPen(QPen(palette::orangeDark, kLine));
    p.setBrush(disc);
    p.drawEllipse(QPointF(32, 32), 29, 29);

    QPainterPath puff = circle(QPointF(21, 29), 10.5)
                            .united(circle(QPointF(32, 22), 13))
                            .united(circle(QPointF(43, 29), 10.5))
                            .united(roundedRect(QRectF(18, 28, 28, 16), 2));
    fillOutlined(p, puff.simplified(), palette::paper, palette::outline, kLine);
    fillOutlined(p, roundedRect(QRectF(18, 42, 28, 9), 2.5), palette::hatBand, palette::outline,
                 kLine);
    // Pleats of the hat.
    p.setPen(roundPen(palette::paperLine, 2.5));
    p.drawLine(QPointF(26, 34), QPointF(26, 41));
    p.drawLine(QPointF(32, 32), QPointF(32, 41));
    p.drawLine(QPointF(38, 34), QPointF(38, 41));
}

} // namespace

QImage appIcon()
{
    return appIconAt(size);
}

QImage appIconAt(int pixels)
{
    return paintIcon(paintAppIcon, pixels);
}

QImage bookFileAt(int pixels)
{
    return paintIcon([](QPainter& p) {
        // A written sheet with the program's picture on it.
        paintSheet(p, QRectF(8, 3, 48, 58), 14);
        p.setPen(roundPen(palette::paperLine, 3));
        p.drawLine(QPointF(15, 13), QPointF(38, 13));
        p.drawLine(QPointF(15, 20), QPointF(34, 20));
        const qreal emblem = 0.6;
        p.translate(32 - size * emblem / 2, 41 - size * emblem / 2);
        p.scale(emblem, emblem);
        paintAppIcon(p);
    }, pixels);
}

QImage newBook()
{
    return paintIcon([](QPainter& p) {
        paintSheet(p, QRectF(10, 5, 36, 50), 13);
        p.setPen(roundPen(palette::paperLine, 3));
        p.drawLine(QPointF(17, 26), QPointF(38, 26));
        p.drawLine(QPointF(17, 34), QPointF(32, 34));
        paintPlusBadge(p, QPointF(45, 46), 13, true);
    });
}

QImage save()
{
    return paintIcon([](QPainter& p) { paintDisk(p, QRectF(7, 7, 50, 50)); });
}

QImage saveAs()
{
    return paintIcon([](QPainter& p) {
        paintDisk(p, QRectF(4, 4, 46, 46));
        paintPencil(p, QPointF(30, 60), QPointF(60, 30), 11);
    });
}

QImage open()
{
    return paintIcon([](QPainter& p) {
        // Back of the folder with its tab.
        QPainterPath back;
        back.moveTo(6, 14);
        back.quadTo(6, 10, 10, 10);
        back.lineTo(24, 10);
        back.lineTo(29, 16);
        back.lineTo(50, 16);
        back.quadTo(54, 16, 54, 20);
        back.lineTo(54, 52);
        back.lineTo(6, 52);
        back.closeSubpath();
        fillOutlined(p, back, palette::amber, palette::amberDark, kLine);
        // A sheet inside.
        fillOutlined(p, roundedRect(QRectF(13, 21, 36, 24), 2), palette::paper, palette::outline,
                     kLine);
        // The front flap, tilted open.
        QPainterPath front;
        front.moveTo(15, 28);
        front.lineTo(60, 28);
        front.quadTo(62, 28, 61, 31);
        front.lineTo(54, 52);
        front.lineTo(6, 52);
        front.lineTo(12, 31);
        front.quadTo(13, 28, 15, 28);
        fillOutlined(p, front, palette::yellow, palette::amberDark, kLine);
    });
}

QImage quit()
{
    return paintIcon([](QPainter& p) {
        // Door frame and the open door leaf.
        fillOutlined(p, roundedRect(QRectF(8, 6, 30, 52), 3), palette::paperShade, palette::outline,
                     kLine);
        QPainterPath leaf;
        leaf.moveTo(8, 6);
        leaf.lineTo(26, 12);
        leaf.lineTo(26, 60);
        leaf.lineTo(8, 58);
        leaf.closeSubpath();
        fillOutlined(p, leaf, palette::wood, palette::woodDark, kLine);
        p.setPen(Qt::NoPen);
        p.setBrush(palette::yellow);
        p.drawEllipse(QPointF(21.5, 36), 2.6, 2.6);
        // The way out.
        paintArrow(p, QPointF(30, 32), QPointF(61, 32), palette::red, palette::redDark, 10, 16);
    });
}

QImage about()
{
    return paintIcon([](QPainter& p) {
        fillOutlined(p, circle(QPointF(32, 32), 27), palette::blue, palette::blueDark, kLine);
        p.setPen(Qt::NoPen);
        p.setBrush(palette::paper);
        p.drawEllipse(QPointF(32, 18.5), 5, 5);
        QPainterPath stem;
        stem.addRoundedRect(QRectF(27.5, 27, 9, 23), 2.5, 2.5);
        stem.addRoundedRect(QRectF(23, 27, 13, 5.5), 2, 2);
        stem.addRoundedRect(QRectF(23, 45, 18, 5.5), 2, 2);
        p.drawPath(stem.simplified());
    });
}

QImage website()
{
    return paintIcon([](QPainter& p) {
        const QPointF centre(32, 32);
        const qreal radius = 27;
        QRadialGradient sea(QPointF(24, 22), 36);
        sea.setColorAt(0, mix(palette::blue, palette::blueLight, 0.4));
        sea.setColorAt(1, palette::blue);
        p.setPen(Qt::NoPen);
        p.setBrush(sea);
        p.drawEllipse(centre, radius, radius);

        // Meridians and parallels.
        p.save();
        p.setClipPath(circle(centre, radius));
        p.setBrush(Qt::NoBrush);
        p.setPen(roundPen(palette::paper, 3.8));
        p.drawEllipse(centre, 12, radius);
        p.drawLine(QPointF(4, 32), QPointF(60, 32));
        QPainterPath north(QPointF(8, 17));
        north.quadTo(32, 24, 56, 17);
        QPainterPath south(QPointF(8, 47));
        south.quadTo(32, 40, 56, 47);
        p.drawPath(north);
        p.drawPath(south);
        p.restore();

        p.setPen(QPen(palette::blueDark, kLine));
        p.setBrush(Qt::NoBrush);
        p.drawEllipse(centre, radius, radius);
    });
}

QImage settings()
{
    return paintIcon([](QPainter& p) {
        const QPointF centre(32, 32);
        constexpr int kTeeth = 8;
        QPainterPath gear = circle(centre, 20);
        for (int i = 0; i < kTeeth; ++i) {
            QTransform turn;
            turn.translate(centre.x(), centre.y());
            turn.rotate(360.0 / kTeeth * i);
            QPainterPath tooth;
            tooth.moveTo(-6.5, -17);
            tooth.lineTo(-4.8, -27);
            tooth.quadTo(0, -29, 4.8, -27);
            tooth.lineTo(6.5, -17);
            tooth.closeSubpath();
            gear = gear.united(turn.map(tooth));
        }
        gear = gear.subtracted(circle(centre, 8.5)).simplified();
        fillOutlined(p, gear, palette::slateLight, palette::slateDark, kLine);
        p.setPen(QPen(palette::paperShade, 3));
        p.setBrush(Qt::NoBrush);
        p.drawEllipse(centre, 14, 14);
    });
}

QImage add()
{
    return paintIcon([](QPainter& p) { paintPlusBadge(p, QPointF(32, 32), 26, false); });
}

QImage copy()
{
    return paintIcon([](QPainter& p) {
        fillOutlined(p, roundedRect(QRectF(7, 5, 32, 40), 3), palette::blueLight, palette::blueDark,
                     kLine);
        paintSheet(p, QRectF(23, 19, 34, 41), 11);
        p.setPen(roundPen(palette::paperLine, 3));
        p.drawLine(QPointF(29, 36), QPointF(50, 36));
        p.drawLine(QPointF(29, 44), QPointF(50, 44));
        p.drawLine(QPointF(29, 52), QPointF(43, 52));
    });
}

QImage remove()
{
    return paintIcon([](QPainter& p) {
        // Bin body, slightly narrower at the bottom.
        QPainterPath body;
        body.moveTo(13, 20);
        body.lineTo(51, 20);
        body.lineTo(47, 56);
        body.quadTo(46.5, 59, 43, 59);
        body.lineTo(21, 59);
        body.quadTo(17.5, 59, 17, 56);
        body.closeSubpath();
        fillOutlined(p, body, palette::red, palette::redDark, kLine);
        p.setPen(roundPen(palette::paper, 3.5));
        p.drawLine(QPointF(25, 28), QPointF(26, 51));
        p.drawLine(QPointF(32, 28), QPointF(32, 51));
        p.drawLine(QPointF(39, 28), QPointF(38, 51));
        // Lid with its handle.
        fillOutlined(p, roundedRect(QRectF(24, 5, 16, 9), 2.5), palette::red, palette::redDark,
                     kLine);
        fillOutlined(p, roundedRect(QRectF(8, 11, 48, 8), 3), palette::red, palette::redDark,
                     kLine);
    });
}

QImage sort()
{
    return paintIcon([](QPainter& p) {
        paintArrow(p, QPointF(20, 58), QPointF(20, 5), palette::blue, palette::blueDark, 10, 20);
        paintArrow(p, QPointF(44, 6), QPointF(44, 59), palette::orange, palette::orangeDark, 10,
                   20);
    });
}

QImage view()
{
    return paintIcon([](QPainter& p) {
        const qreal tile = 23;
        const qreal gap = 6;
        const qreal start = (size - 2 * tile - gap) / 2;
        for (int row = 0; row < 2; ++row) {
            for (int column = 0; column < 2; ++column) {
                const QRectF r(start + column * (tile + gap), start + row * (tile + gap), tile,
                               tile);
                const bool accent = row == column;
                fillOutlined(p, roundedRect(r, 4), accent ? palette::blue : palette::blueLight,
                             palette::blueDark, kLine);
            }
        }
    });
}

} // namespace icons
