#include "exchange/recipefetcher.h"

#include "lang/langmodel.h"

#include <QFile>
#include <QNetworkReply>
#include <QNetworkRequest>

namespace {

bool isWeb(const QUrl& address)
{
    return address.scheme() == QLatin1String("http") || address.scheme() == QLatin1String("https");
}

QString tooLarge(qint64 maxBytes)
{
    return translate(QStringLiteral("The download is larger than the limit of %1 MB."))
        .arg(maxBytes / (1024 * 1024));
}

} // namespace

RecipeFetcher::RecipeFetcher(QObject* parent) : QObject(parent)
{
    _timer.setSingleShot(true);
    connect(&_timer, &QTimer::timeout, this,
            [this] { _fail(translate(QStringLiteral("The server did not answer in time."))); });
}

void RecipeFetcher::fetch(const QUrl& address, qint64 maxBytes, bool allowLocal)
{
    _stop();
    _data.clear();
    _maxBytes = maxBytes;
    _redirects = 0;
    if (isWeb(address) && address.isValid() && !address.host().isEmpty()) {
        _get(address);
        return;
    }
    // Everything else ends on the next turn of the event loop, like a download.
    const bool local =
        allowLocal && (address.isLocalFile() || address.scheme() == QLatin1String("data"));
    const int generation = _generation;
    QTimer::singleShot(0, this, [this, address, local, generation] {
        if (generation != _generation)
            return; // cancelled
        if (local)
            _readLocal(address);
        else
            _fail(translate(
                QStringLiteral("Only http and https addresses and local files can be imported.")));
    });
}

void RecipeFetcher::cancel()
{
    _stop();
}

void RecipeFetcher::_get(const QUrl& address)
{
    QNetworkRequest request(address);
    // Redirects are followed here, so that each one is counted and checked.
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                         QNetworkRequest::ManualRedirectPolicy);
    request.setHeader(QNetworkRequest::UserAgentHeader, QStringLiteral("Mozilla/5.0 Culinor"));
    _data.clear();
    _reply = _network.get(request);
    connect(_reply, &QNetworkReply::readyRead, this, &RecipeFetcher::_onData);
    connect(_reply, &QNetworkReply::finished, this, &RecipeFetcher::_onFinished);
    _timer.start(TimeLimitMs);
}

void RecipeFetcher::_readLocal(const QUrl& address)
{
    if (address.scheme() == QLatin1String("data")) {
        const QByteArray encoded = address.toString(QUrl::FullyEncoded).toLatin1();
        const int comma = encoded.indexOf(',');
        if (comma < 0 || encoded.size() > _maxBytes * 4 / 3 + 1024) {
            _fail(comma < 0 ? translate(QStringLiteral("The file could not be read."))
                            : tooLarge(_maxBytes));
            return;
        }
        const QByteArray payload = QByteArray::fromPercentEncoding(encoded.mid(comma + 1));
        emit finished(encoded.left(comma).endsWith(";base64") ? QByteArray::fromBase64(payload)
                                                              : payload,
                      address);
        return;
    }
    QFile file(address.toLocalFile());
    if (!file.open(QIODevice::ReadOnly)) {
        _fail(translate(QStringLiteral("The file could not be read.")));
        return;
    }
    if (file.size() > _maxBytes) {
        _fail(tooLarge(_maxBytes));
        return;
    }
    const QByteArray content = file.read(_maxBytes + 1);
    if (content.size() > _maxBytes) {
        _fail(tooLarge(_maxBytes));
        return;
    }
    emit finished(content, address);
}

void RecipeFetcher::_onData()
{
    if (!_reply)
        return;
    const qint64 announced = _reply->header(QNetworkRequest::ContentLengthHeader).toLongLong();
    if (announced > _maxBytes || _data.size() + _reply->bytesAvailable() > _maxBytes) {
        _fail(tooLarge(_maxBytes));
        return;
    }
    _data += _reply->readAll();
}

void RecipeFetcher::_onFinished()
{
    QNetworkReply* reply = _reply;
    if (!reply || sender() != reply)
        return;
    _onData();
    if (!_reply)
        return; // refused for its size
    _timer.stop();
    _reply = nullptr;
    reply->deleteLater();
    const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    const QUrl target = reply->attribute(QNetworkRequest::RedirectionTargetAttribute).toUrl();
    if (status >= 300 && status < 400 && target.isValid()) {
        const QUrl next = reply->url().resolved(target);
        if (++_redirects > MaxRedirects)
            _fail(translate(QStringLiteral("The address redirects too often.")));
        else if (!isWeb(next))
            _fail(translate(
                QStringLiteral("Only http and https addresses and local files can be imported.")));
        else
            _get(next);
        return;
    }
    if (reply->error() != QNetworkReply::NoError || status >= 400) {
        _fail(translate(QStringLiteral("The address could not be loaded: %1"))
                  .arg(status >= 400 ? QStringLiteral("HTTP ") + QString::number(status)
                                     : reply->errorString()));
        return;
    }
    emit finished(_data, reply->url());
}

void RecipeFetcher::_fail(const QString& message)
{
    _stop();
    emit failed(message);
}

void RecipeFetcher::_stop()
{
    ++_generation;
    _timer.stop();
    if (QNetworkReply* reply = _reply) {
        _reply = nullptr;
        reply->disconnect(this);
        reply->abort();
        reply->deleteLater();
    }
}
