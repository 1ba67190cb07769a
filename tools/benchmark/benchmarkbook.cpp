#include "tools/benchmark/benchmarkbook.h"

#include "data/recipebook.h"

#include <QFile>
#include <QSqlQuery>
#include <QVariant>

namespace {

using RowWriter = std::function<void(QDataStream&, qlonglong id)>;

void writeSection(QDataStream& file, const QString& table, qint32 rows, const RowWriter& row)
{
    file << table << rows;
    for (qint32 id = 1; id <= rows; ++id) {
        file << QVariant(qlonglong(id));
        row(file, id);
    }
}

} // namespace

qint64 writeBenchmarkBook(const QString& fileName, int recipes,
                          const std::function<QByteArray(int seed)>& photo)
{
    QFile fileDevice(fileName);
    fileDevice.open(QIODevice::WriteOnly);
    QDataStream file(&fileDevice);
    file.setVersion(StreamVersion);
    const auto integer = [](qlonglong v) { return QVariant(v); };
    const auto real = [](double v) { return QVariant(v); };
    const int ingredients = 500, units = 20, tags = 50, plans = recipes / 25;
    qint64 rows = 0;
    const auto section = [&](const QString& table, qint32 count, const RowWriter& row) {
        writeSection(file, table, count, row);
        rows += count;
    };
    file << FileId << qint32(1000) << qint32(8);
    using namespace Book;
    section(CookingPlanRecipes, plans * 10, [&](QDataStream& s, qlonglong id) {
        s << integer((id - 1) / 10 + 1) << integer((id * 37) % recipes + 1) << integer(id % 6 + 1);
    });
    section(CookingPlans, plans, [&](QDataStream& s, qlonglong id) {
        s << QVariant(QString("Plan %1").arg(id)) << QVariant(QString("<p>Notes</p>"))
          << integer(10) << integer(id % 12 + 1);
    });
    section(Ingredients, ingredients, [&](QDataStream& s, qlonglong id) {
        s << QVariant(QString("ingredient %1").arg(id)) << integer(id % units + 1)
          << real(1.5) << real(0.0);
    });
    section(RecipeIngredients, recipes * 10, [&](QDataStream& s, qlonglong id) {
        s << integer((id - 1) / 10 + 1) << integer((id * 37) % ingredients + 1)
          << real(0.25 * (id % 10)) << integer(id % units + 1);
    });
    section(RecipeTags, recipes * 3, [&](QDataStream& s, qlonglong id) {
        s << integer((id - 1) / 3 + 1) << integer((id * 13) % tags + 1);
    });
    section(Recipes, recipes, [&](QDataStream& s, qlonglong id) {
        s << QVariant(QString("Recipe %1").arg(id))
          << QVariant(id % 5 == 0 ? photo(int(id)) : QByteArray("0"))
          << QVariant(QString("<p>Mix, stir and bake recipe %1 until golden.</p>").arg(id))
          << integer(id % 11) << integer((id * 7) % 11) << real(double(id % 50) / 4);
    });
    section(Tags, tags, [&](QDataStream& s, qlonglong id) {
        s << QVariant(QString("tag %1").arg(id));
    });
    section(Units, units, [&](QDataStream& s, qlonglong id) {
        s << QVariant(QString("unit %1").arg(id));
    });
    file << EndMarker;
    return rows;
}

void createBareTables(QSqlDatabase& db, const std::map<QString, TableData>& schema)
{
    for (const auto& table : schema) {
        QString columns = QStringLiteral("id INTEGER PRIMARY KEY NOT NULL");
        for (const TF& field : table.second.fields)
            columns += ", " + field.name + ' ' + field.sqlType;
        QSqlQuery(db).exec("CREATE TABLE " + table.first + " (" + columns + ')');
    }
}

bool bareLoad(QSqlDatabase& db, const std::map<QString, TableData>& schema, const QString& name)
{
    QFile file(name);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    QDataStream in(&file);
    in.setVersion(StreamVersion);
    qint32 id = 0, format = 0, sections = 0, marker = 0;
    in >> id >> format >> sections;
    db.transaction();
    for (qint32 section = 0; section < sections; ++section) {
        QString table;
        qint32 rows = 0;
        in >> table >> rows;
        const int columns = int(schema.at(table).fields.size()) + 1;
        QString placeholders = "?";
        for (int column = 1; column < columns; ++column)
            placeholders += ",?";
        QSqlQuery insert(db);
        insert.prepare("INSERT INTO " + table + " VALUES(" + placeholders + ')');
        QVariant value;
        for (qint32 row = 0; row < rows; ++row) {
            for (int column = 0; column < columns; ++column) {
                in >> value;
                insert.bindValue(column, value);
            }
            insert.exec();
        }
    }
    in >> marker;
    db.commit();
    return in.status() == QDataStream::Ok && marker == EndMarker;
}
