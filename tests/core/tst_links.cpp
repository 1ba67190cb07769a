#include "data/recipebook.h"
#include "support/testsupport.h"

#include <QtTest>

// Table connections, resolution of ids to names and back, and detail sections.
class TestLinks : public QObject
{
    Q_OBJECT

    std::unique_ptr<ScratchBook> _s;
    Document* _book = nullptr;

    // Two recipes with a line each; the first with a tag and in two plans.
    void _fill()
    {
        for (const auto& row : std::vector<std::pair<QString, std::vector<QVariant> > >{
                 {Book::Units, {"kg"}}, {Book::Ingredients, {"Flour", 1}}, {Book::Tags, {"Baked"}},
                 {Book::Recipes, {"Bread"}}, {Book::Recipes, {"Cake"}}, {Book::RecipeTags, {1, 1}},
                 {Book::RecipeIngredients, {1, 1, 1.0f, 1}},
                 {Book::RecipeIngredients, {2, 1, 2.0f, 1}}, {Book::CookingPlans, {"Party"}},
                 {Book::CookingPlans, {"Picnic"}}, {Book::CookingPlanRecipes, {1, 1, 4}},
                 {Book::CookingPlanRecipes, {2, 1, 7}}})
            QVERIFY(_s->add(row.first, row.second) > 0);
    }

private slots:
    void init()
    {
        _s.reset(new ScratchBook);
        _book = &_s->document;
        QVERIFY(_s->ready);
    }

    void cleanup() { _s.reset(); }

    // A connection refused changes none of those that deleting, copying and resolving follow.
    void connectTablesRefused()
    {
        MessageCapture capture;
        _book->connectTables(Book::Units, "Nowhere", 1, "Caption");
        _book->connectTables(Book::Units, Book::Ingredients, 4, "Caption"); // past the end
        _book->connectTables(Book::Units, Book::Ingredients, Book::IngredientCost, "Caption");
        QCOMPARE(capture.messages().size(), 3);
        for (const char* message : {"tables missing!", "such a field!", "of MD_SEL metatype"})
            QCOMPARE(capture.count(message), 1);
        std::vector<TableConnection> connections;
        _book->getConnectionsMany(Book::Units, connections);
        QCOMPARE(connections.size(), size_t(2));
        QCOMPARE(_book->tables.at(Book::Ingredients).oneLinks.size(), size_t(1));
        QVERIFY(!_book->tables.at(Book::Ingredients).fields[Book::IngredientCost].connected);
    }

    // Ids become names, in rows given and rows read; selection lists hold the names.
    void resolveRow()
    {
        _fill();
        std::vector<QVariant> row{1, 1, 0.5f, -1}, bad{QStringLiteral("x"), 99, 1.0f, 1},
            shortRow{1, 1};
        MessageCapture capture;
        _book->resolveRow(Book::RecipeIngredients, row);
        _book->resolveRow(Book::RecipeIngredients, shortRow);
        QCOMPARE(row, (std::vector<QVariant>{"Bread", "Flour", 0.5f, "-----"}));
        QVERIFY(capture.messages().isEmpty() && shortRow.size() == 2);
        _book->resolveRow(Book::RecipeIngredients, bad);
        QCOMPARE(capture.diagnostics("Error: id of connected field cannot be extracted"), 1);
        QCOMPARE(bad, (std::vector<QVariant>{"x", "-----", 1.0f, "kg"}));

        // Rows of a query come resolved, and an empty row marks the end.
        _s->add(Book::Ingredients, {"Water", -1});
        QueryResult result;
        _book->getRows(Book::Ingredients, QString(), &result);
        QStringList units;
        while (_book->nextResolvedRow(&result, row))
            units << row[Book::IngredientUnit].toString();
        QCOMPARE(units, QStringList({"kg", "-----"}));
        QVERIFY(row.empty());

        _s->add(Book::Units, {"g"});
        std::map<unsigned int, std::vector<QVariant> > lists{
            {Book::LineQuantity, {}}, {Book::LineUnit, {}}, {9, {}}};
        _book->updateSelectionLists(Book::RecipeIngredients, &lists);
        QCOMPARE(lists[Book::LineUnit], (std::vector<QVariant>{"-----", "kg", "g"}));
        QVERIFY(lists[Book::LineQuantity].empty());
        QCOMPARE(capture.diagnostics("Field data type must be MD_SEL"), 1);
        QCOMPARE(capture.diagnostics("Invalid field index 9"), 1);
    }

    void replaceTableSection()
    {
        _fill();
        // A known name, a new name (a row is created), "-----" (no row).
        std::vector<std::vector<QVariant> > section{{"ignored", "Flour", 0.25f, "kg"},
                                                    {QVariant(), "Sugar's best", 3.0f, "-----"}};
        _book->replaceTableSection(Book::RecipeIngredients, section, "id_rec", 1);
        QCOMPARE(queryRows("SELECT id_rec, id_ing, quant, id_unit FROM RecipeIngredients"),
                 QStringList({"2 1 2 1", "1 1 0.25 1", "1 2 3 -1"}));
        QCOMPARE(queryRows("SELECT * FROM Ingredients WHERE id=2"),
                 QStringList{"2 Sugar's best -1 0 0"});

        // An empty section empties it; a short row is skipped, the others written.
        section.clear();
        _book->replaceTableSection(Book::RecipeIngredients, section, "id_rec", 1);
        QCOMPARE(queryRows("SELECT id_rec FROM RecipeIngredients"), QStringList{"2"});
        std::vector<std::vector<QVariant> > tags{{QVariant(), "Quick"}, {"Short"},
                                                 {QVariant(), "Baked"}};
        MessageCapture capture;
        _book->replaceTableSection(Book::RecipeTags, tags, "id_rec", 1);
        QCOMPARE(capture.diagnostics("Variant vector and field count mismatch"), 1);
        QCOMPARE(queryRows("SELECT id_rec, id_tag FROM RecipeTags"), QStringList({"1 2", "1 1"}));
        QCOMPARE(queryRows("SELECT name FROM Tags"), QStringList({"Baked", "Quick"}));
    }

    // A copy takes the rows of its own detail tables, not the plans that hold the original.
    void copyRowConnected()
    {
        _fill();
        QCOMPARE(_book->countDependentRows(Book::Recipes, 1), 4);
        const QStringList details{Book::RecipeIngredients, Book::RecipeTags};
        QCOMPARE(_book->copyRowConnected(Book::Recipes, 1, details), 3);
        QCOMPARE(queryRows("SELECT id_ing, quant, id_unit FROM RecipeIngredients WHERE id_rec=3 "
                           "UNION ALL SELECT id_tag, 0, 0 FROM RecipeTags WHERE id_rec=3"),
                 QStringList({"1 1 1", "1 0 0"}));
        QCOMPARE(_book->countDependentRows(Book::Recipes, 3), 2);

        // No row is numbered past the last id, so the last one cannot be copied.
        std::vector<QVariant> last{2147483647, QStringLiteral("Last")};
        QCOMPARE(_book->addRow(Book::Recipes, last, false), 2147483647);
        _s->add(Book::RecipeTags, {2147483647, 1});
        QCOMPARE(_book->copyRowConnected(Book::Recipes, 2147483647, details), -1);
        QCOMPARE(queryRows("SELECT id_rec FROM RecipeTags WHERE id_rec<1"), QStringList());
    }

    // An undeclared table is reported and leaves what was passed in alone.
    void undeclaredTable()
    {
        std::vector<TF> fields{TF("f", MD_INT, "F")};
        std::vector<TableConnection> many(1);
        std::map<unsigned int, QString> selections{{9, "stale"}};
        std::map<unsigned int, std::vector<QVariant> > lists;
        std::vector<std::vector<QVariant> > section{{QVariant(), "x"}};
        std::vector<QVariant> row{1};
        MessageCapture capture;
        QVERIFY(!_book->copyTableFields("Nowhere", fields));
        _book->getConnectionsMany("Nowhere", many);
        _book->obtainFieldConnections("Nowhere", selections);
        _book->resolveRow("Nowhere", row);
        _book->replaceTableSection("Nowhere", section, "id_rec", 1);
        QCOMPARE(_book->copyRowConnected("Nowhere", 1, {}), -1);
        QCOMPARE(_book->countDependentRows("Nowhere", 1), 0);
        _book->updateSelectionLists("Nowhere", &lists);
        QCOMPARE(capture.diagnostics("No such table in database"), 7);
        QCOMPARE(capture.diagnostics("Error: No such table in database"), 1);
        QCOMPARE(capture.diagnostics("Table Nowhere doesn't exist"), 1);
        QVERIFY(fields.size() == 1 && many.size() == 1 && selections.empty());
        QCOMPARE(row, std::vector<QVariant>{1});
    }
};

QTEST_GUILESS_MAIN(TestLinks)
#include "tst_links.moc"
