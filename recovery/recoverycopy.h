#pragma once

#include <QDateTime>
#include <QString>

#include <memory>
#include <vector>

class Document;
class QLockFile;

// A recovery copy of a book in the recovery folder: "<id>.carb", the whole
// book; "<id>.json", what it belongs to (the book's path, empty for a new
// book), when it was written, the writer's process id, and whether a failed
// restore has been reported; "<id>.lock", held by the program that owns the
// copy while it runs, which tells a later start whether its writer is gone.
class RecoveryCopy
{
public:
    RecoveryCopy();
    ~RecoveryCopy();
    RecoveryCopy(const RecoveryCopy&) = delete;
    RecoveryCopy& operator=(const RecoveryCopy&) = delete;

    // The recovery folder under the application's data folder.
    static QString folder();
    // The copies whose writer no longer runs and whose failure to open has
    // not been reported yet, oldest first; this program owns them now.
    static std::vector<std::unique_ptr<RecoveryCopy>> takeOrphans();

    // Writes the book and then the sidecar, each at once.
    bool write(Document& document, const QString& bookPath);
    // Notes in the sidecar that the copy did not open, so it is offered no more.
    bool markReported();
    // Deletes the copy and its sidecar and gives up its lock.
    void remove();

    QString filePath() const;
    QString id() const;

    QString bookPath;
    QDateTime time;
    qint64 writerPid = 0;
    bool reported = false;

private:
    explicit RecoveryCopy(const QString& id);
    QString _path(const char* suffix) const;
    bool _lock();
    void _readSidecar();
    bool _writeSidecar() const;

    QString _id;
    std::unique_ptr<QLockFile> _lockFile;
};
