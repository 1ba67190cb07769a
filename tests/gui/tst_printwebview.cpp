#include "views/printwebview.h"
#include "support/testsupport.h"

#include <QApplication>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFile>
#include <QLineEdit>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPrinter>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTimer>
#include <QWebView>
#include <QtTest>

namespace {

// A 2 x 2 PNG picture, as the recipe page embeds photos.
const char* const PhotoElement =
    "<img src=\"data:image/png;base64,iVBORw0KGgoAAAANSUhEUgAAAAIAAAACCAIAAAD91JpzAAAAFklE"
    "QVR4nGP8z8DAwMDAxMDAwMDAAAANHQEDasKb6QAAAABJRU5ErkJggg==\"/>";

enum class Answer { Print, AcceptUnchecked, Cancel };

// What the print dialog's answerer saw.
struct DialogVisit
{
    bool seen = false;
    bool printToFileOffered = false;
    QString documentName;
    QString messageBoxText;
};

QString runTool(const QString& tool, const QStringList& arguments)
{
    QProcess process;
    process.start(tool, arguments);
    if (!process.waitForFinished(30000))
        return QString();
    return QString::fromUtf8(process.readAllStandardOutput());
}

bool toolMissing(const QString& tool)
{
    return QStandardPaths::findExecutable(tool).isEmpty();
}

// Answers a message box that may follow the print dialog, remembering its text.
void answerMessageBoxLater(DialogVisit* visit)
{
    QTimer::singleShot(0, [visit] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            visit->messageBoxText = box->text();
            box->accept();
        }
    });
}

// Chooses "print to PDF file" in the print dialog that is about to open, as a user
// does: picks the file entry, types the file name and presses the print button.
void answerPrintDialog(Answer answer, const QString& pdfPath, DialogVisit* visit)
{
    QTimer::singleShot(0, [=] {
        auto* dialog = qobject_cast<QPrintDialog*>(QApplication::activeModalWidget());
        if (!dialog)
            return;
        visit->seen = true;
        visit->documentName = dialog->printer()->docName();
        auto* printers = dialog->findChild<QComboBox*>(QStringLiteral("printers"));
        auto* fileName = dialog->findChild<QLineEdit*>(QStringLiteral("filename"));
        auto* buttons = dialog->findChild<QDialogButtonBox*>();
        const int fileEntry = printers ? printers->count() - 1 : -1;
        visit->printToFileOffered = fileEntry >= 0 && fileName && buttons
            && printers->itemText(fileEntry).contains(QStringLiteral("PDF"));
        if (answer == Answer::Cancel || !visit->printToFileOffered) {
            QTest::mouseClick(buttons->button(QDialogButtonBox::Cancel), Qt::LeftButton);
            return;
        }
        printers->setCurrentIndex(fileEntry);
        fileName->clear();
        QTest::keyClicks(fileName, pdfPath);
        answerMessageBoxLater(visit);
        if (answer == Answer::Print)
            QTest::mouseClick(buttons->button(QDialogButtonBox::Ok), Qt::LeftButton);
        else
            dialog->accept(); // skips the dialog's own check of the file name
    });
}

void showPage(QWebView& view, const QString& html)
{
    QSignalSpy loaded(&view, &QWebView::loadFinished);
    view.setHtml(html, QUrl());
    QVERIFY(loaded.count() > 0 || loaded.wait(10000));
}

} // namespace

class TestPrintWebView : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();

    void printsPageTextToPdf_data();
    void printsPageTextToPdf();
    void printsEmbeddedPhoto();
    void documentName_data();
    void documentName();
    void cancelPrintsNothing();
    void failedPrintIsReported();
    void noViewIsReported();
};

void TestPrintWebView::initTestCase()
{
    QStandardPaths::setTestModeEnabled(true);
}

void TestPrintWebView::printsPageTextToPdf_data()
{
    QTest::addColumn<QString>("html");
    QTest::addColumn<QStringList>("expected");

    QTest::newRow("plain") << "<h1>Pancakes</h1><p>Flour, milk and eggs.</p>"
                           << QStringList{"Pancakes", "Flour, milk and eggs."};
    QTest::newRow("russian") << QString::fromUtf8("<h1>Борщ</h1><p>Свёкла: 0.25 кг</p>")
                             << QStringList{QString::fromUtf8("Борщ"),
                                            QString::fromUtf8("Свёкла: 0.25 кг")};
    QTest::newRow("french and german")
        << QString::fromUtf8("<b>Crème brûlée</b><ul><li>Käse: 2 Stück</li></ul>")
        << QStringList{QString::fromUtf8("Crème brûlée"), QString::fromUtf8("Käse: 2 Stück")};
    QTest::newRow("long page")
        << QString("<p>First line</p>") + QString("<p>filler</p>").repeated(200)
               + QString("<p>Last line</p>")
        << QStringList{"First line", "Last line"};
}

void TestPrintWebView::printsPageTextToPdf()
{
    if (toolMissing("pdftotext"))
        QSKIP("pdftotext is not installed");
    QFETCH(QString, html);
    QFETCH(QStringList, expected);

    ScratchDir scratch(false);
    const QString pdf = scratch.filePath("page.pdf");
    QWebView view;
    showPage(view, html);

    DialogVisit visit;
    answerPrintDialog(Answer::Print, pdf, &visit);
    QVERIFY(printWebView(&view));
    QVERIFY(visit.seen);
    QVERIFY(visit.printToFileOffered);
    QVERIFY(visit.messageBoxText.isEmpty());
    QVERIFY(QFile::exists(pdf));

    const QString text = runTool("pdftotext", {"-enc", "UTF-8", pdf, "-"});
    for (const QString& piece : expected)
        QVERIFY2(text.contains(piece), qPrintable(piece + " not in: " + text.left(300)));
}

void TestPrintWebView::printsEmbeddedPhoto()
{
    if (toolMissing("pdfimages"))
        QSKIP("pdfimages is not installed");
    ScratchDir scratch(false);
    const QString pdf = scratch.filePath("photo.pdf");
    QWebView view;
    showPage(view, QString("<h1>Pizza</h1>") + PhotoElement);

    DialogVisit visit;
    answerPrintDialog(Answer::Print, pdf, &visit);
    QVERIFY(printWebView(&view));

    // The listing has two heading lines, then one line per picture.
    const QStringList lines = runTool("pdfimages", {"-list", pdf}).split('\n', Qt::SkipEmptyParts);
    QCOMPARE(lines.size(), 3);
    QVERIFY(lines.last().contains(QRegularExpression("\\s2\\s+2\\s")));
}

void TestPrintWebView::documentName_data()
{
    QTest::addColumn<QString>("html");
    QTest::addColumn<QString>("expected");

    QTest::newRow("page title")
        << "<html><head><title>Sunday dinner</title></head><body>Soup</body></html>"
        << "Sunday dinner";
    QTest::newRow("untitled page") << "<p>Soup</p>" << QCoreApplication::applicationName();
}

// The print queue, and the file name the dialog suggests, carry the page's name.
void TestPrintWebView::documentName()
{
    QFETCH(QString, html);
    QFETCH(QString, expected);
    QWebView view;
    showPage(view, html);

    DialogVisit visit;
    answerPrintDialog(Answer::Cancel, QString(), &visit);
    printWebView(&view);
    QVERIFY(visit.seen);
    QCOMPARE(visit.documentName, expected);
}

void TestPrintWebView::cancelPrintsNothing()
{
    ScratchDir scratch(false);
    const QString pdf = scratch.filePath("cancelled.pdf");
    QWebView view;
    showPage(view, "<p>Not printed</p>");

    MessageCapture messages;
    DialogVisit visit;
    answerPrintDialog(Answer::Cancel, pdf, &visit);
    QVERIFY(!printWebView(&view));
    QVERIFY(visit.seen);
    QVERIFY(!QFile::exists(pdf));
    QVERIFY(QDir(scratch.path()).entryList(QDir::Files).isEmpty());
    QCOMPARE(messages.diagnostics("Cannot print page"), 0);
}

void TestPrintWebView::failedPrintIsReported()
{
    ScratchDir scratch(false);
    const QString pdf = scratch.filePath("missing-folder/page.pdf");
    QWebView view;
    showPage(view, "<p>Nowhere to go</p>");

    MessageCapture messages;
    QTest::ignoreMessage(QtWarningMsg, "QPainter::begin(): Returned false");
    DialogVisit visit;
    answerPrintDialog(Answer::AcceptUnchecked, pdf, &visit);
    QVERIFY(!printWebView(&view));
    QVERIFY(visit.seen);
    QCOMPARE(visit.messageBoxText, QString("The page could not be printed."));
    QCOMPARE(messages.diagnostics("Cannot print page"), 1);
    QVERIFY(!QFile::exists(pdf));
}

void TestPrintWebView::noViewIsReported()
{
    MessageCapture messages;
    DialogVisit visit;
    answerPrintDialog(Answer::Cancel, QString(), &visit);
    QVERIFY(!printWebView(nullptr));
    QCOMPARE(messages.diagnostics("No web view to print"), 1);
    QCoreApplication::processEvents(); // lets the unused answerer run
    QVERIFY(!visit.seen);
}

QTEST_MAIN(TestPrintWebView)
#include "tst_printwebview.moc"
