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

    std::unique_ptr<ScratchDir> _dir;
    std::unique_ptr<Document> _book;

    void _open(bool withResources, LangModel* language = nullptr)
    {
        _dir.reset(new ScratchDir(withResources));
        setAppLangModel(language);
        _book.reset(new Document);
        QVERIFY(_book->setDataStructure());
    }

private slots:
    void cleanup()
    {
        _book.reset();
        _dir.reset();
        setAppLangModel(nullptr);
    }

    void newBookIsEmpty()
    {
        // A file of the user's that happens to be called recipe_data is
        // neither taken over nor deleted.
        _dir.reset(new ScratchDir(false));
        QFile stale(_dir->filePath("recipe_data"));
        QVERIFY(stale.open(QIODevice::WriteOnly));
        stale.close();
        _book.reset(new Document);
        QVERIFY(_book->setDataStructure());
        QVERIFY(QFile::exists(_dir->filePath("recipe_data")));
        for (const auto& table : _book->tables)
            QCOMPARE(queryRows("SELECT COUNT(*) FROM " + table.first), QStringList{"0"});
        QVERIFY(!_book->modified);
        QCOMPARE(_book->fileName, QStringLiteral("NewBook"));
    }

    void getRecipe()
    {
        _open(false);
        _book->fillSampleBook();
        Recipe recipe;
        _book->getRecipe(_book->getIDByName(Book::Recipes, "Hamburger"), recipe);
        QCOMPARE(recipe.name, QStringLiteral("Hamburger"));
        QCOMPARE(recipe.description, QStringLiteral("Fast and tasty!"));
        QCOMPARE(int(recipe.rating), 10);
        QCOMPARE(int(recipe.complexity), 5);
        QStringList lines;
        for (const RecipeIngredient& line : recipe.ingredients)
            lines << line.ingredient + " " + QString::number(line.quantity) + " " + line.unit;
        QCOMPARE(lines.size(), 5);
        QCOMPARE(lines.at(1), QStringLiteral("Sauce 0.05 litre"));
        QCOMPARE(recipe.ingredients[4].ingredient, QStringLiteral("Onion"));
        QCOMPARE(recipe.tags, (std::vector<QString>{"American", "Fast-food"}));

        // A record filled twice gathers the details twice.
        _book->getRecipe(1, recipe);
        QCOMPARE(recipe.name, QStringLiteral("Pizza"));
        QCOMPARE(recipe.ingredients.size(), size_t(5 + 3));
        QCOMPARE(recipe.tags.size(), size_t(2 + 1));
    }

    void getRecipeOddRows()
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

        // A line without ingredient or unit reads as no selection.
        capture.clear();
        const QVariant values[] = {"Tea", QByteArray("0"), "<i>hot</i>", 3, 1, 0.5f};
        const int id = _book->addRow(Book::Recipes, values, 6);
        const QVariant line[] = {id, -1, 2.0f, -1};
        _book->addRow(Book::RecipeIngredients, line, 4);
        _book->getRecipe(id, recipe);
        QCOMPARE(recipe.description, QStringLiteral("<i>hot</i>"));
        QCOMPARE(recipe.photo.toByteArray(), QByteArray("0"));
        QCOMPARE(recipe.ingredients.size(), size_t(1));
        QCOMPARE(recipe.ingredients[0].ingredient, QStringLiteral("-----"));
        QCOMPARE(recipe.ingredients[0].unit, QStringLiteral("-----"));
        QVERIFY(recipe.tags.empty());
        QVERIFY(capture.messages().isEmpty());
    }

    void addCookingPlanCreatesMissingRecipesOnce_data()
    {
        QTest::addColumn<QString>("dish");
        QTest::newRow("plain") << "Goulash";
        QTest::newRow("quote") << "Granny's pie";
        QTest::newRow("unicode") << QStringLiteral("Борщ «домашний»");
    }

    void addCookingPlanCreatesMissingRecipesOnce()
    {
        QFETCH(QString, dish);
        _open(false);
        const QVariant existing[] = {"Soup"};
        _book->addRow(Book::Recipes, existing, 1);
        const PlanDish dishes[] = {{dish, 2}, {"Soup", 3}, {dish, 5}};
        QCOMPARE(_book->addCookingPlan("Party", "<p>notes</p>", dishes, 3), 1);
        QCOMPARE(queryRows("SELECT name FROM Recipes ORDER BY id"), QStringList({"Soup", dish}));
        QCOMPARE(queryRows("SELECT id_cp, id_rec, portion_number FROM CookingPlanRecipes"),
                 QStringList({"1 2 2", "1 1 3", "1 2 5"}));
        // name, notes and the default numbers of dishes and persons
        QCOMPARE(queryRows("SELECT * FROM CookingPlans"), QStringList{"1 Party <p>notes</p> 0 0"});
    }

    void sampleBook()
    {
        _open(false);
        _book->fillSampleBook();
        QStringList counts;
        for (const auto& table : _book->tables)
            counts << table.first + " " + queryRows("SELECT COUNT(*) FROM " + table.first).join("");
        QCOMPARE(counts, QStringList({"CookingPlanRecipes 4", "CookingPlans 2", "Ingredients 12",
                                      "RecipeIngredients 17", "RecipeTags 5", "Recipes 3", "Tags 4",
                                      "Units 5"}));
        const auto names = [](const QString& table) {
            return queryRows("SELECT name FROM " + table + " ORDER BY id");
        };
        QCOMPARE(names("Recipes"), QStringList({"Pizza", "Hamburger", "Shawarma"}));
        QCOMPARE(names("Ingredients"),
                 QStringList({"Dough", "Sauce", "Tomato", "Cutlet", "Cucumber", "Salad", "Onion",
                              "Pita", "Chicken fillet", "Mayonnaise", "Garlic", "Cabbage"}));
        QCOMPARE(names("Units"), QStringList({"kg", "litre", "pcs.", "g", "clove"}));
        QCOMPARE(names("Tags"), QStringList({"Italian", "American", "Fast-food", "Oriental"}));
        QCOMPARE(names("CookingPlans"), QStringList({"Wedding", "Birthday"}));

        // Cabbage is measured in pieces.
        QCOMPARE(queryRows("SELECT id_unit FROM Ingredients WHERE name='Cabbage'"), QStringList{"3"});
        QCOMPARE(queryRows("SELECT round(quant, 3), id_unit FROM RecipeIngredients WHERE id_ing=12"),
                 QStringList({"0.1 3"}));
        QCOMPARE(queryRows("SELECT round(expenses, 3), complexity FROM Recipes WHERE id=1"),
                 QStringList{"5.4 5"});
        QCOMPARE(queryRows("SELECT notes FROM CookingPlans WHERE id=2"),
                 QStringList{"Happy birthday to you! Happy birthday to you!"});
        QCOMPARE(queryRows("SELECT portion_number FROM CookingPlanRecipes WHERE id_cp=2 AND id_rec=3"),
                 QStringList{"8"});
    }

    void sampleBookPhotos_data()
    {
        QTest::addColumn<bool>("withMedia");
        QTest::newRow("pictures at hand") << true;
        QTest::newRow("no media folder") << false;
    }

    void sampleBookPhotos()
    {
        QFETCH(bool, withMedia);
        _open(withMedia);
        _book->fillSampleBook();
        QSqlQuery photos("SELECT photo FROM Recipes ORDER BY id");
        for (int row = 0; row < 3; ++row) {
            QVERIFY(photos.next());
            QCOMPARE(photos.value(0).toByteArray() != "0", withMedia);
        }
        if (!withMedia)
            return;
        QFile pizza(_dir->filePath("media/pizza.png"));
        QVERIFY(pizza.open(QIODevice::ReadOnly));
        QVERIFY(photos.first());
        QCOMPARE(photos.value(0).toByteArray(), pizza.readAll());
        QCOMPARE(QImage::fromData(photos.value(0).toByteArray()).size(), QSize(200, 150));
    }

    void sampleBookTranslated()
    {
        LangModel german(3, CULINOR_SOURCE_DIR "/languages/");
        _open(true, &german);
        _book->fillSampleBook();
        QCOMPARE(_book->tables.at(Book::Recipes).fields[Book::RecipeName].caption,
                 german.translate("Title"));
        QVERIFY(german.translate("Title") != "Title");
        QCOMPARE(queryRows("SELECT name FROM Recipes WHERE id=2"),
                 QStringList{german.translate("Hamburger")});
        QCOMPARE(queryRows("SELECT name FROM Units WHERE id=2"), QStringList{german.translate("litre")});
        QVERIFY(german.translate("litre") != "litre");
        // "Fast-food" is still one tag after translation.
        QCOMPARE(queryRows("SELECT COUNT(*) FROM Tags"), QStringList{"4"});
        QCOMPARE(queryRows("SELECT COUNT(*) FROM Ingredients"), QStringList{"12"});
        QVERIFY(german.untranslated.empty());
    }
};

QTEST_GUILESS_MAIN(TestRecipeBook)
#include "tst_recipebook.moc"
