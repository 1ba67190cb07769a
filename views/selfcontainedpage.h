#pragma once

#include <QWebPage>

// A web page that stays on what it was given: it loads nothing but data:
// addresses (DataOnlyNetworkAccess) and never navigates away, whether a
// refresh, a form or a frame asks it to. A click on a link is handed to
// linkClicked(), as the link delegation policy says.
class SelfContainedPage : public QWebPage
{
    Q_OBJECT

public:
    explicit SelfContainedPage(QObject* parent = nullptr);

protected:
    bool acceptNavigationRequest(QWebFrame* frame, const QNetworkRequest& request,
                                 NavigationType type) override;
};
