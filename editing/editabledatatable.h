#pragma once

#include "editing/editabletable.h"

#include <QString>

#include <vector>

class QPushButton;

// Every row of one table in a grid; each changed cell and each row action
// goes to the document at once.
class EditableDataTable : public EditableTable
{
    Q_OBJECT

public:
    EditableDataTable(Document* document, QString table);

    std::vector<QPushButton*> buttons;

public slots:
    void synchronize() override;
    void onEditButtonClicked() override;
    void onRowEditAction(QTableWidgetItem* item) override;

private:
    QVariant _selectionId(int field, const QString& name);
    bool _rowId(int row, int& id);
    bool _confirmDeletion(int id);
    void _showRow(std::vector<QVariant>& row, int id);
};
