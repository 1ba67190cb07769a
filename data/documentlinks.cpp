// Table connections: selection fields, name resolution and detail sections.
#include "data/document.h"

#include "data/diagnostics.h"

#include <QSqlError>
#include <QSqlQuery>

namespace {

// The index of a selection field, which rows are looked up by (detail sections, cascades).
QString createIndexStatement(const QString& table, const QString& field)
{
    return QStringLiteral("CREATE INDEX IF NOT EXISTS ") + table + QLatin1Char('_') + field
           + QStringLiteral("_index ON ") + table + QLatin1Char('(') + field + QLatin1Char(')');
}

QString dropIndexStatement(const QString& table, const QString& field)
{
    return QStringLiteral("DROP INDEX IF EXISTS ") + table + QLatin1Char('_') + field
           + QStringLiteral("_index");
}

} // namespace

void Document::connectTables(QString one, QString many, uint field, QString caption)
{
    TableData* oneTable = _table(one);
    TableData* manyTable = _table(many);
    if (!oneTable || !manyTable) {
        CULINOR_DIAG("data", "Cannot link tables: one or both tables missing!");
        return;
    }
    if (field >= manyTable->fields.size()) {
        CULINOR_DIAG("data", "Error: Dest table doesn't have such a field!");
        return;
    }
    TF& linker = manyTable->fields[field];
    if (linker.type != MD_SEL) {
        CULINOR_DIAG("data", "Error: Linker field must be of MD_SEL metatype");
        return;
    }
    linker.linkedTable = one;
    linker.connected = true;
    manyTable->oneLinks.push_back({field, one, caption});
    oneTable->manyLinks.push_back({field, many, caption});
    QSqlQuery index(db);
    index.exec(createIndexStatement(many, linker.name));
}

void Document::_dropSelectionIndexes()
{
    // A drop fails while another query is still reading: that index then stays.
    for (const auto& table : tables) {
        for (const TableConnection& link : table.second.oneLinks) {
            const QString& field = table.second.fields[link.field].name;
            QSqlQuery(db).exec(dropIndexStatement(table.first, field));
        }
    }
}

bool Document::_createSelectionIndexes()
{
    for (const auto& table : tables) {
        for (const TableConnection& link : table.second.oneLinks) {
            const QString& field = table.second.fields[link.field].name;
            QSqlQuery index(db);
            if (!index.exec(createIndexStatement(table.first, field))) {
                CULINOR_DIAG("data", QStringLiteral("Error: ") + index.lastError().text());
                return false;
            }
        }
    }
    return true;
}

void Document::getConnectionsMany(QString table, std::vector<TableConnection>& out)
{
    const TableData* data = _table(table);
    if (!data) {
        CULINOR_DIAG("data", "No such table in database");
        return;
    }
    out = data->manyLinks;
}

void Document::obtainFieldConnections(QString table, std::map<unsigned int, QString>& out)
{
    out.clear();
    const TableData* data = _table(table);
    if (!data) {
        CULINOR_DIAG("data", "No such table in database");
        return;
    }
    for (const TableConnection& link : data->oneLinks)
        out.emplace(link.field, link.table); // the first entry of a field stays
}

bool Document::copyTableFields(QString table, std::vector<TF>& out)
{
    const TableData* data = _table(table);
    if (!data) {
        CULINOR_DIAG("data", "No such table in database");
        return false;
    }
    out = data->fields;
    return true;
}

void Document::resolveRow(TableData& data, std::vector<QVariant>& row)
{
    for (const TableConnection& link : data.oneLinks) {
        if (link.field >= row.size())
            continue; // a short row has no value to resolve for this field
        bool ok = false;
        const int id = row[link.field].toInt(&ok);
        if (!ok) {
            CULINOR_DIAG("data", "Error: id of connected field cannot be extracted");
            continue;
        }
        row[link.field] = QVariant(getNameByID(link.table, id));
    }
}

void Document::resolveRow(QString table, std::vector<QVariant>& row)
{
    TableData* data = _table(table);
    if (!data) {
        CULINOR_DIAG("data", "No such table in database");
        return;
    }
    resolveRow(*data, row);
}

bool Document::nextResolvedRow(QueryResult* result, std::vector<QVariant>& row)
{
    if (!readNextRow(result->query, row, 1))
        return false;
    if (TableData* data = _table(result->table))
        resolveRow(*data, row);
    return true;
}

int Document::copyRowConnected(QString table, int id, const QStringList& ownTables)
{
    const int newId = copyRow(table, id);
    const TableData* data = _table(table);
    if (!data) {
        CULINOR_DIAG("data", "No such table in database");
        return -1;
    }
    // Without a copy of the main row the dependent rows would select nothing.
    if (newId == -1)
        return -1;
    const std::vector<TableConnection> links = data->manyLinks;
    for (const TableConnection& link : links) {
        if (!ownTables.contains(link.table))
            continue;
        const TableData* many = _table(link.table);
        if (!many) {
            CULINOR_DIAG("data", "No connected table in database");
            continue;
        }
        QueryResult dependents;
        getRows(link.table, many->fields[link.field].name + QLatin1Char('=') + QString::number(id),
                &dependents);
        std::vector<std::vector<QVariant> > rows;
        std::vector<QVariant> row;
        while (readNextRow(dependents.query, row, 1))
            rows.push_back(row);
        for (std::vector<QVariant>& copy : rows) {
            copy[link.field] = QVariant(newId);
            addRow(link.table, copy, true);
        }
    }
    return newId;
}

int Document::countDependentRows(QString table, int id)
{
    const TableData* data = _table(table);
    if (!data) {
        CULINOR_DIAG("data", "No such table in database");
        return 0;
    }
    int count = 0;
    for (const TableConnection& link : data->manyLinks) {
        const TableData* many = _table(link.table);
        if (!many || link.field >= many->fields.size())
            continue;
        QSqlQuery query(db);
        const QString where =
            many->fields[link.field].name + QLatin1Char('=') + QString::number(id);
        if (query.exec(QStringLiteral("SELECT COUNT(*) FROM ") + link.table
                       + QStringLiteral(" WHERE ") + where)
            && query.next())
            count += query.value(0).toInt();
    }
    return count;
}

void Document::replaceTableSection(QString table, std::vector<std::vector<QVariant> >& rows,
                                   QString keyField, int keyValue)
{
    const TableData* data = _table(table);
    if (!data) {
        CULINOR_DIAG("data", "Error: No such table in database");
        return;
    }
    const QString insert = QStringLiteral("INSERT INTO ") + table + QStringLiteral(" (")
                           + data->fieldList + QStringLiteral(") VALUES (") + data->bindList
                           + QLatin1Char(')');
    QSqlQuery remove(db);
    remove.exec(QStringLiteral("DELETE FROM ") + table + QStringLiteral(" WHERE ") + keyField
                + QLatin1Char('=') + QString::number(keyValue));

    for (std::vector<QVariant>& row : rows) {
        if (row.size() != data->fields.size()) {
            CULINOR_DIAG("data", "Variant vector and field count mismatch");
            continue;
        }
        QSqlQuery query(db);
        query.prepare(insert);
        for (size_t i = 0; i < data->fields.size(); ++i) {
            const TF& field = data->fields[i];
            const QString bindName = QLatin1Char(':') + field.name;
            if (field.name == keyField) {
                query.bindValue(bindName, keyValue);
                continue;
            }
            if (!field.connected) {
                query.bindValue(bindName, row[i]);
                continue;
            }
            // A connected cell holds a name: a known name's id, -1 for "-----",
            // else the id of a row created under that name.
            QSqlQuery lookup(db);
            lookup.prepare(QStringLiteral("SELECT id FROM ") + field.linkedTable
                           + QStringLiteral(" WHERE name=:name"));
            lookup.bindValue(QStringLiteral(":name"), row[i]);
            if (!lookup.exec()) {
                CULINOR_DIAG("data", "Query exec() error!");
                query.bindValue(bindName, row[i]);
            } else if (lookup.next()) {
                query.bindValue(bindName, lookup.value(0));
            } else if (row[i].toString() == NO_SELECTION) {
                query.bindValue(bindName, -1);
            } else {
                query.bindValue(bindName, addRow(field.linkedTable, &row[i], 1));
            }
        }
        if (!query.exec())
            CULINOR_DIAG("data", QStringLiteral("Query error: ")
                                     + (query.lastError().isValid() ? query.lastError().text()
                                                                    : QString()));
    }
}

void Document::updateSelectionLists(QString table,
                                    std::map<unsigned int, std::vector<QVariant> >* lists)
{
    const TableData* data = _table(table);
    if (!data) {
        CULINOR_DIAG("data", QStringLiteral("Table ") + table + QStringLiteral(" doesn't exist"));
        return;
    }
    for (auto& entry : *lists) {
        const unsigned int index = entry.first;
        if (index >= data->fields.size()) {
            CULINOR_DIAG("data", QStringLiteral("Invalid field index ") + QString::number(index));
            continue;
        }
        if (data->fields[index].type != MD_SEL) {
            CULINOR_DIAG("data", "Field data type must be MD_SEL");
            continue;
        }
        const TableConnection* link = nullptr;
        for (const TableConnection& candidate : data->oneLinks) {
            if (candidate.field == index) {
                link = &candidate;
                break;
            }
        }
        if (!link) {
            CULINOR_DIAG("data",
                         "Field with MD_SEL metatype must be MANY endpoint of table connection");
            entry.second.assign(1, QVariant(NO_SELECTION));
            continue;
        }
        _getNameValues(link->table, entry.second);
        entry.second.insert(entry.second.begin(), QVariant(NO_SELECTION));
    }
}

void Document::_getNameValues(QString table, std::vector<QVariant>& out)
{
    out.clear();
    QSqlQuery query(db);
    query.exec(QStringLiteral("SELECT name FROM ") + table);
    if (query.lastError().isValid())
        CULINOR_DIAG("data", QStringLiteral("Query error: ") + query.lastError().text());
    while (query.next())
        out.push_back(query.value(0));
}
