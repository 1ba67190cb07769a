#pragma once

#include <QNetworkAccessManager>
#include <QTextEdit>

class QMimeData;
class QNetworkReply;

// The rich-text editor of text fields: dropped or pasted pictures become part
// of the text, and dropped picture URLs are downloaded into it.
class DropTextEdit : public QTextEdit
{
    Q_OBJECT

public:
    explicit DropTextEdit(QWidget* parent = nullptr);

    // What a text field stores: the inner HTML of the body element.
    virtual QString bodyHtml();

    bool canInsertFromMimeData(const QMimeData* source) const override;
    void insertFromMimeData(const QMimeData* source) override;
    // The text shows only the pictures it holds as data, decoded as any other
    // picture; nothing it names is read from the disk.
    QVariant loadResource(int type, const QUrl& name) override;

public slots:
    void testLoad(QNetworkReply* reply);

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void _suspendLayout();
    void _resumeLayout();

    QNetworkAccessManager _network;
};
