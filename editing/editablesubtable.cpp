#include "editing/editablesubtable.h"

#include "data/diagnostics.h"

#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

namespace {

const int SelectedIdRole = Qt::UserRole + 2;
const int LoadedNameRole = Qt::UserRole + 3;

} // namespace

EditableSubTable::EditableSubTable(Document* document, QString table, uint linkField)
    : EditableTable(document, table)
{
    std::vector<QPushButton*> buttons;
    QHBoxLayout* buttonRow = _createEditButtons(buttons);
    _connectEditButtons(buttons);
    grid = _createTableWidget();
    _setUpColumns(static_cast<int>(linkField));
    if (linkField < fields.size())
        linkFieldName = fields[linkField].name;
    if (linkFieldName.isEmpty()) {
        CULINOR_DIAG("mainwindow", "Error: link field not found!");
        valid = false;
    } else {
        valid = true;
    }
    auto* box = new QVBoxLayout;
    box->addLayout(buttonRow);
    box->addWidget(grid);
    layout = box;
}

void EditableSubTable::synchronize() {}

void EditableSubTable::onEditButtonClicked()
{
    const QString action = sender() ? sender()->objectName() : QString();
    const int current = grid->currentRow();
    const bool inRange = current >= 0 && current < grid->rowCount();
    if (action == QLatin1String("a")) {
        std::vector<QTableWidgetItem*> items;
        for (const TF& field : fields)
            items.push_back(new QTableWidgetItem(
                field.type == MD_SEL ? NO_SELECTION : field.defaultValue.toString()));
        _appendRow(items);
    } else if (action == QLatin1String("c")) {
        if (!inRange)
            return;
        std::vector<QTableWidgetItem*> items;
        for (int column = 0; column < grid->columnCount(); ++column) {
            const QTableWidgetItem* source = grid->item(current, column);
            items.push_back(source ? source->clone() : new QTableWidgetItem);
        }
        _appendRow(items);
    } else if (action == QLatin1String("d")) {
        if (inRange)
            grid->removeRow(current);
    } else {
        CULINOR_DIAG("mainwindow", QStringLiteral("Unknown action: ") + action);
    }
}

// Adds the cells as the last row; sorting waits until the row is complete.
void EditableSubTable::_appendRow(const std::vector<QTableWidgetItem*>& items)
{
    const bool sorting = grid->isSortingEnabled();
    grid->setSortingEnabled(false);
    const int r = grid->rowCount();
    grid->insertRow(r);
    for (size_t column = 0; column < items.size(); ++column)
        grid->setItem(r, static_cast<int>(column), items[column]);
    grid->setSortingEnabled(sorting);
}

void EditableSubTable::getTableData(std::vector<std::vector<QVariant>>& data)
{
    const int rows = grid->rowCount();
    const int columns = grid->columnCount();
    if (static_cast<size_t>(columns) != fields.size())
        CULINOR_DIAG("mainwindow", "Column and field size mismatch");
    data.assign(static_cast<size_t>(rows), std::vector<QVariant>(static_cast<size_t>(columns)));
    for (int r = 0; r < rows; ++r)
        for (int c = 0; c < columns; ++c) {
            const QTableWidgetItem* item = grid->item(r, c);
            data[r][c] = item ? item->data(Qt::DisplayRole) : QVariant();
        }
}

void EditableSubTable::fill(int masterId)
{
    grid->setRowCount(0);
    QueryResult result;
    document->getRows(table, linkFieldName + QLatin1Char('=') + QString::number(masterId), &result);
    std::vector<QVariant> row;
    const bool blocked = grid->blockSignals(true);
    grid->setSortingEnabled(false);
    while (readNextRow(result.query, row, 1)) {
        const std::vector<QVariant> ids = row;
        document->resolveRow(table, row);
        const int r = addRow(row, -1);
        // A selection cell remembers the row it selects and the name it
        // showed, so that a rename elsewhere can be followed.
        for (int column = 0; r >= 0 && column < grid->columnCount(); ++column) {
            if (!_isSelectionColumn(column))
                continue;
            grid->item(r, column)->setData(SelectedIdRole, ids[column]);
            grid->item(r, column)->setData(LoadedNameRole, row[column]);
        }
    }
    grid->setSortingEnabled(true);
    grid->blockSignals(blocked);
}

bool EditableSubTable::_isSelectionColumn(int column)
{
    return static_cast<size_t>(column) < fields.size() && fields[column].type == MD_SEL &&
           fields[column].name != linkFieldName &&
           selectionTables.count(static_cast<unsigned int>(column));
}

void EditableSubTable::refreshNames()
{
    const bool blocked = grid->blockSignals(true);
    const bool sorting = grid->isSortingEnabled();
    grid->setSortingEnabled(false);
    for (int r = 0; r < grid->rowCount(); ++r) {
        for (int column = 0; column < grid->columnCount(); ++column) {
            QTableWidgetItem* item = grid->item(r, column);
            if (!_isSelectionColumn(column) || !item || !item->data(SelectedIdRole).isValid() ||
                item->text() != item->data(LoadedNameRole).toString())
                continue;
            const QString name = document->getNameByID(
                selectionTables[static_cast<unsigned int>(column)],
                item->data(SelectedIdRole).toInt());
            item->setText(name);
            item->setData(LoadedNameRole, name);
        }
    }
    grid->setSortingEnabled(sorting);
    grid->blockSignals(blocked);
}
