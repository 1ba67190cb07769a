#include "recovery/recoverycopy.h"

#include "data/diagnostics.h"
#include "data/document.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLockFile>
#include <QSaveFile>
#include <QStandardPaths>
#include <QUuid>

namespace {

const char* CopySuffix = ".carb";
const char* SidecarSuffix = ".json";
const char* LockSuffix = ".lock";

} // namespace

RecoveryCopy::RecoveryCopy() : RecoveryCopy(QUuid::createUuid().toString(QUuid::WithoutBraces)) {}

RecoveryCopy::RecoveryCopy(const QString& id) : _id(id) {}

RecoveryCopy::~RecoveryCopy() = default;

QString RecoveryCopy::folder()
{
    return QStandardPaths::writableLocation(QStandardPaths::AppDataLocation) +
           QStringLiteral("/recovery");
}

std::vector<std::unique_ptr<RecoveryCopy>> RecoveryCopy::takeOrphans()
{
    std::vector<std::unique_ptr<RecoveryCopy>> orphans;
    const QFileInfoList files =
        QDir(folder()).entryInfoList({QStringLiteral("*") + QLatin1String(CopySuffix)}, QDir::Files,
                                     QDir::Time | QDir::Reversed);
    for (const QFileInfo& file : files) {
        std::unique_ptr<RecoveryCopy> copy(new RecoveryCopy(file.completeBaseName()));
        // A lock that cannot be taken belongs to a program still running.
        if (!copy->_lock())
            continue;
        copy->time = file.lastModified();
        copy->_readSidecar();
        if (!copy->reported)
            orphans.push_back(std::move(copy));
    }
    return orphans;
}

bool RecoveryCopy::write(Document& document, const QString& book)
{
    if (!QDir().mkpath(folder()) || !_lock())
        return false;
    if (!document.SaveCopy(filePath()))
        return false;
    bookPath = book;
    time = QDateTime::currentDateTime();
    writerPid = QCoreApplication::applicationPid();
    return _writeSidecar();
}

bool RecoveryCopy::markReported()
{
    reported = true;
    return _writeSidecar();
}

void RecoveryCopy::remove()
{
    QFile::remove(filePath());
    QFile::remove(_path(SidecarSuffix));
    _lockFile.reset();
}

QString RecoveryCopy::filePath() const
{
    return _path(CopySuffix);
}

QString RecoveryCopy::id() const
{
    return _id;
}

QString RecoveryCopy::_path(const char* suffix) const
{
    return folder() + QLatin1Char('/') + _id + QLatin1String(suffix);
}

bool RecoveryCopy::_lock()
{
    if (_lockFile)
        return true;
    std::unique_ptr<QLockFile> lock(new QLockFile(_path(LockSuffix)));
    // Only a dead owner makes a lock stale, however old the lock is.
    lock->setStaleLockTime(0);
    if (!lock->tryLock(0))
        return false;
    _lockFile = std::move(lock);
    return true;
}

void RecoveryCopy::_readSidecar()
{
    QFile file(_path(SidecarSuffix));
    if (!file.open(QIODevice::ReadOnly))
        return; // the writer died before its first sidecar: a copy of unknown origin
    const QJsonObject sidecar = QJsonDocument::fromJson(file.read(1 << 16)).object();
    bookPath = sidecar.value(QStringLiteral("book")).toString();
    const QDateTime written =
        QDateTime::fromString(sidecar.value(QStringLiteral("time")).toString(), Qt::ISODate);
    if (written.isValid())
        time = written;
    writerPid = static_cast<qint64>(sidecar.value(QStringLiteral("pid")).toDouble());
    reported = sidecar.value(QStringLiteral("reported")).toBool();
}

bool RecoveryCopy::_writeSidecar() const
{
    const QJsonObject sidecar = {{QStringLiteral("book"), bookPath},
                                 {QStringLiteral("time"), time.toString(Qt::ISODate)},
                                 {QStringLiteral("pid"), static_cast<double>(writerPid)},
                                 {QStringLiteral("reported"), reported}};
    QSaveFile file(_path(SidecarSuffix));
    if (!file.open(QIODevice::WriteOnly) || file.write(QJsonDocument(sidecar).toJson()) < 0 ||
        !file.commit()) {
        CULINOR_DIAG("recovery", QStringLiteral("Error: cannot write ") + file.fileName());
        return false;
    }
    return true;
}
