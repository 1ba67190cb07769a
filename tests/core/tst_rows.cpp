#include "data/recipebook.h"
#include "support/testsupport.h"

#include <QtTest>

// Row operations on an empty recipe book.
class TestRows : public QObject
{
    Q_OBJECT

    std::unique_ptr<ScratchBook> _s;
    Document* _book = nullptr;

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
        QCOMPARE(capture.count(message), int(!message.isEmpty()));
        QCOMPARE(queryRows("SELECT id FROM Units ORDER BY name DESC").last(),
                 QString::number(id < 0 ? 42 : id));
    }

    // Deleting a unit takes the lines measured in it, but not a second level: recipe lines
    // select ingredients too, and the line with the flour measured in kg stays.
    void deleteRowCascadesOneLevel()
    {
        const int kg = _s->add(Book::Units, {"kg"}), pcs = _s->add(Book::Units, {"pcs."});
        const int flour = _s->add(Book::Ingredients, {"Flour", kg});
        const int egg = _s->add(Book::Ingredients, {"Egg", pcs});
        _s->add(Book::RecipeIngredients, {1, flour, 1.0f, pcs}); // flour measured in pieces
        _s->add(Book::RecipeIngredients, {1, egg, 2.0f, pcs});
        _s->add(Book::RecipeIngredients, {1, egg, 1.0f, kg});
        _book->deleteRow(Book::Units, kg);
        QCOMPARE(queryRows("SELECT name FROM Units UNION ALL SELECT name FROM Ingredients UNION "
                           "ALL SELECT id_ing || ' ' || quant FROM RecipeIngredients"),
                 QStringList({"pcs.", "Egg", "1 1.0", "2 2.0"}));
    }

    // Fields not given get their defaults; a row is read and copied whole. A field updated
    // keeps its quotes; a field past the end, or no field at all, is refused.
    void getAndCopyRows()
    {
        std::vector<QVariant> values{QStringLiteral("Soup")}, copied{1, 2};
        QCOMPARE(_book->addRow(Book::Recipes, values, true), 1);
        QCOMPARE(values.size(), size_t(Book::RecipeFieldCount));
        QCOMPARE(queryRows("SELECT * FROM Recipes"), QStringList{"1 Soup 0  5 5 0"});
        const QVariant recipe[] = {"Stew", QByteArray("\x89PNG"), "<b>hot</b>", 7, 2, 3.5f};
        QCOMPARE(_book->addRow(Book::Recipes, recipe, 6), 2);
        QCOMPARE(_book->copyRow(Book::Recipes, 2), 3);
        QVERIFY(_book->getRowByID(Book::Recipes, 3, copied));
        QCOMPARE(copied, std::vector<QVariant>(recipe, recipe + 6));

        MessageCapture capture;
        QVERIFY(!_book->getRowByID(Book::Recipes, 99, copied));
        QVERIFY(copied.empty());
        QCOMPARE(_book->copyRow(Book::Recipes, 5), -1);
        QCOMPARE(capture.diagnostics("Error: can't extract from DB"), 2);
        QCOMPARE(capture.diagnostics("Extracted row and fields array misatch"), 1);
        std::vector<TableFieldUpdate> none;
        _book->updateItem(Book::Recipes, 1, Book::RecipeName, QStringLiteral("O'Brien's stew"));
        _book->updateItem(Book::Recipes, 1, Book::RecipeFieldCount, 1);
        _book->updateTable(Book::Recipes, 1, none);
        QCOMPARE(capture.count("Invalid field index"), 1);
        QCOMPARE(capture.count("Document::addRow query error "), 1);
        QCOMPARE(queryRows("SELECT name FROM Recipes"),
                 QStringList({"O'Brien's stew", "Stew", "Stew"}));
    }

    // Names with any text are found by their id and back, and only those; rows and names are
    // read in id order.
    void namesAndRows()
    {
        const QStringList names{"kg", "Chef's \"best\" a\\b", "x' OR '1'='1", "Щи 🍲 日本"};
        for (const QString& name : names) {
            const int id = _s->add(Book::Units, {name});
            QCOMPARE(_book->getIDByName(Book::Units, name), id);
            QCOMPARE(_book->getIDByName(Book::Units, name + "x"), -1);
            QCOMPARE(_book->getNameByID(Book::Units, id), name);
        }
        MessageCapture capture;
        QCOMPARE(_book->getNameByID(Book::Units, 77), NO_SELECTION);
        QCOMPARE(capture.diagnostics("Query error"), 1);
        QueryResult some, named;
        _book->getRows(Book::Units, "name", "id>1", &some);
        _book->getNames(Book::Units, "id=3", &named);
        std::vector<QVariant> row;
        QVariant value;
        QVERIFY(readNextRow(some.query, row, 0) && row == std::vector<QVariant>{names[1]});
        QVERIFY(readNextValue(named.query, value) && !readNextValue(named.query, value));
        QCOMPARE(value.toString(), names[2]); // the end leaves the value alone
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
        QCOMPARE(_book->getNameByID("Nowhere", 2), NO_SELECTION);
        _book->getRows("Nowhere", QString(), &all);
        _book->getRows("Nowhere", "name", QString(), &some);
        _book->getNames("Nowhere", QString(), &names);
        QVERIFY(all.table.isEmpty() && some.table.isEmpty() && names.table.isEmpty());
        QVERIFY(!names.query.isActive());
        QCOMPARE(capture.messages().size(), 8);
        for (const QString& message : capture.messages())
            QVERIFY2(message.contains("table", Qt::CaseInsensitive), qPrintable(message));
    }
};

QTEST_GUILESS_MAIN(TestRows)
#include "tst_rows.moc"
