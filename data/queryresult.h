#pragma once

#include <QSqlQuery>
#include <QString>
#include <QVariant>

#include <vector>

// An executed selection, positioned before its first row.
struct QueryResult
{
    QSqlQuery query;
    QString table; // set only when the table is declared in the schema
};

// One change for Document::updateTable.
struct TableFieldUpdate
{
    QVariant value;
    quint16 field;
};

// Advances the query; on success replaces row by the columns from firstColumn on.
bool readNextRow(QSqlQuery& query, std::vector<QVariant>& row, int firstColumn);
// Advances the query; on success stores column 0 in value.
bool readNextValue(QSqlQuery& query, QVariant& value);
