#pragma once

#include "data/schema.h"

#include <QByteArray>
#include <QDataStream>
#include <QSqlDatabase>
#include <QString>

#include <functional>
#include <map>

// The frame of a book file, for the benchmarks' own readers and writers.
const qint32 FileId = 81169248;
const qint32 EndMarker = 96012856;
const QDataStream::Version StreamVersion = QDataStream::Qt_5_15;

// Writes a benchmark book straight into a file, values typed as the database
// returns them: 500 ingredients, 20 units, 50 tags, the given number of
// recipes with 10 ingredient lines and 3 tags each and the photo made for
// every fifth, and a cooking plan of 10 dishes per 25 recipes. Returns the
// number of rows written.
qint64 writeBenchmarkBook(const QString& fileName, int recipes,
                          const std::function<QByteArray(int seed)>& photo);

// The bare loader: creates the tables of the schema without any index, reads
// the file with QDataStream and inserts every row through one prepared
// statement a table inside one transaction, without any check.
void createBareTables(QSqlDatabase& db, const std::map<QString, TableData>& schema);
bool bareLoad(QSqlDatabase& db, const std::map<QString, TableData>& schema, const QString& name);
