#pragma once

#include <QImage>

// The window and action icons: 64 x 64, transparent, one flat style with bold shapes
// and a dark outline so that they stay readable at 20 and 24 pixels.
namespace icons {

constexpr int size = 64;

QImage appIcon();
QImage newBook();
QImage save();
QImage saveAs();
QImage open();
QImage quit();
QImage about();
QImage website();
QImage settings();
QImage add();
QImage copy();
QImage remove();
QImage sort();
QImage view();

// The desktop's pictures at any size in pixels: the program and its book files.
QImage appIconAt(int pixels);
QImage bookFileAt(int pixels);

} // namespace icons
