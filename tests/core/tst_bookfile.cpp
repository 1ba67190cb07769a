#include "data/recipebook.h"
#include "support/testsupport.h"

#include <QDir>
#include <QFile>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QtTest>

#include <functional>
#include <memory>

namespace {

using Out = QDataStream;
const qint32 FileId = 81169248;
const qint32 EndMarker = 96012856;
// The indexes on selection fields, which opening rebuilds once the rows are in.
const QString IndexQuery = "SELECT name FROM sqlite_master WHERE type='index' ORDER BY name";
const QStringList SelectionIndexes = {
    "CookingPlanRecipes_id_cp_index",  "CookingPlanRecipes_id_rec_index",
    "Ingredients_id_unit_index",       "RecipeIngredients_id_ing_index",
    "RecipeIngredients_id_rec_index",  "RecipeIngredients_id_unit_index",
    "RecipeTags_id_rec_index",         "RecipeTags_id_tag_index"};

// A book file: ID, format number, then what the caller writes.
QByteArray bookFile(const std::function<void(Out&)>& body, qint32 id = FileId)
{
    QByteArray bytes;
    Out out(&bytes, QIODevice::WriteOnly);
    out.setVersion(QDataStream::Qt_5_15);
    out << id << qint32(1000);
    body(out);
    return bytes;
}

// A book file of one section: the table, its row count, the values, the end marker.
QByteArray oneTable(const QString& table, qint32 rows, const std::function<void(Out&)>& values)
{
    return bookFile([&](Out& out) {
        out << qint32(1) << table << rows;
        values(out);
        out << EndMarker;
    });
}

QByteArray readFile(const QString& name)
{
    QFile file(name);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool writeFile(const QString& name, const QByteArray& bytes)
{
    QFile file(name);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

QStringList temporaryFiles(const QString& folder)
{
    return QDir(folder).entryList({"*.tmp"}, QDir::AllEntries | QDir::System);
}

} // namespace

// Saving and opening .carb book files.
class TestBookFile : public QObject
{
    Q_OBJECT

    std::unique_ptr<ScratchBook> _s;
    Document* _book = nullptr;

    QString _path(const QString& name) const { return _s->dir.filePath(name); }

    // Every stored value with its table, row and type, in id order.
    QStringList _content()
    {
        QStringList content;
        for (const auto& table : _book->tables) {
            QSqlQuery query("SELECT * FROM " + table.first + " ORDER BY id");
            for (int row = 0; query.next(); ++row) {
                for (int c = 0; c < query.record().count(); ++c) {
                    const QVariant v = query.value(c);
                    content << table.first + QString(" %1/%2 ").arg(row).arg(c) + v.typeName()
                                   + " "
                                   + (v.type() == QVariant::ByteArray ? v.toByteArray().toHex()
                                                                      : v.toString());
                }
            }
        }
        return content;
    }

    // Values that are easy to get wrong; with the sample book around them, gaps in the ids.
    void _fillOddBook(bool sample = true)
    {
        if (sample) {
            _book->fillSampleBook();
            _book->deleteRow(Book::Ingredients, 2);
            _book->deleteRow(Book::Recipes, 1);
        }
        const QVariant recipe[] = {"L'\"été\" <b>&</b> 🍰 Щи",
                                   QByteArray("\x00\x01\xff\xfe photo", 11),
                                   "<p style=\"x\">multi\nline</p>", 0, 10, 0.1f};
        _book->addRow(Book::Recipes, recipe, 6);
        _s->add(Book::Ingredients, {QStringLiteral("Salt"), -1, 1e-7f, 123456.75f});
        _s->add(Book::Tags, {QStringLiteral("")});
    }

private slots:
    void init()
    {
        _s.reset(new ScratchBook);
        _book = &_s->document;
        QVERIFY(_s->ready);
    }

    void cleanup() { _s.reset(); }

    // ID, format number, eight empty sections in name order, end marker.
    void emptyBookLayout()
    {
        QVERIFY(_book->SaveDocument(_path("empty.carb")));
        QCOMPARE(readFile(_path("empty.carb")).toHex(), bookFile([](Out& out) {
                     out << qint32(8);
                     for (const char* table :
                          {"CookingPlanRecipes", "CookingPlans", "Ingredients",
                           "RecipeIngredients", "RecipeTags", "Recipes", "Tags", "Units"})
                         out << QString(table) << qint32(0);
                     out << EndMarker;
                 }).toHex());
    }

    void roundTripKeepsIdsAndValues()
    {
        _fillOddBook();
        const QStringList saved = _content();
        const QString name = _path("book.carb");
        _book->modified = true;
        QVERIFY(_book->SaveDocument(name));
        QVERIFY(!_book->modified);

        _book->Clear();
        _book->fillSampleBook();
        _book->modified = true;
        _book->fileName = "other";
        QVERIFY(_book->OpenDocument(name));
        QCOMPARE(_book->fileName, name);
        QVERIFY(!_book->modified);
        QCOMPARE(_content(), saved);
        QCOMPARE(queryRows(IndexQuery), SelectionIndexes);

        // Saving over the open file replaces it and leaves no temporary file.
        _book->deleteRow(Book::Recipes, 2);
        QVERIFY(_book->SaveDocument(name));
        QSqlQuery stillReading("SELECT id FROM Units"); // keeps the indexes from being dropped
        QVERIFY(stillReading.next());
        _book->Clear();
        QVERIFY(_book->OpenDocument(name));
        QCOMPARE(queryRows(IndexQuery), SelectionIndexes);
        QCOMPARE(_book->getIDByName(Book::Recipes, "Hamburger"), -1);
        QCOMPARE(_book->getNameByID(Book::Recipes, 3), QStringLiteral("Shawarma"));
        QCOMPARE(temporaryFiles(_s->dir.path()), QStringList());
    }

    void save_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("target");
        QTest::addColumn<bool>("saved");
        for (const char* kind : {"file", "folder", "dangling link", "link"})
            QTest::newRow(qPrintable(QString("0.tmp is a ") + kind)) << kind << "book.carb" << true;
        QTest::newRow("missing folder") << "file" << "no/such/folder/book.carb" << false;
        QTest::newRow("folder as target") << "file" << "folder" << false;
        QTest::newRow("working directory deleted") << "deleted" << "book.carb" << true;
        // Nobody may create files there, root included.
        QTest::newRow("working directory not writable") << "/proc" << "book.carb" << true;
    }

    // The book is written to the first free "<n>.tmp" of the working directory,
    // else beside the book, and then replaces the target. A name taken, even by
    // a symlink to nowhere, is passed over and left as it is: the book never goes
    // where a link points. A failed save removes its file and changes nothing.
    void save()
    {
        QFETCH(QString, kind);
        QFETCH(QString, target);
        QFETCH(bool, saved);
        _book->fillSampleBook();
        _book->modified = true;
        const QStringList content = _content();
        QTemporaryDir elsewhere;
        QVERIFY(QDir(elsewhere.path()).mkdir("folder"));
        const QString pointed = elsewhere.filePath("pointed"), taken = _path("0.tmp");
        const QString name = elsewhere.filePath(target);
        const bool workingDirTaken = kind == "deleted" || kind.startsWith('/');
        if (kind == "file" || kind == "link")
            QVERIFY(writeFile(kind == "file" ? taken : pointed, "keep me"));
        if (kind == "folder")
            QVERIFY(QDir(_s->dir.path()).mkdir("0.tmp"));
        else if (kind.endsWith("link"))
            QVERIFY(QFile::link(pointed, taken));
        else if (workingDirTaken)
            QVERIFY(kind == "deleted" ? QDir(_s->dir.path()).removeRecursively()
                                      : QDir::setCurrent(kind));
        MessageCapture capture;
        QCOMPARE(_book->SaveDocument(name), saved);
        QCOMPARE(capture.messages().size(), saved ? 0 : 1);
        QCOMPARE(capture.count("Error: cannot write"), saved ? 0 : 1);
        QCOMPARE(_book->fileName, saved ? name : QStringLiteral("NewBook"));
        QCOMPARE(_book->modified, !saved);
        QVERIFY(QFileInfo(elsewhere.filePath("folder")).isDir());
        QCOMPARE(QFile::exists(pointed), kind == "link");
        if (workingDirTaken) {
            QCOMPARE(QDir(elsewhere.path()).entryList(QDir::Files), QStringList{"book.carb"});
        } else {
            QCOMPARE(QFileInfo(taken).isSymLink(), kind.endsWith("link"));
            QCOMPARE(QFileInfo(taken).isDir(), kind == "folder");
            if (kind != "folder")
                QCOMPARE(readFile(taken), QByteArray(kind == "dangling link" ? "" : "keep me"));
            QCOMPARE(temporaryFiles(_s->dir.path()), QStringList{"0.tmp"});
        }
        _book->Clear();
        QCOMPARE(_book->OpenDocument(name), saved);
        QCOMPARE(_content(), saved ? content : QStringList());
    }

    void progressAndCancel_data()
    {
        QTest::addColumn<bool>("saving");
        QTest::newRow("open") << false;
        QTest::newRow("save") << true;
    }

    // Progress rises to its total; a cancel at any point, even after the last
    // row, fails the load or save and changes neither the book nor the file.
    void progressAndCancel()
    {
        QFETCH(bool, saving);
        _fillOddBook();
        for (int unit = 0; unit < 100; ++unit)
            _s->add(Book::Units, {QString("unit %1").arg(unit)});
        const QString name = _path("book.carb");
        QVERIFY(_book->SaveDocument(name));
        const QByteArray file = readFile(name);

        std::vector<std::pair<qint64, qint64>> reports;
        int cancelAt = -1;
        const BookProgress progress = [&](qint64 done, qint64 total) {
            reports.emplace_back(done, total);
            return int(reports.size()) - 1 != cancelAt;
        };
        const auto run = [&]() {
            return saving ? _book->SaveDocument(name, progress)
                          : _book->OpenDocument(name, progress);
        };
        QVERIFY(run());
        const auto all = reports;
        QVERIFY2(all.size() > 9, "progress told per table and per block of rows");
        for (size_t i = 0; i < all.size(); ++i) {
            QCOMPARE(all[i].second, all.back().second);
            QVERIFY(all[i].first <= all[i].second && (i == 0 || all[i - 1].first <= all[i].first));
        }
        QCOMPARE(all.back().first, all.back().second);

        for (int at : {0, int(all.size()) / 2, int(all.size()) - 1}) {
            _book->modified = true;
            _book->fileName = "previous.carb";
            if (!saving) { // a book of its own that a cancelled load must bring back
                _book->Clear();
                _s->add(Book::Units, {QStringLiteral("only")});
            }
            const QStringList current = _content();
            reports.clear();
            cancelAt = at;
            MessageCapture capture;
            QVERIFY(!run());
            QCOMPARE(int(reports.size()), at + 1);
            QCOMPARE(capture.diagnostics("Error: cancelled by the user"), 1);
            QCOMPARE(_content(), current);
            QCOMPARE(_book->fileName, QStringLiteral("previous.carb"));
            QVERIFY(_book->modified);
            QCOMPARE(readFile(name), file);
            QCOMPARE(temporaryFiles(_s->dir.path()), QStringList());
        }
    }

    void badFiles_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QString>("message");
        const QString corrupt = "Error: the file is truncated or corrupted";
        const auto nothing = [](Out&) {};

        QTest::newRow("missing file") << QByteArray() << "Unable to open file for reading!";
        QTest::newRow("empty file") << QByteArray("") << "Wrong file ID";
        QTest::newRow("wrong id") << bookFile([](Out& out) { out << qint32(0) << EndMarker; },
                                              FileId + 1)
                                  << "Wrong file ID";
        QTest::newRow("unknown table") << oneTable("Nowhere", 0, nothing)
                                       << "No such table in database";
        QTest::newRow("wrong end marker") << bookFile([](Out& out) {
            out << qint32(1) << QString("Units") << qint32(1) << QVariant(7) << QVariant("kg")
                << qint32(EndMarker - 1);
        }) << "File end not found!";
        QTest::newRow("huge section count") << bookFile([](Out& out) {
            out << quint32(0xffffffff) << QString("Units") << qint32(0);
        }) << corrupt;
        QTest::newRow("huge row count") << oneTable("Tags", 0x7fffffff, nothing) << corrupt;
        QTest::newRow("huge table name")
            << bookFile([](Out& out) { out << qint32(1) << quint32(0xfffffffe); }) << corrupt;

        // A value's type, its null flag and a payload of eight bytes.
        for (const quint32 type : {quint32(QMetaType::QVariantList), quint32(QMetaType::QImage),
                                   quint32(QMetaType::User), quint32(4242)})
            QTest::newRow(qPrintable("value type " + QString::number(type)))
                << oneTable("Tags", 1, [type](Out& out) {
                       out << type << qint8(0) << qint32(0x7fffffff) << qint32(0x7fffffff);
                   })
                << "Error: unsupported value type " + QString::number(type) + " in file";

        const auto tag = [](const QVariant& id) {
            return oneTable("Tags", 1, [id](Out& out) { out << id << QVariant("tag"); });
        };
        const QString noId = "Error: a row in the file has no valid id";
        QTest::newRow("null id") << oneTable("Tags", 1, [](Out& out) {
            out << quint32(0) << qint8(1) << QVariant("tag");
        }) << noId;
        // A number flagged null is null whatever its payload: not id 0.
        QTest::newRow("null-flagged id") << tag(QVariant(QVariant::Int)) << noId;
        // The widgets keep ids as int: an id past that range would pass for another row.
        const QString range = "Error: an id in the file is out of range";
        QTest::newRow("id past the int range") << tag(qlonglong(4294967297)) << range;
        QTest::newRow("id just past the int range") << tag(2147483648.0) << range;
        QTest::newRow("id as text past the int range") << tag("4294967297") << range;
        QTest::newRow("id zero") << tag(0) << range;
        QTest::newRow("id -1, meaning no row") << tag(-1) << range;
        QTest::newRow("link past the int range") << oneTable("Ingredients", 1, [](Out& out) {
            out << QVariant(4) << QVariant("Flour") << QVariant(qulonglong(4294967297))
                << QVariant(1.0) << QVariant(1.0);
        }) << range;
        QTest::newRow("duplicate id") << oneTable("Tags", 2, [](Out& out) {
            out << QVariant(3) << QVariant("tag") << QVariant(3) << QVariant("tag");
        }) << "Document::addRow query error ";
    }

    // A file that cannot be read leaves the open book exactly as it was.
    void badFiles()
    {
        QFETCH(QByteArray, file);
        QFETCH(QString, message);
        _fillOddBook();
        const QString name = _path("bad.carb");
        if (!file.isNull())
            QVERIFY(writeFile(name, file));
        _book->modified = true;
        _book->fileName = "previous.carb";
        const QStringList before = _content();
        const int nextUnit = queryRows("SELECT MAX(id) + 1 FROM Units").value(0).toInt();
        MessageCapture capture;
        QVERIFY(!_book->OpenDocument(name));
        QCOMPARE(capture.count('"' + message), 1);
        QCOMPARE(_content(), before);
        QCOMPARE(queryRows(IndexQuery), SelectionIndexes);
        QCOMPARE(_book->fileName, QStringLiteral("previous.carb"));
        QVERIFY(_book->modified);
        // New rows still get the ids they would have had.
        QCOMPARE(_s->add(Book::Units, {QStringLiteral("after")}), nextUnit);
    }

    // Every value kind of a book, cut at every length, is refused.
    void truncatedAtEveryLength()
    {
        _fillOddBook(false);
        QVERIFY(_book->SaveDocument(_path("small.carb")));
        const QByteArray bytes = readFile(_path("small.carb"));
        const QStringList before = _content();
        const QString name = _path("cut.carb");
        for (int length = 0; length < bytes.size(); ++length) {
            QVERIFY(writeFile(name, bytes.left(length)));
            MessageCapture capture;
            if (_book->OpenDocument(name))
                QFAIL(qPrintable(QString("a file cut at %1 bytes opened").arg(length)));
        }
        QCOMPARE(_content(), before);
        QVERIFY(writeFile(name, bytes));
        QVERIFY(_book->OpenDocument(name));
    }

    // Files of other writers: no sections at all, ids as 32-bit ints, numbers as
    // floats, nulls flagged on numbers, an id that ends the int range (a new row
    // that would be numbered past it is then refused).
    void otherWriters()
    {
        _book->fillSampleBook();
        const QString name = _path("other.carb");
        QVERIFY(writeFile(name, bookFile([](Out& out) { out << qint32(0) << EndMarker; })));
        QVERIFY(_book->OpenDocument(name));
        QVERIFY(_content().isEmpty());

        QVERIFY(writeFile(name, bookFile([](Out& out) {
                              out << qint32(3) << QString("Ingredients") << qint32(2);
                              out << QVariant(int(4)) << QVariant("Flour") << QVariant(uint(9))
                                  << QVariant(2.5f) << QVariant(double(0.125));
                              out << QVariant(int(5)) << QVariant("Salt") << QVariant(int(-1))
                                  << QVariant(QVariant::Double) << QVariant(QVariant::Int);
                              out << QString("Units") << qint32(1) << QVariant(qlonglong(9))
                                  << QVariant("kg");
                              out << QString("Tags") << qint32(1) << QVariant(2147483647)
                                  << QVariant("tag") << EndMarker;
                          })));
        QVERIFY(_book->OpenDocument(name));
        std::vector<QVariant> row;
        QVERIFY(_book->getRowByID(Book::Ingredients, 4, row));
        _book->resolveRow(Book::Ingredients, row);
        QCOMPARE(row, (std::vector<QVariant>{"Flour", "kg", 2.5, 0.125}));
        QVERIFY(_book->getRowByID(Book::Ingredients, 5, row));
        QVERIFY(row[Book::IngredientCost].isNull() && row[Book::IngredientQuantity].isNull());
        MessageCapture capture;
        QCOMPARE(_s->add(Book::Tags, {QStringLiteral("new")}), -1);
        QVERIFY(capture.contains("Document::addRow query error"));
        QCOMPARE(queryRows("SELECT * FROM Tags"), QStringList{"2147483647 tag"});
    }
};

QTEST_GUILESS_MAIN(TestBookFile)
#include "tst_bookfile.moc"
