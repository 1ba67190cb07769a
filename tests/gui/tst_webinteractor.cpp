// The web translation component, against pages it loads from files and a
// server on 127.0.0.1 that never answers.
#include "lang/webinteractor.h"
#include "support/testsupport.h"

#include <QNetworkReply>
#include <QSignalSpy>
#include <QTcpServer>
#include <QWebFrame>
#include <QtTest>

#include <memory>

namespace {

// A translation page: it reads "#en/<language>/<text>" from its address and
// translates the text as what follows its last "|", in small letters, with
// " (<language>)" added. The result box gets it in two pieces, which the
// reader has to join.
const char TranslatePage[] = R"page(<div id="result_box"></div><script>
var parts = decodeURIComponent(location.hash.substring(1)).split("/");
var text = parts.slice(2).join("/").split("|").pop().toLowerCase() + " (" + parts[1] + ")";
[text.substring(0, 3), text.substring(3)].forEach(function (piece) {
  var span = document.createElement("span");
  span.textContent = piece;
  document.getElementById("result_box").appendChild(span);
});</script>)page";

// The pages, as data addresses: the translation page, one whose result box
// stays empty, one without the box, one that asks the user through dialogs,
// and plain text.
const std::map<QString, QByteArray> Pages = {
    {"translate.html", TranslatePage},
    {"empty.html", "<div id=\"result_box\"></div>"},
    {"nobox.html", "<p>Nothing to see</p>"},
    {"dialogs.html", "<div id=\"result_box\"></div><script>alert('Hello');confirm('Sure?');"
                     "prompt('Name?');</script>"},
    {"text.txt", "plain reply \xc3\xbc"}};

const int RunTimeout = 20000;
const QString Attempts = QString::number(2 * WebInteractor::MaxAttempts) + ' ';

std::vector<QString> list(const QStringList& texts)
{
    return std::vector<QString>(texts.begin(), texts.end());
}

} // namespace

class TestWebInteractor : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QVERIFY(_silent.listen(QHostAddress::LocalHost)); }
    void init();

    void run_data();
    void run();
    void runsFollowOneAnother();
    void testExtractionLogsReply();

private:
    // The address of a page; "silent" is a server that takes the request and
    // never answers, "closed" a port nobody listens on.
    QString _address(const QString& page) const;
    // Runs to the end; false when translationFinished() does not come, or
    // comes more than once.
    bool _run(const std::vector<QString>& texts, const QString& language = "fr");

    QTcpServer _silent;
    std::unique_ptr<WebInteractor> _interactor;
};

void TestWebInteractor::init()
{
    _interactor = std::make_unique<WebInteractor>(nullptr);
    _interactor->setBaseAddress(_address("translate.html"));
}

QString TestWebInteractor::_address(const QString& page) const
{
    QTcpServer closed;
    if (page == "closed" && closed.listen(QHostAddress::LocalHost))
        return QStringLiteral("http://127.0.0.1:%1/").arg(closed.serverPort());
    if (page == "silent")
        return QStringLiteral("http://127.0.0.1:%1/silent").arg(_silent.serverPort());
    return "data:text/html;charset=utf-8," + QUrl::toPercentEncoding(Pages.at(page));
}

bool TestWebInteractor::_run(const std::vector<QString>& texts, const QString& language)
{
    QSignalSpy finished(_interactor.get(), &WebInteractor::translationFinished);
    _interactor->translateStrings(&texts, language);
    if (finished.isEmpty() && !finished.wait(RunTimeout))
        return false;
    QTest::qWait(50); // a second emission would show here
    return finished.count() == 1 && !_interactor->isRunning();
}

void TestWebInteractor::run_data()
{
    QTest::addColumn<QString>("page");
    QTest::addColumn<QStringList>("texts"); // {"-"}: no list at all
    QTest::addColumn<QString>("language");
    QTest::addColumn<QStringList>("expected");
    QTest::addColumn<QStringList>("log"); // "<count> <text>": how many diagnostics hold the text
    const QString repeats = QStringLiteral(" No translation. Repeating call");
    QTest::newRow("English needs no page")
        << "translate.html" << QStringList{"Open", "Save"} << "en" << QStringList{"Open", "Save"}
        << QStringList{"0" + repeats};
    QTest::newRow("empty list") << "translate.html" << QStringList() << "fr" << QStringList()
                                << QStringList();
    QTest::newRow("no list") << "translate.html" << QStringList{"-"} << "fr" << QStringList()
                             << QStringList();
    QTest::newRow("in order, capitals as in English")
        << "translate.html" << QStringList{"Open", "open", "Öl", "«Quoted»", "3 eggs|trois œufs"}
        << "fr"
        << QStringList{"Open (fr)", "open (fr)", "Öl (fr)", "«quoted» (fr)", "trois œufs (fr)"}
        << QStringList{"0" + repeats};
    QTest::newRow("special characters")
        << "translate.html" << QStringList{"50%41 off #1 / A&B + ü?x=1", "Привет,\nмир"} << "ru"
        << QStringList{"50%41 off #1 / a&b + ü?x=1 (ru)", "Привет,\nмир (ru)"}
        << QStringList{"0" + repeats};
    QTest::newRow("two equal in a row")
        << "translate.html" << QStringList{"Close|fermer", "Shut|fermer", "Open"} << "fr"
        << QStringList{"Fermer (fr)", "Fermer (fr)", "Open (fr)"}
        << QStringList{QString::number(WebInteractor::MaxAttempts - 1) + repeats,
                       "1 Same translation after"};
    // Whatever keeps the page from answering, each text is asked for a
    // bounded number of times, and no dialog of the unseen page waits.
    const QStringList kept = {QString::number(2 * WebInteractor::MaxAttempts - 2) + repeats,
                              "1 keeping Open", "1 keeping Close"};
    const QString timeouts = QStringLiteral(" Page did not answer in time");
    const QStringList texts = {"Open", "Close"};
    QTest::newRow("empty result box")
        << "empty.html" << texts << "fr" << texts << kept + QStringList{"0" + timeouts};
    QTest::newRow("no result box") << "nobox.html" << texts << "fr" << texts << kept;
    QTest::newRow("page opening dialogs")
        << "dialogs.html" << texts << "fr" << texts
        << kept + QStringList{Attempts + "Page alert ignored: Hello",
                              Attempts + "Page question refused: Sure?",
                              Attempts + "Page prompt refused: Name?"};
    QTest::newRow("silent page") << "silent" << texts << "fr" << texts
                                 << kept + QStringList{Attempts + timeouts.mid(1)};
    QTest::newRow("refused connection")
        << "closed" << texts << "fr" << texts << kept + QStringList{"0" + timeouts};
}

void TestWebInteractor::run()
{
    QFETCH(QString, page);
    QFETCH(QStringList, texts);
    QFETCH(QString, language);
    QFETCH(QStringList, expected);
    QFETCH(QStringList, log);
    const bool answered = page == "translate.html"; // else every text is kept in English
    _interactor->setBaseAddress(_address(page));
    _interactor->setLoadTimeout(page == "silent" ? 50 : 10000);
    const bool noList = texts == QStringList{"-"};
    const bool atOnce = language == "en" || texts.isEmpty() || noList;
    const std::vector<QString> sources = list(texts);
    MessageCapture capture;
    QSignalSpy finished(_interactor.get(), &WebInteractor::translationFinished);
    _interactor->translateStrings(noList ? nullptr : &sources, language);
    QCOMPARE(finished.count(), atOnce ? 1 : 0);
    QVERIFY(atOnce || finished.wait(RunTimeout));
    QTest::qWait(50); // a second emission would show here
    QCOMPARE(finished.count(), 1);
    QVERIFY(!_interactor->isRunning());
    QVERIFY(!atOnce || _interactor->frame->url().isEmpty());

    QCOMPARE(_interactor->results, list(expected));
    std::vector<unsigned> unanswered;
    for (unsigned i = 0; !answered && i < sources.size(); ++i)
        unanswered.push_back(i);
    QCOMPARE(_interactor->unanswered, unanswered);
    for (int i = 0; answered && !atOnce && i < texts.size(); ++i)
        QCOMPARE(
            capture.count(QString(texts[i] + " translated as " + expected[i]).replace('\n', "\\n")),
            1);
    for (const QString& entry : log)
        QVERIFY2(capture.count(entry.section(' ', 1)) == entry.section(' ', 0, 0).toInt(),
                 qPrintable(entry));
    QCOMPARE(capture.count("webinteractor"), capture.messages().size());
}

// Each run starts afresh: not from the page the last run left, and not
// emptied when it runs over the component's own results. A new run drops a
// running one, and the component may go while it runs.
void TestWebInteractor::runsFollowOneAnother()
{
    QVERIFY(_run(list({"Open"})));
    QVERIFY(_run(list({"Salt"})));
    QCOMPARE(_interactor->results, list({"Salt (fr)"}));
    QVERIFY(_run(_interactor->results));
    QCOMPARE(_interactor->results, list({"Salt (fr) (fr)"}));

    _interactor->setBaseAddress(_address("silent"));
    const std::vector<QString> texts = list({"Open", "Close"});
    _interactor->translateStrings(&texts, "fr");
    QTest::qWait(50);
    QVERIFY(_interactor->isRunning());
    _interactor->setBaseAddress(_address("translate.html"));
    QVERIFY(_run(list({"Salt"})));
    QCOMPARE(_interactor->results, list({"Salt (fr)"}));

    _interactor->setBaseAddress(_address("silent"));
    QSignalSpy finished(_interactor.get(), &WebInteractor::translationFinished);
    _interactor->translateStrings(&texts, "fr");
    QTest::qWait(50);
    QVERIFY(_interactor->isRunning());
    _interactor.reset();
    QTest::qWait(50);
    QCOMPARE(finished.count(), 0);
    QVERIFY(_silent.hasPendingConnections());
}

// What a reply of the component's own network access brings is logged.
void TestWebInteractor::testExtractionLogsReply()
{
    MessageCapture capture;
    _interactor->manager.get(QNetworkRequest(QUrl(_address("text.txt"))));
    QTRY_COMPARE_WITH_TIMEOUT(capture.count(QStringLiteral("plain reply ü")), 1, RunTimeout);
}

QTEST_MAIN(TestWebInteractor)
#include "tst_webinteractor.moc"
