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
    QStringList _unitNames();

private slots:
    void init();
    void cleanup();

    void addRowFillsDefaults();
    void addRow_data();
    void addRow();
    void deleteRowCascadesOneLevel();
    void getRowByID();
    void copyRow();
    void getNameByID_data();
    void getNameByID();
    void getIDByNameAnyText_data();
    void getIDByNameAnyText();
    void getRowsAndNames();
    void updates();
    void unknownTable();
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

QStringList TestRows::_unitNames()
{
    QStringList names;
    QSqlQuery query("SELECT id, name FROM Units ORDER BY id");
    while (query.next())
        names << query.value(0).toString() + ":" + query.value(1).toString();
    return names;
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
    QCOMPARE(_book->addRow(Book::Recipes, values, true), 1);
    QCOMPARE(values.size(), size_t(Book::RecipeFieldCount));
    std::vector<QVariant> row;
    QVERIFY(_book->getRowByID(Book::Recipes, 1, row));
    QCOMPARE(row.size(), size_t(Book::RecipeFieldCount));
    QCOMPARE(row[Book::RecipeName].toString(), QStringLiteral("Soup"));
    QCOMPARE(row[Book::RecipePhoto].toByteArray(), QByteArray("0"));
    QCOMPARE(row[Book::RecipeRating].toInt(), 5);
    QCOMPARE(row[Book::RecipeComplexity].toInt(), 5);
    QCOMPARE(row[Book::RecipeExpenses].toDouble(), 0.0);
    QCOMPARE(_book->addRow(Book::Recipes, values, true), 2);
}

void TestRows::addRow_data()
{
    QTest::addColumn<QString>("table");
    QTest::addColumn<bool>("autoId");
    QTest::addColumn<QVariantList>("values");
    QTest::addColumn<int>("id");
    QTest::addColumn<QString>("message");
    QTest::addColumn<QStringList>("units");
    const QStringList kept{"42:kg"};
    QTest::newRow("given id") << "Units" << false << QVariantList{9, "g"} << 9 << ""
                              << QStringList{"9:g", "42:kg"};
    QTest::newRow("next id after the highest") << "Units" << true << QVariantList{"g"} << 43
                                               << "" << QStringList{"42:kg", "43:g"};
    QTest::newRow("undeclared table") << "Nowhere" << true << QVariantList{"x"} << -1
                                      << "\"Error: No such table in DB\"" << kept;
    QTest::newRow("no id given") << "Units" << false << QVariantList{} << -1
                                 << "\"Error: No id given for the row\"" << kept;
    QTest::newRow("id taken") << "Units" << false << QVariantList{42, "g"} << -1
                              << "\"Document::addRow query error " << kept;
    QTest::newRow("too many values")
        << "Units" << true << QVariantList{"g", "surplus"} << 43
        << "\"Warning: Too many field values provided Document::addRow\""
        << QStringList{"42:kg", "43:g"};
}

void TestRows::addRow()
{
    QFETCH(QString, table);
    QFETCH(bool, autoId);
    QFETCH(QVariantList, values);
    QFETCH(int, id);
    QFETCH(QString, message);
    QFETCH(QStringList, units);
    std::vector<QVariant> first{42, QStringLiteral("kg")};
    QCOMPARE(_book->addRow(Book::Units, first, false), 42);
    std::vector<QVariant> row(values.begin(), values.end());
    MessageCapture capture;
    QCOMPARE(_book->addRow(table, row, autoId), id);
    if (message.isEmpty())
        QVERIFY(capture.messages().isEmpty());
    else
        QCOMPARE(capture.count(message), 1);
    QCOMPARE(_unitNames(), units);
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

    MessageCapture capture;
    QCOMPARE(_book->copyRow(Book::Recipes, 5), -1);
    QCOMPARE(capture.messages().size(), 2);
    QVERIFY(capture.messages().at(0).endsWith("\"Error: can't extract from DB\""));
    QVERIFY(capture.messages().at(1).endsWith("\"Extracted row and fields array misatch\""));
    QCOMPARE(_count(Book::Recipes), 2);
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

    QueryResult named;
    _book->getNames(Book::Units, "id=3", &named);
    QVariant value(1);
    QVERIFY(readNextValue(named.query, value));
    QCOMPARE(value.toString(), QStringLiteral("pcs."));
    QVERIFY(!readNextValue(named.query, value));
    QCOMPARE(value.toString(), QStringLiteral("pcs.")); // the end leaves the value alone
}

void TestRows::updates()
{
    const QVariant recipe[] = {"Stew"};
    const int id = _book->addRow(Book::Recipes, recipe, 1);
    MessageCapture capture;
    _book->updateItem(Book::Recipes, id, Book::RecipeName, QStringLiteral("O'Brien's stew"));
    _book->updateItem(Book::Recipes, id, Book::RecipeRating, 9);
    _book->updateItem(Book::Recipes, id, Book::RecipeFieldCount, 1);
    _book->updateItem(Book::Recipes, id, -1, 1);
    QCOMPARE(capture.count("Invalid field index"), 2);
    std::vector<QVariant> row;
    QVERIFY(_book->getRowByID(Book::Recipes, id, row));
    QCOMPARE(row[Book::RecipeName].toString(), QStringLiteral("O'Brien's stew"));
    QCOMPARE(row[Book::RecipeRating].toInt(), 9);
    QCOMPARE(row[Book::RecipeComplexity].toInt(), 5);

    const QVariant plan[] = {"Party"};
    const int planId = _book->addRow(Book::CookingPlans, plan, 1);
    std::vector<TableFieldUpdate> updates{{QStringLiteral("Feast"), Book::PlanName},
                                          {12, Book::PlanPersonCount}};
    _book->updateTable(Book::CookingPlans, planId, updates);
    QVERIFY(_book->getRowByID(Book::CookingPlans, planId, row));
    QCOMPARE(row[Book::PlanName].toString(), QStringLiteral("Feast"));
    QCOMPARE(row[Book::PlanPersonCount].toInt(), 12);
    QCOMPARE(row[Book::PlanDishCount].toInt(), 0);

    std::vector<TableFieldUpdate> none;
    _book->updateTable(Book::CookingPlans, planId, none);
    QCOMPARE(capture.count("Document::addRow query error "), 1);
    QCOMPARE(_book->getNameByID(Book::CookingPlans, planId), QStringLiteral("Feast"));
}

// Every operation on an undeclared table says so and changes nothing.
void TestRows::unknownTable()
{
    _addUnit("kg");
    MessageCapture capture;
    _book->deleteRow("Nowhere", 1);
    QCOMPARE(_book->copyRow("Nowhere", 1), -1);
    _book->updateItem("Nowhere", 1, 0, 1);
    QCOMPARE(capture.diagnostics("No such table in database"), 3);

    capture.clear();
    QueryResult rows;
    _book->getRows("Nowhere", QString(), &rows);
    QVERIFY(rows.table.isEmpty());
    QCOMPARE(capture.diagnostics("Error: no such table in database"), 1);
    QCOMPARE(capture.count("Query error: "), 1);

    capture.clear();
    QueryResult names;
    _book->getNames("Nowhere", QString(), &names);
    QVERIFY(!names.query.isActive());
    QVERIFY(names.table.isEmpty());
    QCOMPARE(capture.diagnostics("Error: no such table in database"), 1);
    QCOMPARE(_unitNames(), QStringList{"1:kg"});
}

QTEST_GUILESS_MAIN(TestRows)
#include "tst_rows.moc"
