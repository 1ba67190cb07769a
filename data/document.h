#pragma once

#include "data/queryresult.h"
#include "data/recipe.h"
#include "data/schema.h"

#include <QDataStream>
#include <QSqlDatabase>
#include <QString>
#include <QStringList>
#include <QVariant>

#include <functional>
#include <map>
#include <vector>

// Told how far a load or save has got, as done out of total; answering false
// cancels it, and the load or save then fails like any other.
using BookProgress = std::function<bool(qint64 done, qint64 total)>;

// The recipe book: an in-memory SQLite database declared from field schemas,
// its row operations, table connections, and the .carb file format.
class Document
{
public:
    Document();
    ~Document();
    Document(const Document&) = delete;
    Document& operator=(const Document&) = delete;

    // Schema and database.
    bool createTable(QString name, TableData data);
    bool setDataStructure();

    // Rows.
    void Clear();
    int addRow(QString table, std::vector<QVariant>& values, bool autoId);
    int addRow(QString table, const QVariant* values, int count);
    void deleteRow(QString table, int id);
    bool getRowByID(QString table, int id, std::vector<QVariant>& row);
    int copyRow(QString table, int id);
    bool getRowWhere(QString table, QString where, std::vector<QVariant>& row);
    QString getNameByID(QString table, int id);
    int getIDByName(QString table, QString name);
    void getRows(QString table, QString where, QueryResult* result);
    void getRows(QString table, QString fields, QString where, QueryResult* result);
    void getNames(QString table, QString where, QueryResult* result);
    void updateItem(QString table, int id, int field, QVariant value);
    void updateTable(QString table, int id, std::vector<TableFieldUpdate>& updates);

    // Connections and resolution.
    void connectTables(QString one, QString many, uint field, QString caption);
    void getConnectionsMany(QString table, std::vector<TableConnection>& out);
    void obtainFieldConnections(QString table, std::map<unsigned int, QString>& out);
    bool copyTableFields(QString table, std::vector<TF>& out);
    void resolveRow(TableData& data, std::vector<QVariant>& row);
    void resolveRow(QString table, std::vector<QVariant>& row);
    bool nextResolvedRow(QueryResult* result, std::vector<QVariant>& row);
    // Copies the row with its rows in ownTables (its details, not the rows of
    // other records that select it); returns the new id or -1.
    int copyRowConnected(QString table, int id, const QStringList& ownTables);
    // The rows of other tables that select the row, and go when it is deleted.
    int countDependentRows(QString table, int id);
    void replaceTableSection(QString table, std::vector<std::vector<QVariant> >& rows,
                             QString keyField, int keyValue);
    void updateSelectionLists(QString table,
                              std::map<unsigned int, std::vector<QVariant> >* lists);
    void _getNameValues(QString table, std::vector<QVariant>& out);

    // Recipe record and sample content.
    void getRecipe(int id, Recipe& recipe);
    int addCookingPlan(QString name, QString notes, const PlanDish* dishes, int count);
    void fillSampleBook();
    int addSampleRecipe(QString name, QString photoFile, QString description,
                        const RecipeIngredient* ingredients, int ingredientCount,
                        const QString* tags, int tagCount, uchar rating, uchar complexity,
                        float expenses);

    // File format.
    bool SaveDocument(QString fileName, const BookProgress& progress = nullptr);
    bool OpenDocument(QString fileName, const BookProgress& progress = nullptr);
    // Writes the whole book to fileName at once, leaving fileName and modified
    // as they are (a recovery copy, not a save).
    bool SaveCopy(QString fileName);

    std::map<QString, TableData> tables;
    QSqlDatabase db;
    bool modified;
    QString fileName;

private:
    const TableData* _table(const QString& name) const;
    TableData* _table(const QString& name);
    QString _insertStatement(const QString& table, const TableData& data, bool autoId) const;
    void _dropSelectionIndexes();
    bool _createSelectionIndexes();
    bool _writeBook(QDataStream& out, const BookProgress& progress);
    bool _readBook(QDataStream& in, const BookProgress& progress);
};
