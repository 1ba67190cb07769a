#pragma once

#include "lang/quietwebpage.h"

#include <QMainWindow>
#include <QNetworkAccessManager>
#include <QPointer>
#include <QString>
#include <QTimer>
#include <QUrl>
#include <QWebPage>

#include <vector>

class QNetworkReply;
class QWebFrame;

// Translates a list of English texts into another language by driving a
// translation web page in an invisible page: each text is put into the page
// address as "#en/<language>/<text>", the page is loaded, and the translation
// is read from the children of its element "result_box". The page is asked
// again a few times when it shows nothing new; translationFinished() ends
// every run exactly once.
class WebInteractor : public QMainWindow
{
    Q_OBJECT

public:
    // Attempts per text before the run accepts what the page shows, or keeps
    // the English text when the page shows nothing.
    static const int MaxAttempts = 5;
    // Time a page load may take before it is stopped and counted as failed.
    static const int DefaultLoadTimeout = 30000;

    explicit WebInteractor(QWidget* parent = nullptr);
    ~WebInteractor() override;

    // Starts a run over texts (not owned: they must outlive the run); returns
    // at once, the run goes on in the event loop. Restarts any run in progress.
    void translateStrings(const std::vector<QString>* texts, QString language);

    QUrl _translationUrl(QString language, QString text);
    void _matchCapital(const QString& source, QString& translation);

    static QString defaultBaseAddress();
    QString baseAddress() const;
    void setBaseAddress(const QString& address);
    int loadTimeout() const;
    void setLoadTimeout(int milliseconds);
    bool isRunning() const;

    QNetworkAccessManager manager;
    QuietWebPage page;
    QWebFrame* frame;
    QString lastTranslation;
    QString language;
    const std::vector<QString>* sources;
    std::vector<QString> results;
    unsigned position;
    // Positions whose text was kept in English because the page never gave
    // a translation for it.
    std::vector<unsigned> unanswered;

signals:
    void translationFinished();

public slots:
    void extractTranslation();
    void testExtraction();

private:
    QString _readResultBox();
    void _requestCurrent();
    void _startLoad();
    void _accept(const QString& translation, bool fromPage);
    void _onLoadTimeout();

    QString _baseAddress;
    // The texts of a run started on this object's own results.
    std::vector<QString> _ownSources;
    bool _running = false;
    // Set while a load requested by this object is under way.
    bool _awaitingLoad = false;
    // Whether the last load brought a new document and succeeded; a jump to
    // another fragment of the same document keeps the old page content.
    bool _loadStarted = false;
    bool _loadSucceeded = false;
    int _attempts = 0;
    QUrl _nextUrl;
    QTimer _nextLoad;
    QTimer _watchdog;
    QPointer<QNetworkReply> _finishedReply;
};
