#pragma once

// Helpers shared by the suites of the web views: the sample book on a
// scratch directory, driving a list, comparing built pages piece by piece,
// and printing a page to a PDF file through the print dialog as a user does.

#include "data/document.h"
#include "editing/editabledatalist.h"
#include "editing/editablesubtable.h"
#include "lang/langmodel.h"
#include "support/testsupport.h"

#include <QApplication>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPrinter>
#include <QProcess>
#include <QPushButton>
#include <QSettings>
#include <QSignalSpy>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QStandardPaths>
#include <QTableWidget>
#include <QTest>
#include <QTimer>
#include <QWebElement>
#include <QWebFrame>
#include <QWebView>

#include <memory>

inline void useTemporarySettings(const QString& folder)
{
    QStandardPaths::setTestModeEnabled(true);
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, folder);
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, folder);
}

// The sample book in a scratch directory, with empty settings.
struct SampleBook
{
    SampleBook()
    {
        QSettings().clear();
        ready = document.setDataStructure();
        document.fillSampleBook();
    }

    ScratchDir dir;
    struct Connection
    {
        ~Connection() { QSqlDatabase::removeDatabase(QSqlDatabase::defaultConnection); }
    } connection; // dropped once the document is gone
    Document document;
    bool ready = false;
};

// A list of the sample book shown in a window; the language goes back to
// English when it ends.
template <class List>
struct ListWindow
{
    ~ListWindow() { setAppLangModel(nullptr); }

    List* show(List* shown)
    {
        window.reset();
        list.reset(shown);
        window.reset(new QWidget);
        window->setLayout(list->layout);
        window->resize(1100, 900);
        window->show();
        list->synchronize();
        return shown;
    }

    SampleBook book;
    std::unique_ptr<List> list;
    std::unique_ptr<QWidget> window;
};

inline void renameRow(const QString& table, int id, const QString& name)
{
    QSqlQuery rename;
    rename.prepare("UPDATE " + table + " SET name=:name WHERE id=:id");
    rename.bindValue(":name", name);
    rename.bindValue(":id", id);
    QVERIFY(rename.exec());
}

// A name holding HTML is escaped in the built page and shown as text; none of
// its elements or scripts reach the shown page.
inline void verifyShownAsText(const QString& name, const QString& built, QWebView* view,
                              int pictures)
{
    QVERIFY(built.contains(name.toHtmlEscaped()));
    QVERIFY(!built.contains(name));
    QWebFrame* frame = view->page()->mainFrame();
    QVERIFY(frame->toPlainText().contains(name));
    QCOMPARE(frame->findAllElements("img").count(), pictures);
    QCOMPARE(frame->findAllElements("script, li b, td b, td i, th b").count(), 0);
    QVERIFY(view->title().isEmpty());
}

// Deletes every item of the list with its delete button, answering Yes each time.
inline void deleteEveryItem(EditableDataList* list)
{
    QTimer yes;
    QObject::connect(&yes, &QTimer::timeout, [] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget()))
            box->button(QMessageBox::Yes)->click();
    });
    yes.start(10);
    QPushButton* remove = list->list->parentWidget()->findChild<QPushButton*>("d");
    for (int left = list->list->count(); left > 0; --left)
        QTest::mouseClick(remove, Qt::LeftButton);
}

inline QListWidgetItem* findItem(QListWidget* list, const QString& text)
{
    const auto found = list->findItems(text, Qt::MatchExactly);
    return found.isEmpty() ? nullptr : found.first();
}

inline void clickItem(QListWidget* list, QListWidgetItem* item)
{
    QVERIFY(item);
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(item).center());
}

inline QPushButton* buttonWithText(QWidget* window, const QString& text)
{
    for (QPushButton* button : window->findChildren<QPushButton*>())
        if (button->text() == text)
            return button;
    return nullptr;
}

// Waits for a load, then gives the page time for anything it might still run.
inline bool waitForLoad(QSignalSpy& loaded)
{
    const bool done = loaded.count() > 0 || loaded.wait(10000);
    QTest::qWait(50);
    return done;
}

// Compares a page with its expected pieces one by one, so that a failure
// names the piece that differs.
inline void comparePieces(const QString& page, const QStringList& pieces)
{
    int position = 0;
    for (const QString& piece : pieces) {
        QCOMPARE(page.mid(position, piece.size()), piece);
        position += piece.size();
    }
    QCOMPARE(position, page.size());
}

enum class PrintAnswer { Print, AcceptUnchecked, Cancel };

// What the answerer of the print dialog saw.
struct PrintVisit
{
    bool seen = false;
    QString documentName;
    QString messageBoxText;
};

// Answers the print dialog about to open: picks its PDF file entry, types
// the file name and presses Print (or accepts without the dialog's own check
// of the name, or presses Cancel); then answers a message box that follows.
inline void answerPrintDialog(const QString& pdfPath, PrintVisit* visit,
                              PrintAnswer answer = PrintAnswer::Print)
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
        if (!printers || !fileName || !buttons) {
            dialog->reject();
            return;
        }
        if (answer == PrintAnswer::Cancel) {
            QTest::mouseClick(buttons->button(QDialogButtonBox::Cancel), Qt::LeftButton);
            return;
        }
        printers->setCurrentIndex(printers->count() - 1);
        fileName->clear();
        QTest::keyClicks(fileName, pdfPath);
        QTimer::singleShot(0, [visit] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                visit->messageBoxText = box->text();
                box->accept();
            }
        });
        if (answer == PrintAnswer::Print)
            QTest::mouseClick(buttons->button(QDialogButtonBox::Ok), Qt::LeftButton);
        else
            dialog->accept();
    });
}

inline bool toolMissing(const QString& tool)
{
    return QStandardPaths::findExecutable(tool).isEmpty();
}

inline QString toolOutput(const QString& tool, const QStringList& arguments)
{
    QProcess process;
    process.start(tool, arguments);
    if (!process.waitForFinished(30000))
        return QString();
    return QString::fromUtf8(process.readAllStandardOutput());
}

// The text of a PDF file, words separated as pdftotext lays them out.
inline QString pdfText(const QString& pdfPath)
{
    return toolOutput(QStringLiteral("pdftotext"),
                      {QStringLiteral("-enc"), QStringLiteral("UTF-8"), pdfPath, QStringLiteral("-")});
}
