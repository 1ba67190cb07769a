#pragma once

#include <QTextDocument>

// The text document a page is printed with: like the page views, it shows
// only the pictures the page holds as data and reads nothing from the disk.
class SelfContainedDocument : public QTextDocument
{
    Q_OBJECT

public:
    explicit SelfContainedDocument(QObject* parent = nullptr);

protected:
    QVariant loadResource(int type, const QUrl& name) override;
};
