#pragma once

#include <QByteArray>
#include <QNetworkAccessManager>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>
#include <QUrl>

class QNetworkReply;

// Loads one page or picture for an import, within limits: http and https
// (and local files or data: addresses when the caller allows them), a size
// limit checked while the data arrives, a time limit, and at most
// MaxRedirects redirects, each again to http or https only.
class RecipeFetcher : public QObject
{
    Q_OBJECT

public:
    static const qint64 MaxPageBytes = 8 * 1024 * 1024;
    // A file of the user's own, such as a whole book exported with its photos.
    static const qint64 MaxFileBytes = 512 * 1024 * 1024;
    static const qint64 MaxPictureBytes = 16 * 1024 * 1024;
    static const int MaxRedirects = 5;
    static const int TimeLimitMs = 30000;

    explicit RecipeFetcher(QObject* parent = nullptr);

    // Ends in finished() or failed(), never before the caller's event loop runs.
    void fetch(const QUrl& address, qint64 maxBytes, bool allowLocal);
    void cancel();

signals:
    void finished(const QByteArray& content, const QUrl& address);
    void failed(const QString& message);

private:
    void _get(const QUrl& address);
    void _readLocal(const QUrl& address);
    void _onData();
    void _onFinished();
    void _fail(const QString& message);
    void _stop();

    QNetworkAccessManager _network;
    QPointer<QNetworkReply> _reply;
    QTimer _timer;
    QByteArray _data;
    qint64 _maxBytes = 0;
    int _redirects = 0;
    int _generation = 0; // counts the fetches stopped, so a stopped one stays silent
};
