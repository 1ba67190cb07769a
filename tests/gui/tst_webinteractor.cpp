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

// A page whose result box stays empty, and one without the box.
const char EmptyPage[] = "<html><body><div id=\"result_box\"></div></body></html>";
const char NoBoxPage[] = "<html><body><p>Nothing to see</p></body></html>";
const char PlainText[] = "plain reply \xc3\xbc";

// Serves the pages above on 127.0.0.1; "/silent" accepts the request and never
// answers. Counts the requests per path.
class PageServer : public QObject
{
public:
    PageServer()
    {
        _server.listen(QHostAddress::LocalHost);
        connect(&_server, &QTcpServer::newConnection, this, &PageServer::_accept);
    }

    QString address(const QString& path) const
    {
        return QStringLiteral("http://127.0.0.1:%1/%2").arg(_server.serverPort()).arg(path);
    }

    int requests(const QString& path) const
    {
        const auto found = _requests.find(path);
        return found == _requests.end() ? 0 : found->second;
    }

    int totalRequests() const
    {
        int total = 0;
        for (const auto& entry : _requests)
            total += entry.second;
        return total;
    }

private:
    void _accept()
    {
        while (QTcpSocket* socket = _server.nextPendingConnection()) {
            socket->setParent(this);
            connect(socket, &QTcpSocket::readyRead, this, [this, socket]() { _answer(socket); });
        }
    }

    void _answer(QTcpSocket* socket)
    {
        QByteArray& request = _pending[socket];
        request += socket->readAll();
        if (!request.contains("\r\n\r\n"))
            return;
        const QList<QByteArray> words = request.left(request.indexOf('\r')).split(' ');
        const QString path = words.size() > 1 ? QString::fromLatin1(words.at(1).mid(1)) : QString();
        request.clear();
        ++_requests[path];
        if (path == QLatin1String("silent"))
            return;
        QByteArray body = TranslatePage;
        QByteArray type = "text/html; charset=utf-8";
        if (path == QLatin1String("empty"))
            body = EmptyPage;
        else if (path == QLatin1String("nobox"))
            body = NoBoxPage;
        else if (path == QLatin1String("text")) {
            body = PlainText;
            type = "text/plain; charset=utf-8";
        }
        socket->write("HTTP/1.1 200 OK\r\nContent-Type: " + type
                      + "\r\nConnection: close\r\nContent-Length: "
                      + QByteArray::number(body.size()) + "\r\n\r\n" + body);
        socket->disconnectFromHost();
    }

    QTcpServer _server;
    std::map<QString, int> _requests;
    std::map<QTcpSocket*, QByteArray> _pending;
};

const int RunTimeout = 20000;

} // namespace

class TestWebInteractor : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void englishReturnsTextsAtOnce();
    void emptyListEndsAtOnce_data();
    void emptyListEndsAtOnce();
    void threeTextsGiveThreeResultsInOrder();
    void translationIsLoggedPerText();
    void digitTranslationKeepsItsStart();
    void specialCharactersReachThePage();
    void pageWithoutResultEndsWithinBound_data();
    void pageWithoutResultEndsWithinBound();
    void equalConsecutiveTranslationsEndWithinBound();
    void silentPageEndsWithinBound();
    void refusedConnectionEndsWithinBound();
    void secondRunDoesNotTakeTheLastPage();
    void newRunReplacesRunningOne();
    void testExtractionLogsReply();
    void destroyedDuringRun();
    void metaObjectHasSignalAndSlots();

    void matchCapital_data();
    void matchCapital();
    void translationUrl_data();
    void translationUrl();
    void baseAddressIsConfigurable();

private:
    // Runs the interactor to its end; false when translationFinished() does
    // not come, or comes more than once.
    bool _run(const std::vector<QString>& texts, const QString& language);

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

void TestWebInteractor::englishReturnsTextsAtOnce()
{
    const std::vector<QString> texts = {QStringLiteral("Open"), QStringLiteral("Save")};
    QSignalSpy finished(_interactor.get(), &WebInteractor::translationFinished);
    _interactor->translateStrings(&texts, QStringLiteral("en"));

    QCOMPARE(finished.count(), 1);
    QCOMPARE(_interactor->results, texts);
    QTest::qWait(200);
    QCOMPARE(finished.count(), 1);
    QCOMPARE(_server->totalRequests(), 0);
    QVERIFY(_interactor->frame->url().isEmpty());
}

void TestWebInteractor::emptyListEndsAtOnce_data()
{
    QTest::addColumn<bool>("nullList");
    QTest::newRow("empty list") << false;
    QTest::newRow("no list") << true;
}

void TestWebInteractor::emptyListEndsAtOnce()
{
    QFETCH(bool, nullList);
    const std::vector<QString> texts;
    QSignalSpy finished(_interactor.get(), &WebInteractor::translationFinished);
    _interactor->translateStrings(nullList ? nullptr : &texts, QStringLiteral("fr"));

    QCOMPARE(finished.count(), 1);
    QVERIFY(_interactor->results.empty());
    QTest::qWait(200);
    QCOMPARE(finished.count(), 1);
    QCOMPARE(_server->totalRequests(), 0);
}

void TestWebInteractor::threeTextsGiveThreeResultsInOrder()
{
    const std::vector<QString> texts = {QStringLiteral("Open"), QStringLiteral("Salt"),
                                        QStringLiteral("Good morning")};
    QVERIFY(_run(texts, QStringLiteral("fr")));

    const std::vector<QString> expected = {QStringLiteral("Ouvrir"), QStringLiteral("Sel"),
                                           QStringLiteral("Good morning (fr)")};
    QCOMPARE(_interactor->results, expected);
    QVERIFY(_interactor->unanswered.empty());
    QCOMPARE(_interactor->lastTranslation, QStringLiteral("Good morning (fr)"));
    QCOMPARE(_interactor->language, QStringLiteral("fr"));
}

void TestWebInteractor::translationIsLoggedPerText()
{
    MessageCapture capture;
    const std::vector<QString> texts = {QStringLiteral("Open")};
    QVERIFY(_run(texts, QStringLiteral("de")));

    QCOMPARE(_interactor->results, std::vector<QString>{QStringLiteral("Öffnen")});
    QCOMPARE(capture.count(QStringLiteral("webinteractor")), capture.messages().size());
    QCOMPARE(capture.count(QStringLiteral("Open translated as Öffnen")), 1);
}

void TestWebInteractor::digitTranslationKeepsItsStart()
{
    const std::vector<QString> texts = {QStringLiteral("Three eggs")};
    QVERIFY(_run(texts, QStringLiteral("fr")));
    QCOMPARE(_interactor->results, std::vector<QString>{QStringLiteral("3 œufs")});
}

void TestWebInteractor::specialCharactersReachThePage()
{
    const QString text = QStringLiteral("50%41 off #1 / A&B + ü?x=1");
    const std::vector<QString> texts = {text};
    QVERIFY(_run(texts, QStringLiteral("ru")));
    QCOMPARE(_interactor->results,
             std::vector<QString>{QStringLiteral("50%41 off #1 / a&b + ü?x=1 (ru)")});
}

void TestWebInteractor::pageWithoutResultEndsWithinBound_data()
{
    QTest::addColumn<QString>("path");
    QTest::newRow("empty result box") << QStringLiteral("empty");
    QTest::newRow("no result box") << QStringLiteral("nobox");
}

void TestWebInteractor::pageWithoutResultEndsWithinBound()
{
    QFETCH(QString, path);
    _interactor->setBaseAddress(_server->address(path));
    MessageCapture capture;
    const std::vector<QString> texts = {QStringLiteral("Open"), QStringLiteral("Close")};
    QVERIFY(_run(texts, QStringLiteral("fr")));

    QCOMPARE(_interactor->results, texts);
    QCOMPARE(_interactor->unanswered, (std::vector<unsigned>{0, 1}));
    const int repeats = WebInteractor::MaxAttempts - 1;
    QCOMPARE(capture.count(QStringLiteral("No translation. Repeating call")), 2 * repeats);
    QCOMPARE(capture.count(QStringLiteral("keeping Open")), 1);
    QCOMPARE(capture.count(QStringLiteral("keeping Close")), 1);
    QVERIFY(_server->requests(path) <= 2 * WebInteractor::MaxAttempts);
}

void TestWebInteractor::equalConsecutiveTranslationsEndWithinBound()
{
    MessageCapture capture;
    const std::vector<QString> texts = {QStringLiteral("Close"), QStringLiteral("Shut"),
                                        QStringLiteral("Open")};
    QVERIFY(_run(texts, QStringLiteral("fr")));

    const std::vector<QString> expected = {QStringLiteral("Fermer"), QStringLiteral("Fermer"),
                                           QStringLiteral("Ouvrir")};
    QCOMPARE(_interactor->results, expected);
    QVERIFY(_interactor->unanswered.empty());
    QCOMPARE(capture.count(QStringLiteral("No translation. Repeating call")),
             WebInteractor::MaxAttempts - 1);
    QCOMPARE(capture.count(QStringLiteral("Same translation after")), 1);
}

void TestWebInteractor::silentPageEndsWithinBound()
{
    _interactor->setBaseAddress(_server->address(QStringLiteral("silent")));
    _interactor->setLoadTimeout(150);
    MessageCapture capture;
    const std::vector<QString> texts = {QStringLiteral("Open")};
    QVERIFY(_run(texts, QStringLiteral("fr")));

    QCOMPARE(_interactor->results, texts);
    QCOMPARE(_interactor->unanswered, std::vector<unsigned>{0});
    QCOMPARE(capture.count(QStringLiteral("Page did not answer in time")),
             WebInteractor::MaxAttempts);
}

void TestWebInteractor::refusedConnectionEndsWithinBound()
{
    QTcpServer closed;
    QVERIFY(closed.listen(QHostAddress::LocalHost));
    const quint16 port = closed.serverPort();
    closed.close();
    _interactor->setBaseAddress(QStringLiteral("http://127.0.0.1:%1/translate").arg(port));

    const std::vector<QString> texts = {QStringLiteral("Open"), QStringLiteral("Salt")};
    QVERIFY(_run(texts, QStringLiteral("fr")));
    QCOMPARE(_interactor->results, texts);
    QCOMPARE(_interactor->unanswered, (std::vector<unsigned>{0, 1}));
}

void TestWebInteractor::secondRunDoesNotTakeTheLastPage()
{
    // The page still shows the previous run's result when the next run starts.
    const std::vector<QString> first = {QStringLiteral("Open")};
    QVERIFY(_run(first, QStringLiteral("fr")));
    const std::vector<QString> second = {QStringLiteral("Salt")};
    QVERIFY(_run(second, QStringLiteral("fr")));
    QCOMPARE(_interactor->results, std::vector<QString>{QStringLiteral("Sel")});
}

void TestWebInteractor::newRunReplacesRunningOne()
{
    _interactor->setBaseAddress(_server->address(QStringLiteral("silent")));
    const std::vector<QString> first = {QStringLiteral("Open"), QStringLiteral("Close")};
    QSignalSpy finished(_interactor.get(), &WebInteractor::translationFinished);
    _interactor->translateStrings(&first, QStringLiteral("fr"));
    QTRY_VERIFY(_server->requests(QStringLiteral("silent")) > 0);
    QVERIFY(_interactor->isRunning());

    _interactor->setBaseAddress(_server->address(QStringLiteral("translate")));
    const std::vector<QString> second = {QStringLiteral("Salt")};
    _interactor->translateStrings(&second, QStringLiteral("fr"));
    QVERIFY(finished.wait(RunTimeout));
    QTest::qWait(200);
    QCOMPARE(finished.count(), 1);
    QCOMPARE(_interactor->results, std::vector<QString>{QStringLiteral("Sel")});
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

void TestWebInteractor::destroyedDuringRun()
{
    _interactor->setBaseAddress(_server->address(QStringLiteral("silent")));
    const std::vector<QString> texts = {QStringLiteral("Open")};
    QSignalSpy finished(_interactor.get(), &WebInteractor::translationFinished);
    _interactor->translateStrings(&texts, QStringLiteral("fr"));
    QTRY_VERIFY(_server->requests(QStringLiteral("silent")) > 0);
    _interactor.reset();
    QTest::qWait(100);
    QCOMPARE(finished.count(), 0);
}

void TestWebInteractor::metaObjectHasSignalAndSlots()
{
    const QMetaObject& meta = WebInteractor::staticMetaObject;
    QCOMPARE(meta.superClass(), &QMainWindow::staticMetaObject);
    QCOMPARE(meta.methodCount() - meta.methodOffset(), 3);
    const QMetaMethod finished = meta.method(meta.methodOffset());
    QCOMPARE(finished.methodSignature(), QByteArray("translationFinished()"));
    QCOMPARE(finished.methodType(), QMetaMethod::Signal);
    QCOMPARE(meta.method(meta.methodOffset() + 1).methodSignature(),
             QByteArray("extractTranslation()"));
    QCOMPARE(meta.method(meta.methodOffset() + 2).methodSignature(),
             QByteArray("testExtraction()"));
    QCOMPARE(meta.method(meta.methodOffset() + 2).methodType(), QMetaMethod::Slot);
}

void TestWebInteractor::matchCapital_data()
{
    QTest::addColumn<QString>("source");
    QTest::addColumn<QString>("translation");
    QTest::addColumn<QString>("expected");
    QTest::newRow("capital and small") << "Open" << "ouvrir" << "Ouvrir";
    QTest::newRow("capital Cyrillic") << "Open" << "открыть" << "Открыть";
    QTest::newRow("accented small") << "Edit" << "éditer" << "Éditer";
    QTest::newRow("already capital") << "Open" << "Ouvrir" << "Ouvrir";
    QTest::newRow("small source") << "open" << "ouvrir" << "ouvrir";
    QTest::newRow("translation starts with digit") << "Three eggs" << "3 œufs" << "3 œufs";
    QTest::newRow("translation starts with quote") << "Open" << "«ouvrir»" << "«ouvrir»";
    QTest::newRow("source starts with digit") << "3 eggs" << "trois œufs" << "trois œufs";
    QTest::newRow("empty source") << "" << "ouvrir" << "ouvrir";
    QTest::newRow("empty translation") << "Open" << "" << "";
    QTest::newRow("only the first letter") << "Open file" << "ouvrir fichier"
                                            << "Ouvrir fichier";
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
    QTest::newRow("word") << "Open";
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

void TestWebInteractor::baseAddressIsConfigurable()
{
    WebInteractor fresh(nullptr);
    QCOMPARE(fresh.baseAddress(), WebInteractor::defaultBaseAddress());
    QVERIFY(QUrl(fresh.baseAddress()).isValid());
    QCOMPARE(fresh.loadTimeout(), WebInteractor::DefaultLoadTimeout);
    QCOMPARE(fresh._translationUrl(QStringLiteral("fr"), QStringLiteral("Open")).toString(),
             WebInteractor::defaultBaseAddress() + QStringLiteral("#en/fr/Open"));
    QCOMPARE(fresh.page.settings()->defaultTextEncoding(), QStringLiteral("utf-8"));
}

QTEST_MAIN(TestWebInteractor)
#include "tst_webinteractor.moc"
