#include "editing/editabledatatable.h"

#include "data/diagnostics.h"
#include "editing/askyesno.h"
#include "lang/langmodel.h"

#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

namespace {

const int IdRole = Qt::UserRole + 1;

} // namespace

EditableDataTable::EditableDataTable(Document* document, QString table)
    : EditableTable(document, table)
{
    QHBoxLayout* buttonRow = _createEditButtons(buttons);
    _connectEditButtons(buttons);
    grid = _createTableWidget();
    _setUpColumns();
    connect(grid, &QTableWidget::itemChanged, this, &EditableDataTable::onRowEditAction);
    auto* box = new QVBoxLayout;
    box->addLayout(buttonRow);
    box->addWidget(grid);
    layout = box;
}

void EditableDataTable::synchronize()
{
    grid->setRowCount(0);
    QueryResult result;
    document->getRows(table, QString(), &result);
    const bool blocked = grid->blockSignals(true);
    // Sorted once at the end rather than after every row.
    grid->setSortingEnabled(false);
    std::vector<QVariant> row;
    while (readNextRow(result.query, row, 0)) {
        bool ok = false;
        const int id = row.empty() ? 0 : row[0].toInt(&ok);
        if (!ok) {
            CULINOR_DIAG("mainwindow", "Unable to obtain ID");
            continue;
        }
        row.erase(row.begin());
        document->resolveRow(table, row);
        addRow(row, id);
    }
    grid->setSortingEnabled(true);
    grid->blockSignals(blocked);
}

void EditableDataTable::onRowEditAction(QTableWidgetItem* item)
{
    // Every cell of a row carries the row's id, so the edited cell's own id
    // is right even when sorting has just moved the row.
    bool ok = false;
    const int id = item->data(IdRole).toInt(&ok);
    if (!ok) {
        CULINOR_DIAG("mainwindow", "Unable to obtain row ID");
        return;
    }
    emit documentChanged();
    const int column = item->column();
    const QVariant value = item->data(Qt::DisplayRole);
    const bool selection = column >= 0 && static_cast<size_t>(column) < fields.size() &&
                           fields[column].type == MD_SEL &&
                           selectionTables.count(static_cast<unsigned int>(column));
    if (!selection) {
        document->updateItem(table, id, column, value);
        return;
    }
    // The grid shows a name; the book keeps the id of the row of that name.
    const QVariant selected = _selectionId(column, value.toString());
    document->updateItem(table, id, column, selected);
    const QString shown = document->getNameByID(selectionTables[column], selected.toInt());
    if (shown != item->text()) {
        const bool blocked = grid->blockSignals(true);
        item->setText(shown);
        grid->blockSignals(blocked);
    }
}

// The id a selection name stands for: a known name's id, -1 for "-----",
// else the id of a new row of that name in the selected table.
QVariant EditableDataTable::_selectionId(int field, const QString& name)
{
    const QString& selected = selectionTables[static_cast<unsigned int>(field)];
    const int known = document->getIDByName(selected, name);
    if (known != -1)
        return known;
    if (name == NO_SELECTION)
        return -1;
    const QVariant values[] = {name};
    return document->addRow(selected, values, 1);
}

bool EditableDataTable::_rowId(int row, int& id)
{
    const QTableWidgetItem* item = grid->item(row, 0);
    bool ok = false;
    id = item ? item->data(IdRole).toInt(&ok) : -1;
    if (!ok)
        CULINOR_DIAG("mainwindow", "Unable to extract ID");
    return ok;
}

void EditableDataTable::_showRow(std::vector<QVariant>& row, int id)
{
    document->resolveRow(table, row);
    const bool blocked = grid->blockSignals(true);
    addRow(row, id);
    grid->blockSignals(blocked);
}

// Deleting a row deletes the rows of other tables that select it: the user
// is told how many and confirms first, No being the default.
bool EditableDataTable::_confirmDeletion(int id)
{
    std::vector<TableConnection> cascades;
    document->getConnectionsMany(table, cascades);
    if (cascades.empty())
        return true;
    const int used = document->countDependentRows(table, id);
    const QString question = translate(QStringLiteral("Delete \"%1\"?"))
                                 .arg(document->getNameByID(table, id));
    const QString consequence =
        used > 0 ? translate(QStringLiteral("It is used in %1 recipe lines, which are deleted "
                                            "with it."))
                       .arg(used)
                 : QString();
    return askYesNo(question, consequence);
}

void EditableDataTable::onEditButtonClicked()
{
    const QString action = sender() ? sender()->objectName() : QString();
    const int current = grid->currentRow();
    const bool inRange = current >= 0 && current < grid->rowCount();
    if (action != QLatin1String("d"))
        emit documentChanged();
    if (action == QLatin1String("a")) {
        std::vector<QVariant> row;
        const int id = document->addRow(table, row, true);
        if (id == -1) {
            CULINOR_DIAG("mainwindow", "Row not added");
            return;
        }
        _showRow(row, id);
    } else if (action == QLatin1String("c")) {
        int id = -1;
        if (!inRange || !_rowId(current, id))
            return;
        const int newId = document->copyRow(table, id);
        if (newId == -1) {
            CULINOR_DIAG("mainwindow", "Row copy failed");
            return;
        }
        std::vector<QVariant> row;
        if (!document->getRowByID(table, newId, row)) {
            CULINOR_DIAG("mainwindow", "Row not obtained");
            return;
        }
        _showRow(row, newId);
    } else if (action == QLatin1String("d")) {
        int id = -1;
        const bool found = inRange && _rowId(current, id);
        if (found && !_confirmDeletion(id))
            return;
        emit documentChanged();
        if (!found)
            return;
        document->deleteRow(table, id);
        const bool blocked = grid->blockSignals(true);
        grid->removeRow(current);
        grid->blockSignals(blocked);
    } else {
        CULINOR_DIAG("mainwindow", QStringLiteral("Unknown action: ") + action);
    }
}
