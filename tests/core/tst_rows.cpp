#include "data/document.h"
#include "data/recipebook.h"
#include "support/testsupport.h"

#include <QSqlQuery>
#include <QtTest>

#include <memory>

// Row operations on an empty recipe book.
class TestRows : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<ScratchDir> _dir;
    std::unique_ptr<Document> _book;

    int _count(const QString& table, const QString& where = QString());
    int _addUnit(const QString& name);

private slots:
    void init();
    void cleanup();

    void addRowFillsDefaults();
    void addRowWithGivenId();
    void addRowFailures_data();
    void addRowFailures();
    void addRowTooManyValues();
    void deleteRowCascadesOneLevel();
    void deleteRowUnknownTable();
    void getRowByID();
    void copyRow();
    void copyRowMissing();
    void getNameByID_data();
    void getNameByID();
    void getIDByNameAnyText_data();
    void getIDByNameAnyText();
    void getRowsAndNames();
    void getNamesUnknownTableLeavesResult();
    void updateItem();
    void updateItemRejectsBadField();
    void updateTable();
    void updateTableEmpty();
    void readNextValue();
};

int TestRows::_count(const QString& table, const QString& where)
{
    QSqlQuery query("SELECT COUNT(*) FROM " + table + (where.isEmpty() ? "" : " WHERE " + where));
    return query.next() ? query.value(0).toInt() : -1;
}

int TestRows::_addUnit(const QString& name)
{
    const QVariant values[] = {name};
    return _book->addRow(Book::Units, values, 1);
}

void TestRows::init()
{
    _dir.reset(new ScratchDir(false));
    _book.reset(new Document);
    QVERIFY(_book->setDataStructure());
}

void TestRows::cleanup()
{
    _book.reset();
    _dir.reset();
}

void TestRows::addRowFillsDefaults()
{
    std::vector<QVariant> values{QStringLiteral("Soup")};
    const int id = _book->addRow(Book::Recipes, values, true);
    QCOMPARE(id, 1);
    QCOMPARE(values.size(), size_t(Book::RecipeFieldCount));
    std::vector<QVariant> row;
    QVERIFY(_book->getRowByID(Book::Recipes, id, row));
    QCOMPARE(row.size(), size_t(Book::RecipeFieldCount));
    QCOMPARE(row[Book::RecipeName].toString(), QStringLiteral("Soup"));
    QCOMPARE(row[Book::RecipePhoto].toByteArray(), QByteArray("0"));
    QCOMPARE(row[Book::RecipeRating].toInt(), 5);
    QCOMPARE(row[Book::RecipeComplexity].toInt(), 5);
    QCOMPARE(row[Book::RecipeExpenses].toDouble(), 0.0);
    QCOMPARE(_book->addRow(Book::Recipes, values, true), 2);
}

void TestRows::addRowWithGivenId()
{
    std::vector<QVariant> values{42, QStringLiteral("kg")};
    QCOMPARE(_book->addRow(Book::Units, values, false), 42);
    QCOMPARE(_book->getNameByID(Book::Units, 42), QStringLiteral("kg"));

    MessageCapture capture;
    std::vector<QVariant> again{42, QStringLiteral("g")};
    QCOMPARE(_book->addRow(Book::Units, again, false), -1);
    QCOMPARE(capture.count("Document::addRow query error "), 1);
    QCOMPARE(_book->getNameByID(Book::Units, 42), QStringLiteral("kg"));
}

void TestRows::addRowFailures_data()
{
    QTest::addColumn<QString>("table");
    QTest::addColumn<bool>("autoId");
    QTest::addColumn<int>("valueCount");
    QTest::addColumn<QString>("message");
    QTest::newRow("undeclared table") << "Nowhere" << true << 1 << "Error: No such table in DB";
    QTest::newRow("no id given") << "Units" << false << 0 << "Error: No id given for the row";
}

void TestRows::addRowFailures()
{
    QFETCH(QString, table);
    QFETCH(bool, autoId);
    QFETCH(int, valueCount);
    QFETCH(QString, message);
    MessageCapture capture;
    std::vector<QVariant> values(valueCount, QVariant(QStringLiteral("x")));
    QCOMPARE(_book->addRow(table, values, autoId), -1);
    QCOMPARE(capture.diagnostics(message), 1);
    QCOMPARE(_count(Book::Units), 0);
}

void TestRows::addRowTooManyValues()
{
    MessageCapture capture;
    std::vector<QVariant> values{QStringLiteral("kg"), QStringLiteral("surplus")};
    QCOMPARE(_book->addRow(Book::Units, values, true), 1);
    QCOMPARE(capture.diagnostics("Warning: Too many field values provided Document::addRow"), 1);
    QCOMPARE(_book->getNameByID(Book::Units, 1), QStringLiteral("kg"));
}

void TestRows::deleteRowCascadesOneLevel()
{
    // Units are selected by ingredients and by recipe lines; recipe lines also
    // select ingredients, which must not cascade a second level.
    const int kg = _addUnit("kg");
    const int pcs = _addUnit("pcs.");
    const QVariant flour[] = {"Flour", kg};
    const int flourId = _book->addRow(Book::Ingredients, flour, 2);
    const QVariant egg[] = {"Egg", pcs};
    const int eggId = _book->addRow(Book::Ingredients, egg, 2);
    const QVariant recipe[] = {"Bread"};
    const int bread = _book->addRow(Book::Recipes, recipe, 1);
    const QVariant line1[] = {bread, flourId, 1.0f, pcs}; // flour measured in pieces
    const QVariant line2[] = {bread, eggId, 2.0f, pcs};
    const QVariant line3[] = {bread, eggId, 1.0f, kg};
    _book->addRow(Book::RecipeIngredients, line1, 4);
    _book->addRow(Book::RecipeIngredients, line2, 4);
    _book->addRow(Book::RecipeIngredients, line3, 4);

    _book->deleteRow(Book::Units, kg);
    QCOMPARE(_count(Book::Units), 1);
    QCOMPARE(_count(Book::Ingredients), 1); // flour went with its unit
    QCOMPARE(_count(Book::Ingredients, "name='Egg'"), 1);
    // line3 used kg; line1 selects the deleted flour but stays (one level only).
    QCOMPARE(_count(Book::RecipeIngredients), 2);
    QCOMPARE(_count(Book::RecipeIngredients, "id_ing=" + QString::number(flourId)), 1);
}

void TestRows::deleteRowUnknownTable()
{
    MessageCapture capture;
    _book->deleteRow("Nowhere", 1);
    QCOMPARE(capture.diagnostics("No such table in database"), 1);
}

void TestRows::getRowByID()
{
    const int id = _addUnit("litre");
    std::vector<QVariant> row{1, 2, 3};
    QVERIFY(_book->getRowByID(Book::Units, id, row));
    QCOMPARE(row, std::vector<QVariant>{QVariant("litre")});

    MessageCapture capture;
    QVERIFY(!_book->getRowByID(Book::Units, 99, row));
    QVERIFY(row.empty());
    QCOMPARE(capture.diagnostics("Error: can't extract from DB"), 1);
}

void TestRows::copyRow()
{
    const QVariant recipe[] = {"Stew", QByteArray("\x89PNG"), "<b>hot</b>", 7, 2, 3.5f};
    const int id = _book->addRow(Book::Recipes, recipe, 6);
    const int copy = _book->copyRow(Book::Recipes, id);
    QCOMPARE(copy, id + 1);
    std::vector<QVariant> original, copied;
    QVERIFY(_book->getRowByID(Book::Recipes, id, original));
    QVERIFY(_book->getRowByID(Book::Recipes, copy, copied));
    QCOMPARE(copied, original);
}

void TestRows::copyRowMissing()
{
    MessageCapture capture;
    QCOMPARE(_book->copyRow(Book::Recipes, 5), -1);
    QStringList expected{"Error: can't extract from DB", "Extracted row and fields array misatch"};
    QCOMPARE(capture.messages().size(), 2);
    QVERIFY(capture.messages().at(0).endsWith('"' + expected.at(0) + '"'));
    QVERIFY(capture.messages().at(1).endsWith('"' + expected.at(1) + '"'));
    capture.clear();
    QCOMPARE(_book->copyRow("Nowhere", 1), -1);
    QCOMPARE(capture.diagnostics("No such table in database"), 1);
    QCOMPARE(_count(Book::Recipes), 0);
}

void TestRows::getNameByID_data()
{
    QTest::addColumn<QString>("table");
    QTest::addColumn<int>("id");
    QTest::addColumn<QString>("expected");
    QTest::addColumn<QString>("message");
    QTest::newRow("existing") << "Units" << 1 << "kg" << "";
    QTest::newRow("no selection") << "Units" << -1 << "-----" << "";
    QTest::newRow("no selection, unknown table") << "Nowhere" << -1 << "-----" << "";
    QTest::newRow("missing row") << "Units" << 77 << "-----" << "Query error";
    QTest::newRow("unknown table") << "Nowhere" << 1 << "-----" << "Table doesn't exist!";
}

void TestRows::getNameByID()
{
    QFETCH(QString, table);
    QFETCH(int, id);
    QFETCH(QString, expected);
    QFETCH(QString, message);
    _addUnit("kg");
    MessageCapture capture;
    QCOMPARE(_book->getNameByID(table, id), expected);
    QCOMPARE(capture.messages().size(), message.isEmpty() ? 0 : 1);
    if (!message.isEmpty())
        QCOMPARE(capture.diagnostics(message), 1);
}

void TestRows::getIDByNameAnyText_data()
{
    QTest::addColumn<QString>("name");
    QTest::newRow("plain") << "Salt";
    QTest::newRow("single quote") << "Chef's salad";
    QTest::newRow("double quote") << "The \"best\" soup";
    QTest::newRow("backslash") << "a\\b";
    QTest::newRow("sql") << "x' OR '1'='1";
    QTest::newRow("unicode") << QStringLiteral("Щи ёжика 🍲 日本");
}

void TestRows::getIDByNameAnyText()
{
    QFETCH(QString, name);
    _addUnit("Other");
    const int id = _addUnit(name);
    MessageCapture capture;
    QCOMPARE(_book->getIDByName(Book::Units, name), id);
    QCOMPARE(_book->getIDByName(Book::Units, name + "x"), -1);
    QVERIFY(capture.messages().isEmpty());
}

void TestRows::getRowsAndNames()
{
    _addUnit("kg");
    _addUnit("g");
    _addUnit("pcs.");
    QueryResult all;
    _book->getRows(Book::Units, QString(), &all);
    QCOMPARE(all.table, Book::Units);
    std::vector<QVariant> row;
    QStringList names;
    while (readNextRow(all.query, row, 1))
        names << row.at(0).toString();
    QCOMPARE(names, QStringList({"kg", "g", "pcs."}));

    QueryResult some;
    _book->getRows(Book::Units, "name", "id>1", &some);
    QVERIFY(readNextRow(some.query, row, 0));
    QCOMPARE(row, std::vector<QVariant>{QVariant("g")});

    MessageCapture capture;
    QueryResult unknown;
    _book->getRows("Nowhere", QString(), &unknown);
    QVERIFY(unknown.table.isEmpty());
    QCOMPARE(capture.diagnostics("Error: no such table in database"), 1);
    QCOMPARE(capture.count("Query error: "), 1);
}

void TestRows::getNamesUnknownTableLeavesResult()
{
    _addUnit("kg");
    QueryResult result;
    _book->getNames(Book::Units, "id=1", &result);
    QVariant value;
    QVERIFY(::readNextValue(result.query, value));
    QCOMPARE(value.toString(), QStringLiteral("kg"));

    MessageCapture capture;
    QueryResult untouched;
    _book->getNames("Nowhere", QString(), &untouched);
    QVERIFY(!untouched.query.isActive());
    QVERIFY(untouched.table.isEmpty());
    QCOMPARE(capture.diagnostics("Error: no such table in database"), 1);
}

void TestRows::updateItem()
{
    const QVariant recipe[] = {"Stew"};
    const int id = _book->addRow(Book::Recipes, recipe, 1);
    _book->updateItem(Book::Recipes, id, Book::RecipeName, QStringLiteral("O'Brien's stew"));
    _book->updateItem(Book::Recipes, id, Book::RecipeRating, 9);
    std::vector<QVariant> row;
    QVERIFY(_book->getRowByID(Book::Recipes, id, row));
    QCOMPARE(row[Book::RecipeName].toString(), QStringLiteral("O'Brien's stew"));
    QCOMPARE(row[Book::RecipeRating].toInt(), 9);
    QCOMPARE(row[Book::RecipeComplexity].toInt(), 5);

    MessageCapture capture;
    _book->updateItem("Nowhere", id, 0, 1);
    QCOMPARE(capture.diagnostics("No such table in database"), 1);
}

void TestRows::updateItemRejectsBadField()
{
    const int id = _addUnit("kg");
    MessageCapture capture;
    _book->updateItem(Book::Units, id, 1, QStringLiteral("g"));
    _book->updateItem(Book::Units, id, -1, QStringLiteral("g"));
    QCOMPARE(capture.count("Invalid field index"), 2);
    QCOMPARE(_book->getNameByID(Book::Units, id), QStringLiteral("kg"));
}

void TestRows::updateTable()
{
    const QVariant plan[] = {"Party"};
    const int id = _book->addRow(Book::CookingPlans, plan, 1);
    std::vector<TableFieldUpdate> updates{{QStringLiteral("Feast"), Book::PlanName},
                                          {12, Book::PlanPersonCount}};
    _book->updateTable(Book::CookingPlans, id, updates);
    std::vector<QVariant> row;
    QVERIFY(_book->getRowByID(Book::CookingPlans, id, row));
    QCOMPARE(row[Book::PlanName].toString(), QStringLiteral("Feast"));
    QCOMPARE(row[Book::PlanPersonCount].toInt(), 12);
    QCOMPARE(row[Book::PlanDishCount].toInt(), 0);
}

void TestRows::updateTableEmpty()
{
    const int id = _addUnit("kg");
    MessageCapture capture;
    std::vector<TableFieldUpdate> none;
    _book->updateTable(Book::Units, id, none);
    QCOMPARE(capture.count("Document::addRow query error "), 1);
    QCOMPARE(_book->getNameByID(Book::Units, id), QStringLiteral("kg"));
}

void TestRows::readNextValue()
{
    QSqlQuery query("SELECT 5");
    QVariant value(1);
    QVERIFY(::readNextValue(query, value));
    QCOMPARE(value.toInt(), 5);
    QVERIFY(!::readNextValue(query, value));
    QCOMPARE(value.toInt(), 5);
}

QTEST_GUILESS_MAIN(TestRows)
#include "tst_rows.moc"
