#include "data/recipebook.h"
#include "lang/langmodel.h"
#include "support/testsupport.h"

#include <QFile>
#include <QSqlQuery>
#include <QtTest>

// The recipe book's recipe record, cooking plans and the sample book.
class TestRecipeBook : public QObject
{
    Q_OBJECT

private slots:
    void cleanup() { setAppLangModel(nullptr); }

    void newBookLeavesUserFilesAlone()
    {
        // A file of the user's that happens to be called recipe_data is
        // neither taken over nor deleted.
        ScratchDir dir(false);
        QFile stale(dir.filePath("recipe_data"));
        QVERIFY(stale.open(QIODevice::WriteOnly));
        stale.close();
        Document book;
        QVERIFY(book.setDataStructure());
        QVERIFY(QFile::exists(dir.filePath("recipe_data")));
        QVERIFY(!book.modified);
        QCOMPARE(book.fileName, QStringLiteral("NewBook"));
    }

    void getRecipe()
    {
        ScratchBook s;
        QVERIFY(s.ready);
        s.document.fillSampleBook();
        Recipe recipe;
        s.document.getRecipe(s.document.getIDByName(Book::Recipes, "Hamburger"), recipe);
        QCOMPARE(recipe.name, QStringLiteral("Hamburger"));
        QCOMPARE(recipe.description, QStringLiteral("Fast and tasty!"));
        QCOMPARE(int(recipe.rating), 10);
        QCOMPARE(int(recipe.complexity), 5);
        QStringList lines;
        for (const RecipeIngredient& line : recipe.ingredients)
            lines << line.ingredient + " " + QString::number(line.quantity) + " " + line.unit;
        QCOMPARE(lines, QStringList({"Cutlet 1 pcs.", "Sauce 0.05 litre", "Cucumber 1 pcs.",
                                     "Salad 0.05 kg", "Onion 0.5 pcs."}));
        QCOMPARE(recipe.tags, (std::vector<QString>{"American", "Fast-food"}));
        // A record filled twice gathers the details twice.
        s.document.getRecipe(1, recipe);
        QCOMPARE(recipe.name, QStringLiteral("Pizza"));
        QCOMPARE(recipe.ingredients.size(), size_t(5 + 3));
        QCOMPARE(recipe.tags.size(), size_t(2 + 1));

        // A missing recipe leaves the record alone.
        MessageCapture capture;
        s.document.getRecipe(12, recipe);
        QCOMPARE(recipe.name, QStringLiteral("Pizza"));
        QCOMPARE(capture.messages().size(), 2);
        QCOMPARE(capture.diagnostics("Error in getRecipe function: can't extract from DB"), 1);

        // A line without ingredient or unit reads as no selection.
        capture.clear();
        const QVariant values[] = {"Tea", QByteArray("0"), "<i>hot</i>", 3, 1, 0.5f};
        const int id = s.document.addRow(Book::Recipes, values, 6);
        s.add(Book::RecipeIngredients, {id, -1, 2.0f, -1});
        Recipe tea;
        s.document.getRecipe(id, tea);
        QCOMPARE(tea.description, QStringLiteral("<i>hot</i>"));
        QCOMPARE(tea.photo.toByteArray(), QByteArray("0"));
        QCOMPARE(tea.ingredients.size(), size_t(1));
        QCOMPARE(tea.ingredients[0].ingredient + tea.ingredients[0].unit, QString("----------"));
        QVERIFY(tea.tags.empty());
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
        ScratchBook s;
        QVERIFY(s.ready);
        s.add(Book::Recipes, {"Soup"});
        const PlanDish dishes[] = {{dish, 2}, {"Soup", 3}, {dish, 5}};
        QCOMPARE(s.document.addCookingPlan("Party", "<p>notes</p>", dishes, 3), 1);
        QCOMPARE(queryRows("SELECT name FROM Recipes ORDER BY id"), QStringList({"Soup", dish}));
        QCOMPARE(queryRows("SELECT id_cp, id_rec, portion_number FROM CookingPlanRecipes"),
                 QStringList({"1 2 2", "1 1 3", "1 2 5"}));
        // name, notes and the default numbers of dishes and persons
        QCOMPARE(queryRows("SELECT * FROM CookingPlans"), QStringList{"1 Party <p>notes</p> 0 0"});
    }

    void sampleBook_data()
    {
        QTest::addColumn<int>("language");
        QTest::addColumn<bool>("withMedia");
        QTest::newRow("pictures at hand") << 0 << true;
        QTest::newRow("no media folder") << 0 << false;
        QTest::newRow("German") << 3 << true;
    }

    // The sample book, in the interface language, with the pictures found.
    void sampleBook()
    {
        QFETCH(int, language);
        QFETCH(bool, withMedia);
        LangModel model(language, CULINOR_SOURCE_DIR "/languages/");
        setAppLangModel(&model);
        ScratchBook s(withMedia);
        QVERIFY(s.ready);
        s.document.fillSampleBook();
        QCOMPARE(language == 0, model.translate("Title") == "Title"); // really German
        QCOMPARE(s.document.tables.at(Book::Recipes).fields[Book::RecipeName].caption,
                 model.translate("Title"));
        QStringList counts;
        for (const auto& table : s.document.tables)
            counts << table.first + " " + queryRows("SELECT COUNT(*) FROM " + table.first).join("");
        // "Fast-food" is one tag, and each unit and ingredient is stored once.
        QCOMPARE(counts, QStringList({"CookingPlanRecipes 4", "CookingPlans 2", "Ingredients 12",
                                      "RecipeIngredients 17", "RecipeTags 5", "Recipes 3", "Tags 4",
                                      "Units 5"}));
        QCOMPARE(queryRows("SELECT name FROM Recipes ORDER BY id"),
                 QStringList({model.translate("Pizza"), model.translate("Hamburger"),
                              model.translate("Shawarma")}));
        QCOMPARE(queryRows("SELECT name FROM Units ORDER BY id"),
                 QStringList({model.translate("kg"), model.translate("litre"),
                              model.translate("pcs."), model.translate("g"),
                              model.translate("clove")}));
        QCOMPARE(queryRows("SELECT name FROM CookingPlans ORDER BY id"),
                 QStringList({model.translate("Wedding"), model.translate("Birthday")}));
        // Numbers are stored as written: Cabbage is 0.1 pieces, Pizza costs 5.4.
        QCOMPARE(queryRows("SELECT i.id_unit, quant, l.id_unit FROM Ingredients i JOIN "
                           "RecipeIngredients l ON id_ing = i.id WHERE i.id = 12"),
                 QStringList({"3 0.1 3"}));
        QCOMPARE(queryRows("SELECT expenses, complexity FROM Recipes WHERE id=1"),
                 QStringList{"5.4 5"});
        QCOMPARE(queryRows("SELECT portion_number FROM CookingPlanRecipes WHERE id_cp=2 AND "
                           "id_rec=3"),
                 QStringList{"8"});

        QFile pizza(s.dir.filePath("media/pizza.png"));
        QCOMPARE(pizza.open(QIODevice::ReadOnly), withMedia);
        QCOMPARE(queryRows("SELECT COUNT(*) FROM Recipes WHERE length(photo) > 1"),
                 QStringList{withMedia ? "3" : "0"});
        QSqlQuery photo("SELECT photo FROM Recipes WHERE id=1");
        QVERIFY(photo.next());
        QCOMPARE(photo.value(0).toByteArray(), withMedia ? pizza.readAll() : QByteArray("0"));
    }
};

QTEST_GUILESS_MAIN(TestRecipeBook)
#include "tst_recipebook.moc"
