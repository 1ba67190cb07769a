#include "recovery/booklock.h"

#include "data/diagnostics.h"
#include "recovery/recoverycopy.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>
#include <QLockFile>

namespace {

// The same book reached by another path (a link, "..") is the same book.
QString canonicalBook(const QString& bookPath)
{
    const QFileInfo info(bookPath);
    const QString canonical = info.canonicalFilePath();
    return canonical.isEmpty() ? info.absoluteFilePath() : canonical;
}

} // namespace

BookLock::BookLock() = default;

BookLock::~BookLock() = default;

bool BookLock::isHeldElsewhere(const QString& bookPath) const
{
    if (_lock && canonicalBook(bookPath) == _book)
        return false;
    bool heldElsewhere = false;
    _tryLock(bookPath, &heldElsewhere);
    return heldElsewhere;
}

void BookLock::follow(const QString& bookPath)
{
    const bool hasFile = QFileInfo(bookPath).isFile();
    if (hasFile && _lock && canonicalBook(bookPath) == _book)
        return;
    _lock.reset();
    _book.clear();
    if (!hasFile)
        return;
    bool heldElsewhere = false;
    _lock = _tryLock(bookPath, &heldElsewhere);
    if (_lock)
        _book = canonicalBook(bookPath);
}

QString BookLock::heldBook() const
{
    return _book;
}

QString BookLock::_lockPath(const QString& bookPath)
{
    const QByteArray hash =
        QCryptographicHash::hash(canonicalBook(bookPath).toUtf8(), QCryptographicHash::Sha1);
    return RecoveryCopy::folder() + QStringLiteral("/book-") + QString::fromLatin1(hash.toHex()) +
           QStringLiteral(".lock");
}

std::unique_ptr<QLockFile> BookLock::_tryLock(const QString& bookPath, bool* heldElsewhere)
{
    const QString path = _lockPath(bookPath);
    QDir().mkpath(QFileInfo(path).absolutePath());
    std::unique_ptr<QLockFile> lock(new QLockFile(path));
    // Only a dead owner makes a lock stale, however old the lock is.
    lock->setStaleLockTime(0);
    if (lock->tryLock(0))
        return lock;
    *heldElsewhere = lock->error() == QLockFile::LockFailedError;
    if (!*heldElsewhere)
        CULINOR_DIAG("recovery", QStringLiteral("Error: cannot lock ") + path);
    return nullptr;
}
