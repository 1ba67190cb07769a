#include "data/document.h"
#include "data/recipebook.h"
#include "support/testsupport.h"

#include <QDir>
#include <QFile>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QtTest>

#include <memory>

using Rows = std::vector<std::vector<QVariant> >;
using BookContent = std::map<QString, Rows>;
Q_DECLARE_METATYPE(QByteArray*)

namespace {

void appendInt32(QByteArray& bytes, quint32 value)
{
    for (int shift = 24; shift >= 0; shift -= 8)
        bytes.append(char((value >> shift) & 0xff));
}

// A string as the stream stores it: byte length, then UTF-16 big-endian.
void appendString(QByteArray& bytes, const QString& text)
{
    appendInt32(bytes, quint32(text.size() * 2));
    for (const QChar c : text) {
        bytes.append(char(c.unicode() >> 8));
        bytes.append(char(c.unicode() & 0xff));
    }
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

const QStringList TableOrder = {"CookingPlanRecipes", "CookingPlans", "Ingredients",
                                "RecipeIngredients", "RecipeTags", "Recipes", "Tags", "Units"};

} // namespace

// Saving and opening .carb book files.
class TestBookFile : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<ScratchDir> _dir;
    std::unique_ptr<Document> _book;

    BookContent _content();
    void _fillOddBook();
    QByteArray _savedSmallBook();
    void _expectFailedOpen(const QByteArray& file, const QString& message);

private slots:
    void init();
    void cleanup();

    void emptyBookLayout();
    void roundTripKeepsIdsAndValues();
    void savingOverOpenFile();
    void temporaryFileCounter();
    void failedReplaceKeepsTargetAndTemporary_data();
    void failedReplaceKeepsTargetAndTemporary();
    void unwritableWorkingDirectory();
    void openMissingFile();
    void badFiles_data();
    void badFiles();
    void truncatedAtEveryLength();
    void zeroSectionsGiveEmptyBook();
    void independentWriterTypes();
};

BookContent TestBookFile::_content()
{
    BookContent content;
    for (const auto& table : _book->tables) {
        QSqlQuery query("SELECT * FROM " + table.first + " ORDER BY id");
        Rows& rows = content[table.first];
        while (query.next()) {
            std::vector<QVariant> row;
            for (int c = 0; c < query.record().count(); ++c)
                row.push_back(query.value(c));
            rows.push_back(row);
        }
    }
    return content;
}

// A small book with gaps in its ids and values that are easy to get wrong.
void TestBookFile::_fillOddBook()
{
    _book->fillSampleBook();
    _book->deleteRow(Book::Ingredients, 2);
    _book->deleteRow(Book::Recipes, 1);
    const QVariant recipe[] = {QStringLiteral("L'\"été\" <b>&</b> 🍰 Щи"),
                               QByteArray("\x00\x01\xff\xfe photo", 11),
                               QStringLiteral("<p style=\"x\">multi\nline</p>"), 0, 10,
                               0.1f};
    _book->addRow(Book::Recipes, recipe, 6);
    const QVariant ingredient[] = {QStringLiteral("Salt"), -1, 1e-7f, 123456.75f};
    _book->addRow(Book::Ingredients, ingredient, 4);
    const QVariant empty[] = {QStringLiteral("")};
    _book->addRow(Book::Tags, empty, 1);
}

QByteArray TestBookFile::_savedSmallBook()
{
    _fillOddBook();
    const QString name = _dir->filePath("small.carb");
    if (!_book->SaveDocument(name))
        return QByteArray();
    return readFile(name);
}

// Opening the bytes fails with the message and leaves the book as it was.
void TestBookFile::_expectFailedOpen(const QByteArray& file, const QString& message)
{
    const QString name = _dir->filePath("bad.carb");
    QVERIFY(writeFile(name, file));
    _book->modified = true;
    _book->fileName = "previous.carb";
    const BookContent before = _content();
    MessageCapture capture;
    QVERIFY(!_book->OpenDocument(name));
    if (!message.isEmpty() && capture.diagnostics(message) != 1)
        QFAIL(qPrintable("expected \"" + message + "\" in " + capture.messages().join(" | ")));
    QVERIFY(!capture.messages().isEmpty());
    QVERIFY(_content() == before);
    QCOMPARE(_book->fileName, QStringLiteral("previous.carb"));
    QVERIFY(_book->modified);
    // New rows still get the ids they would have had.
    const QVariant unit[] = {QStringLiteral("after")};
    const int next = before.at(Book::Units).empty() ? 1 : before.at(Book::Units).back()[0].toInt() + 1;
    QCOMPARE(_book->addRow(Book::Units, unit, 1), next);
}

void TestBookFile::init()
{
    _dir.reset(new ScratchDir(false));
    _book.reset(new Document);
    QVERIFY(_book->setDataStructure());
}

void TestBookFile::cleanup()
{
    _book.reset();
    _dir.reset();
}

void TestBookFile::emptyBookLayout()
{
    const QString name = _dir->filePath("empty.carb");
    QVERIFY(_book->SaveDocument(name));
    QByteArray expected;
    appendInt32(expected, 81169248);
    appendInt32(expected, 1000);
    appendInt32(expected, 8);
    for (const QString& table : TableOrder) {
        appendString(expected, table);
        appendInt32(expected, 0);
    }
    appendInt32(expected, 96012856);
    const QByteArray saved = readFile(name);
    QCOMPARE(saved.size(), 248);
    QCOMPARE(saved.toHex(), expected.toHex());
    QCOMPARE(saved.left(4).toHex(), QByteArray("04d68b60"));
    QCOMPARE(saved.right(4).toHex(), QByteArray("05b90a38"));
    QCOMPARE(_book->fileName, name);
    QVERIFY(!_book->modified);
}

void TestBookFile::roundTripKeepsIdsAndValues()
{
    _fillOddBook();
    const BookContent saved = _content();
    const QString name = _dir->filePath("book.carb");
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
    const BookContent loaded = _content();
    QCOMPARE(loaded.size(), saved.size());
    for (const auto& table : saved) {
        const Rows& rows = loaded.at(table.first);
        QCOMPARE(rows.size(), table.second.size());
        for (size_t r = 0; r < rows.size(); ++r) {
            for (size_t c = 0; c < rows[r].size(); ++c) {
                const QVariant& before = table.second[r][c];
                const QVariant& after = rows[r][c];
                if (before != after || before.userType() != after.userType())
                    QFAIL(qPrintable(QString("%1 row %2 column %3: %4 became %5")
                                         .arg(table.first).arg(r).arg(c)
                                         .arg(before.toString(), after.toString())));
            }
        }
    }
    // References still point to the same rows.
    Recipe recipe;
    _book->getRecipe(2, recipe);
    QCOMPARE(recipe.name, QStringLiteral("Hamburger"));
    QCOMPARE(recipe.ingredients.size(), size_t(4)); // the sauce went with its ingredient
    QCOMPARE(recipe.ingredients.at(1).ingredient, QStringLiteral("Cucumber"));
    QCOMPARE(recipe.ingredients.at(1).unit, QStringLiteral("pcs."));
}

void TestBookFile::savingOverOpenFile()
{
    _book->fillSampleBook();
    const QString name = _dir->filePath("book.carb");
    QVERIFY(_book->SaveDocument(name));
    QVERIFY(_book->OpenDocument(name));
    _book->deleteRow(Book::Recipes, 1);
    QVERIFY(_book->SaveDocument(name));
    _book->Clear();
    QVERIFY(_book->OpenDocument(name));
    QSqlQuery count("SELECT COUNT(*) FROM Recipes");
    QVERIFY(count.next());
    QCOMPARE(count.value(0).toInt(), 2);
    QCOMPARE(QDir(_dir->path()).entryList({"*.tmp"}, QDir::Files), QStringList());
}

void TestBookFile::temporaryFileCounter()
{
    QVERIFY(writeFile(_dir->filePath("0.tmp"), "keep me"));
    // A target that cannot be created leaves the complete book in the temporary file.
    const QString unreachable = _dir->filePath("0.tmp/book.carb");
    QVERIFY(!_book->SaveDocument(unreachable));
    QCOMPARE(readFile(_dir->filePath("0.tmp")), QByteArray("keep me"));
    QCOMPARE(readFile(_dir->filePath("1.tmp")).size(), 248);

    QVERIFY(_book->SaveDocument(_dir->filePath("book.carb")));
    QVERIFY(!QFile::exists(_dir->filePath("2.tmp")));
    QVERIFY(QFile::exists(_dir->filePath("1.tmp")));
    QCOMPARE(readFile(_dir->filePath("book.carb")).size(), 248);
}

void TestBookFile::failedReplaceKeepsTargetAndTemporary_data()
{
    QTest::addColumn<QString>("target");
    QTest::newRow("missing folder") << "no/such/folder/book.carb";
    QTest::newRow("folder as target") << "folder";
}

void TestBookFile::failedReplaceKeepsTargetAndTemporary()
{
    QFETCH(QString, target);
    QVERIFY(QDir(_dir->path()).mkdir("folder"));
    _book->modified = true;
    MessageCapture capture;
    QVERIFY(!_book->SaveDocument(_dir->filePath(target)));
    QCOMPARE(capture.count("Error: cannot write"), 1);
    QCOMPARE(_book->fileName, QStringLiteral("NewBook"));
    QVERIFY(_book->modified);
    QVERIFY(QFileInfo(_dir->filePath("folder")).isDir());
    QCOMPARE(readFile(_dir->filePath("0.tmp")).size(), 248);
}

void TestBookFile::unwritableWorkingDirectory()
{
    _book->fillSampleBook();
    QTemporaryDir elsewhere;
    const QString target = elsewhere.filePath("book.carb");
    QVERIFY(writeFile(target, "old complete book"));
    // A working directory that no longer exists refuses every new file.
    QVERIFY(QDir(_dir->path()).removeRecursively());
    MessageCapture capture;
    QVERIFY(!_book->SaveDocument(target));
    QCOMPARE(capture.diagnostics("Cannot open file for saving!"), 1);
    QCOMPARE(readFile(target), QByteArray("old complete book"));
    QCOMPARE(_book->fileName, QStringLiteral("NewBook"));
}

void TestBookFile::openMissingFile()
{
    _fillOddBook();
    _expectFailedOpen(QByteArray(), "Wrong file ID");
    MessageCapture capture;
    QVERIFY(!_book->OpenDocument(_dir->filePath("missing.carb")));
    QCOMPARE(capture.diagnostics("Unable to open file for reading!"), 1);
}

void TestBookFile::badFiles_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QString>("message");

    QByteArray header;
    appendInt32(header, 81169248);
    appendInt32(header, 1000);

    QByteArray wrongId;
    appendInt32(wrongId, 81169249);
    appendInt32(wrongId, 1000);
    appendInt32(wrongId, 0);
    appendInt32(wrongId, 96012856);
    QTest::newRow("wrong id") << wrongId << "Wrong file ID";

    QByteArray unknownTable = header;
    appendInt32(unknownTable, 1);
    appendString(unknownTable, "Nowhere");
    appendInt32(unknownTable, 0);
    appendInt32(unknownTable, 96012856);
    QTest::newRow("unknown table") << unknownTable << "No such table in database";

    QByteArray wrongEnd = header;
    appendInt32(wrongEnd, 1);
    appendString(wrongEnd, "Units");
    appendInt32(wrongEnd, 1);
    appendInt32(wrongEnd, QMetaType::Int);
    wrongEnd.append(char(0));
    appendInt32(wrongEnd, 7);
    appendInt32(wrongEnd, QMetaType::QString);
    wrongEnd.append(char(0));
    appendString(wrongEnd, "kg");
    appendInt32(wrongEnd, 96012855);
    QTest::newRow("wrong end marker") << wrongEnd << "File end not found!";

    QByteArray hugeSections = header;
    appendInt32(hugeSections, 0xffffffff);
    appendString(hugeSections, "Units");
    appendInt32(hugeSections, 0);
    QTest::newRow("huge section count") << hugeSections
                                        << "Error: the file is truncated or corrupted";

    QByteArray hugeRows = header;
    appendInt32(hugeRows, 1);
    appendString(hugeRows, "Tags");
    appendInt32(hugeRows, 0x7fffffff);
    QTest::newRow("huge row count") << hugeRows << "Error: the file is truncated or corrupted";

    QByteArray hugeString = header;
    appendInt32(hugeString, 1);
    appendInt32(hugeString, 0xfffffffe);
    QTest::newRow("huge table name") << hugeString << "Error: the file is truncated or corrupted";

    const auto oneValue = [&header](quint32 type, const QByteArray& payload) {
        QByteArray file = header;
        appendInt32(file, 1);
        appendString(file, "Tags");
        appendInt32(file, 1);
        appendInt32(file, type);
        file.append(char(0));
        file.append(payload);
        return file;
    };
    QByteArray listCount;
    appendInt32(listCount, 0x7fffffff);
    QTest::newRow("list value") << oneValue(QMetaType::QVariantList, listCount)
                                << "Error: unsupported value type 9 in file";
    QTest::newRow("image value") << oneValue(QMetaType::QImage, QByteArray(8, 'x'))
                                 << "Error: unsupported value type 70 in file";
    QTest::newRow("user type") << oneValue(QMetaType::User, QByteArray(8, 'x'))
                               << "Error: unsupported value type 1024 in file";
    QTest::newRow("unknown type id") << oneValue(4242, QByteArray(8, 'x'))
                                     << "Error: unsupported value type 4242 in file";

    QByteArray nullId = header;
    appendInt32(nullId, 1);
    appendString(nullId, "Tags");
    appendInt32(nullId, 1);
    appendInt32(nullId, 0);
    nullId.append(char(1));
    appendInt32(nullId, QMetaType::QString);
    nullId.append(char(0));
    appendString(nullId, "tag");
    appendInt32(nullId, 96012856);
    QTest::newRow("null id") << nullId << "Error: a row in the file has no valid id";

    QByteArray duplicateId = header;
    appendInt32(duplicateId, 1);
    appendString(duplicateId, "Tags");
    appendInt32(duplicateId, 2);
    for (int i = 0; i < 2; ++i) {
        appendInt32(duplicateId, QMetaType::Int);
        duplicateId.append(char(0));
        appendInt32(duplicateId, 3);
        appendInt32(duplicateId, QMetaType::QString);
        duplicateId.append(char(0));
        appendString(duplicateId, "tag");
    }
    appendInt32(duplicateId, 96012856);
    QTest::newRow("duplicate id") << duplicateId << "";
}

void TestBookFile::badFiles()
{
    QFETCH(QByteArray, file);
    QFETCH(QString, message);
    _fillOddBook();
    _expectFailedOpen(file, message);
}

void TestBookFile::truncatedAtEveryLength()
{
    const QByteArray whole = _savedSmallBook();
    QVERIFY(whole.size() > 248);
    QVERIFY(_book->OpenDocument(_dir->filePath("small.carb")));
    const BookContent before = _content();
    const QString name = _dir->filePath("cut.carb");
    for (int length = 0; length < whole.size(); ++length) {
        QVERIFY(writeFile(name, whole.left(length)));
        MessageCapture capture;
        if (_book->OpenDocument(name))
            QFAIL(qPrintable(QString("a file cut at %1 bytes opened").arg(length)));
    }
    QVERIFY(_content() == before);
    QVERIFY(writeFile(name, whole));
    QVERIFY(_book->OpenDocument(name));
}

void TestBookFile::zeroSectionsGiveEmptyBook()
{
    _book->fillSampleBook();
    QByteArray file;
    appendInt32(file, 81169248);
    appendInt32(file, 1000);
    appendInt32(file, 0);
    appendInt32(file, 96012856);
    const QString name = _dir->filePath("zero.carb");
    QVERIFY(writeFile(name, file));
    QVERIFY(_book->OpenDocument(name));
    for (const auto& table : _content())
        QVERIFY(table.second.empty());
}

void TestBookFile::independentWriterTypes()
{
    // Another writer may store ids as 32-bit ints and quantities as floats.
    QByteArray file;
    QDataStream out(&file, QIODevice::WriteOnly);
    out.setVersion(QDataStream::Qt_5_15);
    out << qint32(81169248) << qint32(1000) << qint32(2);
    out << QString("Ingredients") << qint32(1);
    out << QVariant(int(4)) << QVariant(QString("Flour")) << QVariant(uint(9)) << QVariant(2.5f)
        << QVariant(double(0.125));
    out << QString("Units") << qint32(1);
    out << QVariant(qlonglong(9)) << QVariant(QString("kg"));
    out << qint32(96012856);
    const QString name = _dir->filePath("other.carb");
    QVERIFY(writeFile(name, file));
    QVERIFY(_book->OpenDocument(name));
    std::vector<QVariant> row;
    QVERIFY(_book->getRowByID(Book::Ingredients, 4, row));
    _book->resolveRow(Book::Ingredients, row);
    QCOMPARE(row[Book::IngredientName].toString(), QStringLiteral("Flour"));
    QCOMPARE(row[Book::IngredientUnit].toString(), QStringLiteral("kg"));
    QCOMPARE(row[Book::IngredientCost].toDouble(), 2.5);
    QCOMPARE(row[Book::IngredientQuantity].toDouble(), 0.125);
}

QTEST_GUILESS_MAIN(TestBookFile)
#include "tst_bookfile.moc"
