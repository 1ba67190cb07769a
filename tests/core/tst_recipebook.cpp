#include "data/document.h"
#include "data/recipebook.h"
#include "lang/langmodel.h"
#include "support/testsupport.h"

#include <QFile>
#include <QImage>
#include <QSqlQuery>
#include <QtTest>

#include <memory>

// The recipe book's tables, its recipe record, cooking plans and the sample book.
class TestRecipeBook : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<ScratchDir> _dir;
    std::unique_ptr<Document> _book;

    void _open(bool withResources);
    int _count(const QString& table, const QString& where = QString());
    QStringList _names(const QString& table);

private slots:
    void cleanup();

    void newBookIsEmpty();
    void getRecipe();
    void getRecipeOddRows();
    void addCookingPlanCreatesMissingRecipesOnce_data();
    void addCookingPlanCreatesMissingRecipesOnce();
    void sampleBookTables_data();
    void sampleBookTables();
    void sampleBookDetails();
    void sampleBookPhotos_data();
    void sampleBookPhotos();
    void sampleBookTranslated();
};

void TestRecipeBook::_open(bool withResources)
{
    _dir.reset(new ScratchDir(withResources));
    _book.reset(new Document);
    QVERIFY(_book->setDataStructure());
}

int TestRecipeBook::_count(const QString& table, const QString& where)
{
    QSqlQuery query("SELECT COUNT(*) FROM " + table + (where.isEmpty() ? "" : " WHERE " + where));
    return query.next() ? query.value(0).toInt() : -1;
}

QStringList TestRecipeBook::_names(const QString& table)
{
    QStringList names;
    QSqlQuery query("SELECT name FROM " + table + " ORDER BY id");
    while (query.next())
        names << query.value(0).toString();
    return names;
}

void TestRecipeBook::cleanup()
{
    _book.reset();
    _dir.reset();
    setAppLangModel(nullptr);
}

void TestRecipeBook::newBookIsEmpty()
{
    // A database file left behind by an earlier run is not taken over.
    _dir.reset(new ScratchDir(false));
    QFile stale(_dir->filePath("recipe_data"));
    QVERIFY(stale.open(QIODevice::WriteOnly));
    stale.close();
    _book.reset(new Document);
    QVERIFY(_book->setDataStructure());
    QVERIFY(!QFile::exists(_dir->filePath("recipe_data")));

    QStringList order;
    for (const auto& table : _book->tables) {
        order << table.first;
        QCOMPARE(_count(table.first), 0);
    }
    QCOMPARE(order, QStringList({"CookingPlanRecipes", "CookingPlans", "Ingredients",
                                 "RecipeIngredients", "RecipeTags", "Recipes", "Tags", "Units"}));
    QCOMPARE(_book->tables.at(Book::CookingPlanRecipes).fieldList,
             QStringLiteral("id_cp, id_rec, portion_number"));
    QVERIFY(!_book->modified);
    QCOMPARE(_book->fileName, QStringLiteral("NewBook"));
}

void TestRecipeBook::getRecipe()
{
    _open(false);
    _book->fillSampleBook();
    Recipe recipe;
    _book->getRecipe(_book->getIDByName(Book::Recipes, "Hamburger"), recipe);
    QCOMPARE(recipe.name, QStringLiteral("Hamburger"));
    QCOMPARE(recipe.description, QStringLiteral("Fast and tasty!"));
    QCOMPARE(int(recipe.rating), 10);
    QCOMPARE(int(recipe.complexity), 5);
    QCOMPARE(recipe.ingredients.size(), size_t(5));
    QCOMPARE(recipe.ingredients[1].ingredient, QStringLiteral("Sauce"));
    QCOMPARE(recipe.ingredients[1].quantity, 0.05f);
    QCOMPARE(recipe.ingredients[1].unit, QStringLiteral("litre"));
    QCOMPARE(recipe.ingredients[4].ingredient, QStringLiteral("Onion"));
    QCOMPARE(recipe.tags, (std::vector<QString>{"American", "Fast-food"}));

    // A record filled twice gathers the details twice.
    Recipe pizza;
    _book->getRecipe(1, pizza);
    _book->getRecipe(1, pizza);
    QCOMPARE(pizza.ingredients.size(), size_t(6));
    QCOMPARE(pizza.tags.size(), size_t(2));
}

void TestRecipeBook::getRecipeOddRows()
{
    _open(false);
    Recipe recipe;
    recipe.name = "untouched";
    MessageCapture capture;
    _book->getRecipe(12, recipe);
    QCOMPARE(recipe.name, QStringLiteral("untouched"));
    QCOMPARE(capture.messages().size(), 2);
    QVERIFY(capture.messages().at(0).endsWith("\"Error: can't extract from DB\""));
    QVERIFY(capture.messages().at(1).endsWith(
        "\"Error in getRecipe function: can't extract from DB\""));

    capture.clear();
    const QVariant values[] = {"Tea", QByteArray("0"), "<i>hot</i>", 3, 1, 0.5f};
    const int id = _book->addRow(Book::Recipes, values, 6);
    _book->getRecipe(id, recipe);
    QCOMPARE(recipe.description, QStringLiteral("<i>hot</i>"));
    QCOMPARE(recipe.photo.toByteArray(), QByteArray("0"));
    QVERIFY(recipe.ingredients.empty());
    QVERIFY(recipe.tags.empty());

    // A line without ingredient or unit reads as no selection.
    const QVariant line[] = {id, -1, 2.0f, -1};
    _book->addRow(Book::RecipeIngredients, line, 4);
    Recipe withLine;
    _book->getRecipe(id, withLine);
    QCOMPARE(withLine.ingredients.size(), size_t(1));
    QCOMPARE(withLine.ingredients[0].ingredient, QStringLiteral("-----"));
    QCOMPARE(withLine.ingredients[0].unit, QStringLiteral("-----"));
    QVERIFY(capture.messages().isEmpty());
}

void TestRecipeBook::addCookingPlanCreatesMissingRecipesOnce_data()
{
    QTest::addColumn<QString>("dish");
    QTest::newRow("plain") << "Goulash";
    QTest::newRow("quote") << "Granny's pie";
    QTest::newRow("unicode") << QStringLiteral("Борщ «домашний»");
}

void TestRecipeBook::addCookingPlanCreatesMissingRecipesOnce()
{
    QFETCH(QString, dish);
    _open(false);
    const QVariant existing[] = {"Soup"};
    const int soup = _book->addRow(Book::Recipes, existing, 1);
    const PlanDish dishes[] = {{dish, 2}, {"Soup", 3}, {dish, 5}};
    const int plan = _book->addCookingPlan("Party", "<p>notes</p>", dishes, 3);
    QCOMPARE(plan, 1);
    QCOMPARE(_count(Book::Recipes), 2);
    const int created = _book->getIDByName(Book::Recipes, dish);
    QCOMPARE(created, soup + 1);
    QCOMPARE(_count(Book::CookingPlanRecipes, "id_cp=1"), 3);
    QCOMPARE(_count(Book::CookingPlanRecipes,
                    "id_rec=" + QString::number(created) + " AND portion_number=5"), 1);
    std::vector<QVariant> row;
    QVERIFY(_book->getRowByID(Book::CookingPlans, plan, row));
    QCOMPARE(row[Book::PlanNotes].toString(), QStringLiteral("<p>notes</p>"));
    QCOMPARE(row[Book::PlanPersonCount].toInt(), 0);
}

void TestRecipeBook::sampleBookTables_data()
{
    QTest::addColumn<QString>("table");
    QTest::addColumn<int>("count");
    QTest::addColumn<QStringList>("names"); // in id order
    QTest::newRow("recipes") << Book::Recipes << 3
                             << QStringList({"Pizza", "Hamburger", "Shawarma"});
    QTest::newRow("ingredients")
        << Book::Ingredients << 12
        << QStringList({"Dough", "Sauce", "Tomato", "Cutlet", "Cucumber", "Salad", "Onion", "Pita",
                        "Chicken fillet", "Mayonnaise", "Garlic", "Cabbage"});
    QTest::newRow("units") << Book::Units << 5
                           << QStringList({"kg", "litre", "pcs.", "g", "clove"});
    QTest::newRow("tags") << Book::Tags << 4
                          << QStringList({"Italian", "American", "Fast-food", "Oriental"});
    QTest::newRow("plans") << Book::CookingPlans << 2 << QStringList({"Wedding", "Birthday"});
    QTest::newRow("recipe lines") << Book::RecipeIngredients << 17 << QStringList();
    QTest::newRow("recipe tags") << Book::RecipeTags << 5 << QStringList();
    QTest::newRow("plan dishes") << Book::CookingPlanRecipes << 4 << QStringList();
}

void TestRecipeBook::sampleBookTables()
{
    QFETCH(QString, table);
    QFETCH(int, count);
    QFETCH(QStringList, names);
    _open(true);
    _book->fillSampleBook();
    QCOMPARE(_count(table), count);
    if (!names.isEmpty())
        QCOMPARE(_names(table), names);
}

void TestRecipeBook::sampleBookDetails()
{
    _open(false);
    _book->fillSampleBook();
    // An ingredient keeps the unit of its first use; each line keeps its own.
    const int pcs = _book->getIDByName(Book::Units, "pcs.");
    const int cabbage = _book->getIDByName(Book::Ingredients, "Cabbage");
    std::vector<QVariant> row;
    QVERIFY(_book->getRowByID(Book::Ingredients, cabbage, row));
    QCOMPARE(row[Book::IngredientUnit].toInt(), pcs);
    QCOMPARE(_count(Book::RecipeIngredients, "id_ing=" + QString::number(cabbage)
                                                 + " AND abs(quant-0.1)<0.0001"), 1);

    QVERIFY(_book->getRowByID(Book::Recipes, 1, row));
    QCOMPARE(row[Book::RecipeExpenses].toFloat(), 5.4f);
    QVERIFY(_book->getRowByID(Book::CookingPlans, 2, row));
    QCOMPARE(row[Book::PlanNotes].toString(),
             QStringLiteral("Happy birthday to you! Happy birthday to you!"));
    QCOMPARE(_count(Book::CookingPlanRecipes, "id_cp=2 AND id_rec=3 AND portion_number=8"), 1);
}

void TestRecipeBook::sampleBookPhotos_data()
{
    QTest::addColumn<bool>("withMedia");
    QTest::newRow("pictures at hand") << true;
    QTest::newRow("no media folder") << false;
}

void TestRecipeBook::sampleBookPhotos()
{
    QFETCH(bool, withMedia);
    _open(withMedia);
    _book->fillSampleBook();
    std::vector<QVariant> row;
    for (int id = 3; id >= 1; --id) {
        QVERIFY(_book->getRowByID(Book::Recipes, id, row));
        QCOMPARE(row[Book::RecipePhoto].toByteArray() != "0", withMedia);
    }
    const QByteArray photo = row[Book::RecipePhoto].toByteArray();
    if (!withMedia) {
        QCOMPARE(photo, QByteArray("0"));
        return;
    }
    QFile pizza(_dir->filePath("media/pizza.png"));
    QVERIFY(pizza.open(QIODevice::ReadOnly));
    QCOMPARE(photo, pizza.readAll());
    QCOMPARE(QImage::fromData(photo).size(), QSize(200, 150));
}

void TestRecipeBook::sampleBookTranslated()
{
    _dir.reset(new ScratchDir(true));
    LangModel german(3, _dir->path() + "/languages/");
    QVERIFY(!german.dictionary.empty());
    setAppLangModel(&german);
    _book.reset(new Document);
    QVERIFY(_book->setDataStructure());
    _book->fillSampleBook();
    QCOMPARE(_book->tables.at(Book::Recipes).fields[Book::RecipeName].caption,
             german.translate("Title"));
    QVERIFY(german.translate("Title") != "Title");
    QCOMPARE(_names(Book::Recipes).at(1), german.translate("Hamburger"));
    QCOMPARE(_names(Book::Units).at(1), german.translate("litre"));
    QVERIFY(german.translate("litre") != "litre");
    QCOMPARE(_count(Book::Tags), 4); // "Fast-food" shared after translation
    QCOMPARE(_count(Book::Ingredients), 12);
    QVERIFY(german.untranslated.empty());
}

QTEST_GUILESS_MAIN(TestRecipeBook)
#include "tst_recipebook.moc"
