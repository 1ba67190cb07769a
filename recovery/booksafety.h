#pragma once

#include "recovery/booklock.h"

#include <QObject>
#include <QString>

#include <memory>
#include <vector>

class Document;
class EditableData;
class EditableDataList;
class QMainWindow;
class QTimer;
class RecoveryCopy;

// Keeps a window's book from being lost: writes a recovery copy of unsaved
// changes every few seconds (the setting "autosave_seconds", 0 for never),
// offers the copies of programs that died when the program starts, and holds
// a lock on the open book so that a second window asks before it opens it.
class BookSafety : public QObject
{
    Q_OBJECT

public:
    BookSafety(QMainWindow* window, Document* document, const std::vector<EditableData*>* editors);
    // The window closed: its copy is no longer wanted.
    ~BookSafety() override;

    // Asks about each copy left by a program that died; true when one was
    // restored into the book, which the window must then show.
    bool offerRecovery();
    // False when the user declines to use a book that another window has open.
    bool mayUseBook(const QString& bookPath);
    // Called after every command: a book without unsaved changes needs no
    // copy, and the lock follows the book's file.
    void bookSettled();
    // Writes the recovery copy now if the book has unsaved changes.
    void autosave();

private:
    enum class Answer { Restore, Discard, Later };

    Answer _ask(const RecoveryCopy& copy) const;
    bool _restore(std::unique_ptr<RecoveryCopy> copy);
    void _restoreInNewWindow(std::unique_ptr<RecoveryCopy> copy) const;
    std::vector<EditableDataList*> _changedPanels() const;
    qint64 _bookChanges() const;
    QString _bookPath() const;
    void _discardCopy();

    QMainWindow* _window;
    Document* _document;
    const std::vector<EditableData*>* _editors;
    QTimer* _timer;
    std::unique_ptr<RecoveryCopy> _copy;
    // The book's change count when the copy was written.
    qint64 _changesAtCopy = -1;
    BookLock _lock;
};
