#include "support/testsupport.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QVariant>

namespace {

QStringList captured;
QtMessageHandler previousHandler = nullptr;

void captureHandler(QtMsgType type, const QMessageLogContext& context, const QString& message)
{
    if (type == QtDebugMsg)
        captured << message;
    else if (previousHandler)
        previousHandler(type, context, message);
}

} // namespace

QStringList queryRows(const QString& sql)
{
    QStringList rows;
    QSqlQuery query(sql);
    while (query.next()) {
        QStringList columns;
        for (int c = 0; c < query.record().count(); ++c)
            columns << query.value(c).toString();
        rows << columns.join(QLatin1Char(' '));
    }
    return rows;
}

bool copySourceFolder(const QString& name, const QString& target)
{
    const QString source = QStringLiteral(CULINOR_SOURCE_DIR "/") + name;
    if (!QDir().mkpath(target + QLatin1Char('/') + name))
        return false;
    QDirIterator it(source, QDir::Files);
    while (it.hasNext()) {
        const QString file = it.next();
        if (!QFile::copy(file, target + QLatin1Char('/') + name + QLatin1Char('/')
                                   + QFileInfo(file).fileName()))
            return false;
    }
    return true;
}

ScratchDir::ScratchDir(bool withResources) : _previous(QDir::currentPath())
{
    if (withResources) {
        copySourceFolder(QStringLiteral("media"), _dir.path());
        copySourceFolder(QStringLiteral("languages"), _dir.path());
    }
    QDir::setCurrent(_dir.path());
}

ScratchDir::~ScratchDir()
{
    QDir::setCurrent(_previous);
}

QString ScratchDir::path() const
{
    return _dir.path();
}

QString ScratchDir::filePath(const QString& name) const
{
    return _dir.filePath(name);
}

MessageCapture::MessageCapture()
{
    captured.clear();
    previousHandler = qInstallMessageHandler(captureHandler);
}

MessageCapture::~MessageCapture()
{
    qInstallMessageHandler(previousHandler);
}

QStringList MessageCapture::messages() const
{
    return captured;
}

bool MessageCapture::contains(const QString& text) const
{
    return count(text) > 0;
}

int MessageCapture::count(const QString& text) const
{
    int n = 0;
    for (const QString& message : captured)
        n += message.contains(text) ? 1 : 0;
    return n;
}

int MessageCapture::diagnostics(const QString& message) const
{
    const QString quoted = QLatin1Char('"') + message + QLatin1Char('"');
    int n = 0;
    for (const QString& line : ::captured)
        n += line.endsWith(quoted) ? 1 : 0;
    return n;
}

void MessageCapture::clear()
{
    captured.clear();
}
