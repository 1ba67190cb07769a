#include "recovery/booksafety.h"

#include "settings/settings.h"
#include "data/diagnostics.h"
#include "data/document.h"
#include "editing/editabledatalist.h"
#include "lang/langmodel.h"
#include "recovery/recoverycopy.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QMainWindow>
#include <QMessageBox>
#include <QProcess>
#include <QPushButton>
#include <QApplication>
#include <QSqlQuery>
#include <QStatusBar>
#include <QTimer>

namespace {

// The file name of a book that has never been saved.
const QString NewBookName = QStringLiteral("NewBook");
// Tells a program started for a second restored copy which one to restore.
const char* HandedOverCopy = "CULINOR_RESTORE_COPY";
const int AutosaveDefault = 120;
const int AutosaveMaximum = 24 * 60 * 60;
const int FailureMessageTimeout = 5000;

QString bookName(const QString& bookPath)
{
    return bookPath.isEmpty() ? translate(QStringLiteral("a new book"))
                              : QFileInfo(bookPath).fileName();
}

QString timeText(const QDateTime& time)
{
    return time.toString(QStringLiteral("yyyy-MM-dd HH:mm"));
}

} // namespace

BookSafety::BookSafety(QMainWindow* window, Document* document,
                       const std::vector<EditableData*>* editors)
    : QObject(window), _window(window), _document(document), _editors(editors),
      _timer(new QTimer(this))
{
    const int seconds =
        appSettings() ? appSettings()->value(SettingKey::AutosaveSeconds, AutosaveDefault).toInt()
                      : AutosaveDefault;
    connect(_timer, &QTimer::timeout, this, &BookSafety::autosave);
    if (seconds > 0)
        _timer->start(qMin(seconds, AutosaveMaximum) * 1000);
}

BookSafety::~BookSafety()
{
    _discardCopy();
}

bool BookSafety::offerRecovery()
{
    const QString handedOver = qEnvironmentVariable(HandedOverCopy);
    qunsetenv(HandedOverCopy);
    bool restored = false;
    for (std::unique_ptr<RecoveryCopy>& copy : RecoveryCopy::takeOrphans()) {
        if (!handedOver.isEmpty()) {
            if (copy->id() == handedOver)
                restored = _restore(std::move(copy));
            continue;
        }
        switch (_ask(*copy)) {
        case Answer::Restore:
            // A window holds one book; another restored copy gets a window of its own.
            if (restored)
                _restoreInNewWindow(std::move(copy));
            else
                restored = _restore(std::move(copy));
            break;
        case Answer::Discard:
            copy->remove();
            break;
        case Answer::Later:
            break;
        }
    }
    return restored;
}

BookSafety::Answer BookSafety::_ask(const RecoveryCopy& copy) const
{
    QMessageBox box;
    box.setWindowIcon(_window->windowIcon());
    box.setIcon(QMessageBox::Question);
    box.setText(translate(QStringLiteral("Culinor closed unexpectedly. Restore the unsaved "
                                         "changes to %1 from %2?"))
                    .arg(bookName(copy.bookPath), timeText(copy.time)));
    QPushButton* restore =
        box.addButton(translate(QStringLiteral("Restore")), QMessageBox::AcceptRole);
    QPushButton* discard =
        box.addButton(translate(QStringLiteral("Discard")), QMessageBox::DestructiveRole);
    QPushButton* later = box.addButton(translate(QStringLiteral("Later")), QMessageBox::RejectRole);
    box.setDefaultButton(restore);
    box.setEscapeButton(later);
    box.exec();
    if (box.clickedButton() == restore)
        return Answer::Restore;
    return box.clickedButton() == discard ? Answer::Discard : Answer::Later;
}

bool BookSafety::_restore(std::unique_ptr<RecoveryCopy> copy)
{
    if (!_document->OpenDocument(copy->filePath())) {
        // Kept for the user to rescue by hand, and not offered again.
        CULINOR_DIAG("recovery", QStringLiteral("Error: cannot restore ") + copy->filePath());
        copy->markReported();
        QMessageBox box;
        box.setWindowIcon(_window->windowIcon());
        box.setIcon(QMessageBox::Warning);
        box.setText(translate(QStringLiteral("The recovery copy of %1 from %2 could not be "
                                             "opened. It is kept in %3."))
                        .arg(bookName(copy->bookPath), timeText(copy->time), copy->filePath()));
        box.exec();
        return false;
    }
    // The restored changes are unsaved changes of the original book.
    _document->fileName = copy->bookPath.isEmpty() ? NewBookName : copy->bookPath;
    _document->modified = true;
    _copy = std::move(copy);
    _changesAtCopy = _bookChanges();
    return true;
}

void BookSafety::_restoreInNewWindow(std::unique_ptr<RecoveryCopy> copy) const
{
    const QString id = copy->id();
    copy.reset(); // the new program takes the copy's lock over
    QProcess program;
    program.setProgram(QCoreApplication::applicationFilePath());
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QLatin1String(HandedOverCopy), id);
    program.setProcessEnvironment(environment);
    if (!program.startDetached())
        CULINOR_DIAG("recovery", QStringLiteral("Error: cannot start a window for ") + id);
}

bool BookSafety::mayUseBook(const QString& bookPath)
{
    if (!_lock.isHeldElsewhere(bookPath))
        return true;
    QMessageBox box(_window);
    box.setIcon(QMessageBox::Warning);
    box.setText(translate(QStringLiteral("%1 is already open in another Culinor window. Open it "
                                         "anyway? Saving here may overwrite changes made there."))
                    .arg(QFileInfo(bookPath).fileName()));
    QPushButton* openAnyway =
        box.addButton(translate(QStringLiteral("Open anyway")), QMessageBox::AcceptRole);
    box.addButton(QMessageBox::Cancel);
    box.setDefaultButton(QMessageBox::Cancel);
    box.exec();
    return box.clickedButton() == openAnyway;
}

void BookSafety::bookSettled()
{
    if (!_document->modified)
        _discardCopy();
    _lock.follow(_bookPath());
}

void BookSafety::autosave()
{
    // A dialog is open: a book being opened or saved behind a progress
    // dialog, or a question whose answer may still change the book. The
    // next tick writes the copy.
    if (QApplication::activeModalWidget())
        return;
    const std::vector<EditableDataList*> panels = _changedPanels();
    if (panels.empty() && !_document->modified) {
        _discardCopy(); // panel edits the user reverted are not to be restored
        return;
    }
    if (panels.empty() && _copy && _changesAtCopy >= 0 && _bookChanges() == _changesAtCopy)
        return;
    // The changed panels go into the copy as if Save had been pressed in
    // them, and out of the book again afterwards.
    QSqlQuery savepoint(_document->db);
    bool written = savepoint.exec(QStringLiteral("SAVEPOINT autosave"));
    if (written) {
        for (EditableDataList* panel : panels)
            panel->writePanelToBook();
        if (!_copy)
            _copy.reset(new RecoveryCopy);
        written = _copy->write(*_document, _bookPath());
        if (!savepoint.exec(QStringLiteral("ROLLBACK TO SAVEPOINT autosave")) ||
            !savepoint.exec(QStringLiteral("RELEASE SAVEPOINT autosave")))
            CULINOR_DIAG("recovery", "Error: the panels written into the copy stay in the book");
    }
    // A copy that could not be written is tried again at the next tick, and
    // one that holds panels is written again once they are saved or reverted.
    _changesAtCopy = written && panels.empty() ? _bookChanges() : -1;
    if (!written) {
        CULINOR_DIAG("recovery", "Error: the recovery copy could not be written");
        _window->statusBar()->showMessage(
            translate(QStringLiteral("The recovery copy could not be written")),
            FailureMessageTimeout);
    }
}

std::vector<EditableDataList*> BookSafety::_changedPanels() const
{
    std::vector<EditableDataList*> panels;
    for (EditableData* editor : *_editors) {
        auto* list = qobject_cast<EditableDataList*>(editor);
        if (list && list->isPanelChanged())
            panels.push_back(list);
    }
    return panels;
}

qint64 BookSafety::_bookChanges() const
{
    // SQLite counts every row written through the connection, rolled back or not.
    QSqlQuery query(_document->db);
    return query.exec(QStringLiteral("SELECT total_changes()")) && query.next()
               ? query.value(0).toLongLong()
               : -1;
}

QString BookSafety::_bookPath() const
{
    const QString name = _document->fileName;
    return name.isEmpty() || name == NewBookName ? QString() : QFileInfo(name).absoluteFilePath();
}

void BookSafety::_discardCopy()
{
    if (_copy)
        _copy->remove();
    _copy.reset();
    _changesAtCopy = -1;
}
