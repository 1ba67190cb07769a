#pragma once

#include "data/document.h"
#include "editing/editableentity.h"

#include <map>
#include <vector>

// An editor bound to one table of the book.
class EditableData : public EditableEntity
{
    Q_OBJECT

public:
    EditableData(Document* document, QString table);

    QString table;
    Document* document;
    std::map<unsigned int, QString> selectionTables;
    std::vector<TF> fields;
};
