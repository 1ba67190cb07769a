#pragma once

#include <QString>
#include <QVariant>

#include <vector>

// Metatypes: one byte per field, deciding SQL type, default and editor.
const uchar MD_INT = 0;
const uchar MD_FLOAT = 1;
const uchar MD_STRING = 2;
const uchar MD_TEXT = 3;   // rich text stored as HTML
const uchar MD_SEL = 4;    // id of a row of another table; -1 for none
const uchar MD_RATING = 5; // 0 to 10
const uchar MD_MONEY = 6;
const uchar MD_IMAGE = 7;  // encoded picture bytes; "0" for none
const uchar MD_COUNT = 8;

// The text that stands for "no selection" everywhere.
extern const QString NO_SELECTION;

// One field of a table.
struct TF
{
    TF(QString name, uchar type, QString caption, QVariant defaultValue = QVariant());

    QString name;
    uchar type;
    QString caption;
    QVariant defaultValue;
    QString sqlType;
    QString linkedTable;
    bool connected;
};

// One link between an MD_SEL field and another table.
struct TableConnection
{
    unsigned int field;
    QString table;
    QString caption;
};

// One table's declaration; its name is its key in Document::tables.
struct TableData
{
    TableData() = default;
    TableData(const TF* fields, int count);

    std::vector<TF> fields;
    QString fieldList;
    QString bindList;
    std::vector<TableConnection> oneLinks;
    std::vector<TableConnection> manyLinks;
};
