#include "lang/webinteractor.h"
#include "support/testsupport.h"

#include <QNetworkReply>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QWebFrame>
#include <QtTest>

#include <map>
#include <memory>
#include <vector>

namespace {

// A translation page: its script reads "#en/<language>/<text>" from the
// address and fills "result_box" with the translation in two pieces, so that
// the reader has to join every child of the box.
const char TranslatePage[] = R"page(<!DOCTYPE html>
<html><head><meta charset="utf-8"></head><body>
<div id="result_box"></div>
<script>
var words = {
  fr: {"Open": "ouvrir", "Salt": "sel", "Close": "fermer", "Shut": "fermer",
       "Three eggs": "3 œufs"},
  de: {"Open": "öffnen"}
};
var parts = decodeURIComponent(location.hash.substring(1)).split("/");
var language = parts[1];
var text = parts.slice(2).join("/");
var known = words[language] || {};
var translation = known.hasOwnProperty(text) ? known[text]
                                             : text.toLowerCase() + " (" + language + ")";
var box = document.getElementById("result_box");
var cut = Math.ceil(translation.length / 2);
[translation.substring(0, cut), translation.substring(cut)].forEach(function (piece) {
  var span = document.createElement("span");
  span.textContent = piece;
  box.appendChild(span);
});
</script></body></html>)page";

// Serves the page above on 127.0.0.1 and, under "empty", "nobox" and "text",
// a page whose result box stays empty, one without the box and plain text;
// "silent" accepts the request and never answers. Counts the requests.
class PageServer : public QObject
{
public:
    PageServer()
    {
        _server.listen(QHostAddress::LocalHost);
        connect(&_server, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket* socket = _server.nextPendingConnection()) {
                socket->setParent(this);
                connect(socket, &QTcpSocket::readyRead, this, [this, socket] { _answer(socket); });
            }
        });
    }

    QString address(const QString& path) const
    {
        return QStringLiteral("http://127.0.0.1:%1/%2").arg(_server.serverPort()).arg(path);
    }

    std::map<QString, int> requests;

private:
    void _answer(QTcpSocket* socket)
    {
        QByteArray& request = _pending[socket];
        request += socket->readAll();
        if (!request.contains("\r\n\r\n"))
            return;
        const QList<QByteArray> words = request.left(request.indexOf('\r')).split(' ');
        const QString path = words.size() > 1 ? QString::fromLatin1(words.at(1).mid(1)) : QString();
        request.clear();
        ++requests[path];
        const std::map<QString, QByteArray> bodies = {
            {"empty", "<html><body><div id=\"result_box\"></div></body></html>"},
            {"nobox", "<html><body><p>Nothing to see</p></body></html>"},
            {"text", "plain reply \xc3\xbc"}};
        if (path == QLatin1String("silent"))
            return;
        const auto found = bodies.find(path);
        const QByteArray body = found == bodies.end() ? QByteArray(TranslatePage) : found->second;
        const QByteArray type = path == QLatin1String("text") ? "text/plain" : "text/html";
        socket->write("HTTP/1.1 200 OK\r\nContent-Type: " + type
                      + "; charset=utf-8\r\nConnection: close\r\nContent-Length: "
                      + QByteArray::number(body.size()) + "\r\n\r\n" + body);
        socket->disconnectFromHost();
    }

    QTcpServer _server;
    std::map<QTcpSocket*, QByteArray> _pending;
};

const int RunTimeout = 20000;

std::vector<QString> list(const QStringList& texts)
{
    return std::vector<QString>(texts.begin(), texts.end());
}

} // namespace

class TestWebInteractor : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void endsAtOnce_data();
    void endsAtOnce();
    void translatesThroughPage_data();
    void translatesThroughPage();
    void noAnswerEndsWithinBound_data();
    void noAnswerEndsWithinBound();
    void secondRunDoesNotTakeTheLastPage();
    void newRunReplacesRunningOne();
    void destroyedDuringRun();
    void testExtractionLogsReply();
    void matchCapital_data();
    void matchCapital();
    void translationUrl_data();
    void translationUrl();

private:
    // Runs the interactor to its end; false when translationFinished() does
    // not come, or comes more than once.
    bool _run(const std::vector<QString>& texts, const QString& language);
    void _start(const std::vector<QString>& texts, const QString& path);

    std::unique_ptr<PageServer> _server;
    std::unique_ptr<WebInteractor> _interactor;
};

void TestWebInteractor::init()
{
    _server = std::make_unique<PageServer>();
    _interactor = std::make_unique<WebInteractor>(nullptr);
    _interactor->setBaseAddress(_server->address(QStringLiteral("translate")));
}

void TestWebInteractor::cleanup()
{
    _interactor.reset();
    _server.reset();
}

bool TestWebInteractor::_run(const std::vector<QString>& texts, const QString& language)
{
    QSignalSpy finished(_interactor.get(), &WebInteractor::translationFinished);
    _interactor->translateStrings(&texts, language);
    if (finished.isEmpty() && !finished.wait(RunTimeout))
        return false;
    QTest::qWait(100); // a second emission would show here
    return finished.count() == 1 && !_interactor->isRunning();
}

// Starts a French run on a page that never answers and waits for its request.
void TestWebInteractor::_start(const std::vector<QString>& texts, const QString& path)
{
    _interactor->setBaseAddress(_server->address(path));
    _interactor->translateStrings(&texts, QStringLiteral("fr"));
    QTRY_VERIFY(_server->requests[path] > 0);
    QVERIFY(_interactor->isRunning());
}

// English needs no page, and nothing to translate ends the run at once.
void TestWebInteractor::endsAtOnce_data()
{
    QTest::addColumn<QString>("language");
    QTest::addColumn<bool>("noList");
    QTest::addColumn<QStringList>("texts");
    QTest::newRow("English") << "en" << false << QStringList{"Open", "Save"};
    QTest::newRow("empty list") << "fr" << false << QStringList();
    QTest::newRow("no list") << "fr" << true << QStringList();
}

void TestWebInteractor::endsAtOnce()
{
    QFETCH(QString, language);
    QFETCH(bool, noList);
    QFETCH(QStringList, texts);
    const std::vector<QString> sources = list(texts);
    QSignalSpy finished(_interactor.get(), &WebInteractor::translationFinished);
    _interactor->translateStrings(noList ? nullptr : &sources, language);
    QCOMPARE(finished.count(), 1);
    QCOMPARE(_interactor->results, sources);
    QTest::qWait(200);
    QCOMPARE(finished.count(), 1);
    QVERIFY(_server->requests.empty());
    QVERIFY(_interactor->frame->url().isEmpty());
}

void TestWebInteractor::translatesThroughPage_data()
{
    QTest::addColumn<QString>("language");
    QTest::addColumn<QStringList>("texts");
    QTest::addColumn<QStringList>("expected");
    QTest::addColumn<int>("repeats"); // of the page, for a translation equal to the last

    QTest::newRow("three in order") << "fr" << QStringList{"Open", "Salt", "Good morning"}
                                    << QStringList{"Ouvrir", "Sel", "Good morning (fr)"} << 0;
    QTest::newRow("German") << "de" << QStringList{"Open"} << QStringList{"Öffnen"} << 0;
    QTest::newRow("starts with a digit") << "fr" << QStringList{"Three eggs"}
                                         << QStringList{"3 œufs"} << 0;
    QTest::newRow("special characters")
        << "ru" << QStringList{"50%41 off #1 / A&B + ü?x=1"}
        << QStringList{"50%41 off #1 / a&b + ü?x=1 (ru)"} << 0;
    QTest::newRow("two equal in a row") << "fr" << QStringList{"Close", "Shut", "Open"}
                                        << QStringList{"Fermer", "Fermer", "Ouvrir"}
                                        << WebInteractor::MaxAttempts - 1;
}

void TestWebInteractor::translatesThroughPage()
{
    QFETCH(QString, language);
    QFETCH(QStringList, texts);
    QFETCH(QStringList, expected);
    QFETCH(int, repeats);
    MessageCapture capture;
    QVERIFY(_run(list(texts), language));

    QCOMPARE(_interactor->results, list(expected));
    QVERIFY(_interactor->unanswered.empty());
    QCOMPARE(capture.count(QStringLiteral("No translation. Repeating call")), repeats);
    QCOMPARE(capture.count(QStringLiteral("Same translation after")), repeats ? 1 : 0);
    for (int i = 0; i < texts.size(); ++i)
        QCOMPARE(capture.count(texts[i] + QStringLiteral(" translated as ") + expected[i]), 1);
    QCOMPARE(capture.count(QStringLiteral("webinteractor")), capture.messages().size());
}

// Whatever keeps the page from answering, every text is asked for a bounded
// number of times and then kept in English.
void TestWebInteractor::noAnswerEndsWithinBound_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<int>("timeouts");
    const int attempts = 2 * WebInteractor::MaxAttempts;
    QTest::newRow("empty result box") << "empty" << 0;
    QTest::newRow("no result box") << "nobox" << 0;
    QTest::newRow("silent page") << "silent" << attempts;
    QTest::newRow("refused connection") << QString() << 0;
}

void TestWebInteractor::noAnswerEndsWithinBound()
{
    QFETCH(QString, path);
    QFETCH(int, timeouts);
    if (path.isEmpty()) {
        QTcpServer closed; // a port that nobody listens on
        QVERIFY(closed.listen(QHostAddress::LocalHost));
        _interactor->setBaseAddress(QStringLiteral("http://127.0.0.1:%1/").arg(closed.serverPort()));
        closed.close();
    } else {
        _interactor->setBaseAddress(_server->address(path));
    }
    _interactor->setLoadTimeout(timeouts ? 150 : 10000);
    MessageCapture capture;
    const std::vector<QString> texts = {QStringLiteral("Open"), QStringLiteral("Close")};
    QVERIFY(_run(texts, QStringLiteral("fr")));

    QCOMPARE(_interactor->results, texts);
    QCOMPARE(_interactor->unanswered, (std::vector<unsigned>{0, 1}));
    QCOMPARE(capture.count(QStringLiteral("No translation. Repeating call")),
             2 * (WebInteractor::MaxAttempts - 1));
    QCOMPARE(capture.count(QStringLiteral("keeping Open")), 1);
    QCOMPARE(capture.count(QStringLiteral("keeping Close")), 1);
    QCOMPARE(capture.count(QStringLiteral("Page did not answer in time")), timeouts);
    QVERIFY(_server->requests[path] <= 2 * WebInteractor::MaxAttempts);
}

// The page still shows the previous run's result when the next run starts.
void TestWebInteractor::secondRunDoesNotTakeTheLastPage()
{
    QVERIFY(_run({QStringLiteral("Open")}, QStringLiteral("fr")));
    QVERIFY(_run({QStringLiteral("Salt")}, QStringLiteral("fr")));
    QCOMPARE(_interactor->results, std::vector<QString>{QStringLiteral("Sel")});
}

void TestWebInteractor::newRunReplacesRunningOne()
{
    QSignalSpy finished(_interactor.get(), &WebInteractor::translationFinished);
    const std::vector<QString> first = {QStringLiteral("Open"), QStringLiteral("Close")};
    _start(first, QStringLiteral("silent"));
    _interactor->setBaseAddress(_server->address(QStringLiteral("translate")));
    const std::vector<QString> second = {QStringLiteral("Salt")};
    _interactor->translateStrings(&second, QStringLiteral("fr"));
    QVERIFY(finished.wait(RunTimeout));
    QTest::qWait(200);
    QCOMPARE(finished.count(), 1);
    QCOMPARE(_interactor->results, std::vector<QString>{QStringLiteral("Sel")});
}

void TestWebInteractor::destroyedDuringRun()
{
    QSignalSpy finished(_interactor.get(), &WebInteractor::translationFinished);
    const std::vector<QString> texts = {QStringLiteral("Open")};
    _start(texts, QStringLiteral("silent"));
    _interactor.reset();
    QTest::qWait(100);
    QCOMPARE(finished.count(), 0);
}

void TestWebInteractor::testExtractionLogsReply()
{
    MessageCapture capture;
    QNetworkReply* reply =
        _interactor->manager.get(QNetworkRequest(QUrl(_server->address(QStringLiteral("text")))));
    QSignalSpy done(reply, &QNetworkReply::finished);
    QVERIFY(done.wait(RunTimeout));
    QTRY_COMPARE(capture.count(QStringLiteral("plain reply ü")), 1);
}

void TestWebInteractor::matchCapital_data()
{
    QTest::addColumn<QString>("source");
    QTest::addColumn<QString>("translation");
    QTest::addColumn<QString>("expected");
    QTest::newRow("capital and small") << "Open file" << "ouvrir fichier" << "Ouvrir fichier";
    QTest::newRow("capital Cyrillic") << "Open" << "открыть" << "Открыть";
    QTest::newRow("accented small") << "Edit" << "éditer" << "Éditer";
    QTest::newRow("small source") << "open" << "ouvrir" << "ouvrir";
    QTest::newRow("translation starts with digit") << "Three eggs" << "3 œufs" << "3 œufs";
    QTest::newRow("translation starts with quote") << "Open" << "«ouvrir»" << "«ouvrir»";
    QTest::newRow("source starts with digit") << "3 eggs" << "trois œufs" << "trois œufs";
    QTest::newRow("empty source") << "" << "ouvrir" << "ouvrir";
    QTest::newRow("empty translation") << "Open" << "" << "";
}

void TestWebInteractor::matchCapital()
{
    QFETCH(QString, source);
    QFETCH(QString, translation);
    QFETCH(QString, expected);
    _interactor->_matchCapital(source, translation);
    QCOMPARE(translation, expected);
}

void TestWebInteractor::translationUrl_data()
{
    QTest::addColumn<QString>("text");
    QTest::newRow("blanks") << "Number of persons";
    QTest::newRow("percent before hex digits") << "50%41 off";
    QTest::newRow("hash and slash") << "#1 / 2";
    QTest::newRow("query characters") << "a?b=c&d";
    QTest::newRow("non-Latin") << "Привет, мир";
    QTest::newRow("line break") << "First\nSecond";
}

void TestWebInteractor::translationUrl()
{
    QFETCH(QString, text);
    _interactor->setBaseAddress(QStringLiteral("http://example.org/page"));
    const QUrl url = _interactor->_translationUrl(QStringLiteral("de"), text);
    QVERIFY(url.isValid());
    QCOMPARE(url.adjusted(QUrl::RemoveFragment).toString(),
             QStringLiteral("http://example.org/page"));
    QCOMPARE(url.fragment(QUrl::FullyDecoded), QStringLiteral("en/de/") + text);
}

QTEST_MAIN(TestWebInteractor)
#include "tst_webinteractor.moc"
