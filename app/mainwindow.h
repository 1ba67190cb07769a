#pragma once

#include "data/document.h"
#include "editing/askyesno.h"

#include <QIcon>
#include <QMainWindow>
#include <QString>

#include <map>
#include <set>
#include <vector>

class BookSafety;
class EditableData;
class LangModel;
class QApplication;
class QCloseEvent;
class RecentBooks;
class QSplashScreen;
class QTabWidget;

namespace Ui {
class MainWindow;
}

// The program's one window: the book in three tabs of editors, the File,
// Settings and Help menus, the title that tells the file and whether it
// changed, and a splash window for short messages.
class MainWindow : public QMainWindow
{
    Q_OBJECT

public:
    explicit MainWindow(QApplication* app, QWidget* parent = nullptr);
    ~MainWindow() override;

    // Applies the stored colour theme and shows the window.
    virtual void showMainWindow();

    // Sets the style sheet of a colour theme on the whole application.
    void applyTheme(int style);

    // Puts an editor into a new tab and wires it to the window; a null editor
    // gives an empty page.
    void addTab(EditableData* editor, QString title);

    // Opens a book file in place of the current one, as Open does once a
    // file is chosen; a failure says so and keeps the current book.
    void openBook(const QString& fileName);

public slots:
    void on_actionLanguage_triggered();
    void on_actionExit_triggered();
    void on_actionAbout_triggered();
    void on_actionNew_triggered();
    void on_actionOpen_triggered();
    void on_actionSave_triggered();
    void on_actionSave_as_triggered();
    void on_actionVisit_website_triggered();
    void showDocumentChanged();
    void showSplash(QString text, int timeout);
    void hideSplash();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    Ui::MainWindow* ui;

public:
    QIcon icon;
    LangModel* langModel;
    QApplication* app;
    Document document;
    std::vector<EditableData*> editors;
    QSplashScreen* splash;

private:
    // An editor with the title of its tab.
    struct TabEditor
    {
        QString title;
        EditableData* editor;
    };

    void _initInterface();
    std::vector<TabEditor> _createTabEditors();
    void _createSplash();
    void _updateWindowTitle();
    bool _selectFile(QString& fileName, bool saving);
    bool _askToSave();
    bool _settleEdits();
    bool _confirmReplace(const QString& fileName);
    void _loadBook(const QString& fileName);
    void _saveBook(const QString& fileName);
    void _installQtTranslation(int languageIndex);
    void _refresh();
    void _showFailure(const char* message);
    QString _translate(const QString& text) const;

    void _onTabChanged(int index);

    QTabWidget* _tabs;
    RecentBooks* _recentBooks = nullptr;
    // Autosave, recovery on start and the lock of the open book.
    BookSafety* _safety = nullptr;
    std::map<QWidget*, EditableData*> _pageEditors;
    // Editors filled before another editor changed the book.
    std::set<EditableData*> _staleEditors;
};
