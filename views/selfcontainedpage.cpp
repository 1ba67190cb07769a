#include "views/selfcontainedpage.h"

#include "views/dataonlynetworkaccess.h"

SelfContainedPage::SelfContainedPage(QObject* parent) : QWebPage(parent)
{
    setNetworkAccessManager(new DataOnlyNetworkAccess(this));
}

bool SelfContainedPage::acceptNavigationRequest(QWebFrame* frame, const QNetworkRequest& request,
                                                NavigationType type)
{
    // The page's own content comes through setHtml(), which asks nothing here.
    if (type == NavigationTypeLinkClicked)
        QWebPage::acceptNavigationRequest(frame, request, type); // emits linkClicked()
    return false;
}
