#include "data/document.h"

#include "data/diagnostics.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>

#include <limits>

namespace {

// The error text of a query, empty when it has no valid error.
QString errorText(const QSqlQuery& query)
{
    return query.lastError().isValid() ? query.lastError().text() : QString();
}

QString conditionPart(const QString& where)
{
    return where.isEmpty() ? QString() : QStringLiteral(" WHERE ") + where;
}

} // namespace

Document::Document() : modified(false), fileName(QStringLiteral("NewBook")) {}

Document::~Document()
{
    // Release Qt's default connection so that a later book can take it over.
    if (!db.isValid())
        return;
    const QString connection = db.connectionName();
    db.close();
    db = QSqlDatabase();
    QSqlDatabase::removeDatabase(connection);
}

const TableData* Document::_table(const QString& name) const
{
    const auto found = tables.find(name);
    return found == tables.end() ? nullptr : &found->second;
}

TableData* Document::_table(const QString& name)
{
    const auto found = tables.find(name);
    return found == tables.end() ? nullptr : &found->second;
}

bool Document::createTable(QString name, TableData data)
{
    tables.emplace(name, data); // an existing declaration stays
    // The widgets keep ids as int: a row the database would number past that
    // range (after a book whose ids reach its end) is refused, not mistaken
    // for another one.
    QString columns = QStringLiteral("id INTEGER PRIMARY KEY NOT NULL CHECK (id BETWEEN 1 AND ")
                      + QString::number(std::numeric_limits<int>::max()) + QLatin1Char(')');
    for (const TF& field : data.fields)
        columns += QStringLiteral(", ") + field.name + QLatin1Char(' ') + field.sqlType;
    QSqlQuery query(db);
    query.exec(QStringLiteral("CREATE TABLE ") + name + QStringLiteral(" (") + columns
               + QLatin1Char(')'));
    if (query.lastError().isValid()) {
        CULINOR_DIAG("data", name + QStringLiteral(" table not created"));
        return false;
    }
    return true;
}

void Document::Clear()
{
    for (const auto& table : tables) {
        QSqlQuery query(db);
        query.exec(QStringLiteral("DELETE FROM ") + table.first);
        if (query.lastError().isValid())
            CULINOR_DIAG("data", table.first + QStringLiteral(" table not cleared"));
    }
}

QString Document::_insertStatement(const QString& table, const TableData& data, bool autoId) const
{
    const QString insert = QStringLiteral("INSERT INTO ") + table;
    // A table without fields has nothing to list after the id.
    if (data.fields.empty())
        return autoId ? insert + QStringLiteral(" DEFAULT VALUES")
                      : insert + QStringLiteral(" (id) VALUES(:id)");
    if (autoId)
        return insert + QStringLiteral(" (") + data.fieldList + QStringLiteral(") VALUES(")
               + data.bindList + QLatin1Char(')');
    return insert + QStringLiteral(" (id,") + data.fieldList + QStringLiteral(") VALUES(:id,")
           + data.bindList + QLatin1Char(')');
}

int Document::addRow(QString table, std::vector<QVariant>& values, bool autoId)
{
    const TableData* data = _table(table);
    if (!data) {
        CULINOR_DIAG("data", "Error: No such table in DB");
        return -1;
    }
    const size_t fieldCount = data->fields.size();
    const size_t firstField = autoId ? 0 : 1;
    if (!autoId && values.empty()) {
        CULINOR_DIAG("data", "Error: No id given for the row");
        return -1;
    }
    if (values.size() > fieldCount + firstField)
        CULINOR_DIAG("data", "Warning: Too many field values provided Document::addRow");

    QSqlQuery query(db);
    query.prepare(_insertStatement(table, *data, autoId));
    if (!autoId)
        query.bindValue(QStringLiteral(":id"), values[0]);
    for (size_t i = 0; i < fieldCount; ++i) {
        const size_t k = i + firstField;
        if (values.size() == k)
            values.push_back(data->fields[i].defaultValue);
        query.bindValue(QLatin1Char(':') + data->fields[i].name, values[k]);
    }
    if (!query.exec()) {
        CULINOR_DIAG("data", QStringLiteral("Document::addRow query error ") + errorText(query));
        return -1;
    }
    bool ok = false;
    const int id = query.lastInsertId().toInt(&ok);
    if (!ok) {
        CULINOR_DIAG("data", "Index of added element unknown");
        return -1;
    }
    return id;
}

int Document::addRow(QString table, const QVariant* values, int count)
{
    std::vector<QVariant> row(values, values + std::max(count, 0));
    return addRow(table, row, true);
}

void Document::deleteRow(QString table, int id)
{
    const TableData* data = _table(table);
    if (!data) {
        CULINOR_DIAG("data", "No such table in database");
        return;
    }
    const QString idText = QString::number(id);
    QSqlQuery query(db);
    if (!query.exec(QStringLiteral("DELETE FROM ") + table + QStringLiteral(" WHERE id=") + idText)) {
        CULINOR_DIAG("data", QStringLiteral("Deletion error: ") + errorText(query));
        return;
    }
    // One level deep: rows that select the deleted row go too, not the rows selecting those.
    for (const TableConnection& link : data->manyLinks) {
        const TableData* many = _table(link.table);
        if (!many) {
            CULINOR_DIAG("data", "Error: No Such table in database");
            continue;
        }
        if (link.field >= many->fields.size()) {
            CULINOR_DIAG("data", "Error: No such field in table");
            continue;
        }
        QSqlQuery dependent(db);
        if (!dependent.exec(QStringLiteral("DELETE FROM ") + link.table + QStringLiteral(" WHERE ")
                            + many->fields[link.field].name + QLatin1Char('=') + idText))
            CULINOR_DIAG("data", QStringLiteral("Deletion error: ") + errorText(dependent));
    }
}

bool Document::getRowByID(QString table, int id, std::vector<QVariant>& row)
{
    row.clear();
    QSqlQuery query(db);
    query.exec(QStringLiteral("SELECT * FROM ") + table + QStringLiteral(" WHERE id=")
               + QString::number(id));
    if (!query.next()) {
        CULINOR_DIAG("data", "Error: can't extract from DB");
        return false;
    }
    const int columns = query.record().count();
    for (int column = 1; column < columns; ++column)
        row.push_back(query.value(column));
    return true;
}

int Document::copyRow(QString table, int id)
{
    const TableData* data = _table(table);
    if (!data) {
        CULINOR_DIAG("data", "No such table in database");
        return -1;
    }
    std::vector<QVariant> row;
    getRowByID(table, id, row);
    if (row.size() != data->fields.size()) {
        CULINOR_DIAG("data", "Extracted row and fields array misatch");
        return -1;
    }
    return addRow(table, row, true);
}

bool Document::getRowWhere(QString table, QString where, std::vector<QVariant>& row)
{
    row.clear();
    QSqlQuery query(db);
    query.exec(QStringLiteral("SELECT * FROM ") + table + QStringLiteral(" WHERE ") + where);
    if (!query.next())
        return false;
    const int columns = query.record().count();
    for (int column = 1; column < columns; ++column)
        row.push_back(query.value(column));
    return true;
}

QString Document::getNameByID(QString table, int id)
{
    if (id == -1)
        return NO_SELECTION;
    if (!_table(table)) {
        CULINOR_DIAG("data", "Table doesn't exist!");
        return NO_SELECTION;
    }
    QSqlQuery query(db);
    query.exec(QStringLiteral("SELECT name FROM ") + table + QStringLiteral(" WHERE id=")
               + QString::number(id));
    if (!query.next()) {
        CULINOR_DIAG("data", "Query error");
        return NO_SELECTION;
    }
    return query.value(0).toString();
}

int Document::getIDByName(QString table, QString name)
{
    // The name is bound, never pasted: any text, quotes included, is looked up as it is.
    QSqlQuery query(db);
    query.prepare(QStringLiteral("SELECT id FROM ") + table + QStringLiteral(" WHERE name=:name"));
    query.bindValue(QStringLiteral(":name"), name);
    if (!query.exec() || !query.next())
        return -1;
    bool ok = false;
    const int id = query.value(0).toInt(&ok);
    if (!ok) {
        CULINOR_DIAG("data", QStringLiteral("Cannot get ID value in table") + table
                                 + QStringLiteral(" for name ") + name);
        return -1;
    }
    return id;
}

void Document::getRows(QString table, QString where, QueryResult* result)
{
    result->query = QSqlQuery(db);
    result->query.exec(QStringLiteral("SELECT * FROM ") + table + conditionPart(where));
    if (result->query.lastError().isValid())
        CULINOR_DIAG("data", QStringLiteral("Query error: ") + result->query.lastError().text());
    if (_table(table))
        result->table = table;
    else
        CULINOR_DIAG("data", "Error: no such table in database");
}

void Document::getRows(QString table, QString fields, QString where, QueryResult* result)
{
    const QString columns = fields.isEmpty() ? QStringLiteral("* ") : fields + QLatin1Char(' ');
    result->query = QSqlQuery(db);
    result->query.exec(QStringLiteral("SELECT ") + columns + QStringLiteral("FROM ") + table
                       + conditionPart(where));
    if (_table(table))
        result->table = table;
    else
        CULINOR_DIAG("data", "Error: no such table in database");
}

void Document::getNames(QString table, QString where, QueryResult* result)
{
    if (!_table(table)) {
        CULINOR_DIAG("data", "Error: no such table in database");
        return;
    }
    result->table = table;
    result->query = QSqlQuery(db);
    result->query.exec(QStringLiteral("SELECT name FROM ") + table + conditionPart(where));
}

void Document::updateItem(QString table, int id, int field, QVariant value)
{
    const TableData* data = _table(table);
    if (!data) {
        CULINOR_DIAG("data", "No such table in database");
        return;
    }
    if (field < 0 || static_cast<size_t>(field) >= data->fields.size()) {
        CULINOR_DIAG("data", QStringLiteral("Invalid field index ") + QString::number(field));
        return;
    }
    const QString& name = data->fields[field].name;
    QSqlQuery query(db);
    query.prepare(QStringLiteral("UPDATE ") + table + QStringLiteral(" SET ") + name
                  + QStringLiteral("=:") + name + QStringLiteral(" WHERE id=") + QString::number(id));
    query.bindValue(QLatin1Char(':') + name, value);
    if (!query.exec())
        CULINOR_DIAG("data", QStringLiteral("Query error ") + errorText(query));
}

void Document::updateTable(QString table, int id, std::vector<TableFieldUpdate>& updates)
{
    const TableData* data = _table(table);
    if (!data) {
        CULINOR_DIAG("data", "No such table in database");
        return;
    }
    QStringList assignments;
    for (const TableFieldUpdate& update : updates) {
        if (update.field >= data->fields.size()) {
            CULINOR_DIAG("data", QStringLiteral("Invalid field index ")
                                     + QString::number(update.field));
            return;
        }
        const QString& name = data->fields[update.field].name;
        assignments << name + QStringLiteral("=:") + name;
    }
    QSqlQuery query(db);
    query.prepare(QStringLiteral("UPDATE ") + table + QStringLiteral(" SET ")
                  + assignments.join(QStringLiteral(", ")) + QStringLiteral(" WHERE id=")
                  + QString::number(id));
    for (const TableFieldUpdate& update : updates)
        query.bindValue(QLatin1Char(':') + data->fields[update.field].name, update.value);
    if (!query.exec()) {
        const QString error = query.lastError().isValid() ? query.lastError().text()
                                                          : QStringLiteral("Unknown error");
        CULINOR_DIAG("data", QStringLiteral("Document::addRow query error ") + error);
    }
}
