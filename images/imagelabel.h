#pragma once

#include <QByteArray>
#include <QLabel>
#include <QPixmap>

// Shows a picture no larger than the display size and remembers whether it
// holds a picture of its own.
class ImageLabel : public QLabel
{
    Q_OBJECT

public:
    explicit ImageLabel(QWidget* parent = nullptr);

    virtual void setImage(const QPixmap& picture, bool empty);
    // Shows a short message on the info label, when there is one.
    void showInfo(const QString& text);

    bool empty = false;
    QLabel* infoLabel = nullptr;
    // The stored picture bytes it was loaded with, until the picture is
    // replaced: saving them again as they are spares a lossy re-encoding.
    QByteArray storedBytes;
};
