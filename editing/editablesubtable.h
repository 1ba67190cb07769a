#pragma once

#include "editing/editabletable.h"

#include <QString>
#include <QVariant>

#include <vector>

// The detail rows of one master row (for example a recipe's ingredient
// lines). Only the grid is edited; the owner saves it as a whole.
class EditableSubTable : public EditableTable
{
    Q_OBJECT

public:
    EditableSubTable(Document* document, QString table, uint linkField);

    void getTableData(std::vector<std::vector<QVariant>>& data);
    // Replaces the grid's rows by the detail rows of master row id.
    void fill(int masterId);
    // Renews the names in selection cells the user has not changed, after
    // the rows they select were renamed elsewhere.
    void refreshNames();

    QString linkFieldName;
    bool valid = false;

public slots:
    void synchronize() override;
    void onEditButtonClicked() override;

private:
    void _appendRow(const std::vector<QTableWidgetItem*>& items);
    bool _isSelectionColumn(int column);
};
