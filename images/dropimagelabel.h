#pragma once

#include "images/imagelabel.h"

#include <QNetworkAccessManager>

class QMimeData;
class QNetworkReply;

// A picture label that takes dropped pictures: image data, HTML with img
// elements, and URLs, which it downloads.
class DropImageLabel : public ImageLabel
{
    Q_OBJECT

public:
    explicit DropImageLabel(QWidget* parent = nullptr);

    void getImagesFromMimeData(const QMimeData* data);

public slots:
    void testLoad(QNetworkReply* reply);

protected:
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    bool _takeHtmlImages(const QString& html);

    QNetworkAccessManager _network;
};
