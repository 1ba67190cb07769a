#include "images/imagelabel.h"

#include "images/pictures.h"

ImageLabel::ImageLabel(QWidget* parent) : QLabel(parent) {}

void ImageLabel::setImage(const QPixmap& picture, bool empty)
{
    this->empty = empty;
    storedBytes.clear();
    if (empty && infoLabel)
        infoLabel->clear();
    setPixmap(scaleForDisplay(picture));
}

void ImageLabel::showInfo(const QString& text)
{
    if (infoLabel)
        infoLabel->setText(text);
}
