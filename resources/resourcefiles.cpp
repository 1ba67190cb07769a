#include "resources/resourcefiles.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

QStringList ResourceFiles::roots()
{
    QStringList found{QDir::currentPath()};
    // The executable's folder is known only once the application object exists.
    if (QCoreApplication::instance())
        found << QDir::cleanPath(QCoreApplication::applicationDirPath() + QLatin1Char('/')
                                 + QStringLiteral(CULINOR_DATA_FROM_PROGRAM));
    return found;
}

QString ResourceFiles::path(const QString& relativePath)
{
    const QStringList places = roots();
    for (const QString& root : places) {
        const QString candidate = QDir::cleanPath(root + QLatin1Char('/') + relativePath);
        if (QFileInfo::exists(candidate))
            return candidate;
    }
    return QDir::cleanPath(places.first() + QLatin1Char('/') + relativePath);
}

QString ResourceFiles::folderOf(const QString& relativePath)
{
    return QFileInfo(path(relativePath)).absolutePath() + QLatin1Char('/');
}
