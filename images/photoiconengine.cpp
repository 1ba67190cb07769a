#include "images/photoiconengine.h"

#include "images/pictures.h"

#include <QApplication>
#include <QPainter>
#include <QStyle>
#include <QStyleOption>

PhotoIconEngine::PhotoIconEngine(const QVariant& photo)
    : _source([photo] { return photo; })
{
}

PhotoIconEngine::PhotoIconEngine(PhotoSource source) : _source(std::move(source)) {}

const QPixmap& PhotoIconEngine::_picture()
{
    if (!_isDecoded) {
        varToPixmap(_source ? _source() : QVariant(), _decoded);
        _source = nullptr; // the bytes are not needed once decoded
        _isDecoded = true;
    }
    return _decoded;
}

void PhotoIconEngine::paint(QPainter* painter, const QRect& rect, QIcon::Mode mode,
                            QIcon::State state)
{
    const QPixmap picture = pixmap(rect.size(), mode, state);
    if (picture.isNull())
        return;
    const QSize size = picture.size();
    painter->drawPixmap(rect.x() + (rect.width() - size.width()) / 2,
                        rect.y() + (rect.height() - size.height()) / 2, picture);
}

QPixmap PhotoIconEngine::pixmap(const QSize& size, QIcon::Mode mode, QIcon::State)
{
    const QPixmap& picture = _picture();
    if (picture.isNull() || size.isEmpty())
        return QPixmap();
    QPixmap fitted = picture.width() <= size.width() && picture.height() <= size.height()
                         ? picture
                         : picture.scaled(size, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    // Selected and disabled items look as the style draws any other icon.
    if (mode != QIcon::Normal) {
        QStyleOption option;
        option.palette = QApplication::palette();
        fitted = QApplication::style()->generatedIconPixmap(mode, fitted, &option);
    }
    return fitted;
}

QSize PhotoIconEngine::actualSize(const QSize& size, QIcon::Mode, QIcon::State)
{
    // Asked for every item when a list lays itself out: answer without decoding.
    if (!_isDecoded)
        return size;
    const QSize picture = _decoded.size();
    return picture.isEmpty() ? QSize() : picture.scaled(size, Qt::KeepAspectRatio).boundedTo(picture);
}

QIconEngine* PhotoIconEngine::clone() const
{
    return new PhotoIconEngine(*this);
}
