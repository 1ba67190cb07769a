#pragma once

#include "editing/editabledata.h"

#include <QString>
#include <QVariant>

#include <vector>

class QComboBox;
class QTableWidget;
class QTableWidgetItem;

// An editor that shows rows of its table in a grid, with an item delegate
// per column chosen by the field's metatype.
class EditableTable : public EditableData
{
    Q_OBJECT

public:
    EditableTable(Document* document, QString table);

    // Appends the row to the grid; id -1 stores no id. Returns the new row
    // index, or -1 when the row does not fit the grid's columns.
    int addRow(std::vector<QVariant>& row, int id);
    void _setTableDelegate(QTableWidget* table, uint column, uchar type);
    void commitOpenEditors() override;

    QTableWidget* grid = nullptr;

public slots:
    void onComboPopulateRequested(QComboBox* editor, QString patStr, QString table);
    virtual void onRowEditAction(QTableWidgetItem* item);

protected:
    // Captions, widths and delegates of every column; the link column of a
    // detail grid (linkField) is hidden instead of getting a delegate.
    void _setUpColumns(int linkField = -1);
};
