#pragma once

#include "editing/editabledata.h"
#include "editing/editform.h"

#include <QString>
#include <QVariant>

#include <initializer_list>
#include <vector>

class EditableSubTable;
class FlowLayout;
class ImageLabel;
class QFormLayout;
class QHBoxLayout;
class QLineEdit;
class QListWidget;
class QListWidgetItem;
class QSplitter;
class QVBoxLayout;
class VerticalScrollArea;

// A master table edited record by record: a searchable list of the rows by
// name, and a panel with one editor per field and one grid per detail table.
class EditableDataList : public EditableData
{
    Q_OBJECT

public:
    EditableDataList(Document* document, QString table, std::initializer_list<QString> excluded);

    int _currentItemID();
    // Makes the item of that row current, which loads it into the panel.
    void selectItem(int id);
    QListWidgetItem* _currentItem();
    void itemAcceptChange(QListWidgetItem* item);
    // True when the panel's widgets or detail grids differ from the row it
    // shows: the user's unsaved work. A panel nobody touched is unchanged.
    bool isPanelChanged() const;
    void commitOpenEditors() override;
    // Asks whether to save a changed panel: Yes saves it, No reloads its row;
    // false when the user cancels. An unchanged panel asks nothing.
    bool settlePanel();
    // Refills the list, keeping the current row; a changed panel keeps what
    // the user typed, only the names its detail grids select are renewed.
    void refreshKeepingEdits();

    virtual void _addListItemCopy(int id, QListWidgetItem* source);
    virtual void _addListItem(std::vector<QVariant>& row);
    virtual QString _listFields();
    virtual void _modifyListItem(QListWidgetItem* item);
    // Called when no item is current (the list emptied, its last item deleted):
    // views of the former item clear themselves here.
    virtual void _showNoItem() {}
    // Rebuilds the views of row id other than the panel (a page, a report).
    virtual void _showViews(int /*id*/) {}

    QWidget* _createEditWidget(ushort type);
    void _setWidgetVar(QWidget* widget, uchar type, QVariant& value);
    QVariant _getWidgetVar(QWidget* widget, uchar type);
    EditableSubTable* _createSubTable(QString caption, QString table, uint linkField,
                                      QFormLayout* form);
    void _loadEditForm(EditForm& form, int id);
    void _saveEditForm(EditForm& form, int id);
    // Writes the panel into the row it shows, as Save does, but leaves the
    // list, the panel and the window alone; false when it shows no row.
    bool writePanelToBook();
    ImageLabel* _getImageLabel(QString name);

    QLineEdit* searchEdit = nullptr;
    QWidget* nameEditor = nullptr;
    bool sortAscending = false;
    EditForm form;
    QHBoxLayout* buttonBar = nullptr;
    QSplitter* splitter = nullptr;
    FlowLayout* saveBar = nullptr;
    VerticalScrollArea* scrollArea = nullptr;
    QVBoxLayout* listPanel = nullptr;
    QVBoxLayout* editorLayout = nullptr;
    QListWidget* list = nullptr;

public slots:
    void synchronize() override;
    void sortItems();
    void onEditButtonClicked() override;
    void onAcceptClicked();
    void onRevertClicked();
    void onListItemChanged(QListWidgetItem* item);
    void onSetImageRequested();
    void onClearImageRequested();
    void getImageFromWebCam();
    void onSearchTextChanged(const QString& text);
    virtual void onListItemActivated(QListWidgetItem* item);

protected:
    // The id of the row the panel shows; -1 when it shows none, so that
    // Save can never write the panel into another row.
    int _shownID = -1;
    // The item a mouse press made current, whose click needs no second load.
    QListWidgetItem* _loadedByPress = nullptr;
    // The panel's values and detail grid cells as loaded, to tell a changed panel.
    std::vector<QVariant> _loadedValues;
    std::vector<QStringList> _loadedDetails;

private:
    void _createBasicInterface(std::initializer_list<QString> excluded);
    void _fillList();
    QListWidgetItem* _itemOf(int id) const;
    void _showNothing();
    void _clearEditForm();
    void _rememberLoadedPanel();
    void _refreshDetailNames();
    void _keepShownItemCurrent();
    QWidget* _createListSide();
    QWidget* _createEditorPanel(std::initializer_list<QString> excluded);
    QLayout* _createPhotoEditor(ushort field, QWidget*& editor);
    void _onCurrentItemChanged(QListWidgetItem* current);
    void _onItemClicked(QListWidgetItem* item);
    void _deleteCurrentItem();
};
