#include "lang/webinteractor.h"

#include "data/diagnostics.h"

#include <QNetworkReply>
#include <QWebFrame>
#include <QWebSettings>

#include <algorithm>

namespace {

const QString ResultBox = QStringLiteral("document.getElementById(\"result_box\")");

} // namespace

WebInteractor::WebInteractor(QWidget* parent)
    : QMainWindow(parent),
      frame(page.mainFrame()),
      sources(nullptr),
      position(0),
      _baseAddress(defaultBaseAddress())
{
    page.settings()->setDefaultTextEncoding(QStringLiteral("utf-8"));
    // The page is never shown: its pictures are of no use.
    page.settings()->setAttribute(QWebSettings::AutoLoadImages, false);

    // The reply is remembered first so that testExtraction() can read it.
    connect(&manager, &QNetworkAccessManager::finished, this,
            [this](QNetworkReply* reply) { _finishedReply = reply; });
    connect(&manager, &QNetworkAccessManager::finished, this, &WebInteractor::testExtraction);

    // How the load went is noted before extractTranslation() reads the page.
    connect(frame, &QWebFrame::loadStarted, this, [this]() { _loadStarted = true; });
    connect(frame, &QWebFrame::loadFinished, this, [this](bool ok) { _loadSucceeded = ok; });
    connect(frame, &QWebFrame::loadFinished, this, &WebInteractor::extractTranslation);

    // Loads start from the event loop, never from inside a load signal: a
    // stopped load reports its end synchronously.
    _nextLoad.setSingleShot(true);
    _nextLoad.setInterval(0);
    connect(&_nextLoad, &QTimer::timeout, this, &WebInteractor::_startLoad);
    _watchdog.setSingleShot(true);
    _watchdog.setInterval(DefaultLoadTimeout);
    connect(&_watchdog, &QTimer::timeout, this, &WebInteractor::_onLoadTimeout);
}

WebInteractor::~WebInteractor()
{
    // The page outlives the timers while members are destroyed, and a load it
    // stops then must not reach this object.
    _running = false;
    _awaitingLoad = false;
    frame->disconnect(this);
}

void WebInteractor::translateStrings(const std::vector<QString>* texts, QString language)
{
    // Whatever a previous run still waits for is dropped.
    _running = false;
    _nextLoad.stop();
    _watchdog.stop();
    if (_awaitingLoad) {
        _awaitingLoad = false;
        page.triggerAction(QWebPage::Stop);
    }

    if (texts == &results) {
        _ownSources = results; // results is emptied below
        texts = &_ownSources;
    }
    sources = texts;
    position = 0;
    results.clear();
    unanswered.clear();
    lastTranslation.clear();
    this->language = language;
    _attempts = 0;

    if (language == QLatin1String("en")) {
        if (texts)
            results = *texts;
        emit translationFinished();
        return;
    }
    if (!texts || texts->empty()) {
        emit translationFinished();
        return;
    }
    _running = true;
    _requestCurrent();
}

QUrl WebInteractor::_translationUrl(QString language, QString text)
{
    // A percent sign is encoded here so that the page reads back exactly the
    // text given, even where the sign happens to precede two hex digits.
    text.replace(QLatin1Char('%'), QLatin1String("%25"));
    return QUrl(_baseAddress + QStringLiteral("#en/") + language + QLatin1Char('/') + text,
                QUrl::TolerantMode);
}

void WebInteractor::_matchCapital(const QString& source, QString& translation)
{
    if (source.isEmpty() || translation.isEmpty())
        return;
    const QChar first = source.at(0);
    const QChar translated = translation.at(0);
    if (first.isLetter() && translated.isLetter() && first.isUpper() && translated.isLower())
        translation[0] = translated.toUpper();
}

QString WebInteractor::defaultBaseAddress()
{
    return QStringLiteral("https://translate.google.com/");
}

QString WebInteractor::baseAddress() const
{
    return _baseAddress;
}

void WebInteractor::setBaseAddress(const QString& address)
{
    _baseAddress = address;
}

int WebInteractor::loadTimeout() const
{
    return _watchdog.interval();
}

void WebInteractor::setLoadTimeout(int milliseconds)
{
    // A timer with no interval would either never fire or fire at once.
    _watchdog.setInterval(std::max(1, milliseconds));
}

bool WebInteractor::isRunning() const
{
    return _running;
}

void WebInteractor::extractTranslation()
{
    if (!_running || !_awaitingLoad)
        return; // a load this object did not ask for, or one of a dropped run
    _awaitingLoad = false;
    _watchdog.stop();

    const QString& source = (*sources)[position];
    // Only a freshly loaded page can hold the translation of this text.
    QString translation = _loadStarted && _loadSucceeded ? _readResultBox() : QString();
    _matchCapital(source, translation);

    if (translation.isEmpty() || translation == lastTranslation) {
        if (_attempts < MaxAttempts) {
            CULINOR_DIAG("webinteractor", "No translation. Repeating call");
            _requestCurrent();
            return;
        }
        if (translation.isEmpty()) {
            CULINOR_DIAG("webinteractor", QStringLiteral("No translation after ")
                                              + QString::number(_attempts)
                                              + QStringLiteral(" attempts, keeping ") + source);
            unanswered.push_back(position);
            _accept(source, false);
            return;
        }
        // Two texts in a row may well have the same translation.
        CULINOR_DIAG("webinteractor", QStringLiteral("Same translation after ")
                                          + QString::number(_attempts)
                                          + QStringLiteral(" attempts, accepting it"));
    }
    CULINOR_DIAG("webinteractor", source + QStringLiteral(" translated as ") + translation);
    _accept(translation, true);
}

void WebInteractor::testExtraction()
{
    QNetworkReply* reply = _finishedReply;
    _finishedReply = nullptr;
    if (!reply)
        return;
    CULINOR_DIAG("webinteractor", QString::fromUtf8(reply->readAll()));
    reply->deleteLater();
}

QString WebInteractor::_readResultBox()
{
    const int count =
        frame->evaluateJavaScript(ResultBox + QStringLiteral(".children.length")).toInt();
    QString text;
    for (int i = 0; i < count; ++i) {
        text += frame->evaluateJavaScript(ResultBox + QStringLiteral(".children[")
                                          + QString::number(i) + QStringLiteral("].textContent"))
                    .toString();
    }
    return text;
}

void WebInteractor::_requestCurrent()
{
    ++_attempts;
    _nextUrl = _translationUrl(language, (*sources)[position]);
    _nextLoad.start();
}

void WebInteractor::_startLoad()
{
    page.triggerAction(QWebPage::Stop); // nothing of the page's own may finish in between
    _awaitingLoad = true;
    _loadStarted = false;
    _loadSucceeded = false;
    _watchdog.start();
    // setUrl() clears the shown document first: a new address that differs
    // only in its fragment is then loaded anew, not taken as a jump within the
    // old page, which would still show the old result.
    frame->setUrl(_nextUrl);
}

void WebInteractor::_accept(const QString& translation, bool fromPage)
{
    if (fromPage)
        lastTranslation = translation;
    results.push_back(translation);
    ++position;
    _attempts = 0;
    if (position < sources->size()) {
        _requestCurrent();
        return;
    }
    _running = false;
    emit translationFinished();
}

void WebInteractor::_onLoadTimeout()
{
    if (!_awaitingLoad)
        return;
    CULINOR_DIAG("webinteractor", QStringLiteral("Page did not answer in time: ")
                                      + _nextUrl.toString());
    _loadSucceeded = false;
    page.triggerAction(QWebPage::Stop); // ends the load, which reports as failed
    if (_awaitingLoad) {
        _loadSucceeded = false;
        extractTranslation();
    }
}
