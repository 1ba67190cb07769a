// The web translation component, against pages given as data addresses.
#include "lang/webinteractor.h"
#include "support/testsupport.h"

#include <QSignalSpy>
#include <QTcpServer>
#include <QWebFrame>
#include <QtTest>

#include <memory>

namespace {

// Reads "#en/<language>/<text>" from its address and translates the text as what follows its
// last "|", in small letters, with " (<language>)" added, in two pieces the reader must join.
const char TranslatePage[] = R"page(<div id="result_box"></div><script>
var parts = decodeURIComponent(location.hash.substring(1)).split("/");
var text = parts.slice(2).join("/").split("|").pop().toLowerCase() + " (" + parts[1] + ")";
[text.substring(0, 3), text.substring(3)].forEach(function (piece) {
  var span = document.createElement("span");
  span.textContent = piece;
  document.getElementById("result_box").appendChild(span);
});</script>)page";
// Its result box stays empty while it asks the user through dialogs.
const char DialogsPage[] = "<div id=\"result_box\"></div><script>alert('Hello');"
                           "confirm('Sure?');prompt('Name?');</script>";

using Texts = std::vector<QString>;

} // namespace

class TestWebInteractor : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QVERIFY(_silent.listen(QHostAddress::LocalHost)); }
    void init()
    {
        _interactor = std::make_unique<WebInteractor>(nullptr);
        _interactor->setBaseAddress(_address("translate"));
    }

    void run_data();
    void run();
    void runsFollowOneAnother();

private:
    // "silent" is a server that takes the request and never answers.
    QString _address(const QString& page) const
    {
        if (page == "silent")
            return QStringLiteral("http://127.0.0.1:%1/silent").arg(_silent.serverPort());
        return "data:text/html;charset=utf-8," +
               QUrl::toPercentEncoding(page == "dialogs" ? DialogsPage : TranslatePage);
    }
    // Runs to the end; false unless translationFinished() comes once.
    bool _run(const Texts& texts, const QString& language = "fr", bool noList = false)
    {
        QSignalSpy finished(_interactor.get(), &WebInteractor::translationFinished);
        _interactor->translateStrings(noList ? nullptr : &texts, language);
        if (finished.isEmpty() && !finished.wait(20000))
            return false;
        QTest::qWait(50); // a second emission would show here
        return finished.count() == 1 && !_interactor->isRunning();
    }

    QTcpServer _silent;
    std::unique_ptr<WebInteractor> _interactor;
};

void TestWebInteractor::run_data()
{
    QTest::addColumn<QString>("page");
    QTest::addColumn<QStringList>("texts"); // {"-"}: no list at all
    QTest::addColumn<QString>("language");
    QTest::addColumn<QStringList>("expected");
    QTest::addColumn<QStringList>("log"); // "<count> <text>": how many diagnostics hold the text
    const QString repeats = QStringLiteral(" No translation. Repeating call");
    const QStringList none, texts = {"Open", "Close"};
    QTest::newRow("English needs no page") << "translate" << QStringList{"Open", "Save"} << "en"
                                           << QStringList{"Open", "Save"} << none;
    QTest::newRow("empty list") << "translate" << none << "fr" << none << none;
    QTest::newRow("no list") << "translate" << QStringList{"-"} << "fr" << none << none;
    QTest::newRow("in order, capitals as in English, % encoded")
        << "translate" << QStringList{"Open", "open", "Öl", "3 eggs|trois œufs", "50%41 #1"} << "ru"
        << QStringList{"Open (ru)", "open (ru)", "Öl (ru)", "trois œufs (ru)", "50%41 #1 (ru)"}
        << QStringList{"0" + repeats};
    QTest::newRow("two equal in a row")
        << "translate" << QStringList{"Close|fermer", "Shut|fermer", "Open"} << "fr"
        << QStringList{"Fermer (fr)", "Fermer (fr)", "Open (fr)"}
        << QStringList{QString::number(WebInteractor::MaxAttempts - 1) + repeats,
                       "1 Same translation after"};
    // A page that does not answer: each text is asked for a bounded number of times.
    const QString attempts = QString::number(2 * WebInteractor::MaxAttempts) + ' ';
    const QStringList kept = {QString::number(2 * WebInteractor::MaxAttempts - 2) + repeats,
                              "1 keeping Open", "1 keeping Close"};
    QTest::newRow("page opening dialogs")
        << "dialogs" << texts << "fr" << texts
        << kept + QStringList{attempts + "Page alert ignored: Hello",
                              attempts + "Page question refused: Sure?",
                              attempts + "Page prompt refused: Name?", "0 Page did not answer"};
    QTest::newRow("silent page") << "silent" << texts << "fr" << texts
                                 << kept + QStringList{attempts + "Page did not answer in time"};
}

void TestWebInteractor::run()
{
    QFETCH(QString, page);
    QFETCH(QStringList, texts);
    QFETCH(QString, language);
    QFETCH(QStringList, expected);
    QFETCH(QStringList, log);
    _interactor->setBaseAddress(_address(page));
    _interactor->setLoadTimeout(page == "silent" ? 50 : 10000);
    const bool noList = texts == QStringList{"-"};
    MessageCapture capture;
    QVERIFY(_run(noList ? Texts() : Texts(texts.begin(), texts.end()), language, noList));
    QCOMPARE(_interactor->frame->url().isEmpty(), language == "en" || noList || texts.isEmpty());
    QCOMPARE(_interactor->results, Texts(expected.begin(), expected.end()));
    QCOMPARE(_interactor->unanswered,
             page == "translate" ? std::vector<unsigned>() : std::vector<unsigned>({0, 1}));
    for (const QString& entry : log)
        QVERIFY2(capture.count(entry.section(' ', 1)) == entry.section(' ', 0, 0).toInt(),
                 qPrintable(entry));
}

// Each run loads afresh, keeps its input even when it is the component's own results, drops
// a running run; the component may go while it runs.
void TestWebInteractor::runsFollowOneAnother()
{
    QVERIFY(_run({"Open"}));
    QVERIFY(_run({"Salt"}));
    QCOMPARE(_interactor->results, Texts{"Salt (fr)"});
    QVERIFY(_run(_interactor->results));
    QCOMPARE(_interactor->results, Texts{"Salt (fr) (fr)"});
    const Texts texts = {"Open", "Close"};
    _interactor->setBaseAddress(_address("silent"));
    _interactor->translateStrings(&texts, "fr");
    QTest::qWait(50);
    _interactor->setBaseAddress(_address("translate"));
    QVERIFY(_run({"Salt"}));
    QCOMPARE(_interactor->results, Texts{"Salt (fr)"});

    _interactor->setBaseAddress(_address("silent"));
    QSignalSpy finished(_interactor.get(), &WebInteractor::translationFinished);
    _interactor->translateStrings(&texts, "fr");
    QTest::qWait(50);
    _interactor.reset();
    QTest::qWait(50);
    QCOMPARE(finished.count(), 0);
    QVERIFY(_silent.hasPendingConnections());
}

QTEST_MAIN(TestWebInteractor)
#include "tst_webinteractor.moc"
