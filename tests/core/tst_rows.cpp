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
        QTest::addColumn<QString>("table");
        QTest::addColumn<bool>("autoId");
        QTest::addColumn<QVariantList>("values");
        QTest::addColumn<int>("id");
        QTest::addColumn<QString>("message");
        QTest::addColumn<QStringList>("units");
        const QStringList kept{"42 kg"};
        QTest::newRow("given id") << "Units" << false << QVariantList{9, "g"} << 9 << ""
                                  << QStringList{"9 g", "42 kg"};
        QTest::newRow("next id after the highest")
            << "Units" << true << QVariantList{"g"} << 43 << "" << QStringList{"42 kg", "43 g"};
        QTest::newRow("undeclared table") << "Nowhere" << true << QVariantList{"x"} << -1
                                          << "\"Error: No such table in DB\"" << kept;
        QTest::newRow("no id given") << "Units" << false << QVariantList{} << -1
                                     << "\"Error: No id given for the row\"" << kept;
        QTest::newRow("id taken") << "Units" << false << QVariantList{42, "g"} << -1
                                  << "\"Document::addRow query error " << kept;
        QTest::newRow("too many values")
            << "Units" << true << QVariantList{"g", "surplus"} << 43
            << "\"Warning: Too many field values provided Document::addRow\""
            << QStringList{"42 kg", "43 g"};
    }

    void addRow()
    {
        QFETCH(QString, table);
        QFETCH(bool, autoId);
        QFETCH(QVariantList, values);
        QFETCH(QString, message);
        std::vector<QVariant> first{42, QStringLiteral("kg")};
        QCOMPARE(_book->addRow(Book::Units, first, false), 42);
        std::vector<QVariant> row(values.begin(), values.end());
        MessageCapture capture;
        QTEST(_book->addRow(table, row, autoId), "id");
        QCOMPARE(capture.messages().size(), message.isEmpty() ? 0 : 1);
        QCOMPARE(capture.count(message), message.isEmpty() ? 0 : 1);
        QTEST(queryRows("SELECT * FROM Units ORDER BY id"), "units");
    }

    void deleteRowCascadesOneLevel()
    {
        // Units are selected by ingredients and by recipe lines; recipe lines also
        // select ingredients, which must not cascade a second level.
        const int kg = _add(Book::Units, {"kg"});
        const int pcs = _add(Book::Units, {"pcs."});
        const int flour = _add(Book::Ingredients, {"Flour", kg});
        const int egg = _add(Book::Ingredients, {"Egg", pcs});
        const int bread = _add(Book::Recipes, {"Bread"});
        _add(Book::RecipeIngredients, {bread, flour, 1.0f, pcs}); // flour measured in pieces
        _add(Book::RecipeIngredients, {bread, egg, 2.0f, pcs});
        _add(Book::RecipeIngredients, {bread, egg, 1.0f, kg});

        _book->deleteRow(Book::Units, kg);
        QCOMPARE(queryRows("SELECT name FROM Units"), QStringList{"pcs."});
        QCOMPARE(queryRows("SELECT name FROM Ingredients"), QStringList{"Egg"});
        // The line with kg went; the one with the deleted flour stays (one level only).
        QCOMPARE(queryRows("SELECT id_ing, quant FROM RecipeIngredients ORDER BY id"),
                 QStringList({QString::number(flour) + " 1", QString::number(egg) + " 2"}));

        MessageCapture capture;
        _book->deleteRow("Nowhere", 1);
        QCOMPARE(capture.diagnostics("No such table in database"), 1);
    }

    // Fields not given get their defaults; a row is read and copied whole.
    void getAndCopyRows()
    {
        std::vector<QVariant> values{QStringLiteral("Soup")};
        QCOMPARE(_book->addRow(Book::Recipes, values, true), 1);
        QCOMPARE(values.size(), size_t(Book::RecipeFieldCount));
        // id, name, photo, description, rating, complexity, expenses
        QCOMPARE(queryRows("SELECT * FROM Recipes"), QStringList{"1 Soup 0  5 5 0"});
        const QVariant recipe[] = {"Stew", QByteArray("\x89PNG"), "<b>hot</b>", 7, 2, 3.5f};
        const int id = _book->addRow(Book::Recipes, recipe, 6);
        QCOMPARE(_book->copyRow(Book::Recipes, id), id + 1);
        std::vector<QVariant> original{1, 2}, copied;
        QVERIFY(_book->getRowByID(Book::Recipes, id, original));
        QCOMPARE(original, std::vector<QVariant>(recipe, recipe + 6));
        QVERIFY(_book->getRowByID(Book::Recipes, id + 1, copied));
        QCOMPARE(copied, original);

        MessageCapture capture;
        QVERIFY(!_book->getRowByID(Book::Recipes, 99, copied));
        QVERIFY(copied.empty());
        QCOMPARE(capture.diagnostics("Error: can't extract from DB"), 1);
        capture.clear();
        QCOMPARE(_book->copyRow(Book::Recipes, 5), -1);
        QCOMPARE(capture.messages().size(), 2); // the failed read, then the refusal
        QCOMPARE(capture.diagnostics("Extracted row and fields array misatch"), 1);
        QCOMPARE(queryRows("SELECT id FROM Recipes"), QStringList({"1", "2", "3"}));
    }

    // Names with any text are found by their id and back, and only those.
    void namesAndIds_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("table");
        QTest::addColumn<int>("id");
        QTest::addColumn<QString>("expected");
        QTest::addColumn<QString>("message");
        for (const QString name : {"Salt", "Chef's salad", "The \"best\" soup", "a\\b",
                                   "x' OR '1'='1", "Щи ёжика 🍲 日本"})
            QTest::newRow(qPrintable(name)) << name << "Units" << 2 << name << "";
        QTest::newRow("no selection") << "kg" << "Units" << -1 << "-----" << "";
        QTest::newRow("no selection, unknown table") << "kg" << "Nowhere" << -1 << "-----" << "";
        QTest::newRow("missing row") << "kg" << "Units" << 77 << "-----" << "Query error";
        QTest::newRow("unknown table") << "kg" << "Nowhere" << 2 << "-----"
                                       << "Table doesn't exist!";
    }

    void namesAndIds()
    {
        QFETCH(QString, name);
        QFETCH(QString, table);
        QFETCH(int, id);
        QFETCH(QString, message);
        _add(Book::Units, {"Other"});
        QCOMPARE(_add(Book::Units, {name}), 2);
        MessageCapture capture;
        QCOMPARE(_book->getIDByName(Book::Units, name), 2);
        QCOMPARE(_book->getIDByName(Book::Units, name + "x"), -1);
        QTEST(_book->getNameByID(table, id), "expected");
        QCOMPARE(capture.messages().size(), message.isEmpty() ? 0 : 1);
        QCOMPARE(capture.diagnostics(message), message.isEmpty() ? 0 : 1);
    }

    void getRowsAndNames()
    {
        for (const char* name : {"kg", "g", "pcs."})
            _add(Book::Units, {name});
        QueryResult all, some, named, unknown, untouched;
        _book->getRows(Book::Units, QString(), &all);
        QCOMPARE(all.table, Book::Units);
        std::vector<QVariant> row;
        QStringList names;
        while (readNextRow(all.query, row, 1))
            names << row.at(0).toString();
        QCOMPARE(names, QStringList({"kg", "g", "pcs."}));
        _book->getRows(Book::Units, "name", "id>1", &some);
        QCOMPARE(some.table, Book::Units);
        QVERIFY(readNextRow(some.query, row, 0));
        QCOMPARE(row, std::vector<QVariant>{QVariant("g")});
        _book->getNames(Book::Units, "id=3", &named);
        QCOMPARE(named.table, Book::Units);
        QVariant value(1);
        QVERIFY(readNextValue(named.query, value));
        QCOMPARE(value.toString(), QStringLiteral("pcs."));
        QVERIFY(!readNextValue(named.query, value));
        QCOMPARE(value.toString(), QStringLiteral("pcs.")); // the end leaves the value alone

        // An unknown table is reported and leaves the result without a table.
        MessageCapture capture;
        _book->getRows("Nowhere", QString(), &unknown);
        QCOMPARE(capture.count("Query error: "), 1);
        _book->getRows("Nowhere", "name", QString(), &unknown);
        QVERIFY(unknown.table.isEmpty());
        _book->getNames("Nowhere", QString(), &untouched);
        QVERIFY(!untouched.query.isActive() && untouched.table.isEmpty());
        QCOMPARE(capture.diagnostics("Error: no such table in database"), 3);
    }

    void updates()
    {
        const int id = _add(Book::Recipes, {"Stew"});
        const int plan = _add(Book::CookingPlans, {"Party"});
        MessageCapture capture;
        _book->updateItem(Book::Recipes, id, Book::RecipeName, QStringLiteral("O'Brien's stew"));
        _book->updateItem(Book::Recipes, id, Book::RecipeRating, 9);
        _book->updateItem(Book::Recipes, id, Book::RecipeFieldCount, 1);
        _book->updateItem(Book::Recipes, id, -1, 1);
        QCOMPARE(capture.count("Invalid field index"), 2);
        _book->updateItem("Nowhere", id, 0, 1);
        QCOMPARE(capture.diagnostics("No such table in database"), 1);
        QCOMPARE(queryRows("SELECT name, rating, complexity FROM Recipes"),
                 QStringList{"O'Brien's stew 9 5"});

        std::vector<TableFieldUpdate> updates{{QStringLiteral("Feast"), Book::PlanName},
                                              {12, Book::PlanPersonCount}};
        _book->updateTable(Book::CookingPlans, plan, updates);
        updates.clear();
        _book->updateTable(Book::CookingPlans, plan, updates);
        QCOMPARE(capture.count("Document::addRow query error "), 1);
        // name, notes, dish count, person count
        QCOMPARE(queryRows("SELECT * FROM CookingPlans"), QStringList{"1 Feast  0 12"});
    }
};

QTEST_GUILESS_MAIN(TestRows)
#include "tst_rows.moc"
