#pragma once

#include <QIconEngine>
#include <QPixmap>
#include <QVariant>

#include <functional>

// An icon for a stored photo value that decodes the picture only when the icon
// is first drawn, so a list of thousands of recipes fills at once and decodes
// just the photos that come into view. The value itself may be read only then.
class PhotoIconEngine : public QIconEngine
{
public:
    using PhotoSource = std::function<QVariant()>;

    explicit PhotoIconEngine(const QVariant& photo);
    explicit PhotoIconEngine(PhotoSource source);

    void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode,
               QIcon::State state) override;
    QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override;
    QSize actualSize(const QSize& size, QIcon::Mode mode, QIcon::State state) override;
    QIconEngine* clone() const override;

private:
    const QPixmap& _picture();

    PhotoSource _source;
    QPixmap _decoded;
    bool _isDecoded = false;
};
