#include "photos.h"

#include "paintkit.h"
#include "palette.h"

#include <QPainter>
#include <QtMath>

#include <functional>
#include <vector>

using namespace paintkit;

namespace photos {

namespace {

// Photos are painted three times larger and scaled down, which softens the texture.
constexpr int kScale = 3;

QImage paintPhoto(int width, int height, const std::function<void(QPainter&)>& paint)
{
    QImage image = canvas(width, height, kScale);
    QPainter painter;
    begin(painter, image, kScale);
    paint(painter);
    painter.end();
    return finish(image, width, height);
}

// Darkens the corners a little, as a lens does.
void paintVignette(QPainter& p, const QRectF& area, qreal strength)
{
    QRadialGradient shade(area.center(), qMax(area.width(), area.height()) * 0.75);
    shade.setColorAt(0.55, withAlpha(Qt::black, 0));
    shade.setColorAt(1, withAlpha(Qt::black, strength));
    p.fillRect(area, shade);
}

// Wooden planks across the area, each with its own tone and a fine grain.
void paintWoodTable(QPainter& p, const QRectF& area, qreal plankHeight, QRandomGenerator& random)
{
    for (qreal top = area.top(); top < area.bottom(); top += plankHeight) {
        const QRectF plank(area.left(), top, area.width(), plankHeight);
        const QColor tone =
            mix(palette::tableLight, palette::tableDark, 0.15 + 0.45 * random.generateDouble());
        QLinearGradient across(plank.topLeft(), plank.bottomLeft());
        across.setColorAt(0, tone.lighter(108));
        across.setColorAt(1, tone.darker(112));
        p.fillRect(plank, across);

        // Grain: long wavy lines along the plank.
        p.save();
        p.setClipRect(plank);
        p.setBrush(Qt::NoBrush);
        for (int line = 0; line < 9; ++line) {
            const qreal y = top + random.generateDouble() * plankHeight;
            const qreal phase = random.generateDouble() * 6.28;
            const qreal wave = 0.6 + random.generateDouble() * 1.4;
            QPainterPath grain(QPointF(area.left(), y));
            for (qreal x = area.left(); x <= area.right() + 8; x += 8)
                grain.lineTo(x, y + wave * qSin(phase + x / 23.0));
            const bool dark = random.bounded(3) != 0;
            p.setPen(
                QPen(withAlpha(dark ? palette::tableDark : palette::boardLight, dark ? 0.35 : 0.12),
                     0.4 + random.generateDouble() * 0.6));
            p.drawPath(grain);
        }
        p.restore();

        // The gap between two planks.
        p.fillRect(QRectF(area.left(), top, area.width(), 0.9),
                   withAlpha(palette::tableDark.darker(150), 0.8));
    }
}

// Small round-bottomed tomato slice seen from above, used as a garnish.
void paintTomatoSlice(QPainter& p, QPointF centre, qreal radius, QRandomGenerator& random)
{
    softShadow(p, circle(centre, radius), QPointF(1, 1.5), 2.5, 0.45);
    QRadialGradient flesh(centre, radius);
    flesh.setColorAt(0, palette::tomatoLight);
    flesh.setColorAt(0.8, palette::tomato);
    flesh.setColorAt(1, palette::tomato.darker(130));
    p.setPen(Qt::NoPen);
    p.setBrush(flesh);
    p.drawEllipse(centre, radius, radius);
    // Seed chambers.
    for (int i = 0; i < 3; ++i) {
        const qreal angle = 2 * M_PI * i / 3 + random.generateDouble() * 0.3;
        const QPointF at = centre + QPointF(qCos(angle), qSin(angle)) * radius * 0.45;
        p.setBrush(withAlpha(palette::tomatoLight.lighter(115), 0.85));
        p.drawEllipse(at, radius * 0.26, radius * 0.2);
        p.setBrush(withAlpha(palette::cheeseLight, 0.9));
        p.drawEllipse(at, radius * 0.06, radius * 0.06);
    }
}

// A basil or parsley leaf with its middle vein.
void paintLeaf(QPainter& p, QPointF base, QPointF tip, qreal width, const QColor& light,
               const QColor& dark)
{
    const QPainterPath shape = leaf(base, tip, width);
    softShadow(p, shape, QPointF(0.8, 1.2), 1.5, 0.45);
    QLinearGradient shade(base, tip);
    shade.setColorAt(0, dark);
    shade.setColorAt(0.6, light);
    shade.setColorAt(1, dark);
    p.fillPath(shape, shade);
    p.setPen(QPen(withAlpha(light.lighter(150), 0.7), 0.5, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(base, base + (tip - base) * 0.85);
}

// ---------------------------------------------------------------------------------------
// Pizza: seen from above at an angle, on a round board on a wooden table.

constexpr qreal kPizzaTilt = 0.72;
constexpr qreal kBoardRadius = 82;
constexpr qreal kPizzaRadius = 68;
constexpr qreal kCrustWidth = 11;

void paintPizzaBoard(QPainter& p)
{
    const QPainterPath top = circle(QPointF(0, 0), kBoardRadius);
    softShadow(p, top, QPointF(4, 10), 10, 0.6);
    p.fillPath(circle(QPointF(0, 6), kBoardRadius), palette::boardDark.darker(125));
    QRadialGradient wood(QPointF(-20, -25), kBoardRadius * 1.3);
    wood.setColorAt(0, palette::boardLight);
    wood.setColorAt(1, palette::boardDark);
    p.fillPath(top, wood);
    // Growth rings of the wood.
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(withAlpha(palette::boardDark, 0.18), 0.6));
    for (qreal r = 10; r < kBoardRadius; r += 7)
        p.drawEllipse(QPointF(9, 4), r, r);
    p.setPen(QPen(withAlpha(palette::boardDark.darker(140), 0.7), 1.2));
    p.drawEllipse(QPointF(0, 0), kBoardRadius, kBoardRadius);
}

void paintPizzaBase(QPainter& p, QRandomGenerator& random)
{
    const QPainterPath crust = circle(QPointF(0, 0), kPizzaRadius);
    softShadow(p, crust, QPointF(2, 6), 4, 0.55);
    p.fillPath(circle(QPointF(0, 4), kPizzaRadius), palette::crustDark);

    QRadialGradient bake(QPointF(0, 0), kPizzaRadius);
    bake.setColorAt(0.8, palette::crustLight);
    bake.setColorAt(0.92, mix(palette::crustLight, palette::crustDark, 0.4));
    bake.setColorAt(1, palette::crustDark);
    p.fillPath(crust, bake);
    const QPainterPath rim = crust.subtracted(circle(QPointF(0, 0), kPizzaRadius - kCrustWidth));
    speckle(p, rim, 140, withAlpha(palette::crustBurnt, 0.35), 0.5, 2.2, random);
    speckle(p, rim, 60, withAlpha(palette::cheeseLight, 0.35), 0.5, 1.6, random);
    // The puffed edge catches the light.
    p.setPen(QPen(withAlpha(Qt::white, 0.2), 3));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(QPointF(0, 0), kPizzaRadius - 5, kPizzaRadius - 5);

    // Sauce, with a darker edge where it meets the crust.
    const QPainterPath sauce =
        wobblyEllipse(QPointF(0, 0), kPizzaRadius - 9, kPizzaRadius - 9, 0.025, 36, random);
    QRadialGradient red(QPointF(0, 0), kPizzaRadius - 9);
    red.setColorAt(0.85, palette::sauce);
    red.setColorAt(1, palette::sauce.darker(135));
    p.fillPath(sauce, red);
}

void paintPizzaCheese(QPainter& p, QRandomGenerator& random)
{
    const qreal r = kPizzaRadius - 13;
    const QPainterPath cheese = wobblyEllipse(QPointF(0, 0), r, r, 0.06, 26, random);
    QRadialGradient melt(QPointF(-10, -12), r * 1.2);
    melt.setColorAt(0, palette::cheeseLight);
    melt.setColorAt(0.6, palette::cheese);
    melt.setColorAt(1, mix(palette::cheese, palette::cheeseBrown, 0.6));
    p.fillPath(cheese, melt);

    p.save();
    p.setClipPath(cheese);
    p.setPen(Qt::NoPen);
    // Melted pools, browned bubbles and sauce showing through.
    for (int i = 0; i < 26; ++i) {
        const QPointF at((random.generateDouble() * 2 - 1) * r,
                         (random.generateDouble() * 2 - 1) * r);
        const qreal size = 4 + random.generateDouble() * 7;
        p.fillPath(wobblyEllipse(at, size, size * 0.8, 0.25, 9, random),
                   withAlpha(palette::cheeseLight, 0.55));
    }
    for (int i = 0; i < 10; ++i) {
        const QPointF at((random.generateDouble() * 2 - 1) * r,
                         (random.generateDouble() * 2 - 1) * r);
        const qreal size = 1.5 + random.generateDouble() * 2.5;
        p.fillPath(wobblyEllipse(at, size, size * 0.8, 0.3, 7, random),
                   withAlpha(palette::sauce, 0.7));
    }
    p.restore();
    speckle(p, cheese, 60, withAlpha(palette::cheeseBrown, 0.5), 0.8, 3.0, random);
    speckle(p, cheese, 20, withAlpha(palette::crustBurnt, 0.35), 0.5, 1.3, random);
    // Browned blisters where the cheese bubbled in the oven.
    for (int i = 0; i < 14; ++i) {
        const QPointF at((random.generateDouble() * 2 - 1) * r * 0.8,
                         (random.generateDouble() * 2 - 1) * r * 0.8);
        const qreal size = 2 + random.generateDouble() * 2.5;
        QRadialGradient blister(at, size);
        blister.setColorAt(0, withAlpha(palette::cheeseBrown, 0.75));
        blister.setColorAt(1, withAlpha(palette::cheeseBrown, 0));
        p.fillPath(circle(at, size).intersected(cheese), blister);
    }
    speckle(p, cheese, 90, withAlpha(palette::oregano, 0.7), 0.3, 0.7, random);
}

void paintPepperoni(QPainter& p, QPointF centre, qreal radius, QRandomGenerator& random)
{
    const QPainterPath slice = wobblyEllipse(centre, radius, radius, 0.04, 12, random);
    softShadow(p, slice, QPointF(0.8, 2.2), 2.5, 0.5);
    QRadialGradient cure(centre + QPointF(-radius * 0.3, -radius * 0.3), radius * 1.3);
    cure.setColorAt(0, palette::pepperoni.lighter(115));
    cure.setColorAt(0.75, palette::pepperoni);
    cure.setColorAt(1, palette::pepperoniDark);
    p.fillPath(slice, cure);
    speckle(p, slice, 14, withAlpha(palette::pink, 0.55), 0.4, 1.0, random);
    speckle(p, slice, 6, withAlpha(palette::pepperoniDark, 0.6), 0.4, 1.0, random);
    p.setPen(QPen(withAlpha(palette::pepperoniDark.darker(130), 0.8), 0.9));
    p.setBrush(Qt::NoBrush);
    p.drawPath(slice);
    // Fat glistening on top.
    p.setPen(Qt::NoPen);
    p.setBrush(withAlpha(Qt::white, 0.3));
    p.drawEllipse(centre + QPointF(-radius * 0.35, -radius * 0.4), radius * 0.35, radius * 0.22);
}

void paintSliceCuts(QPainter& p)
{
    const qreal reach = kPizzaRadius - 3;
    for (int i = 0; i < 3; ++i) {
        const qreal angle = qDegreesToRadians(20.0 + 60.0 * i);
        const QPointF end(qCos(angle) * reach, qSin(angle) * reach);
        p.setPen(QPen(withAlpha(palette::crustBurnt, 0.25), 1.0));
        p.drawLine(-end, end);
        p.setPen(QPen(withAlpha(palette::cheeseLight, 0.35), 0.6));
        p.drawLine(-end + QPointF(0.9, 0.9), end + QPointF(0.9, 0.9));
    }
}

} // namespace

QImage pizza()
{
    return paintPhoto(dishWidth, dishHeight, [](QPainter& p) {
        QRandomGenerator random(1207);
        const QRectF frame(0, 0, dishWidth, dishHeight);
        paintWoodTable(p, frame, 21, random);

        p.save();
        p.translate(100, 73);
        p.scale(1, kPizzaTilt);
        paintPizzaBoard(p);
        paintPizzaBase(p, random);
        paintPizzaCheese(p, random);
        paintSliceCuts(p);
        const QPointF spots[] = {{-30, -27}, {8, -40},  {37, -17}, {-42, 8}, {-9, -5},
                                 {23, 14},   {-20, 34}, {12, 40},  {36, 28}};
        for (const QPointF& at : spots)
            paintPepperoni(p, at, 9.5, random);
        const qreal leaves[][4] = {{-8, 20, 6, 6},
                                   {18, -22, 8, -32},
                                   {-30, -6, -20, -17},
                                   {28, -2, 42, 4},
                                   {-10, -24, -18, -36}};
        for (const auto& l : leaves)
            paintLeaf(p, QPointF(l[0], l[1]), QPointF(l[2], l[3]), 9, palette::basil,
                      palette::basilDark);
        // Soft light from the upper left.
        QRadialGradient light(QPointF(-30, -35), 60);
        light.setColorAt(0, withAlpha(Qt::white, 0.22));
        light.setColorAt(1, withAlpha(Qt::white, 0));
        p.fillPath(circle(QPointF(0, 0), kPizzaRadius), light);
        p.restore();

        paintLeaf(p, QPointF(12, 140), QPointF(5, 122), 9, palette::basil, palette::basilDark);
        paintLeaf(p, QPointF(16, 141), QPointF(30, 128), 8, palette::basil, palette::basilDark);
        paintLeaf(p, QPointF(188, 14), QPointF(178, 30), 9, palette::basil, palette::basilDark);
        paintVignette(p, frame, 0.45);
    });
}

namespace {

// ---------------------------------------------------------------------------------------
// Hamburger: side view on a plate, a warm wall behind.

constexpr qreal kTableTop = 92;
constexpr qreal kBurgerLeft = 42;
constexpr qreal kBurgerRight = 158;

void paintKitchen(QPainter& p, QRandomGenerator& random)
{
    QLinearGradient wall(0, 0, 0, kTableTop);
    wall.setColorAt(0, palette::wallDark);
    wall.setColorAt(1, palette::wallLight);
    p.fillRect(QRectF(0, 0, dishWidth, kTableTop), wall);
    // Out-of-focus lights.
    p.setPen(Qt::NoPen);
    for (int i = 0; i < 14; ++i) {
        const QPointF at(random.generateDouble() * dishWidth, random.generateDouble() * 70);
        const qreal r = 5 + random.generateDouble() * 11;
        QRadialGradient glow(at, r);
        glow.setColorAt(0, withAlpha(palette::splashLight, 0.35));
        glow.setColorAt(1, withAlpha(palette::splashLight, 0));
        p.setBrush(glow);
        p.drawEllipse(at, r, r);
    }
    paintWoodTable(p, QRectF(0, kTableTop, dishWidth, dishHeight - kTableTop), 12, random);
    // The table's back edge catches the light.
    p.fillRect(QRectF(0, kTableTop, dishWidth, 1.2), withAlpha(palette::boardLight, 0.5));
}

void paintBurgerPlate(QPainter& p)
{
    const QPointF centre(100, 128);
    QPainterPath plate;
    plate.addEllipse(centre, 88, 19);
    softShadow(p, plate, QPointF(3, 5), 6, 0.55);
    QRadialGradient porcelain(centre + QPointF(-20, -8), 90);
    porcelain.setColorAt(0, palette::plate);
    porcelain.setColorAt(1, palette::plateShade);
    p.fillPath(plate, porcelain);
    p.setPen(QPen(withAlpha(palette::plateShade.darker(115), 0.8), 0.8));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(centre, 62, 12);
}

QPainterPath burgerBottomBun()
{
    QPainterPath bun;
    bun.moveTo(kBurgerLeft + 2, 108);
    bun.lineTo(kBurgerRight - 2, 108);
    bun.cubicTo(kBurgerRight + 2, 110, kBurgerRight + 1, 122, kBurgerRight - 8, 125);
    bun.lineTo(kBurgerLeft + 8, 125);
    bun.cubicTo(kBurgerLeft - 1, 122, kBurgerLeft - 2, 110, kBurgerLeft + 2, 108);
    return bun;
}

QPainterPath burgerPatty(QRandomGenerator& random)
{
    // Bumpy top and bottom edges with round ends.
    const qreal left = kBurgerLeft - 5, right = kBurgerRight + 5, top = 95, bottom = 112;
    QPainterPath patty(QPointF(left + 7, top));
    for (qreal x = left + 12; x < right - 7; x += 5)
        patty.lineTo(x, top + (random.generateDouble() - 0.5) * 1.6);
    patty.lineTo(right - 7, top);
    patty.cubicTo(right + 1, top, right + 1, bottom, right - 7, bottom);
    for (qreal x = right - 12; x > left + 7; x -= 5)
        patty.lineTo(x, bottom + (random.generateDouble() - 0.5) * 1.6);
    patty.lineTo(left + 7, bottom);
    patty.cubicTo(left - 1, bottom, left - 1, top, left + 7, top);
    return patty;
}

QPainterPath burgerCheese()
{
    QPainterPath cheese(QPointF(kBurgerLeft - 1, 90));
    cheese.lineTo(kBurgerRight + 1, 90);
    cheese.lineTo(kBurgerRight + 2, 96);
    cheese.lineTo(147, 97);
    cheese.quadTo(141, 108, 137, 97);
    cheese.lineTo(104, 97);
    cheese.quadTo(99, 103, 95, 97);
    cheese.lineTo(62, 97);
    cheese.quadTo(55, 109, 50, 97);
    cheese.lineTo(kBurgerLeft - 2, 96);
    cheese.closeSubpath();
    return cheese;
}

QPainterPath burgerLettuce(QRandomGenerator& random)
{
    const qreal left = kBurgerLeft - 10, right = kBurgerRight + 10;
    QPainterPath lettuce(QPointF(left + 6, 73));
    lettuce.lineTo(right - 6, 73);
    // Ruffled lower edge hanging over the tomato.
    qreal x = right;
    lettuce.quadTo(right + 2, 77, x, 81);
    bool down = true;
    while (x > left + 6) {
        const qreal step = 5 + random.generateDouble() * 4;
        const qreal depth =
            down ? 87 + random.generateDouble() * 2 : 80 + random.generateDouble() * 2;
        lettuce.quadTo(x - step / 2, depth, x - step, 82);
        x -= step;
        down = !down;
    }
    lettuce.quadTo(left - 2, 77, left + 6, 73);
    lettuce.closeSubpath();
    return lettuce;
}

QPainterPath burgerTopBun()
{
    QPainterPath dome(QPointF(kBurgerLeft - 1, 73));
    dome.cubicTo(kBurgerLeft - 4, 36, 75, 20, 100, 20);
    dome.cubicTo(125, 20, kBurgerRight + 4, 36, kBurgerRight + 1, 73);
    dome.quadTo(kBurgerRight, 77, kBurgerRight - 6, 77);
    dome.lineTo(kBurgerLeft + 6, 77);
    dome.quadTo(kBurgerLeft, 77, kBurgerLeft - 1, 73);
    return dome;
}

void paintBun(QPainter& p, const QPainterPath& bun, QPointF light, qreal reach)
{
    QRadialGradient bake(light, reach);
    bake.setColorAt(0, palette::bunLight);
    bake.setColorAt(0.55, palette::bun);
    bake.setColorAt(1, palette::bunDark);
    p.fillPath(bun, bake);
}

void paintSesame(QPainter& p, const QPainterPath& dome, QRandomGenerator& random)
{
    std::vector<QPointF> seeds;
    int tries = 0;
    while (seeds.size() < 22 && tries++ < 2000) {
        const QPointF at(kBurgerLeft + 6 +
                             random.generateDouble() * (kBurgerRight - kBurgerLeft - 12),
                         26 + random.generateDouble() * 38);
        if (!dome.contains(at) || !dome.contains(at + QPointF(0, 6)))
            continue;
        bool apart = true;
        for (const QPointF& s : seeds)
            apart = apart && QLineF(s, at).length() > 9;
        if (apart)
            seeds.push_back(at);
    }
    for (const QPointF& at : seeds) {
        p.save();
        p.translate(at);
        p.rotate(-60 + random.generateDouble() * 120);
        // Seeds near the edge are seen from the side, so they look thinner.
        const qreal squash = 0.6 + 0.4 * (1 - qAbs(at.x() - 100) / 60);
        QPainterPath seed;
        seed.addEllipse(QPointF(0, 0), 2.1 * squash + 0.6, 1.15);
        softShadow(p, seed, QPointF(0.4, 0.8), 0.8, 0.5, palette::bunDark.darker(150));
        QLinearGradient shine(0, -1.2, 0, 1.2);
        shine.setColorAt(0, palette::sesame);
        shine.setColorAt(1, mix(palette::sesame, palette::bun, 0.35));
        p.fillPath(seed, shine);
        p.restore();
    }
}

} // namespace

QImage hamburger()
{
    return paintPhoto(dishWidth, dishHeight, [](QPainter& p) {
        QRandomGenerator random(2024);
        const QRectF frame(0, 0, dishWidth, dishHeight);
        paintKitchen(p, random);
        paintBurgerPlate(p);

        const QPainterPath bottom = burgerBottomBun();
        QPainterPath footprint;
        footprint.addEllipse(QPointF(100, 125), 62, 5);
        softShadow(p, footprint, QPointF(2, 1), 4, 0.6);
        paintBun(p, bottom, QPointF(80, 108), 70);
        p.fillRect(QRectF(kBurgerLeft + 4, 107, kBurgerRight - kBurgerLeft - 8, 3),
                   palette::bunCrumb);

        const QPainterPath patty = burgerPatty(random);
        softShadow(p, patty, QPointF(0, 2), 2.5, 0.5);
        QLinearGradient meat(0, 95, 0, 112);
        meat.setColorAt(0, palette::patty.lighter(115));
        meat.setColorAt(0.5, palette::patty);
        meat.setColorAt(1, palette::pattyDark);
        p.fillPath(patty, meat);
        speckle(p, patty, 220, withAlpha(palette::pattyDark.darker(140), 0.6), 0.3, 1.1, random);
        speckle(p, patty, 90, withAlpha(palette::bunLight, 0.25), 0.3, 0.8, random);

        const QPainterPath cheese = burgerCheese();
        softShadow(p, cheese, QPointF(0, 1.5), 1.5, 0.45);
        QLinearGradient melt(0, 90, 0, 105);
        melt.setColorAt(0, palette::cheddarLight);
        melt.setColorAt(1, palette::cheddar);
        p.fillPath(cheese, melt);

        // Tomato slices peeking out between the cheese and the lettuce.
        for (const QRectF& slice :
             {QRectF(kBurgerLeft - 3, 83, 60, 9), QRectF(100, 83.5, 61, 8.5)}) {
            const QPainterPath shape = roundedRect(slice, 4);
            softShadow(p, shape, QPointF(0, 1.2), 1.2, 0.45);
            QLinearGradient flesh(0, slice.top(), 0, slice.bottom());
            flesh.setColorAt(0, palette::tomatoLight);
            flesh.setColorAt(0.5, palette::tomato);
            flesh.setColorAt(1, palette::tomato.darker(130));
            p.fillPath(shape, flesh);
        }

        const QPainterPath lettuce = burgerLettuce(random);
        softShadow(p, lettuce, QPointF(0, 1.5), 1.5, 0.4);
        QLinearGradient green(0, 73, 0, 89);
        green.setColorAt(0, palette::lettuce.lighter(120));
        green.setColorAt(0.6, palette::lettuce);
        green.setColorAt(1, palette::lettuceDark);
        p.fillPath(lettuce, green);
        p.setPen(QPen(withAlpha(palette::cucumberLight, 0.5), 0.5));
        for (qreal x = kBurgerLeft - 2; x < kBurgerRight; x += 9)
            p.drawLine(QPointF(x, 76), QPointF(x + 2, 84));

        const QPainterPath dome = burgerTopBun();
        softShadow(p, dome, QPointF(0, 2.5), 3, 0.55);
        paintBun(p, dome, QPointF(82, 34), 78);
        QLinearGradient underside(0, 65, 0, 77);
        underside.setColorAt(0, withAlpha(palette::bunDark, 0));
        underside.setColorAt(1, withAlpha(palette::bunDark, 0.6));
        p.fillPath(dome, underside);
        QRadialGradient gloss(QPointF(80, 34), 28);
        gloss.setColorAt(0, withAlpha(Qt::white, 0.35));
        gloss.setColorAt(1, withAlpha(Qt::white, 0));
        p.fillPath(dome, gloss);
        paintSesame(p, dome, random);

        paintVignette(p, frame, 0.4);
    });
}

namespace {

// ---------------------------------------------------------------------------------------
// Shawarma: a roll in a paper sleeve, cut open at one end, on an oval plate.

constexpr qreal kRollHalfLength = 68;
constexpr qreal kRollRadius = 23;
constexpr qreal kFaceDepth = 13;

void paintStone(QPainter& p, QRandomGenerator& random)
{
    const QRectF frame(0, 0, dishWidth, dishHeight);
    QRadialGradient stone(QPointF(70, 40), 180);
    stone.setColorAt(0, palette::stoneLight);
    stone.setColorAt(1, palette::stoneDark);
    p.fillRect(frame, stone);
    QPainterPath all;
    all.addRect(frame);
    speckle(p, all, 900, withAlpha(Qt::white, 0.05), 0.2, 0.9, random);
    speckle(p, all, 600, withAlpha(Qt::black, 0.12), 0.2, 1.0, random);
}

void paintOvalPlate(QPainter& p, QPointF centre, qreal rx, qreal ry)
{
    QPainterPath plate;
    plate.addEllipse(centre, rx, ry);
    softShadow(p, plate, QPointF(3, 6), 7, 0.7);
    QRadialGradient porcelain(centre + QPointF(-rx * 0.3, -ry * 0.4), rx * 1.2);
    porcelain.setColorAt(0, palette::plate);
    porcelain.setColorAt(1, palette::plateShade);
    p.fillPath(plate, porcelain);
    // The well of the plate.
    QRadialGradient well(centre, rx * 0.8);
    well.setColorAt(0.85, withAlpha(palette::plate, 0));
    well.setColorAt(1, withAlpha(palette::plateShade.darker(110), 0.6));
    QPainterPath inner;
    inner.addEllipse(centre, rx * 0.78, ry * 0.74);
    p.fillPath(inner, well);
}

// The roll along the x axis, centred on the origin; the cut end is at +x.
QPainterPath rollBody()
{
    QPainterPath body(QPointF(-kRollHalfLength + 12, -kRollRadius));
    body.lineTo(kRollHalfLength, -kRollRadius);
    body.arcTo(QRectF(kRollHalfLength - kFaceDepth, -kRollRadius, 2 * kFaceDepth, 2 * kRollRadius),
               90, -180);
    body.lineTo(-kRollHalfLength + 12, kRollRadius);
    body.cubicTo(-kRollHalfLength - 4, kRollRadius, -kRollHalfLength - 4, -kRollRadius,
                 -kRollHalfLength + 12, -kRollRadius);
    return body;
}

// Light from above: a cylinder gets light on top and dark underneath.
void fillCylinder(QPainter& p, const QPainterPath& shape, const QColor& light, const QColor& dark,
                  qreal radius)
{
    QLinearGradient round(0, -radius, 0, radius);
    round.setColorAt(0, mix(light, dark, 0.35));
    round.setColorAt(0.3, light.lighter(106));
    round.setColorAt(0.7, mix(light, dark, 0.4));
    round.setColorAt(1, dark.darker(120));
    p.fillPath(shape, round);
}

void paintPita(QPainter& p, const QPainterPath& body, QRandomGenerator& random)
{
    fillCylinder(p, body, palette::pita, palette::pitaShade, kRollRadius);
    p.save();
    p.setClipPath(body);
    // Marks of the grill, across the roll.
    for (qreal x = -kRollHalfLength; x < kRollHalfLength + 10; x += 11) {
        p.setPen(QPen(withAlpha(palette::pitaToast, 0.4), 3.2, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(x, -kRollRadius), QPointF(x + 14, kRollRadius));
    }
    // The spiral edge of the wrapped bread.
    p.setPen(QPen(withAlpha(palette::pitaToast.darker(120), 0.55), 0.9));
    p.setBrush(Qt::NoBrush);
    QPainterPath seam(QPointF(20, -kRollRadius));
    seam.cubicTo(34, -8, 40, 8, 46, kRollRadius);
    p.drawPath(seam);
    p.restore();
    speckle(p, body, 160, withAlpha(palette::pitaToast, 0.3), 0.5, 2.0, random);
}

void paintPaperSleeve(QPainter& p, QRandomGenerator& random)
{
    const qreal r = kRollRadius + 1.5;
    QPainterPath sleeve(QPointF(-kRollHalfLength + 10, -r));
    // Torn zig-zag edge where the paper ends.
    qreal y = -r;
    sleeve.lineTo(-4, y);
    bool out = true;
    while (y < r) {
        y = qMin(r, y + 4.5);
        sleeve.lineTo((out ? 0 : -5) + random.generateDouble() * 1.5, y);
        out = !out;
    }
    sleeve.lineTo(-kRollHalfLength + 10, r);
    sleeve.cubicTo(-kRollHalfLength - 7, r, -kRollHalfLength - 7, -r, -kRollHalfLength + 10, -r);
    softShadow(p, sleeve, QPointF(1.5, 0), 2, 0.4);
    fillCylinder(p, sleeve, palette::kraft, palette::kraftDark, r);
    // Creases in the paper.
    p.save();
    p.setClipPath(sleeve);
    p.setPen(QPen(withAlpha(palette::kraftDark.darker(120), 0.45), 0.7));
    for (int i = 0; i < 6; ++i) {
        const qreal x = -kRollHalfLength + 8 + random.generateDouble() * 60;
        p.drawLine(QPointF(x, -r), QPointF(x - 6 + random.generateDouble() * 12, r));
    }
    p.setPen(QPen(withAlpha(Qt::white, 0.25), 0.6));
    for (int i = 0; i < 5; ++i) {
        const qreal x = -kRollHalfLength + 8 + random.generateDouble() * 60;
        p.drawLine(QPointF(x, -r), QPointF(x - 6 + random.generateDouble() * 12, r));
    }
    p.restore();
}

// One small piece of filling, in the cut face.
void paintMorsel(QPainter& p, QPointF at, qreal size, const QColor& colour,
                 QRandomGenerator& random)
{
    const QPainterPath piece = wobblyEllipse(at, size, size * 0.75, 0.25, 7, random);
    QRadialGradient shade(at - QPointF(size * 0.3, size * 0.3), size * 1.5);
    shade.setColorAt(0, colour.lighter(125));
    shade.setColorAt(1, colour.darker(130));
    p.fillPath(piece, shade);
}

void paintCutFace(QPainter& p, QRandomGenerator& random)
{
    const QPointF centre(kRollHalfLength, 0);
    QPainterPath face;
    face.addEllipse(centre, kFaceDepth, kRollRadius);
    p.fillPath(face, palette::pitaShade);
    QPainterPath filling;
    filling.addEllipse(centre + QPointF(0.3, 0.5), kFaceDepth - 2, kRollRadius - 2.4);
    p.fillPath(filling, palette::garlicSauce.darker(108));

    p.save();
    p.setClipPath(filling);
    for (int i = 0; i < 90; ++i) {
        const QPointF at = centre + QPointF((random.generateDouble() * 2 - 1) * kFaceDepth,
                                            (random.generateDouble() * 2 - 1) * kRollRadius);
        const int kind = random.bounded(9);
        if (kind < 4)
            paintMorsel(p, at, 2.8 + random.generateDouble() * 1.5, palette::meat, random);
        else if (kind < 6)
            paintMorsel(p, at, 2.3, palette::tomato, random);
        else if (kind < 7)
            paintMorsel(p, at, 2.2, palette::lettuce, random);
        else if (kind < 8)
            paintMorsel(p, at, 2.0, palette::onion, random);
        else
            paintMorsel(p, at, 1.8, palette::garlicSauce, random);
    }
    p.restore();
    // The layers of bread around the filling.
    p.setPen(QPen(withAlpha(palette::pita, 0.9), 1.2));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(centre, kFaceDepth - 0.8, kRollRadius - 0.8);
}

// Filling that spills out of the cut end: a lettuce leaf, a tomato and strips of meat.
void paintSpill(QPainter& p, QRandomGenerator& random)
{
    const QPointF end(kRollHalfLength, 0);
    paintLeaf(p, end + QPointF(-2, -14), end + QPointF(13, -26), 10, palette::lettuce,
              palette::lettuceDark);
    for (int i = 0; i < 3; ++i) {
        const QPointF at = end + QPointF(5 + i * 2.5, -6 + i * 7);
        const QPainterPath strip = wobblyEllipse(at, 5.5, 2.3, 0.15, 8, random);
        softShadow(p, strip, QPointF(0.6, 1), 1, 0.5);
        QLinearGradient grill(at - QPointF(0, 2), at + QPointF(0, 2));
        grill.setColorAt(0, palette::meat.lighter(120));
        grill.setColorAt(1, palette::meatDark);
        p.fillPath(strip, grill);
    }
    const QPainterPath wedge = wobblyEllipse(end + QPointF(6, 13), 4.5, 3.2, 0.1, 8, random);
    softShadow(p, wedge, QPointF(0.6, 1), 1, 0.5);
    p.fillPath(wedge, palette::tomato);
    p.setPen(Qt::NoPen);
    p.setBrush(withAlpha(palette::tomatoLight, 0.9));
    p.drawEllipse(end + QPointF(5.5, 12.5), 2.2, 1.5);
}

void paintSauceBowl(QPainter& p, QPointF centre)
{
    QPainterPath bowl;
    bowl.addEllipse(centre, 17, 10);
    softShadow(p, bowl, QPointF(1.5, 3), 3, 0.5);
    p.fillPath(bowl, palette::plateShade.darker(105));
    QPainterPath inside;
    inside.addEllipse(centre + QPointF(0, -1.5), 14.5, 7.5);
    QRadialGradient cream(centre + QPointF(-4, -4), 16);
    cream.setColorAt(0, palette::plate);
    cream.setColorAt(1, palette::garlicSauce.darker(112));
    p.fillPath(inside, cream);
    p.setPen(QPen(withAlpha(palette::plateShade.darker(130), 0.7), 0.6));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(centre + QPointF(0, -1.5), 14.5, 7.5);
    p.setPen(Qt::NoPen);
    p.setBrush(palette::parsley);
    for (const QPointF& d : {QPointF(-4, -3), QPointF(3, -1), QPointF(0, -4.5), QPointF(6, -3.5)})
        p.drawEllipse(centre + d, 0.9, 0.7);
}

} // namespace

QImage shawarma()
{
    return paintPhoto(dishWidth, dishHeight, [](QPainter& p) {
        QRandomGenerator random(3131);
        const QRectF frame(0, 0, dishWidth, dishHeight);
        paintStone(p, random);
        paintOvalPlate(p, QPointF(100, 78), 92, 60);

        paintSauceBowl(p, QPointF(48, 112));
        paintTomatoSlice(p, QPointF(150, 114), 9, random);
        paintTomatoSlice(p, QPointF(166, 104), 8, random);
        paintLeaf(p, QPointF(138, 124), QPointF(128, 113), 7, palette::parsley,
                  palette::lettuceDark);
        paintLeaf(p, QPointF(140, 125), QPointF(152, 130), 6, palette::parsley,
                  palette::lettuceDark);

        p.save();
        p.translate(98, 68);
        p.rotate(-15);
        const QPainterPath body = rollBody();
        softShadow(p, body, QPointF(3, 8), 6, 0.6);
        paintPita(p, body, random);
        paintPaperSleeve(p, random);
        paintCutFace(p, random);
        paintSpill(p, random);
        p.restore();

        paintVignette(p, frame, 0.4);
    });
}

QImage savingPot()
{
    return paintPhoto(splashSize, splashSize, [](QPainter& p) {
        const QRectF frame(0, 0, splashSize, splashSize);
        QRadialGradient backdrop(QPointF(100, 90), 150);
        backdrop.setColorAt(0, palette::splashLight);
        backdrop.setColorAt(1, palette::splashDark);
        p.fillRect(frame, backdrop);

        // Shadow on the worktop.
        QPainterPath footprint;
        footprint.addEllipse(QPointF(100, 168), 68, 9);
        softShadow(p, footprint, QPointF(0, 0), 8, 0.4);

        // Handles behind the body.
        for (const QRectF& handle : {QRectF(22, 104, 26, 11), QRectF(152, 104, 26, 11)}) {
            QLinearGradient metal(0, handle.top(), 0, handle.bottom());
            metal.setColorAt(0, palette::steel.lighter(110));
            metal.setColorAt(1, palette::steelDark);
            p.setPen(QPen(palette::steelDark, 1));
            p.setBrush(metal);
            p.drawPath(roundedRect(handle, 5));
        }

        // The enamel body, rounded at the bottom.
        QPainterPath body(QPointF(40, 94));
        body.lineTo(160, 94);
        body.lineTo(160, 150);
        body.cubicTo(160, 164, 150, 170, 138, 170);
        body.lineTo(62, 170);
        body.cubicTo(50, 170, 40, 164, 40, 150);
        body.closeSubpath();
        QLinearGradient round(40, 0, 160, 0);
        round.setColorAt(0, palette::enamelDark);
        round.setColorAt(0.3, palette::enamelLight);
        round.setColorAt(0.45, palette::enamel);
        round.setColorAt(1, palette::enamelDark);
        p.fillPath(body, round);
        // A cream band around the pot.
        p.save();
        p.setClipPath(body);
        QLinearGradient band(40, 0, 160, 0);
        band.setColorAt(0, palette::splashDark.darker(115));
        band.setColorAt(0.3, palette::splashLight);
        band.setColorAt(1, palette::splashDark.darker(125));
        p.fillRect(QRectF(40, 118, 120, 9), band);
        p.restore();

        // Rim and lid.
        p.setPen(Qt::NoPen);
        p.setBrush(palette::enamelDark);
        p.drawEllipse(QPointF(100, 94), 61, 8);
        QPainterPath lid(QPointF(36, 92));
        lid.cubicTo(40, 68, 76, 62, 100, 62);
        lid.cubicTo(124, 62, 160, 68, 164, 92);
        lid.quadTo(100, 100, 36, 92);
        QLinearGradient metal(36, 0, 164, 0);
        metal.setColorAt(0, palette::steelDark);
        metal.setColorAt(0.3, palette::steel.lighter(120));
        metal.setColorAt(0.5, palette::steel);
        metal.setColorAt(1, palette::steelDark);
        p.fillPath(lid, metal);
        p.setPen(QPen(palette::steelDark, 1));
        p.setBrush(Qt::NoBrush);
        p.drawPath(lid);
        // Knob.
        fillOutlined(p, roundedRect(QRectF(88, 52, 24, 11), 5), palette::enamel,
                     palette::enamelDark, 1.5);

        // Steam rising from the lid.
        for (int i = 0; i < 3; ++i) {
            const qreal x = 72 + i * 28;
            QPainterPath wisp(QPointF(x, 56 - (i == 1 ? 8 : 0)));
            wisp.cubicTo(x - 12, 44, x + 12, 34, x, 22);
            wisp.cubicTo(x - 8, 14, x + 4, 8, x + 2, 4);
            QPainterPathStroker stroker;
            stroker.setWidth(9);
            stroker.setCapStyle(Qt::RoundCap);
            softShadow(p, stroker.createStroke(wisp), QPointF(), 5, 0.9, palette::steam);
            p.setPen(QPen(withAlpha(Qt::white, 0.9), 3.5, Qt::SolidLine, Qt::RoundCap));
            p.drawPath(wisp);
        }
        paintVignette(p, frame, 0.12);
    });
}

QImage placeholder()
{
    return paintPhoto(dishWidth, dishHeight, [](QPainter& p) {
        const QRectF frame(0, 0, dishWidth, dishHeight);
        QLinearGradient backdrop(0, 0, 0, dishHeight);
        backdrop.setColorAt(0, palette::neutralLight);
        backdrop.setColorAt(1, palette::neutralDark);
        p.fillRect(frame, backdrop);

        // An empty plate.
        const QPointF centre(100, 75);
        const QPainterPath plate = circle(centre, 52);
        softShadow(p, plate, QPointF(0, 3), 5, 0.25);
        QRadialGradient porcelain(centre + QPointF(-14, -16), 70);
        porcelain.setColorAt(0, Qt::white);
        porcelain.setColorAt(1, palette::neutralLight);
        p.fillPath(plate, porcelain);
        p.setPen(QPen(palette::neutralLine, 2.2));
        p.setBrush(Qt::NoBrush);
        p.drawEllipse(centre, 52, 52);
        p.setPen(QPen(withAlpha(palette::neutralLine, 0.7), 1.6));
        p.drawEllipse(centre, 37, 37);

        p.setPen(Qt::NoPen);
        p.setBrush(palette::neutralLine);
        // Fork on the left: four tines, a rounded base and a handle.
        const qreal fx = 28;
        for (int i = 0; i < 4; ++i)
            p.drawRoundedRect(QRectF(fx - 9 + i * 5.2, 26, 2.8, 24), 1.4, 1.4);
        QPainterPath head(QPointF(fx - 9, 46));
        head.lineTo(fx + 9.4, 46);
        head.cubicTo(fx + 9.4, 56, fx + 4, 60, fx + 2.5, 64);
        head.lineTo(fx - 2.5, 64);
        head.cubicTo(fx - 4, 60, fx - 9, 56, fx - 9, 46);
        p.drawPath(head);
        p.drawRoundedRect(QRectF(fx - 3.3, 62, 6.6, 62), 3.3, 3.3);

        // Knife on the right: a blade rounded at the tip and a handle.
        const qreal kx = 172;
        QPainterPath blade(QPointF(kx - 4, 74));
        blade.lineTo(kx - 4, 36);
        blade.cubicTo(kx - 4, 28, kx + 2, 24, kx + 6, 24);
        blade.lineTo(kx + 6, 74);
        blade.closeSubpath();
        p.drawPath(blade);
        p.drawRoundedRect(QRectF(kx - 3.5, 72, 8.5, 52), 4, 4);
    });
}

} // namespace photos
