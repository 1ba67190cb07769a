#include "app/recentbooks.h"

#include "settings/settings.h"
#include "lang/langmodel.h"

#include <QAction>
#include <QDir>
#include <QFileInfo>
#include <QMenu>
#include <QMessageBox>
#include <QSettings>
#include <QStandardPaths>

namespace {

bool isFolder(const QString& path)
{
    return !path.isEmpty() && QFileInfo(path).isDir();
}

} // namespace

RecentBooks::RecentBooks(QSettings* settings, QMenu* fileMenu, QAction* before, QWidget* window)
    : QObject(window), _settings(settings),
      _menu(new QMenu(translate(QStringLiteral("Recent books")), window)), _window(window)
{
    _menu->setObjectName(QStringLiteral("menuRecent_books"));
    fileMenu->insertMenu(before, _menu);
    _fillMenu();
}

QStringList RecentBooks::books() const
{
    // QSettings' own reading: a list never written yet is no fault.
    return _settings->QSettings::value(SettingKey::RecentBooks).toStringList();
}

void RecentBooks::add(const QString& fileName)
{
    const QString path = QFileInfo(fileName).absoluteFilePath();
    QStringList list = books();
    list.removeAll(path);
    list.prepend(path);
    _store(list.mid(0, MaxBooks));
    useFolderOf(path);
}

void RecentBooks::clear()
{
    _store({});
}

QString RecentBooks::startFolder(const QString& currentBook) const
{
    const QFileInfo book(currentBook);
    if (book.isAbsolute() && isFolder(book.absolutePath()))
        return book.absolutePath();
    const QString last = _settings->QSettings::value(SettingKey::LastFolder).toString();
    if (isFolder(last))
        return last;
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    return isFolder(documents) ? documents : QDir::homePath();
}

void RecentBooks::useFolderOf(const QString& fileName)
{
    _settings->setValue(SettingKey::LastFolder, QFileInfo(fileName).absolutePath());
}

void RecentBooks::_choose(const QString& fileName)
{
    if (QFileInfo(fileName).isFile()) {
        emit openRequested(fileName);
        return;
    }
    QStringList list = books();
    list.removeAll(fileName);
    _store(list);
    QMessageBox box(_window);
    box.setIcon(QMessageBox::Warning);
    box.setText(translate(QStringLiteral("This book no longer exists.")));
    box.setInformativeText(QDir::toNativeSeparators(fileName));
    box.setStandardButtons(QMessageBox::Ok);
    box.exec();
}

void RecentBooks::_store(const QStringList& list)
{
    _settings->setValue(SettingKey::RecentBooks, list);
    _fillMenu();
}

void RecentBooks::_fillMenu()
{
    _menu->clear();
    const QStringList list = books();
    for (int i = 0; i < list.size(); ++i) {
        // "&1 /home/me/book.carb": the number is the menu's key.
        QString text = QDir::toNativeSeparators(list[i]);
        text.replace(QLatin1Char('&'), QStringLiteral("&&"));
        const QString fileName = list[i];
        QAction* entry =
            _menu->addAction(QStringLiteral("&%1 %2").arg(QString::number(i + 1), text));
        connect(entry, &QAction::triggered, this, [this, fileName]() { _choose(fileName); });
    }
    _menu->addSeparator();
    QAction* clearList = _menu->addAction(translate(QStringLiteral("Clear list")));
    clearList->setObjectName(QStringLiteral("actionClear_recent_books"));
    connect(clearList, &QAction::triggered, this, &RecentBooks::clear);
    _menu->setEnabled(!list.isEmpty());
}
