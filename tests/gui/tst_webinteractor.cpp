#include "lang/webinteractor.h"
#include "support/testsupport.h"

#include <QNetworkReply>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTemporaryDir>
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

// The pages served as files: the translation page, one whose result box
// stays empty, one without the box, one that asks the user through dialogs,
// and plain text.
const std::map<QString, QByteArray> Pages = {
    {"translate.html", TranslatePage},
    {"empty.html", "<html><body><div id=\"result_box\"></div></body></html>"},
    {"nobox.html", "<html><body><p>Nothing to see</p></body></html>"},
    {"dialogs.html", "<html><body><div id=\"result_box\"></div><script>alert('Hello');"
                     "confirm('Sure?');prompt('Name?');</script></body></html>"},
    {"text.txt", "plain reply \xc3\xbc"}};

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
    void initTestCase();
    void init();
    void cleanup();

    void endsAtOnce_data();
    void endsAtOnce();
    void translatesThroughPage_data();
    void translatesThroughPage();
    void noAnswerEndsWithinBound_data();
    void noAnswerEndsWithinBound();
    void secondRunDoesNotTakeTheLastPage();
    void runOverItsOwnResults();
    void newRunReplacesRunningOne();
    void destroyedDuringRun();
    void testExtractionLogsReply();
    void matchCapital_data();
    void matchCapital();
    void translationUrl_data();
    void translationUrl();

private:
    // The address of a page file, or of "silent", a server that takes the
    // request and never answers.
    QString _address(const QString& page) const;
    // Runs the interactor to its end; false when translationFinished() does
    // not come, or comes more than once.
    bool _run(const std::vector<QString>& texts, const QString& language);
    // Starts a French run on the silent server and waits for its request.
    void _startSilent(const std::vector<QString>& texts);

    QTemporaryDir _pages;
    std::unique_ptr<QTcpServer> _silent;
    std::unique_ptr<WebInteractor> _interactor;
};

void TestWebInteractor::initTestCase()
{
    for (const auto& page : Pages) {
        QFile file(_pages.filePath(page.first));
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(page.second) == page.second.size());
    }
}

void TestWebInteractor::init()
{
    _silent = std::make_unique<QTcpServer>();
    QVERIFY(_silent->listen(QHostAddress::LocalHost));
    _interactor = std::make_unique<WebInteractor>(nullptr);
    _interactor->setBaseAddress(_address("translate.html"));
}

void TestWebInteractor::cleanup()
{
    _interactor.reset();
    _silent.reset();
}

QString TestWebInteractor::_address(const QString& page) const
{
    if (page == QLatin1String("silent"))
        return QStringLiteral("http://127.0.0.1:%1/silent").arg(_silent->serverPort());
    return QUrl::fromLocalFile(_pages.filePath(page)).toString();
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

void TestWebInteractor::_startSilent(const std::vector<QString>& texts)
{
    _interactor->setBaseAddress(_address("silent"));
    _interactor->translateStrings(&texts, QStringLiteral("fr"));
    QTRY_VERIFY(_silent->hasPendingConnections());
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
    QTest::newRow("empty result box") << "empty.html" << 0;
    QTest::newRow("no result box") << "nobox.html" << 0;
    QTest::newRow("page opening dialogs") << "dialogs.html" << 0;
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
        _interactor->setBaseAddress(_address(path));
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
    // No dialog of the unseen page ever waits for an answer.
    QCOMPARE(capture.count(QStringLiteral("Page alert ignored: Hello")),
             path == "dialogs.html" ? 2 * WebInteractor::MaxAttempts : 0);
}

void TestWebInteractor::runOverItsOwnResults()
{
    _interactor->translateStrings(&_interactor->results, QStringLiteral("en"));
    const std::vector<QString> texts = {QStringLiteral("Open"), QStringLiteral("Salt")};
    QVERIFY(_run(texts, QStringLiteral("fr")));
    QSignalSpy finished(_interactor.get(), &WebInteractor::translationFinished);
    _interactor->translateStrings(&_interactor->results, QStringLiteral("fr"));
    QVERIFY(finished.wait(RunTimeout));
    QCOMPARE(_interactor->results, list({"Ouvrir (fr)", "Sel (fr)"}));
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
    _startSilent(first);
    _interactor->setBaseAddress(_address("translate.html"));
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
    _startSilent(texts);
    _interactor.reset();
    QTest::qWait(100);
    QCOMPARE(finished.count(), 0);
}

void TestWebInteractor::testExtractionLogsReply()
{
    MessageCapture capture;
    QNetworkReply* reply =
        _interactor->manager.get(QNetworkRequest(QUrl(_address("text.txt"))));
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
