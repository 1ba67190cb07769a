#include "views/printwebview.h"

#include "data/diagnostics.h"
#include "lang/langmodel.h"
#include "views/selfcontaineddocument.h"

#include <QCoreApplication>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPrinter>
#include <QWebFrame>
#include <QWebPage>
#include <QWebView>

namespace {

void reportPrintFailure()
{
    CULINOR_DIAG("mainwindow", "Cannot print page");
    QMessageBox::warning(nullptr, translate(QStringLiteral("Print page")),
                         translate(QStringLiteral("The page could not be printed.")));
}

} // namespace

bool printWebView(QWebView* view)
{
    if (!view) {
        CULINOR_DIAG("mainwindow", "No web view to print");
        return false;
    }
    QPrinter printer(QPrinter::HighResolution);
    // Print queues and the dialog's suggested PDF file name use the document name.
    const QString title = view->title();
    printer.setDocName(title.isEmpty() ? QCoreApplication::applicationName() : title);
    const QString html = view->page()->mainFrame()->toHtml();

    QPrintDialog dialog(&printer);
    if (dialog.exec() != QDialog::Accepted)
        return false;

    printer.setFullPage(true);
    SelfContainedDocument document;
    document.setHtml(html);
    document.print(&printer);
    if (printer.printerState() == QPrinter::Error) {
        reportPrintFailure();
        return false;
    }
    return true;
}
