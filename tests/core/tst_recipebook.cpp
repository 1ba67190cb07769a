#include "data/recipebook.h"
#include "lang/langmodel.h"
#include "support/testsupport.h"

#include <QFile>
#include <QtTest>

class TestRecipeBook : public QObject
{
    Q_OBJECT

private slots:
    void cleanup() { setAppLangModel(nullptr); }

    // A file of the user's that happens to be called recipe_data is neither taken nor deleted.
    void newBookLeavesUserFilesAlone()
    {
        ScratchDir dir(false);
        QVERIFY(QFile(dir.filePath("recipe_data")).open(QIODevice::WriteOnly));
        Document book;
        QVERIFY(book.setDataStructure());
        QVERIFY(QFile::exists(dir.filePath("recipe_data")));
    }

    // A plan's dishes name their recipes, which are created once when missing.
    void recipesAndPlans()
    {
        ScratchBook s;
        QVERIFY(s.ready);
        s.document.fillSampleBook();
        const QString dish = QStringLiteral("Granny's «домашний» pie");
        const PlanDish dishes[] = {{dish, 2}, {"Pizza", 3}, {dish, 5}};
        QCOMPARE(s.document.addCookingPlan("Party", "n", dishes, 3), 3);
        QCOMPARE(queryRows("SELECT name FROM Recipes WHERE id > 3"), QStringList{dish});
        QCOMPARE(queryRows("SELECT id_rec, portion_number FROM CookingPlanRecipes WHERE id_cp=3"),
                 QStringList({"4 2", "1 3", "4 5"}));
        QCOMPARE(queryRows("SELECT * FROM CookingPlans WHERE id=3"), QStringList{"3 Party n 0 0"});

        // A recipe's own details, a line without selections; a missing recipe changes nothing.
        const QVariant values[] = {"Tea", QByteArray("0"), "<i>hot</i>", 3, 1, 0.5f};
        const int id = s.document.addRow(Book::Recipes, values, 6);
        s.add(Book::RecipeIngredients, {id, 2, 0.05f, 1});
        s.add(Book::RecipeIngredients, {id, -1, 2.0f, -1});
        s.add(Book::RecipeTags, {id, 4});
        MessageCapture capture; // nothing to report for sound rows
        Recipe tea;
        s.document.getRecipe(id, tea);
        QStringList read{tea.name, tea.photo.toString(), tea.description,
                         QString::number(tea.rating), QString::number(tea.complexity)};
        for (const RecipeIngredient& line : tea.ingredients)
            read << line.ingredient + " " + QString::number(line.quantity) + " " + line.unit;
        read += QStringList(tea.tags.begin(), tea.tags.end());
        QCOMPARE(read, QStringList({"Tea", "0", "<i>hot</i>", "3", "1", "Sauce 0.05 kg",
                                    "----- 2 -----", "Oriental"}));
        s.document.getRecipe(99, tea);
        QCOMPARE(tea.ingredients.size() + tea.tags.size(), size_t(3));
        QCOMPARE(capture.messages().size(), 2);
        QCOMPARE(capture.diagnostics("Error in getRecipe function: can't extract from DB"), 1);
    }

    void sampleBook_data()
    {
        QTest::addColumn<int>("language"); // pictures at hand only in English
        QTest::newRow("English, pictures at hand") << 0;
        QTest::newRow("German, no media folder") << 3;
    }

    // The sample book, in the interface language, with the pictures found.
    void sampleBook()
    {
        QFETCH(int, language);
        LangModel model(language, CULINOR_SOURCE_DIR "/languages/");
        setAppLangModel(&model);
        ScratchBook s(language == 0);
        QVERIFY(s.ready);
        s.document.fillSampleBook();
        QVERIFY(language == 0 || model.translate("Title") != "Title"); // really translated
        QCOMPARE(s.document.tables.at(Book::Recipes).fields[Book::RecipeName].caption,
                 model.translate("Title"));
        QCOMPARE(queryRows("SELECT name FROM Recipes WHERE id=3 UNION ALL SELECT name FROM Units "
                           "WHERE id=5 UNION ALL SELECT name FROM CookingPlans WHERE id=2"),
                 QStringList({model.translate("Shawarma"), model.translate("clove"),
                              model.translate("Birthday")}));
        // Numbers as written (Cabbage is 0.1 pieces, Pizza costs 5.4); "Fast-food" is one tag,
        // each unit and ingredient is stored once, and every recipe line is there.
        QCOMPARE(queryRows("SELECT quant, expenses, (SELECT COUNT(*) FROM Tags), (SELECT COUNT(*) "
                           "FROM Units), (SELECT COUNT(*) FROM Ingredients), (SELECT COUNT(*) FROM "
                           "RecipeIngredients) FROM RecipeIngredients, Recipes r WHERE id_ing = 12 "
                           "AND r.id = 1"),
                 QStringList{"0.1 5.4 4 5 12 17"});
        QFile pizza(CULINOR_SOURCE_DIR "/media/pizza.png");
        QVERIFY(pizza.open(QIODevice::ReadOnly));
        QCOMPARE(queryRows("SELECT hex(photo) FROM Recipes WHERE id=1"),
                 QStringList{(language ? QByteArray("0") : pizza.readAll()).toHex().toUpper()});
    }
};

QTEST_GUILESS_MAIN(TestRecipeBook)
#include "tst_recipebook.moc"
