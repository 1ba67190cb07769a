// Printing a web page through the print dialog to a PDF file, read back with
// poppler's tools: the one end-to-end check of printing the recipe page and
// the plan report.
#include "views/printwebview.h"
#include "support/guisupport.h"

#include <QFile>
#include <QRegularExpression>
#include <QWebView>
#include <QtTest>

class TestPrintWebView : public QObject
{
    Q_OBJECT

    void showPage(QWebView& view, const QString& html)
    {
        QSignalSpy loaded(&view, &QWebView::loadFinished);
        view.setHtml(html, QUrl());
        QVERIFY(waitForLoad(loaded));
    }

private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }

    void printsTextAndOwnPicturesToPdf()
    {
        if (toolMissing("pdftotext") || toolMissing("pdfimages"))
            QSKIP("poppler-utils are not installed");
        ScratchDir scratch(false);
        const QString pdf = scratch.filePath("page.pdf");
        // A picture on the disk that the page names is not read, however it is named.
        const QString local = scratch.filePath("local.png");
        QImage picture(60, 90, QImage::Format_RGB32);
        picture.fill(Qt::red);
        QVERIFY(picture.save(local));
        QWebView view;
        showPage(view, "<html><head><title>Sunday dinner</title></head><body><h1>Борщ</h1>"
                       "<p>Свёкла: 0.25 кг</p><b>Crème brûlée</b><ul><li>Käse: 2 Stück</li></ul>"
                       "<img src=\"data:image/png;base64,iVBORw0KGgoAAAANSUhEUgAAAAIAAAACCAIAAAD9"
                       "1JpzAAAAFklEQVR4nGP8z8DAwMDAxMDAwMDAAAANHQEDasKb6QAAAABJRU5ErkJggg==\"/>"
                       "<img src=\"" +
                           local + "\"><img src=\"file://" + local + "\">" +
                           QString("<p>filler</p>").repeated(200) +
                           "<p>Last line</p></body></html>");
        PrintVisit visit;
        answerPrintDialog(pdf, &visit);
        QVERIFY(printWebView(&view));
        QCOMPARE(visit.documentName, QString("Sunday dinner")); // as queues and file names show it
        QVERIFY(visit.messageBoxText.isEmpty());
        const QString text = pdfText(pdf);
        for (const QString piece : {"Борщ", "Свёкла: 0.25 кг", "Crème brûlée", "Käse: 2 Stück",
                                    "Last line"}) // the last on a later sheet
            QVERIFY2(text.contains(piece), qPrintable(piece + " not in: " + text.left(300)));
        // The listing has two heading lines, then one line per picture: the 2 x 2 one only.
        const QStringList lines = toolOutput("pdfimages", {"-list", pdf}).split('\n');
        QCOMPARE(lines.filter(QRegularExpression("\\s2\\s+2\\s")).size(), 1);
        QCOMPARE(lines.filter(QRegularExpression("\\s60\\s+90\\s")).size(), 0);
    }

    void nothingPrinted_data()
    {
        QTest::addColumn<int>("answer");
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("message"); // shown to the user, and logged, on failure
        QTest::newRow("cancelled") << int(PrintAnswer::Cancel) << "cancelled.pdf" << QString();
        QTest::newRow("folder missing") << int(PrintAnswer::AcceptUnchecked) << "missing/page.pdf"
                                        << "The page could not be printed.";
    }

    void nothingPrinted()
    {
        QFETCH(int, answer);
        QFETCH(QString, file);
        QFETCH(QString, message);
        ScratchDir scratch(false);
        QWebView view;
        showPage(view, "<p>Not printed</p>");
        MessageCapture messages;
        if (!message.isEmpty())
            QTest::ignoreMessage(QtWarningMsg, "QPainter::begin(): Returned false");
        PrintVisit visit;
        answerPrintDialog(scratch.filePath(file), &visit, PrintAnswer(answer));
        QVERIFY(!printWebView(&view));
        QCOMPARE(visit.documentName, QCoreApplication::applicationName()); // the page has no title
        QCOMPARE(visit.messageBoxText, message);
        QCOMPARE(messages.diagnostics("Cannot print page"), message.isEmpty() ? 0 : 1);
        QVERIFY(QDir(scratch.path()).entryList(QDir::Files).isEmpty());
    }

    void noViewIsReported()
    {
        MessageCapture messages;
        PrintVisit visit;
        answerPrintDialog(QString(), &visit, PrintAnswer::Cancel);
        QVERIFY(!printWebView(nullptr));
        QCOMPARE(messages.diagnostics("No web view to print"), 1);
        QCoreApplication::processEvents(); // lets the unused answerer run
        QVERIFY(!visit.seen);
    }
};

QTEST_MAIN(TestPrintWebView)
#include "tst_printwebview.moc"
