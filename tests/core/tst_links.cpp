#include "data/document.h"
#include "data/recipebook.h"
#include "support/testsupport.h"

#include <QSqlQuery>
#include <QtTest>

#include <memory>

// Table connections, resolution of ids to names and back, and detail sections.
class TestLinks : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<ScratchDir> _dir;
    std::unique_ptr<Document> _book;

    int _add(const QString& table, std::vector<QVariant> values);
    int _count(const QString& table, const QString& where = QString());
    QStringList _manyTables(const QString& table);

private slots:
    void init();
    void cleanup();

    void bookConnections();
    void connectTablesRefused_data();
    void connectTablesRefused();
    void schemaQuestions();
    void resolveRow();
    void replaceTableSection();
    void replaceTableSectionOddInput();
    void copyRowConnected();
    void copyRowConnectedStopsWithoutCopy();
    void updateSelectionLists();
};

int TestLinks::_add(const QString& table, std::vector<QVariant> values)
{
    return _book->addRow(table, values, true);
}

int TestLinks::_count(const QString& table, const QString& where)
{
    QSqlQuery query("SELECT COUNT(*) FROM " + table + (where.isEmpty() ? "" : " WHERE " + where));
    return query.next() ? query.value(0).toInt() : -1;
}

QStringList TestLinks::_manyTables(const QString& table)
{
    QStringList names;
    for (const TableConnection& link : _book->tables.at(table).manyLinks)
        names << link.table + ":" + QString::number(link.field);
    return names;
}

void TestLinks::init()
{
    _dir.reset(new ScratchDir(false));
    _book.reset(new Document);
    QVERIFY(_book->setDataStructure());
}

void TestLinks::cleanup()
{
    _book.reset();
    _dir.reset();
}

// The connections that deleting, copying and resolving rows follow.
void TestLinks::bookConnections()
{
    QCOMPARE(_manyTables(Book::Recipes),
             QStringList({"RecipeIngredients:0", "RecipeTags:0", "CookingPlanRecipes:1"}));
    QCOMPARE(_book->tables.at(Book::Recipes).manyLinks[2].caption,
             QStringLiteral("Cooking plans"));
    QCOMPARE(_manyTables(Book::Units), QStringList({"RecipeIngredients:3", "Ingredients:1"}));
    QCOMPARE(_manyTables(Book::Ingredients), QStringList({"RecipeIngredients:1"}));
    QCOMPARE(_manyTables(Book::Tags), QStringList({"RecipeTags:1"}));
    QCOMPARE(_manyTables(Book::CookingPlans), QStringList({"CookingPlanRecipes:0"}));
    const TableData& lines = _book->tables.at(Book::RecipeIngredients);
    QCOMPARE(lines.oneLinks.size(), size_t(3));
    QCOMPARE(lines.fields[Book::LineUnit].linkedTable, Book::Units);
    QVERIFY(!lines.fields[Book::LineQuantity].connected);
}

void TestLinks::connectTablesRefused_data()
{
    QTest::addColumn<QString>("one");
    QTest::addColumn<QString>("many");
    QTest::addColumn<uint>("field");
    QTest::addColumn<QString>("message");
    const QString missing = "Cannot link tables: one or both tables missing!";
    QTest::newRow("missing one") << "Nowhere" << "Ingredients" << 1u << missing;
    QTest::newRow("missing many") << "Units" << "Nowhere" << 1u << missing;
    QTest::newRow("field past end") << "Units" << "Ingredients" << 4u
                                    << "Error: Dest table doesn't have such a field!";
    QTest::newRow("not a selection") << "Units" << "Ingredients" << 2u
                                     << "Error: Linker field must be of MD_SEL metatype";
}

void TestLinks::connectTablesRefused()
{
    QFETCH(QString, one);
    QFETCH(QString, many);
    QFETCH(uint, field);
    QFETCH(QString, message);
    const QStringList unitLinks = _manyTables(Book::Units);
    const size_t ingredientLinks = _book->tables.at(Book::Ingredients).oneLinks.size();
    MessageCapture capture;
    _book->connectTables(one, many, field, "Caption");
    QCOMPARE(capture.diagnostics(message), 1);
    QCOMPARE(_manyTables(Book::Units), unitLinks);
    QCOMPARE(_book->tables.at(Book::Ingredients).oneLinks.size(), ingredientLinks);
    QVERIFY(!_book->tables.at(Book::Ingredients).fields[Book::IngredientCost].connected);
}

void TestLinks::schemaQuestions()
{
    std::map<unsigned int, QString> selections{{9, "stale"}};
    _book->obtainFieldConnections(Book::RecipeIngredients, selections);
    const std::map<unsigned int, QString> expected{
        {0, Book::Recipes}, {1, Book::Ingredients}, {3, Book::Units}};
    QCOMPARE(selections, expected);

    std::vector<TableConnection> many;
    _book->getConnectionsMany(Book::Tags, many);
    QCOMPARE(many.size(), size_t(1));
    QCOMPARE(many[0].table, Book::RecipeTags);

    std::vector<TF> fields;
    QVERIFY(_book->copyTableFields(Book::CookingPlans, fields));
    QCOMPARE(fields.size(), size_t(4));
    QCOMPARE(fields[3].name, QStringLiteral("npersons"));

    // An unknown table leaves field and connection lists alone, selections empty.
    MessageCapture capture;
    QVERIFY(!_book->copyTableFields("Nowhere", fields));
    QCOMPARE(fields.size(), size_t(4));
    _book->getConnectionsMany("Nowhere", many);
    QCOMPARE(many.size(), size_t(1));
    _book->obtainFieldConnections("Nowhere", selections);
    QVERIFY(selections.empty());
    QCOMPARE(capture.diagnostics("No such table in database"), 3);
}

void TestLinks::resolveRow()
{
    const int kg = _add(Book::Units, {"kg"});
    const int flour = _add(Book::Ingredients, {"Flour", kg});
    const int bread = _add(Book::Recipes, {"Bread"});
    std::vector<QVariant> row{bread, flour, 0.5f, -1};
    MessageCapture capture;
    _book->resolveRow(Book::RecipeIngredients, row);
    QCOMPARE(row, (std::vector<QVariant>{"Bread", "Flour", 0.5f, "-----"}));
    QVERIFY(capture.messages().isEmpty());

    std::vector<QVariant> bad{QStringLiteral("not an id"), 99, 1.0f, kg};
    _book->resolveRow(Book::RecipeIngredients, bad);
    QCOMPARE(capture.diagnostics("Error: id of connected field cannot be extracted"), 1);
    QCOMPARE(bad, (std::vector<QVariant>{"not an id", "-----", 1.0f, "kg"}));

    std::vector<QVariant> shortRow{kg, kg};
    _book->resolveRow(Book::RecipeIngredients, shortRow);
    QCOMPARE(shortRow.size(), size_t(2));

    // Rows of a query come resolved, and an empty row marks the end.
    _add(Book::Ingredients, {"Water", -1});
    QueryResult result;
    _book->getRows(Book::Ingredients, QString(), &result);
    QVERIFY(_book->nextResolvedRow(&result, row));
    QCOMPARE(row[Book::IngredientUnit].toString(), QStringLiteral("kg"));
    QVERIFY(_book->nextResolvedRow(&result, row));
    QCOMPARE(row[Book::IngredientUnit].toString(), QStringLiteral("-----"));
    QVERIFY(!_book->nextResolvedRow(&result, row));
    QVERIFY(row.empty());
}

void TestLinks::replaceTableSection()
{
    const int kg = _add(Book::Units, {"kg"});
    const int flour = _add(Book::Ingredients, {"Flour", kg});
    const int bread = _add(Book::Recipes, {"Bread"});
    const int cake = _add(Book::Recipes, {"Cake"});
    _add(Book::RecipeIngredients, {bread, flour, 1.0f, kg});
    _add(Book::RecipeIngredients, {cake, flour, 2.0f, kg});

    // Names stand for rows: a known one, a new one (created), "-----" (none).
    std::vector<std::vector<QVariant> > rows{
        {QVariant("ignored"), QVariant("Flour"), QVariant(0.25f), QVariant("kg")},
        {QVariant(), QVariant("Sugar's best"), QVariant(3.0f), QVariant("-----")},
    };
    _book->replaceTableSection(Book::RecipeIngredients, rows, "id_rec", bread);

    QCOMPARE(_count(Book::RecipeIngredients, "id_rec=" + QString::number(cake)), 1);
    const int sugar = _book->getIDByName(Book::Ingredients, "Sugar's best");
    QVERIFY(sugar > flour);
    std::vector<QVariant> created;
    QVERIFY(_book->getRowByID(Book::Ingredients, sugar, created));
    QCOMPARE(created[Book::IngredientUnit].toInt(), -1);

    QSqlQuery lines("SELECT id_rec, id_ing, quant, id_unit FROM RecipeIngredients WHERE id_rec="
                    + QString::number(bread) + " ORDER BY id");
    QStringList found;
    while (lines.next())
        found << QStringList{lines.value(0).toString(), lines.value(1).toString(),
                             lines.value(2).toString(), lines.value(3).toString()}.join(' ');
    const QString b = QString::number(bread);
    QCOMPARE(found, QStringList({b + " " + QString::number(flour) + " 0.25 " + QString::number(kg),
                                 b + " " + QString::number(sugar) + " 3 -1"}));
}

void TestLinks::replaceTableSectionOddInput()
{
    const int bread = _add(Book::Recipes, {"Bread"});
    _add(Book::RecipeTags, {bread, -1});
    std::vector<std::vector<QVariant> > none;
    _book->replaceTableSection(Book::RecipeTags, none, "id_rec", bread);
    QCOMPARE(_count(Book::RecipeTags), 0);

    // A short row is skipped and the others still written.
    std::vector<std::vector<QVariant> > rows{{QVariant(), QVariant("Quick")},
                                             {QVariant("Short")},
                                             {QVariant(), QVariant("Vegan")}};
    MessageCapture capture;
    _book->replaceTableSection(Book::RecipeTags, rows, "id_rec", bread);
    QCOMPARE(capture.diagnostics("Variant vector and field count mismatch"), 1);
    QCOMPARE(_count(Book::RecipeTags, "id_rec=" + QString::number(bread)), 2);
    QCOMPARE(_count(Book::Tags), 2);

    capture.clear();
    _book->replaceTableSection("Nowhere", rows, "id_rec", 1);
    QCOMPARE(capture.diagnostics("Error: No such table in database"), 1);
}

void TestLinks::copyRowConnected()
{
    const int kg = _add(Book::Units, {"kg"});
    const int flour = _add(Book::Ingredients, {"Flour", kg});
    const int tag = _add(Book::Tags, {"Baked"});
    const int bread = _add(Book::Recipes, {"Bread"});
    const int other = _add(Book::Recipes, {"Other"});
    _add(Book::RecipeIngredients, {bread, flour, 1.0f, kg});
    _add(Book::RecipeIngredients, {other, flour, 9.0f, kg});
    _add(Book::RecipeTags, {bread, tag});
    const int party = _add(Book::CookingPlans, {"Party"});
    const int picnic = _add(Book::CookingPlans, {"Picnic"});
    _add(Book::CookingPlanRecipes, {party, bread, 4});
    _add(Book::CookingPlanRecipes, {picnic, bread, 7});

    const int copy = _book->copyRowConnected(Book::Recipes, bread);
    QCOMPARE(copy, other + 1);
    const QString ofCopy = "id_rec=" + QString::number(copy);
    QCOMPARE(_count(Book::RecipeIngredients, ofCopy + " AND quant=1"), 1);
    QCOMPARE(_count(Book::RecipeIngredients, ofCopy), 1);
    QCOMPARE(_count(Book::RecipeTags, ofCopy), 1);
    QCOMPARE(_count(Book::CookingPlanRecipes, ofCopy), 2);
    QCOMPARE(_count(Book::CookingPlanRecipes, ofCopy + " AND id_cp=" + QString::number(party)
                                                  + " AND portion_number=4"), 1);
    QCOMPARE(_count(Book::CookingPlanRecipes, ofCopy + " AND id_cp=" + QString::number(picnic)
                                                  + " AND portion_number=7"), 1);
}

// Without a copy of the main row no detail rows are copied (under id -1).
void TestLinks::copyRowConnectedStopsWithoutCopy()
{
    const int bread = _add(Book::Recipes, {"Bread"});
    _add(Book::RecipeTags, {bread, -1});
    MessageCapture capture;
    QCOMPARE(_book->copyRowConnected(Book::Recipes, bread + 1), -1);
    QCOMPARE(_count(Book::RecipeTags), 1);
    QCOMPARE(_count(Book::RecipeTags, "id_rec=-1"), 0);
    QCOMPARE(capture.diagnostics("Extracted row and fields array misatch"), 1);

    capture.clear();
    QCOMPARE(_book->copyRowConnected("Nowhere", 1), -1);
    QCOMPARE(capture.diagnostics("No such table in database"), 2);
}

void TestLinks::updateSelectionLists()
{
    _add(Book::Units, {"kg"});
    _add(Book::Units, {"g"});
    _add(Book::Ingredients, {"Flour", 1});
    std::map<unsigned int, std::vector<QVariant> > lists{
        {Book::LineIngredient, {}}, {Book::LineQuantity, {}}, {Book::LineUnit, {}}, {9, {}}};
    MessageCapture capture;
    _book->updateSelectionLists(Book::RecipeIngredients, &lists);
    QCOMPARE(lists[Book::LineIngredient], (std::vector<QVariant>{"-----", "Flour"}));
    QCOMPARE(lists[Book::LineUnit], (std::vector<QVariant>{"-----", "kg", "g"}));
    QVERIFY(lists[Book::LineQuantity].empty());
    QCOMPARE(capture.diagnostics("Field data type must be MD_SEL"), 1);
    QCOMPARE(capture.diagnostics("Invalid field index 9"), 1);

    capture.clear();
    _book->updateSelectionLists("Nowhere", &lists);
    QCOMPARE(capture.diagnostics("Table Nowhere doesn't exist"), 1);
}

QTEST_GUILESS_MAIN(TestLinks)
#include "tst_links.moc"
