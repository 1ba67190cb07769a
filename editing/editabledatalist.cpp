// The list side of a data list: items, search, sort, row actions, Save and Revert.
#include "editing/editabledatalist.h"

#include "data/diagnostics.h"
#include "editing/askyesno.h"
#include "editing/editablesubtable.h"
#include "editing/verticalscrollarea.h"
#include "lang/langmodel.h"
#include "resources/resourcefiles.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QSet>
#include <QSplitter>
#include <QTimer>
#include <QVBoxLayout>

namespace {

const int IdRole = Qt::UserRole + 1;

} // namespace

EditableDataList::EditableDataList(Document* document, QString table,
                                   std::initializer_list<QString> excluded)
    : EditableData(document, table)
{
    form.table = table;
    _createBasicInterface(excluded);
    splitter->addWidget(scrollArea);
    splitter->setSizes({200, 200000});
    auto* box = new QVBoxLayout;
    box->addWidget(splitter);
    layout = box;
}

void EditableDataList::_createBasicInterface(std::initializer_list<QString> excluded)
{
    QWidget* listSide = _createListSide();
    splitter = new QSplitter(Qt::Horizontal);
    splitter->addWidget(listSide);
    _createEditorPanel(excluded);
}

QWidget* EditableDataList::_createListSide()
{
    std::vector<QPushButton*> buttons;
    buttonBar = _createEditButtons(buttons);
    _connectEditButtons(buttons);

    auto* sortButton = new QPushButton;
    sortButton->setIcon(QIcon(ResourceFiles::path(QStringLiteral("media/sort.png"))));
    sortButton->setToolTip(translate(QStringLiteral("Sort")));
    sortButton->setWhatsThis(translate(QStringLiteral("Sort")));
    sortAscending = false;
    connect(sortButton, &QPushButton::clicked, this, &EditableDataList::sortItems);
    buttonBar->addWidget(sortButton);

    list = new QListWidget;
    // Every item is one line with an icon of one size: the list need not
    // measure each of thousands of items.
    list->setUniformItemSizes(true);
    list->setMinimumWidth(100);
    list->resize(200, list->height());
    // A click that made an item current has loaded it already; a click on
    // the current item loads it again.
    connect(list, &QListWidget::itemClicked, this, &EditableDataList::_onItemClicked);
    connect(list, &QListWidget::itemChanged, this, &EditableDataList::onListItemChanged);
    // The panel follows the current item however it moves (keys, deletion).
    connect(list, &QListWidget::currentItemChanged, this,
            [this](QListWidgetItem* current, QListWidgetItem*) { _onCurrentItemChanged(current); });

    searchEdit = new QLineEdit;
    connect(searchEdit, &QLineEdit::textChanged, this, &EditableDataList::onSearchTextChanged);
    auto* searchRow = new QHBoxLayout;
    searchRow->addWidget(new QLabel(translate(QStringLiteral("Search"))));
    searchRow->addWidget(searchEdit);

    listPanel = new QVBoxLayout;
    listPanel->addLayout(buttonBar);
    listPanel->addLayout(searchRow);
    listPanel->addWidget(list);
    auto* side = new QWidget;
    side->setLayout(listPanel);
    side->setSizePolicy(QSizePolicy::Minimum, QSizePolicy::Minimum);
    return side;
}

void EditableDataList::_onCurrentItemChanged(QListWidgetItem* current)
{
    _loadedByPress = QApplication::mouseButtons() != Qt::NoButton ? current : nullptr;
    const bool shown = current && current->data(IdRole).toInt() == _shownID;
    if (shown && isPanelChanged())
        return; // the row is on show already, with the user's edits
    if (current && !shown && !settlePanel()) {
        _keepShownItemCurrent();
        return;
    }
    if (current)
        onListItemActivated(current);
    else
        _showNothing();
}

void EditableDataList::_onItemClicked(QListWidgetItem* item)
{
    if (item == _loadedByPress) {
        _loadedByPress = nullptr;
        return;
    }
    // A click on the item shown must not reload it over the user's edits.
    if (item->data(IdRole).toInt() == _shownID && isPanelChanged())
        return;
    onListItemActivated(item);
}

// The user cancelled leaving a changed panel: its item becomes current again,
// now and once the click or key that moved away has been handled.
void EditableDataList::_keepShownItemCurrent()
{
    const auto restore = [this]() {
        if (QListWidgetItem* shown = _itemOf(_shownID)) {
            const QSignalBlocker blocker(list);
            list->setCurrentItem(shown, QItemSelectionModel::ClearAndSelect);
        }
    };
    restore();
    QTimer::singleShot(0, this, restore);
}

QListWidgetItem* EditableDataList::_itemOf(int id) const
{
    for (int row = 0; row < list->count(); ++row) {
        if (list->item(row)->data(IdRole).toInt() == id)
            return list->item(row);
    }
    return nullptr;
}

void EditableDataList::_showNothing()
{
    _shownID = -1;
    _clearEditForm();
    _showNoItem();
}

bool EditableDataList::settlePanel()
{
    if (!isPanelChanged())
        return true;
    const QString name = document->getNameByID(table, _shownID);
    const int answer =
        askYesNoCancel(translate(QStringLiteral("Save changes to \"%1\"?")).arg(name), QString());
    if (answer == QMessageBox::Cancel)
        return false;
    QListWidgetItem* shown = _itemOf(_shownID);
    if (answer == QMessageBox::Yes) {
        if (shown) {
            itemAcceptChange(shown);
        } else {
            emit documentChanged();
            _saveEditForm(form, _shownID);
        }
    } else if (shown) {
        onListItemActivated(shown);
    } else {
        _loadEditForm(form, _shownID);
    }
    return true;
}

void EditableDataList::refreshKeepingEdits()
{
    const int shown = _shownID;
    if (shown == -1 || !isPanelChanged()) {
        const int current = _currentItemID();
        synchronize();
        if (current >= 0)
            selectItem(current);
        return;
    }
    _fillList();
    QListWidgetItem* item = _itemOf(shown);
    if (!item) {
        synchronize();
        return;
    }
    {
        const QSignalBlocker blocker(list);
        list->setCurrentItem(item);
    }
    _refreshDetailNames();
    _showViews(shown);
}

void EditableDataList::commitOpenEditors()
{
    for (EditableSubTable* sub : form.subTables)
        sub->commitOpenEditors();
}

void EditableDataList::synchronize()
{
    _fillList();
    _showNothing();
    if (list->count() > 0) {
        {
            const QSignalBlocker blocker(list);
            list->setCurrentRow(0);
        }
        onListItemActivated(list->item(0));
    }
}

// Refills the list alone: the panel is left as it is.
void EditableDataList::_fillList()
{
    _loadedByPress = nullptr;
    QueryResult result;
    document->getRows(table, _listFields(), QString(), &result);
    std::vector<QVariant> row;
    const QSignalBlocker blocker(list);
    list->clear();
    while (readNextRow(result.query, row, 0))
        _addListItem(row);
}

void EditableDataList::_addListItemCopy(int id, QListWidgetItem* source)
{
    auto* item = new QListWidgetItem(source->text());
    item->setData(IdRole, id);
    item->setFlags(item->flags() | Qt::ItemIsEditable);
    list->addItem(item);
}

void EditableDataList::_addListItem(std::vector<QVariant>& row)
{
    if (row.size() < 2) {
        CULINOR_DIAG("mainwindow", "Error: list row without id and name");
        return;
    }
    // Ids are kept as int; a value that is no number stays as it is and is
    // reported wherever the id is needed.
    bool ok = false;
    const int id = row[0].toInt(&ok);
    auto* item = new QListWidgetItem(row[1].toString());
    item->setData(IdRole, ok ? QVariant(id) : row[0]);
    item->setFlags(item->flags() | Qt::ItemIsEditable);
    list->addItem(item);
}

QString EditableDataList::_listFields()
{
    return QStringLiteral("id,name");
}

void EditableDataList::_modifyListItem(QListWidgetItem* item)
{
    const QString className =
        QString::fromLatin1(nameEditor ? nameEditor->metaObject()->className() : "null");
    if (className != QLatin1String("QLineEdit")) {
        CULINOR_DIAG("mainwindow", QStringLiteral("Error: unexpected editor class ") +
                                       QLatin1Char('"') + className + QLatin1Char('"') +
                                       QStringLiteral(" for recipe name"));
        return;
    }
    const QSignalBlocker blocker(list);
    item->setText(static_cast<QLineEdit*>(nameEditor)->text());
}

void EditableDataList::onListItemActivated(QListWidgetItem* item)
{
    bool ok = false;
    const int id = item ? item->data(IdRole).toInt(&ok) : -1;
    if (!ok) {
        CULINOR_DIAG("mainwindow", "Unknown Recipe index");
        return;
    }
    _loadEditForm(form, id);
}

void EditableDataList::onSearchTextChanged(const QString& text)
{
    // Only the items whose state changes are touched: each one costs the list a relayout.
    const QList<QListWidgetItem*> found = list->findItems(text, Qt::MatchStartsWith);
    const QSet<QListWidgetItem*> matches(found.begin(), found.end());
    for (int i = 0; i < list->count(); ++i) {
        QListWidgetItem* item = list->item(i);
        const bool hidden = !matches.contains(item);
        if (item->isHidden() != hidden)
            item->setHidden(hidden);
    }
}

void EditableDataList::sortItems()
{
    sortAscending = !sortAscending;
    list->setSortingEnabled(true);
    list->sortItems(sortAscending ? Qt::AscendingOrder : Qt::DescendingOrder);
}

void EditableDataList::onEditButtonClicked()
{
    const QString action = sender() ? sender()->objectName() : QString();
    if (action == QLatin1String("a")) {
        const QVariant name(QStringLiteral("NewItem"));
        const int id = document->addRow(table, &name, 1);
        if (id == -1) {
            CULINOR_DIAG("mainwindow", "Row not added");
            return;
        }
        std::vector<QVariant> row{id, name};
        _addListItem(row);
        emit documentChanged();
    } else if (action == QLatin1String("c")) {
        QListWidgetItem* item = _currentItem();
        if (!item) {
            CULINOR_DIAG("mainwindow", "No current item");
            return;
        }
        bool ok = false;
        const int id = item->data(IdRole).toInt(&ok);
        if (!ok) {
            CULINOR_DIAG("mainwindow", "Cannot obtain integer ID");
            return;
        }
        // The copy takes the rows the panel shows as its own, not the rows
        // of other records that merely select it (a recipe's plans).
        QStringList ownRows;
        for (const EditableSubTable* sub : form.subTables)
            ownRows << sub->table;
        const int newId = document->copyRowConnected(table, id, ownRows);
        if (newId == -1) {
            CULINOR_DIAG("mainwindow", "Item not copied");
            return;
        }
        // The copy looks like its source (a recipe keeps its photo icon).
        _addListItemCopy(newId, item);
        emit documentChanged();
    } else if (action == QLatin1String("d")) {
        if (!askYesNo(translate(QStringLiteral("Confirm deletion")),
                      translate(QStringLiteral("Do you really want to delete this item?"))))
            return;
        _deleteCurrentItem();
    } else {
        CULINOR_DIAG("mainwindow", QStringLiteral("Unknown action: ") + action);
    }
}

void EditableDataList::_deleteCurrentItem()
{
    const int r = list->currentRow();
    if (r >= 0 && r < list->count()) {
        bool ok = false;
        const int id = list->item(r)->data(IdRole).toInt(&ok);
        if (!ok) {
            CULINOR_DIAG("mainwindow", "Cannot obtain integer ID");
            return;
        }
        document->deleteRow(table, id);
        _shownID = -1;
        {
            // The item that becomes current is chosen below, not by the list.
            const QSignalBlocker blocker(list);
            delete list->takeItem(r);
        }
        const int next = r > 0 ? r - 1 : 0;
        if (next < list->count()) {
            {
                const QSignalBlocker blocker(list);
                list->setCurrentRow(next);
            }
            onListItemActivated(list->item(next));
        } else {
            _showNothing();
        }
    }
    emit documentChanged();
}

void EditableDataList::onListItemChanged(QListWidgetItem* item)
{
    bool ok = false;
    const int id = item->data(IdRole).toInt(&ok);
    if (!ok) {
        CULINOR_DIAG("mainwindow", "Error: Unable to retrieve item data!");
        return;
    }
    emit documentChanged();
    std::vector<TableFieldUpdate> updates{{QVariant(item->text()), 0}};
    document->updateTable(table, id, updates);
    if (id != _shownID || !isPanelChanged()) {
        onListItemActivated(item);
        return;
    }
    // The panel's other edits stay; only its name follows the list.
    if (auto* name = qobject_cast<QLineEdit*>(nameEditor))
        name->setText(item->text());
    for (size_t i = 0; i < form.widgets.size() && i < _loadedValues.size(); ++i) {
        if (form.widgets[i].widget == nameEditor)
            _loadedValues[i] = QVariant(item->text());
    }
}

void EditableDataList::onAcceptClicked()
{
    commitOpenEditors(); // a detail cell still being edited is saved too
    emit informUser(translate(QStringLiteral("Saving...")), -1);
    QListWidgetItem* item = _currentItem();
    if (!item) {
        CULINOR_DIAG("mainwindow", "Cannot get list item");
    } else if (item->data(IdRole).toInt() != _shownID) {
        // The panel shows no readable row: saving it would overwrite this one.
        itemAcceptChange(item);
        emit informUser(translate(QStringLiteral("Nothing was saved")), 2000);
        return;
    } else {
        itemAcceptChange(item);
    }
    emit informUser(translate(QStringLiteral("Saved")), 500);
}

void EditableDataList::itemAcceptChange(QListWidgetItem* item)
{
    bool ok = false;
    const int id = item->data(IdRole).toInt(&ok);
    if (!ok) {
        CULINOR_DIAG("mainwindow", "Unknown Recipe index");
        return;
    }
    if (id != _shownID) {
        CULINOR_DIAG("mainwindow", "Error: the editor panel does not show this item");
        return;
    }
    emit documentChanged();
    _modifyListItem(item);
    _saveEditForm(form, id);
    onListItemActivated(item);
}

void EditableDataList::onRevertClicked()
{
    if (QListWidgetItem* item = _currentItem())
        onListItemActivated(item);
    else
        CULINOR_DIAG("mainwindow", "Cannot get list item");
}

QListWidgetItem* EditableDataList::_currentItem()
{
    const int row = list->currentRow();
    if (row < 0 || row >= list->count())
        return nullptr;
    return list->currentItem();
}

void EditableDataList::selectItem(int id)
{
    for (int row = 0; row < list->count(); ++row) {
        if (list->item(row)->data(IdRole).toInt() == id) {
            list->setCurrentRow(row);
            return;
        }
    }
}

int EditableDataList::_currentItemID()
{
    QListWidgetItem* item = _currentItem();
    if (!item)
        return -1;
    bool ok = false;
    const int id = item->data(IdRole).toInt(&ok);
    if (!ok) {
        CULINOR_DIAG("mainwindow", "Cannot obtain integer ID");
        return -1;
    }
    return id;
}
