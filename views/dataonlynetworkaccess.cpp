#include "views/dataonlynetworkaccess.h"

#include <QNetworkRequest>

DataOnlyNetworkAccess::DataOnlyNetworkAccess(QObject* parent) : QNetworkAccessManager(parent) {}

QNetworkReply* DataOnlyNetworkAccess::createRequest(Operation operation,
                                                    const QNetworkRequest& request,
                                                    QIODevice* outgoingData)
{
    if (request.url().scheme() == QLatin1String("data"))
        return QNetworkAccessManager::createRequest(operation, request, outgoingData);
    // A request without an address gets the base class's "unknown protocol"
    // error reply, which opens no connection and no file.
    return QNetworkAccessManager::createRequest(GetOperation, QNetworkRequest(), nullptr);
}
