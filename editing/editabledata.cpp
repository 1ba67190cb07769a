#include "editing/editabledata.h"

EditableData::EditableData(Document* document, QString table) : table(table), document(document)
{
    document->obtainFieldConnections(table, selectionTables);
    document->copyTableFields(table, fields);
}
