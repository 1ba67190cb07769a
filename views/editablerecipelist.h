#pragma once

#include "editing/editabledatalist.h"

#include <QString>

#include <initializer_list>
#include <vector>

class DropImageLabel;
class QPushButton;
class QWebView;
struct Recipe;

// The Recipes tab: a data list whose items show the recipes' photos in one
// of three sizes, and a "View" tab beside the editor panel with the recipe
// page of the clicked recipe, which can be printed.
class EditableRecipeList : public EditableDataList
{
    Q_OBJECT

public:
    EditableRecipeList(Document* document, QString table, std::initializer_list<QString> excluded);

    // The recipe page: plain-text values are escaped, the description is
    // rich text and goes in as it is.
    static QString recipePageHtml(const Recipe& recipe);
    // The icon size of a view mode: 20, 100, or 1 (practically hidden).
    static int iconSide(int viewMode);

    void _addListItemCopy(int id, QListWidgetItem* source) override;
    void _addListItem(std::vector<QVariant>& row) override;
    QString _listFields() override;
    void _modifyListItem(QListWidgetItem* item) override;

    QWebView* view = nullptr;
    // "Print page": enabled while the view shows a recipe.
    QPushButton* printButton = nullptr;
    short viewMode = 0;
    DropImageLabel* photoLabel = nullptr;
    // The page last put into the view, as it was built.
    QString page;

public slots:
    void onListItemActivated(QListWidgetItem* item) override;
    void changeView();
    void printView();
    void setView(int viewMode);

private:
    QWidget* _createViewPage();
    DropImageLabel* _findPhotoLabel() const;
    QVariant _photoOf(int id);
    void _showNoItem() override;
    void _showViews(int id) override;
};
