#include "views/printwebview.h"
#include "viewtesting.h"

#include <QFile>
#include <QRegularExpression>
#include <QWebView>
#include <QtTest>

namespace {

// A 2 x 2 PNG picture, as the recipe page embeds photos.
const char* const PhotoElement =
    "<img src=\"data:image/png;base64,iVBORw0KGgoAAAANSUhEUgAAAAIAAAACCAIAAAD91JpzAAAAFklE"
    "QVR4nGP8z8DAwMDAxMDAwMDAAAANHQEDasKb6QAAAABJRU5ErkJggg==\"/>";

void showPage(QWebView& view, const QString& html)
{
    QSignalSpy loaded(&view, &QWebView::loadFinished);
    view.setHtml(html, QUrl());
    QVERIFY(waitForLoad(loaded));
}

} // namespace

class TestPrintWebView : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }

    void printsPageTextToPdf_data();
    void printsPageTextToPdf();
    void printsEmbeddedPhoto();
    void nothingPrinted_data();
    void nothingPrinted();
    void noViewIsReported();
};

void TestPrintWebView::printsPageTextToPdf_data()
{
    QTest::addColumn<QString>("html");
    QTest::addColumn<QStringList>("expected");
    QTest::addColumn<QString>("documentName"); // as the queue and the file name offered show it

    QTest::newRow("plain") << "<h1>Pancakes</h1><p>Flour, milk and eggs.</p>"
                           << QStringList{"Pancakes", "Flour, milk and eggs."}
                           << QCoreApplication::applicationName();
    QTest::newRow("Russian") << "<h1>Борщ</h1><p>Свёкла: 0.25 кг</p>"
                             << QStringList{"Борщ", "Свёкла: 0.25 кг"}
                             << QCoreApplication::applicationName();
    QTest::newRow("titled, French and German")
        << "<html><head><title>Sunday dinner</title></head>"
           "<body><b>Crème brûlée</b><ul><li>Käse: 2 Stück</li></ul></body></html>"
        << QStringList{"Crème brûlée", "Käse: 2 Stück"} << "Sunday dinner";
    QTest::newRow("long page")
        << "<p>First line</p>" + QString("<p>filler</p>").repeated(200) + "<p>Last line</p>"
        << QStringList{"First line", "Last line"} << QCoreApplication::applicationName();
}

void TestPrintWebView::printsPageTextToPdf()
{
    if (toolMissing("pdftotext"))
        QSKIP("pdftotext is not installed");
    QFETCH(QString, html);
    QFETCH(QStringList, expected);
    QFETCH(QString, documentName);
    ScratchDir scratch(false);
    const QString pdf = scratch.filePath("page.pdf");
    QWebView view;
    showPage(view, html);

    PrintVisit visit;
    answerPrintDialog(pdf, &visit);
    QVERIFY(printWebView(&view));
    QVERIFY(visit.seen);
    QCOMPARE(visit.documentName, documentName);
    QVERIFY(visit.messageBoxText.isEmpty());
    QVERIFY(QFile::exists(pdf));
    const QString text = pdfText(pdf);
    for (const QString& piece : expected)
        QVERIFY2(text.contains(piece), qPrintable(piece + " not in: " + text.left(300)));
}

void TestPrintWebView::printsEmbeddedPhoto()
{
    if (toolMissing("pdfimages"))
        QSKIP("pdfimages is not installed");
    ScratchDir scratch(false);
    const QString pdf = scratch.filePath("photo.pdf");
    // A picture on the disk that the page names is not read, however it is named.
    const QString local = scratch.filePath("local.png");
    QImage picture(60, 90, QImage::Format_RGB32);
    picture.fill(Qt::red);
    QVERIFY(picture.save(local));
    QWebView view;
    showPage(view, QString("<h1>Pizza</h1>") + PhotoElement + "<img src=\"" + local
                       + "\"><img src=\"file://" + local + "\">");
    PrintVisit visit;
    answerPrintDialog(pdf, &visit);
    QVERIFY(printWebView(&view));
    // The listing has two heading lines, then one line per picture.
    const QStringList lines = toolOutput("pdfimages", {"-list", pdf}).split('\n', Qt::SkipEmptyParts);
    QCOMPARE(lines.filter(QRegularExpression("\\s2\\s+2\\s")).size(), 1);
    QCOMPARE(lines.filter(QRegularExpression("\\s60\\s+90\\s")).size(), 0);
}

void TestPrintWebView::nothingPrinted_data()
{
    QTest::addColumn<int>("answer");
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("message"); // shown to the user, and logged, on failure
    QTest::newRow("cancelled") << int(PrintAnswer::Cancel) << "cancelled.pdf" << QString();
    QTest::newRow("folder missing") << int(PrintAnswer::AcceptUnchecked) << "missing/page.pdf"
                                    << "The page could not be printed.";
}

void TestPrintWebView::nothingPrinted()
{
    QFETCH(int, answer);
    QFETCH(QString, file);
    QFETCH(QString, message);
    ScratchDir scratch(false);
    const QString pdf = scratch.filePath(file);
    QWebView view;
    showPage(view, "<p>Not printed</p>");

    MessageCapture messages;
    if (!message.isEmpty())
        QTest::ignoreMessage(QtWarningMsg, "QPainter::begin(): Returned false");
    PrintVisit visit;
    answerPrintDialog(pdf, &visit, PrintAnswer(answer));
    QVERIFY(!printWebView(&view));
    QVERIFY(visit.seen);
    QCOMPARE(visit.messageBoxText, message);
    QCOMPARE(messages.diagnostics("Cannot print page"), message.isEmpty() ? 0 : 1);
    QVERIFY(!QFile::exists(pdf));
    QVERIFY(QDir(scratch.path()).entryList(QDir::Files).isEmpty());
}

void TestPrintWebView::noViewIsReported()
{
    MessageCapture messages;
    PrintVisit visit;
    answerPrintDialog(QString(), &visit, PrintAnswer::Cancel);
    QVERIFY(!printWebView(nullptr));
    QCOMPARE(messages.diagnostics("No web view to print"), 1);
    QCoreApplication::processEvents(); // lets the unused answerer run
    QVERIFY(!visit.seen);
}

QTEST_MAIN(TestPrintWebView)
#include "tst_printwebview.moc"
