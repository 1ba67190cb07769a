#include "data/queryresult.h"

#include <QSqlRecord>

bool readNextRow(QSqlQuery& query, std::vector<QVariant>& row, int firstColumn)
{
    row.clear();
    if (!query.next())
        return false;
    const int columns = query.record().count();
    for (int column = std::max(firstColumn, 0); column < columns; ++column)
        row.push_back(query.value(column));
    return true;
}

bool readNextValue(QSqlQuery& query, QVariant& value)
{
    if (!query.next())
        return false;
    value = query.value(0);
    return true;
}
