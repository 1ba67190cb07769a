#pragma once

#include <QImage>

// The photo-like pictures: sample dishes, the picture of the saving splash and the
// placeholder shown when a recipe has no photo.
namespace photos {

constexpr int dishWidth = 200;
constexpr int dishHeight = 150;
constexpr int splashSize = 200;

QImage pizza();
QImage hamburger();
QImage shawarma();
QImage savingPot();
QImage placeholder();

} // namespace photos
