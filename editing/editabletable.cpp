#include "editing/editabletable.h"

#include "data/diagnostics.h"
#include "editing/floatdelegate.h"
#include "editing/intdelegate.h"
#include "editing/rangeintdelegate.h"
#include "editing/seldelegate.h"

#include <QComboBox>
#include <QLineEdit>
#include <QTableWidget>

namespace {

const int IdRole = Qt::UserRole + 1;
const int MinimumColumnWidth = 100;

} // namespace

EditableTable::EditableTable(Document* document, QString table) : EditableData(document, table) {}

int EditableTable::addRow(std::vector<QVariant>& row, int id)
{
    const int r = grid->rowCount();
    if (static_cast<size_t>(grid->columnCount()) != row.size()) {
        CULINOR_DIAG("mainwindow",
                     QStringLiteral("Vector size and column count don't match: vector size ") +
                         QString::number(row.size()) + QStringLiteral(" table columns ") +
                         QString::number(grid->columnCount()));
        return -1;
    }
    // Sorting would move the row while its cells are being filled.
    const bool sorting = grid->isSortingEnabled();
    grid->setSortingEnabled(false);
    grid->insertRow(r);
    for (size_t i = 0; i < row.size(); ++i) {
        auto* item = new QTableWidgetItem(row[i].toString());
        if (id != -1)
            item->setData(IdRole, id);
        grid->setItem(r, static_cast<int>(i), item);
    }
    grid->setSortingEnabled(sorting);
    return r;
}

void EditableTable::_setTableDelegate(QTableWidget* table, uint column, uchar type)
{
    // The grid owns its delegates, so they live exactly as long as it does.
    QItemDelegate* delegate = nullptr;
    switch (type) {
    case MD_INT:
        delegate = new IntDelegate(table);
        break;
    case MD_FLOAT:
        delegate = new FloatDelegate(table);
        break;
    case MD_STRING:
    case MD_TEXT:
        return;
    case MD_SEL: {
        QString selected;
        const auto found = selectionTables.find(column);
        if (found == selectionTables.end())
            CULINOR_DIAG("mainwindow", "No such list in selection data");
        else
            selected = found->second;
        auto* selection = new SelDelegate(selected, table);
        connect(selection, &SelDelegate::populateCombo, this,
                &EditableTable::onComboPopulateRequested);
        delegate = selection;
        break;
    }
    case MD_RATING:
        delegate = new RangeIntDelegate(0, 10, table);
        break;
    default:
        CULINOR_DIAG("mainwindow", "Unexpected metadata");
        return;
    }
    table->setItemDelegateForColumn(static_cast<int>(column), delegate);
}

void EditableTable::commitOpenEditors()
{
    const QModelIndex index = grid->currentIndex();
    QWidget* editor = index.isValid() ? grid->indexWidget(index) : nullptr;
    if (!editor)
        return;
    // As Enter would: the delegate writes the editor's value into the cell.
    QAbstractItemDelegate* delegate = grid->itemDelegate(index);
    emit delegate->commitData(editor);
    emit delegate->closeEditor(editor, QAbstractItemDelegate::NoHint);
}

void EditableTable::onComboPopulateRequested(QComboBox* editor, QString patStr, QString table)
{
    QueryResult result;
    document->getNames(table, QString(), &result);
    int index = -1;
    int i = 0;
    QVariant value;
    while (readNextValue(result.query, value)) {
        const QString text = value.toString();
        if (text == patStr)
            index = i;
        editor->addItem(text);
        ++i;
    }
    if (index == -1)
        editor->lineEdit()->setText(patStr);
    else
        editor->setCurrentIndex(index);
    editor->lineEdit()->selectAll();
}

void EditableTable::onRowEditAction(QTableWidgetItem* item)
{
    QTableWidget* owner = item ? item->tableWidget() : nullptr;
    const int row = owner ? item->row() : -1;
    const int column = owner ? item->column() : -1;
    CULINOR_DIAG("mainwindow", QStringLiteral("Base class function called with arg") +
                                   QLatin1Char('(') + QString::number(row) + QLatin1Char(',') +
                                   QString::number(column) + QLatin1Char(')'));
}

void EditableTable::_setUpColumns(int linkField)
{
    grid->setColumnCount(static_cast<int>(fields.size()));
    for (size_t i = 0; i < fields.size(); ++i) {
        const int column = static_cast<int>(i);
        grid->setHorizontalHeaderItem(column, new QTableWidgetItem(fields[i].caption));
        grid->resizeColumnToContents(column);
        if (grid->columnWidth(column) < MinimumColumnWidth)
            grid->setColumnWidth(column, MinimumColumnWidth);
        if (column == linkField)
            grid->setColumnHidden(column, true);
        else
            _setTableDelegate(grid, static_cast<uint>(i), fields[i].type);
    }
}
