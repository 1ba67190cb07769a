#pragma once

#include <QString>

#include <vector>

class EditableSubTable;
class QWidget;

// One editor widget of the panel and the field it edits.
struct EditWidget
{
    QWidget* widget;
    ushort field;
    uchar type;
};

// The content of an editor panel: the master table, one editor widget per
// field in field order, and the detail grids that are loaded and saved.
struct EditForm
{
    QString table;
    std::vector<EditWidget> widgets;
    std::vector<EditableSubTable*> subTables;
};
