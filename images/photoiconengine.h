#pragma once

#include <QIconEngine>
#include <QPixmap>
#include <QVariant>

// An icon for a stored photo value that decodes the picture only when the icon
// is first drawn, so a list of thousands of recipes fills at once and decodes
// just the photos that come into view.
class PhotoIconEngine : public QIconEngine
{
public:
    explicit PhotoIconEngine(const QVariant& photo);

    void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode,
               QIcon::State state) override;
    QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override;
    QSize actualSize(const QSize& size, QIcon::Mode mode, QIcon::State state) override;
    QIconEngine* clone() const override;

private:
    const QPixmap& _picture();

    QVariant _photo;
    QPixmap _decoded;
    bool _isDecoded = false;
};
