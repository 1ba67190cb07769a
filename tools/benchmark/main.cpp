// Measures how long a large book takes to open, save and list, side by side
// with a bare loader and saver of the same file:
//   benchmark [recipes=5000] [rounds=5]
// The bare loader reads the file with QDataStream and inserts every row
// through one prepared statement a table inside one transaction, into tables
// without indexes and without any check; the bare saver selects each table in
// id order and streams it out. The ratios say what the program's checks,
// savepoint and indexes cost on top of that.
#include "data/document.h"
#include "data/recipebook.h"
#include "tools/benchmark/benchmarkbook.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTextStream>

#include <algorithm>
#include <ctime>
#include <functional>
#include <map>
#include <vector>

namespace {

QTextStream out(stdout);

const QString BareConnection = QStringLiteral("bare");

// Wall-clock and processor time of one step, in milliseconds. The processor
// time of this thread hardly changes with the load of a shared machine.
struct Sample
{
    qint64 wall;
    qint64 cpu;
};

qint64 threadCpuMs()
{
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return qint64(now.tv_sec) * 1000 + now.tv_nsec / 1000000;
}

Sample elapsed(const std::function<void()>& step)
{
    QElapsedTimer timer;
    timer.start();
    const qint64 cpu = threadCpuMs();
    step();
    return {timer.elapsed(), threadCpuMs() - cpu};
}

void measure(const char* what, const std::function<void()>& step)
{
    out << QString("%1 %2 ms").arg(what, -28).arg(elapsed(step).wall, 6) << Qt::endl;
}

qint64 median(const std::vector<Sample>& samples, qint64 Sample::*part)
{
    std::vector<qint64> values;
    for (const Sample& sample : samples)
        values.push_back(sample.*part);
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// A photo-sized value: about 10 KB of bytes.
QByteArray photoBytes(int seed)
{
    QByteArray photo(10 * 1024, '\0');
    for (int i = 0; i < photo.size(); ++i)
        photo[i] = char((i * 31 + seed) & 0xff);
    return photo;
}

bool bareSave(QSqlDatabase& db, const std::map<QString, TableData>& schema, const QString& name)
{
    QFile file(name);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    QDataStream out(&file);
    out.setVersion(StreamVersion);
    out << FileId << qint32(1000) << qint32(schema.size());
    for (const auto& table : schema) {
        QSqlQuery count(db);
        count.exec("SELECT COUNT(*) FROM " + table.first);
        count.next();
        out << table.first << count.value(0).toInt();
        const int columns = int(table.second.fields.size()) + 1;
        QSqlQuery select(db);
        select.setForwardOnly(true);
        select.exec("SELECT * FROM " + table.first + " ORDER BY id");
        while (select.next())
            for (int column = 0; column < columns; ++column)
                out << select.value(column);
    }
    out << EndMarker;
    return file.flush() && out.status() == QDataStream::Ok;
}

struct Times
{
    std::vector<Sample> open, reopen, save, bareOpen, bareSave;
};

void programRound(const QString& file, const QString& saved, Times& times)
{
    Document book;
    book.setDataStructure();
    bool ok = true;
    times.open.push_back(elapsed([&] { ok = book.OpenDocument(file) && ok; }));
    times.save.push_back(elapsed([&] { ok = book.SaveDocument(saved) && ok; }));
    times.reopen.push_back(elapsed([&] { ok = book.OpenDocument(file) && ok; }));
    if (!ok)
        out << "the program failed to open or save the book" << Qt::endl;
}

void bareRound(const std::map<QString, TableData>& schema, const QString& file,
               const QString& saved, Times& times)
{
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), BareConnection);
        db.setDatabaseName(QStringLiteral(":memory:"));
        db.open();
        createBareTables(db, schema);
        bool ok = true;
        times.bareOpen.push_back(elapsed([&] { ok = bareLoad(db, schema, file); }));
        times.bareSave.push_back(elapsed([&] { ok = bareSave(db, schema, saved) && ok; }));
        if (!ok)
            out << "the bare loader failed to open or save the book" << Qt::endl;
        db.close();
    }
    QSqlDatabase::removeDatabase(BareConnection);
}

void printMedians(const char* what, const std::vector<Sample>& program,
                  const std::vector<Sample>& bare)
{
    const auto ratio = [&](qint64 Sample::*part) {
        return double(median(program, part)) / std::max<qint64>(median(bare, part), 1);
    };
    out << QString("%1 program %2 ms (cpu %3)   bare %4 ms (cpu %5)   ratio %6 (cpu %7)")
               .arg(what, -7)
               .arg(median(program, &Sample::wall), 5)
               .arg(median(program, &Sample::cpu), 5)
               .arg(median(bare, &Sample::wall), 5)
               .arg(median(bare, &Sample::cpu), 5)
               .arg(ratio(&Sample::wall), 0, 'f', 2)
               .arg(ratio(&Sample::cpu), 0, 'f', 2)
        << Qt::endl;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const int recipes = argc > 1 ? std::max(QString(argv[1]).toInt(), 25) : 5000;
    const int rounds = argc > 2 ? std::max(QString(argv[2]).toInt(), 1) : 5;
    QTemporaryDir dir;
    QDir::setCurrent(dir.path());
    const QString file = dir.filePath("large.carb");
    const QString saved = dir.filePath("saved.carb");

    const qint64 rows = writeBenchmarkBook(file, recipes, photoBytes);
    out << recipes << " recipes, " << rows << " rows, file "
        << QString::number(QFileInfo(file).size() / 1e6, 'f', 1) << " MB, " << rounds
        << " rounds" << Qt::endl;

    std::map<QString, TableData> schema;
    {
        Document book;
        book.setDataStructure();
        schema = book.tables;
    }
    Times times;
    for (int round = 0; round < rounds; ++round) {
        programRound(file, saved, times);
        bareRound(schema, file, saved, times);
    }
    out << "medians:" << Qt::endl;
    printMedians("open", times.open, times.bareOpen);
    printMedians("reopen", times.reopen, times.bareOpen);
    printMedians("save", times.save, times.bareSave);

    Document book;
    book.setDataStructure();
    book.OpenDocument(file);
    measure("list names and photos", [&] {
        QueryResult result;
        book.getRows(Book::Recipes, "id,name,photo", QString(), &result);
        std::vector<QVariant> row;
        while (readNextRow(result.query, row, 0))
            ;
    });
    measure("read every recipe", [&] {
        for (int id = 1; id <= recipes; ++id) {
            Recipe recipe;
            book.getRecipe(id, recipe);
        }
    });
    return 0;
}
