#include "lang/quietwebpage.h"

#include "data/diagnostics.h"

QuietWebPage::QuietWebPage(QObject* parent) : QWebPage(parent) {}

bool QuietWebPage::shouldInterruptJavaScript()
{
    CULINOR_DIAG("webinteractor", "Page script stopped: it ran too long");
    return true;
}

void QuietWebPage::javaScriptAlert(QWebFrame*, const QString& message)
{
    CULINOR_DIAG("webinteractor", QStringLiteral("Page alert ignored: ") + message);
}

bool QuietWebPage::javaScriptConfirm(QWebFrame*, const QString& message)
{
    CULINOR_DIAG("webinteractor", QStringLiteral("Page question refused: ") + message);
    return false;
}

bool QuietWebPage::javaScriptPrompt(QWebFrame*, const QString& message, const QString&,
                                    QString*)
{
    CULINOR_DIAG("webinteractor", QStringLiteral("Page prompt refused: ") + message);
    return false;
}
