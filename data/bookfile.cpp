// The .carb book file: a QDataStream of every table's rows between a file ID
// and an end marker.
#include "data/document.h"

#include "data/diagnostics.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QSqlError>
#include <QSqlDriver>
#include <QSqlQuery>

#include <sqlite3.h>

#include <limits>
#include <memory>
#include <vector>

namespace {

const qint32 FileId = 81169248;
const qint32 FormatNumber = 1000;
const qint32 EndMarker = 96012856;
const QDataStream::Version StreamVersion = QDataStream::Qt_5_15;
const QString OpenSavepoint = QStringLiteral("open_book");
// Progress is told at the start of every table and every so many rows.
const qint32 ProgressRows = 64;
// A save counts each table as this many steps, whatever its size.
const qint64 TableSteps = 1000;
const qint64 BlockSize = 1 << 20;

// Creates and opens the first free "<n>.tmp" of the folder. The file is made
// anew (never opened through an existing name or a symlink planted there);
// a name that is taken passes to the next number. False when the folder
// refuses new files.
bool createTemporaryFileIn(QFile& file, const QString& folder)
{
    const QDir dir(folder);
    for (quint64 counter = 0;; ++counter) {
        file.setFileName(dir.filePath(QString::number(counter) + QStringLiteral(".tmp")));
        if (file.open(QIODevice::WriteOnly | QIODevice::NewOnly))
            return true;
        const QFileInfo taken(file.fileName());
        if (!taken.exists() && !taken.isSymLink())
            return false;
    }
}

// The temporary file of a save goes to the working directory, unless the
// program was started from a folder it may not write in (a desktop menu, "/",
// a read-only share); then beside the target, else in the system's folder.
bool createTemporaryFile(QFile& file, const QString& target)
{
    const QStringList folders = {QDir::currentPath(), QFileInfo(target).absolutePath(),
                                 QDir::tempPath()};
    for (const QString& folder : folders) {
        // A working directory that was deleted has no path at all.
        if (!folder.isEmpty() && createTemporaryFileIn(file, folder))
            return true;
    }
    return false;
}

// Copies a finished file over the target so that the target always holds
// either its old content or the whole new content.
bool replaceFile(const QString& source, const QString& target)
{
    QFile in(source);
    if (!in.open(QIODevice::ReadOnly))
        return false;
    QSaveFile out(target);
    if (!out.open(QIODevice::WriteOnly))
        return false;
    while (!in.atEnd()) {
        const QByteArray block = in.read(1 << 20);
        if (block.isEmpty() || out.write(block) != block.size()) {
            out.cancelWriting();
            return false;
        }
    }
    if (in.error() != QFileDevice::NoError) {
        out.cancelWriting();
        return false;
    }
    return out.commit();
}

// Reads one stored value. Only the kinds a book column holds are accepted
// (null, integers, real numbers, text, bytes): the general QVariant reader
// would trust the file with containers, pictures and unknown types.
bool readStoredValue(QDataStream& in, QVariant& value)
{
    quint32 type = 0;
    qint8 isNull = 0;
    in >> type >> isNull;
    if (in.status() != QDataStream::Ok)
        return false;
    switch (type) {
    case QMetaType::UnknownType:
        value = QVariant();
        break;
    case QMetaType::Int: {
        qint32 v = 0;
        in >> v;
        value = QVariant(v);
        break;
    }
    case QMetaType::UInt: {
        quint32 v = 0;
        in >> v;
        value = QVariant(v);
        break;
    }
    case QMetaType::LongLong: {
        qint64 v = 0;
        in >> v;
        value = QVariant(static_cast<qlonglong>(v));
        break;
    }
    case QMetaType::ULongLong: {
        quint64 v = 0;
        in >> v;
        value = QVariant(static_cast<qulonglong>(v));
        break;
    }
    case QMetaType::Double: {
        double v = 0;
        in >> v;
        value = QVariant(v);
        break;
    }
    case QMetaType::Float: {
        float v = 0;
        in >> v;
        value = QVariant(v);
        break;
    }
    case QMetaType::QString: {
        QString v;
        in >> v;
        value = v.isNull() ? QVariant(QVariant::String) : QVariant(v);
        break;
    }
    case QMetaType::QByteArray: {
        QByteArray v;
        in >> v;
        value = v.isNull() ? QVariant(QVariant::ByteArray) : QVariant(v);
        break;
    }
    default:
        CULINOR_DIAG("data", QStringLiteral("Error: unsupported value type ")
                                 + QString::number(type) + QStringLiteral(" in file"));
        in.setStatus(QDataStream::ReadCorruptData);
        return false;
    }
    // A value flagged null is SQL NULL, whatever its payload says.
    if (isNull && type != QMetaType::UnknownType)
        value = QVariant(static_cast<QVariant::Type>(type));
    return in.status() == QDataStream::Ok;
}

// A stored id must be a whole number: a null id would make the database invent one.
bool isValidId(const QVariant& value)
{
    bool ok = false;
    value.toLongLong(&ok);
    return !value.isNull() && ok;
}

bool cancelled(const BookProgress& progress, qint64 done, qint64 total)
{
    if (!progress || progress(done, total))
        return false;
    CULINOR_DIAG("data", "Error: cancelled by the user");
    return true;
}

// The widgets keep ids as int, and -1 stands for "no row": a number outside
// the range would be taken for another row. Row ids start at 1 as the
// database gives them; a link may also hold -1 or a row that is gone.
bool fitsIdRange(const QVariant& value, double lowest)
{
    bool ok = false;
    const double number = value.toDouble(&ok);
    return !ok || (number >= lowest && number <= std::numeric_limits<int>::max());
}

bool idInRange(const TableData& data, int column, const QVariant& value)
{
    if (column == 0)
        return fitsIdRange(value, 1);
    return data.fields[static_cast<size_t>(column - 1)].type != MD_SEL
           || fitsIdRange(value, std::numeric_limits<int>::min());
}

bool streamFailed(const QDataStream& in)
{
    if (in.status() == QDataStream::Ok)
        return false;
    CULINOR_DIAG("data", "Error: the file is truncated or corrupted");
    return true;
}

// "INSERT INTO table (id,fields) VALUES(?,...)" with one placeholder a column.
QString insertWithIdStatement(const QString& table, const TableData& data)
{
    QString placeholders = QStringLiteral("?");
    for (size_t i = 0; i < data.fields.size(); ++i)
        placeholders += QStringLiteral(",?");
    const QString fields = data.fieldList.isEmpty() ? QString() : QLatin1Char(',') + data.fieldList;
    return QStringLiteral("INSERT INTO ") + table + QStringLiteral(" (id") + fields
           + QStringLiteral(") VALUES(") + placeholders + QLatin1Char(')');
}

// The database's own SQLite connection. A large book's rows go in straight
// through it: binding every value through the Qt driver takes longer than
// storing it.
sqlite3* sqliteConnection(const QSqlDatabase& db)
{
    const QVariant handle = db.driver() ? db.driver()->handle() : QVariant();
    if (!handle.isValid() || qstrcmp(handle.typeName(), "sqlite3*") != 0)
        return nullptr;
    return *static_cast<sqlite3* const*>(handle.constData());
}

using Statement = std::unique_ptr<sqlite3_stmt, int (*)(sqlite3_stmt*)>;

// A statement that is null when it cannot be prepared; inserting through it then fails.
Statement prepare(sqlite3* connection, const QString& sql)
{
    sqlite3_stmt* statement = nullptr;
    const QByteArray text = sql.toUtf8();
    sqlite3_prepare_v2(connection, text.constData(), text.size(), &statement, nullptr);
    return Statement(statement, sqlite3_finalize);
}

// Binds a value as the Qt SQLite driver does, so that a row read from a file
// stores exactly what Document::addRow would store.
int bindStoredValue(sqlite3_stmt* statement, int position, const QVariant& value)
{
    if (value.isNull())
        return sqlite3_bind_null(statement, position);
    switch (value.userType()) {
    case QMetaType::QByteArray: {
        const auto* bytes = static_cast<const QByteArray*>(value.constData());
        return sqlite3_bind_blob(statement, position, bytes->constData(), bytes->size(),
                                 SQLITE_STATIC);
    }
    case QMetaType::Int:
    case QMetaType::Bool:
        return sqlite3_bind_int(statement, position, value.toInt());
    case QMetaType::Double:
        return sqlite3_bind_double(statement, position, value.toDouble());
    case QMetaType::UInt:
    case QMetaType::LongLong:
        return sqlite3_bind_int64(statement, position, value.toLongLong());
    case QMetaType::QString: {
        const auto* text = static_cast<const QString*>(value.constData());
        return sqlite3_bind_text16(statement, position, text->utf16(),
                                   int(text->size() * sizeof(QChar)), SQLITE_STATIC);
    }
    default: {
        // Other numbers go in as their text, which the column's type converts.
        const QString text = value.toString();
        return sqlite3_bind_text16(statement, position, text.utf16(),
                                   int(text.size() * sizeof(QChar)), SQLITE_TRANSIENT);
    }
    }
}

// Inserts one row of values, which must stay unchanged until it returns.
bool insertRow(sqlite3* connection, sqlite3_stmt* insert, const std::vector<QVariant>& values,
               QString& error)
{
    int result = insert ? SQLITE_OK : SQLITE_ERROR;
    for (size_t i = 0; i < values.size() && result == SQLITE_OK; ++i)
        result = bindStoredValue(insert, int(i) + 1, values[i]);
    if (result == SQLITE_OK)
        result = sqlite3_step(insert);
    if (result != SQLITE_DONE)
        error = QString::fromUtf8(sqlite3_errmsg(connection));
    if (insert)
        sqlite3_reset(insert);
    return result == SQLITE_DONE;
}

} // namespace

bool Document::SaveDocument(QString fileName, const BookProgress& progress)
{
    QFile file;
    if (!createTemporaryFile(file, fileName)) {
        CULINOR_DIAG("data", "Cannot open file for saving!");
        return false;
    }
    const QString temporary = file.fileName();
    QDataStream out(&file);
    out.setVersion(StreamVersion);
    if (!_writeBook(out, progress)) {
        file.close();
        QFile::remove(temporary);
        return false;
    }
    const bool written = out.status() == QDataStream::Ok && file.flush();
    file.close();
    if (!written || file.error() != QFileDevice::NoError) {
        CULINOR_DIAG("data", "Error: the book could not be written completely");
        QFile::remove(temporary);
        return false;
    }
    if (!replaceFile(temporary, fileName)) {
        CULINOR_DIAG("data", QStringLiteral("Error: cannot write ") + fileName);
        QFile::remove(temporary); // a copy left behind at every failure would fill the disk
        return false;
    }
    QFile::remove(temporary);
    this->fileName = fileName;
    modified = false;
    return true;
}

bool Document::SaveCopy(QString fileName)
{
    // Written beside the target and renamed over it, so a crash while writing
    // leaves the previous copy whole.
    QSaveFile file(fileName);
    if (!file.open(QIODevice::WriteOnly)) {
        CULINOR_DIAG("data", QStringLiteral("Error: cannot write ") + fileName);
        return false;
    }
    QDataStream out(&file);
    out.setVersion(StreamVersion);
    if (!_writeBook(out, nullptr) || out.status() != QDataStream::Ok) {
        file.cancelWriting();
        return false;
    }
    if (!file.commit()) {
        CULINOR_DIAG("data", QStringLiteral("Error: cannot write ") + fileName);
        return false;
    }
    return true;
}

bool Document::_writeBook(QDataStream& out, const BookProgress& progress)
{
    out << FileId << FormatNumber << static_cast<qint32>(tables.size());
    const qint64 steps = static_cast<qint64>(tables.size()) * TableSteps;
    qint64 tablesDone = 0;
    for (const auto& table : tables) {
        out << table.first;
        QSqlQuery count(db);
        count.exec(QStringLiteral("SELECT COUNT(*) FROM ") + table.first);
        if (count.lastError().isValid())
            CULINOR_DIAG("data", QStringLiteral("Error: ") + count.lastError().text());
        bool ok = false;
        const qint32 rows = count.next() ? count.value(0).toInt(&ok) : 0;
        if (!ok) {
            CULINOR_DIAG("data", "Row count not obtained");
            return false;
        }
        out << rows;

        const int columns = static_cast<int>(table.second.fields.size()) + 1;
        QSqlQuery select(db);
        select.setForwardOnly(true);
        select.exec(QStringLiteral("SELECT * FROM ") + table.first);
        qint32 written = 0;
        // Rows are encoded in memory and written in large blocks: a file
        // device takes each of many small writes much more slowly.
        QBuffer block;
        block.open(QIODevice::WriteOnly);
        QDataStream rowsOut(&block);
        rowsOut.setVersion(out.version());
        const auto writeBlock = [&] {
            out.writeRawData(block.data().constData(), int(block.pos()));
            block.seek(0);
        };
        while (select.next()) {
            if (written % ProgressRows == 0
                && cancelled(progress,
                             tablesDone * TableSteps + TableSteps * written / qMax(rows, 1), steps))
                return false;
            for (int column = 0; column < columns; ++column)
                rowsOut << select.value(column);
            ++written;
            if (block.pos() >= BlockSize)
                writeBlock();
        }
        writeBlock();
        if (written != rows) {
            CULINOR_DIAG("data", "Error: the row count changed while saving");
            return false;
        }
        if (out.status() != QDataStream::Ok) {
            CULINOR_DIAG("data", "Error: the book could not be written completely");
            return false;
        }
        ++tablesDone;
    }
    out << EndMarker;
    return !cancelled(progress, steps, steps);
}

bool Document::OpenDocument(QString fileName, const BookProgress& progress)
{
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly)) {
        CULINOR_DIAG("data", "Unable to open file for reading!");
        return false;
    }
    QDataStream in(&file);
    in.setVersion(StreamVersion);
    qint32 id = 0;
    qint32 format = 0;
    in >> id >> format;
    if (in.status() != QDataStream::Ok || id != FileId) {
        CULINOR_DIAG("data", "Wrong file ID");
        return false;
    }

    // Everything read goes in under a savepoint, so a bad file leaves the
    // open book exactly as it was.
    QSqlQuery savepoint(db);
    if (!savepoint.exec(QStringLiteral("SAVEPOINT ") + OpenSavepoint)) {
        CULINOR_DIAG("data", QStringLiteral("Error: ") + savepoint.lastError().text());
        return false;
    }
    // Rows go in faster without the indexes on selection fields, which are
    // built once at the end; an index that cannot be dropped just stays.
    _dropSelectionIndexes();
    Clear();
    const bool loaded = _readBook(in, progress) && _createSelectionIndexes();
    if (!loaded)
        savepoint.exec(QStringLiteral("ROLLBACK TO SAVEPOINT ") + OpenSavepoint);
    savepoint.exec(QStringLiteral("RELEASE SAVEPOINT ") + OpenSavepoint);
    if (!loaded)
        return false;

    this->fileName = fileName;
    modified = false;
    return true;
}

bool Document::_readBook(QDataStream& in, const BookProgress& progress)
{
    const qint64 size = in.device()->size();
    sqlite3* connection = sqliteConnection(db);
    if (!connection) {
        CULINOR_DIAG("data", "Error: the book has no SQLite connection");
        return false;
    }
    quint32 sections = 0;
    in >> sections;
    if (streamFailed(in))
        return false;
    for (quint32 section = 0; section < sections; ++section) {
        QString table;
        in >> table;
        if (streamFailed(in))
            return false;
        const TableData* data = _table(table);
        if (!data) {
            CULINOR_DIAG("data", "No such table in database");
            return false;
        }
        qint32 rows = 0;
        in >> rows;
        if (streamFailed(in))
            return false;

        const int columns = static_cast<int>(data->fields.size()) + 1;
        const Statement insert = prepare(connection, insertWithIdStatement(table, *data));
        std::vector<QVariant> values(static_cast<size_t>(columns));
        QString error;
        for (qint32 row = 0; row < rows; ++row) {
            if (row % ProgressRows == 0 && cancelled(progress, in.device()->pos(), size))
                return false;
            for (int column = 0; column < columns; ++column) {
                if (!readStoredValue(in, values[column])) {
                    streamFailed(in);
                    return false;
                }
                if (column == 0 && !isValidId(values[column])) {
                    CULINOR_DIAG("data", "Error: a row in the file has no valid id");
                    return false;
                }
                if (!idInRange(*data, column, values[column])) {
                    CULINOR_DIAG("data", "Error: an id in the file is out of range");
                    return false;
                }
            }
            if (!insertRow(connection, insert.get(), values, error)) {
                CULINOR_DIAG("data", QStringLiteral("Document::addRow query error ") + error);
                return false;
            }
        }
    }
    qint32 marker = 0;
    in >> marker;
    if (in.status() != QDataStream::Ok || marker != EndMarker) {
        CULINOR_DIAG("data", "File end not found!");
        return false;
    }
    return !cancelled(progress, size, size);
}
