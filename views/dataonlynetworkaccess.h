#pragma once

#include <QNetworkAccessManager>

// The network access of the pages the program builds: they show only what a
// book holds, so a data: address (a picture embedded in the page) is
// answered and every other request, to the network or to a local file, is
// refused with an error before anything is opened.
class DataOnlyNetworkAccess : public QNetworkAccessManager
{
    Q_OBJECT

public:
    explicit DataOnlyNetworkAccess(QObject* parent = nullptr);

protected:
    QNetworkReply* createRequest(Operation operation, const QNetworkRequest& request,
                                 QIODevice* outgoingData) override;
};
