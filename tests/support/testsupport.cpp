#include "support/testsupport.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QSettings>
#include <QStandardPaths>
#include <QVariant>

#include <algorithm>

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

// Copies a folder of the source tree into target/name.
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

QByteArray readFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool writeFile(const QString& path, const QByteArray& content)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(content) == content.size();
}

int countRows(const QString& table, const QString& where)
{
    QSqlQuery query(QStringLiteral("SELECT COUNT(*) FROM ") + table
                    + (where.isEmpty() ? QString() : QStringLiteral(" WHERE ") + where));
    return query.next() ? query.value(0).toInt() : -1;
}

void useTemporarySettings(const QString& folder)
{
    QStandardPaths::setTestModeEnabled(true);
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, folder);
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, folder);
}


ScratchDir::ScratchDir(bool withResources) : _previous(QDir::currentPath())
{
    if (withResources) {
        copySourceFolder(QStringLiteral("media"), _dir.path());
        copySourceFolder(QStringLiteral("languages"), _dir.path());
    }
    QDir::setCurrent(_dir.path());
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

int MessageCapture::count(const QString& text) const
{
    return int(std::count_if(captured.begin(), captured.end(),
                             [&](const QString& message) { return message.contains(text); }));
}

int MessageCapture::diagnostics(const QString& message) const
{
    const QString quoted = QLatin1Char('"') + message + QLatin1Char('"');
    return int(std::count_if(captured.begin(), captured.end(),
                             [&](const QString& line) { return line.endsWith(quoted); }));
}

void MessageCapture::clear()
{
    captured.clear();
}
