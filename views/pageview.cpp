#include "views/pageview.h"

#include "views/selfcontainedpage.h"

#include <QWebSettings>
#include <QWebView>

QWebView* createPageView()
{
    auto* view = new QWebView;
    view->setPage(new SelfContainedPage(view));
    QWebSettings* settings = view->settings();
    settings->setAttribute(QWebSettings::JavascriptEnabled, false);
    settings->setAttribute(QWebSettings::PluginsEnabled, false);
    settings->setAttribute(QWebSettings::JavaEnabled, false);
    settings->setAttribute(QWebSettings::JavascriptCanOpenWindows, false);
    // Nothing of the page may reach the network, not even a name look-up.
    settings->setAttribute(QWebSettings::DnsPrefetchEnabled, false);
    settings->setAttribute(QWebSettings::HyperlinkAuditingEnabled, false);
    settings->setAttribute(QWebSettings::MediaEnabled, false);
    // Links are handed to linkClicked(), which nobody follows.
    view->page()->setLinkDelegationPolicy(QWebPage::DelegateAllLinks);
    return view;
}
