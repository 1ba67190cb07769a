// Printing a page through the print dialog to a PDF file, read back with poppler's tools.
#include "images/pictures.h"
#include "views/printwebview.h"
#include "support/guisupport.h"

#include <QRegularExpression>
#include <QtTest>

class TestPrintWebView : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }

    void printing_data()
    {
        QTest::addColumn<int>("answer");
        QTest::addColumn<QString>("file"); // none: no view to print
        QTest::addColumn<QString>("diagnostic");
        QTest::newRow("printed") << int(PrintAnswer::Print) << "page.pdf" << QString();
        QTest::newRow("cancelled") << int(PrintAnswer::Cancel) << "page.pdf" << QString();
        QTest::newRow("folder missing") << int(PrintAnswer::AcceptUnchecked) << "missing/page.pdf"
                                        << "Cannot print page";
        QTest::newRow("no view") << int(PrintAnswer::Cancel) << ""
                                 << "No web view to print";
    }

    void printing()
    {
        QFETCH(int, answer);
        QFETCH(QString, file);
        QFETCH(QString, diagnostic);
        if (toolMissing("pdftotext") || toolMissing("pdfimages"))
            QSKIP("poppler-utils are not installed");
        ScratchDir scratch(false);
        // A picture on the disk that the page names is not read, however it is named.
        const QString local = scratch.filePath("local.png");
        QImage picture(60, 90, QImage::Format_RGB32);
        picture.fill(Qt::red);
        QVERIFY(picture.save(local));
        QWebView view;
        QSignalSpy loaded(&view, &QWebView::loadFinished);
        view.setHtml("<h1>Борщ</h1><p>Crème brûlée: 0.25 кг</p><ul><li>Käse</li></ul>" +
                         pictureToHtml(picture.scaled(2, 2)) + "<img src=\"" + local +
                         "\"><img src=\"file://" + local + "\">" +
                         QString("<p>filler</p>").repeated(200) + "<p>Last line</p>",
                     QUrl());
        QVERIFY(waitForLoad(loaded));
        MessageCapture messages;
        const bool failed = diagnostic == "Cannot print page";
        if (failed)
            QTest::ignoreMessage(QtWarningMsg, "QPainter::begin(): Returned false");
        PrintVisit visit;
        answerPrintDialog(scratch.filePath(file), &visit, PrintAnswer(answer));
        QCOMPARE(printWebView(file.isEmpty() ? nullptr : &view), answer == int(PrintAnswer::Print));
        // Print queues and file names show the program's name, as the page has no title.
        QCOMPARE(visit.documentName, file.isEmpty() ? "" : QCoreApplication::applicationName());
        QCOMPARE(visit.messageBoxText, failed ? "The page could not be printed." : "");
        QCOMPARE(messages.diagnostics(diagnostic), diagnostic.isEmpty() ? 0 : 1);
        const QString pdf = scratch.filePath("page.pdf");
        QCOMPARE(QFile::exists(pdf), answer == int(PrintAnswer::Print));
        if (!QFile::exists(pdf))
            return;
        const QString text = pdfText(pdf);
        for (const QString piece : {"Борщ", "Crème brûlée: 0.25 кг", "Käse", "Last line"})
            QVERIFY2(text.contains(piece), qPrintable(piece + " not in: " + text.left(300)));
        // The listing has two heading lines, then one line per picture: the 2 x 2 one only.
        const QStringList lines = toolOutput("pdfimages", {"-list", pdf}).split('\n');
        QCOMPARE(lines.filter(QRegularExpression("\\s2\\s+2\\s")).size(), 1);
        QCOMPARE(lines.filter(QRegularExpression("\\s60\\s+90\\s")).size(), 0);
    }
};

QTEST_MAIN(TestPrintWebView)
#include "tst_printwebview.moc"
