#pragma once

#include <QObject>
#include <QString>
#include <QStringList>

#include <functional>
#include <vector>

class Document;
class EditableData;
class EditableRecipeList;
class QAction;
class QMainWindow;
class QMenu;
class QMimeData;

// The window's side of recipe exchange: File > "Import recipe..." and
// "Export recipes...", and web links or recipe files dropped on the recipe
// list. Imported recipes are added to the list like new items, the first of
// them becomes current, and the book counts as changed.
class ExchangeActions : public QObject
{
    Q_OBJECT

public:
    // Puts the two actions into the menu after the action given, behind a separator.
    ExchangeActions(QMainWindow* window, Document& document,
                    const std::vector<EditableData*>& editors, QMenu* menu, QAction* after);

    // Imports with a progress dialog that can cancel; true when a recipe came in.
    bool importSources(const QStringList& sources);
    void exportRecipes();

    // The sources a drop offers: web links and saved pages or JSON-LD files.
    static QStringList droppedSources(const QMimeData* data);

    QAction* importAction;
    QAction* exportAction;
    // Settles the user's open edits before the book is read or changed;
    // false when the user cancels.
    std::function<bool()> settleEdits;
    // The folder the file dialogs start in.
    std::function<QString()> startFolder;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void _askForSource();
    void _showError(const QString& text);
    QString _currency() const;

    QMainWindow* _window;
    Document& _document;
    EditableRecipeList* _recipes = nullptr;
};
