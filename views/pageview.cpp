#include "views/pageview.h"

#include <QWebPage>
#include <QWebSettings>
#include <QWebView>

QWebView* createPageView()
{
    auto* view = new QWebView;
    QWebSettings* settings = view->settings();
    settings->setAttribute(QWebSettings::JavascriptEnabled, false);
    settings->setAttribute(QWebSettings::PluginsEnabled, false);
    settings->setAttribute(QWebSettings::JavaEnabled, false);
    settings->setAttribute(QWebSettings::JavascriptCanOpenWindows, false);
    // Links are handed to linkClicked(), which nobody follows.
    view->page()->setLinkDelegationPolicy(QWebPage::DelegateAllLinks);
    return view;
}
