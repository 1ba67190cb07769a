#pragma once

#include <QObject>
#include <QString>
#include <QStringList>

class QAction;
class QMenu;
class QSettings;
class QWidget;

// File > Recent books: the books last opened or saved, newest first, kept in
// the settings; and the folder where the file dialogs start. Choosing a book
// asks the window to open it; a book that is gone is said so and dropped.
class RecentBooks : public QObject
{
    Q_OBJECT

public:
    static const int MaxBooks = 8;

    // Puts the Recent books menu into the File menu before the given action;
    // the window is the parent of both and of the messages.
    RecentBooks(QSettings* settings, QMenu* fileMenu, QAction* before, QWidget* window);

    QStringList books() const;
    // Puts a book just opened or saved first, once; the oldest fall off the end.
    void add(const QString& fileName);
    void clear();

    // The current book's folder, else the one a file dialog last chose from,
    // else the user's Documents folder. A book never saved has no absolute path.
    QString startFolder(const QString& currentBook) const;
    void useFolderOf(const QString& fileName);

signals:
    void openRequested(const QString& fileName);

private:
    void _choose(const QString& fileName);
    void _store(const QStringList& books);
    void _fillMenu();

    QSettings* _settings;
    QMenu* _menu;
    QWidget* _window;
};
