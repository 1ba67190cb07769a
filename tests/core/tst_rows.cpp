#include "data/recipebook.h"
#include "support/testsupport.h"

#include <QtTest>

#include <memory>

// Row operations on an empty recipe book.
class TestRows : public QObject
{
    Q_OBJECT

    std::unique_ptr<ScratchBook> _s;
    Document* _book = nullptr;

    int _add(const QString& table, std::vector<QVariant> values) { return _s->add(table, values); }

private slots:
    void init()
    {
        _s.reset(new ScratchBook);
        _book = &_s->document;
        QVERIFY(_s->ready);
    }

    void cleanup() { _s.reset(); }

    void addRow_data()
    {
        QTest::addColumn<bool>("autoId");
        QTest::addColumn<QVariantList>("values");
        QTest::addColumn<int>("id");
        QTest::addColumn<QString>("message");
        QTest::newRow("given id") << false << QVariantList{9, "g"} << 9 << "";
        QTest::newRow("next id after the highest") << true << QVariantList{"g"} << 43 << "";
        QTest::newRow("no id given") << false << QVariantList{} << -1 << "No id given for the row";
        QTest::newRow("id taken") << false << QVariantList{42, "g"} << -1 << "addRow query error";
        QTest::newRow("too many values") << true << QVariantList{"g", "surplus"} << 43
                                         << "Too many field values provided";
    }

    void addRow()
    {
        QFETCH(bool, autoId);
        QFETCH(QVariantList, values);
        QFETCH(int, id);
        QFETCH(QString, message);
        std::vector<QVariant> first{42, QStringLiteral("kg")}, row(values.begin(), values.end());
        QCOMPARE(_book->addRow(Book::Units, first, false), 42);
        MessageCapture capture;
        QCOMPARE(_book->addRow(Book::Units, row, autoId), id);
        QCOMPARE(capture.messages().size(), int(!message.isEmpty()));
        QCOMPARE(capture.count(message), capture.messages().size());
        QCOMPARE(queryRows("SELECT id FROM Units ORDER BY name DESC").last(),
                 QString::number(id < 0 ? 42 : id));
    }

    // Units are selected by ingredients and by recipe lines; recipe lines also select
    // ingredients, which must not cascade a second level.
    void deleteRowCascadesOneLevel()
    {
        const int kg = _add(Book::Units, {"kg"}), pcs = _add(Book::Units, {"pcs."});
        const int flour = _add(Book::Ingredients, {"Flour", kg});
        const int egg = _add(Book::Ingredients, {"Egg", pcs});
        _add(Book::RecipeIngredients, {1, flour, 1.0f, pcs}); // flour measured in pieces
        _add(Book::RecipeIngredients, {1, egg, 2.0f, pcs});
        _add(Book::RecipeIngredients, {1, egg, 1.0f, kg});
        _book->deleteRow(Book::Units, kg);
        // The line with kg went; the one with the deleted flour stays (one level only).
        QCOMPARE(queryRows("SELECT name FROM Units UNION ALL SELECT name FROM Ingredients UNION "
                           "ALL SELECT id_ing || ' ' || quant FROM RecipeIngredients"),
                 QStringList({"pcs.", "Egg", "1 1.0", "2 2.0"}));
    }

    // Fields not given get their defaults; a row is read and copied whole.
    void getAndCopyRows()
    {
        std::vector<QVariant> values{QStringLiteral("Soup")}, original{1, 2}, copied;
        QCOMPARE(_book->addRow(Book::Recipes, values, true), 1);
        QCOMPARE(values.size(), size_t(Book::RecipeFieldCount));
        // id, name, photo, description, rating, complexity, expenses
        QCOMPARE(queryRows("SELECT * FROM Recipes"), QStringList{"1 Soup 0  5 5 0"});
        const QVariant recipe[] = {"Stew", QByteArray("\x89PNG"), "<b>hot</b>", 7, 2, 3.5f};
        QCOMPARE(_book->addRow(Book::Recipes, recipe, 6), 2);
        QCOMPARE(_book->copyRow(Book::Recipes, 2), 3);
        QVERIFY(_book->getRowByID(Book::Recipes, 2, original));
        QCOMPARE(original, std::vector<QVariant>(recipe, recipe + 6));
        QVERIFY(_book->getRowByID(Book::Recipes, 3, copied));
        QCOMPARE(copied, original);

        MessageCapture capture;
        QVERIFY(!_book->getRowByID(Book::Recipes, 99, copied));
        QVERIFY(copied.empty());
        QCOMPARE(_book->copyRow(Book::Recipes, 5), -1);
        QCOMPARE(capture.diagnostics("Error: can't extract from DB"), 2);
        QCOMPARE(capture.diagnostics("Extracted row and fields array misatch"), 1);
        QCOMPARE(queryRows("SELECT COUNT(*) FROM Recipes"), QStringList{"3"});
    }

    // Names with any text are found by their id and back, and only those.
    void namesAndIds_data()
    {
        QTest::addColumn<QString>("name");
        for (const QString name : {"Chef's \"best\" a\\b", "x' OR '1'='1", "Щи 🍲 日本"})
            QTest::newRow(qPrintable(name)) << name;
    }

    void namesAndIds()
    {
        QFETCH(QString, name);
        _add(Book::Units, {"Other"});
        QCOMPARE(_add(Book::Units, {name}), 2);
        QCOMPARE(_book->getIDByName(Book::Units, name), 2);
        QCOMPARE(_book->getIDByName(Book::Units, name + "x"), -1);
        QCOMPARE(_book->getNameByID(Book::Units, 2), name);
        QCOMPARE(_book->getNameByID(Book::Units, -1), NO_SELECTION);
        MessageCapture capture;
        QCOMPARE(_book->getNameByID(Book::Units, 77), NO_SELECTION);
        QCOMPARE(capture.diagnostics("Query error"), 1);
    }

    void getRowsAndNames()
    {
        for (const char* name : {"kg", "g", "pcs."})
            _add(Book::Units, {name});
        QueryResult all, some, named;
        _book->getRows(Book::Units, QString(), &all);
        _book->getRows(Book::Units, "name", "id>1", &some);
        _book->getNames(Book::Units, "id=3", &named);
        QCOMPARE(all.table + some.table + named.table, Book::Units + Book::Units + Book::Units);
        std::vector<QVariant> row;
        QStringList names;
        while (readNextRow(all.query, row, 1))
            names << row.at(0).toString();
        QVERIFY(readNextRow(some.query, row, 0));
        QVariant value(1);
        QVERIFY(readNextValue(named.query, value) && !readNextValue(named.query, value));
        names << row.at(0).toString() << value.toString(); // the end leaves the value alone
        QCOMPARE(names, QStringList({"kg", "g", "pcs.", "g", "pcs."}));
        QCOMPARE(row.size(), size_t(1));
    }

    void updates()
    {
        _add(Book::Recipes, {"Stew"});
        _add(Book::CookingPlans, {"Party"});
        MessageCapture capture;
        _book->updateItem(Book::Recipes, 1, Book::RecipeName, QStringLiteral("O'Brien's stew"));
        _book->updateItem(Book::Recipes, 1, Book::RecipeRating, 9);
        _book->updateItem(Book::Recipes, 1, Book::RecipeFieldCount, 1);
        QCOMPARE(capture.count("Invalid field index"), 1);
        std::vector<TableFieldUpdate> updates{{QStringLiteral("Feast"), Book::PlanName},
                                              {12, Book::PlanPersonCount}};
        _book->updateTable(Book::CookingPlans, 1, updates);
        updates.clear();
        _book->updateTable(Book::CookingPlans, 1, updates);
        QCOMPARE(capture.count("Document::addRow query error "), 1);
        // The recipe's name, rating and complexity; the plan's name, notes, dishes and persons.
        QCOMPARE(queryRows("SELECT name, rating, complexity FROM Recipes UNION ALL SELECT name, "
                           "notes || ndishes, npersons FROM CookingPlans"),
                 QStringList({"O'Brien's stew 9 5", "Feast 0 12"}));
    }

    // Every operation refuses an undeclared table, says so and leaves results without a table.
    void undeclaredTable()
    {
        std::vector<QVariant> row{QStringLiteral("x")};
        QueryResult all, some, names;
        MessageCapture capture;
        QCOMPARE(_book->addRow("Nowhere", row, true), -1);
        _book->deleteRow("Nowhere", 1);
        _book->updateItem("Nowhere", 1, 0, 1);
        QCOMPARE(_book->getNameByID("Nowhere", -1), NO_SELECTION);
        QCOMPARE(_book->getNameByID("Nowhere", 2), NO_SELECTION);
        _book->getRows("Nowhere", QString(), &all);
        _book->getRows("Nowhere", "name", QString(), &some);
        _book->getNames("Nowhere", QString(), &names);
        QVERIFY(all.table.isEmpty() && some.table.isEmpty() && names.table.isEmpty());
        QVERIFY(!names.query.isActive());
        QCOMPARE(capture.diagnostics("Error: No such table in DB"), 1);
        QCOMPARE(capture.diagnostics("No such table in database"), 2);
        QCOMPARE(capture.diagnostics("Table doesn't exist!"), 1);
        QCOMPARE(capture.count("Query error: "), 1);
        QCOMPARE(capture.diagnostics("Error: no such table in database"), 3);
    }
};

QTEST_GUILESS_MAIN(TestRows)
#include "tst_rows.moc"
