#pragma once

#include <QString>

#include <memory>

class QLockFile;

// Marks a book as open in this program: a lock file in the recovery folder,
// named by a hash of the book's canonical path, held while the book is open.
// The lock of a program that died is stale and is taken over.
class BookLock
{
public:
    BookLock();
    ~BookLock();
    BookLock(const BookLock&) = delete;
    BookLock& operator=(const BookLock&) = delete;

    // True when another running program holds the lock of that book.
    bool isHeldElsewhere(const QString& bookPath) const;
    // Holds the lock of that book instead of the one held so far; holds none
    // for a book without a file or one that another program holds.
    void follow(const QString& bookPath);
    // The book whose lock is held; empty when none is.
    QString heldBook() const;

private:
    static QString _lockPath(const QString& bookPath);
    static std::unique_ptr<QLockFile> _tryLock(const QString& bookPath, bool* heldElsewhere);

    QString _book;
    std::unique_ptr<QLockFile> _lock;
};
