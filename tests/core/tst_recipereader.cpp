#include "data/document.h"
#include "data/recipebook.h"
#include "exchange/ingredientline.h"
#include "exchange/recipemapper.h"
#include "exchange/recipereader.h"
#include "support/testsupport.h"

#include <QtTest>

#include <memory>

namespace {

// Test texts are written with single quotes where the page has double ones.
QByteArray q(const QByteArray& text)
{
    return QByteArray(text).replace('\'', '"');
}

// A page with JSON-LD blocks in its head, and a body.
QByteArray page(const QByteArrayList& blocks, const QByteArray& body = QByteArray())
{
    QByteArray head;
    for (const QByteArray& json : blocks)
        head += "<script type=\"application/ld+json\">" + q(json) + "</script>";
    return "<!DOCTYPE html><html><head><title>t</title>" + head + "</head><body>" + body +
           "</body></html>";
}

// "name | ingredients; | tags, | rating/best | images, | steps with sections as [name]"
QString summary(const WebRecipe& recipe)
{
    QStringList steps;
    for (const StepSection& section : recipe.instructions)
        steps << (section.name.isEmpty() ? QString() : "[" + section.name + "] ") +
                     section.steps.join("; ");
    return QStringList{recipe.name,
                       recipe.ingredients.join("; "),
                       recipe.tags.join(", "),
                       recipe.rating < 0 ? QString("-")
                                         : QString::number(recipe.rating) + "/" +
                                               QString::number(recipe.bestRating),
                       recipe.images.join(", "),
                       steps.join(" ")}
        .join(" | ");
}

} // namespace

// Reading recipes from pages shaped like recipe sites, splitting ingredient
// lines, and adding what was read to a book.
class TestRecipeReader : public QObject
{
    Q_OBJECT

    std::unique_ptr<ScratchDir> _dir;
    std::unique_ptr<Document> _book;

private slots:
    void init()
    {
        _dir.reset(new ScratchDir(false));
        _book.reset(new Document);
        QVERIFY(_book->setDataStructure());
    }
    void cleanup()
    {
        _book.reset();
        _dir.reset();
    }

    void readsPages_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("graph with page and recipe; image by reference")
            << page({"{'@context':'https://"
                     "schema.org','@graph':[{'@type':'WebPage','name':'Page'},\n"
                     "{'@type':'ImageObject','@id':'https://x.test/p#img','url':'/img/pie.jpg'},"
                     "{'@type':'Recipe','name':'Apple pie','image':{'@id':'https://x.test/p#img'},"
                     "'recipeIngredient':['3 apples','200 g flour'],'recipeCategory':'Dessert',"
                     "'keywords':'apple, pie, dessert','aggregateRating':{'@type':"
                     "'AggregateRating','ratingValue':'4.5'},'recipeInstructions':[{'@type':"
                     "'HowToStep','text':'Peel.'},{'@type':'HowToStep','text':'Bake.'}]}]}"})
            << QStringList{"Apple pie | 3 apples; 200 g flour | Dessert, apple, pie | 4.5/5 | "
                           "https://x.test/img/pie.jpg | Peel.; Bake."};
        QTest::newRow("type as a list, sections, ImageObject list, entities")
            << page(
                   {"[{'@type':['Recipe','NewsArticle'],'name':'Fish &amp; chips','image':[{"
                    "'@type':'ImageObject','contentUrl':'a.png'},'b.png'],'keywords':['fried',"
                    "'Fried',' fish '],'aggregateRating':{'ratingValue':8,'bestRating':'10'},"
                    "'recipeInstructions':[{'@type':'HowToSection','name':'Fish','itemListElement':"
                    "[{'@type':'HowToStep','text':'Batter.'},{'@type':'HowToStep','name':'Fry.'}]},"
                    "{'@type':'HowToSection','name':'Chips','itemListElement':[{'@type':"
                    "'HowToStep','text':'Cut.'}]}]}]"})
            << QStringList{"Fish & chips |  | fried, fish | 8/10 | https://x.test/dir/a.png, "
                           "https://x.test/dir/b.png | [Fish] Batter.; Fry. [Chips] Cut."};
        QTest::newRow("Microdata only")
            << page({},
                    q("<div itemscope itemtype='http://schema.org/Recipe'>\n<h1 itemprop='name'>"
                      "Borscht</h1><img itemprop='image' src='/b.jpg'><meta itemprop="
                      "'recipeCuisine' content='Ukrainian'><div itemprop='aggregateRating' "
                      "itemscope itemtype='http://schema.org/AggregateRating'><span itemprop="
                      "'ratingValue'>3</span></div><ul><li itemprop='recipeIngredient'>1 beet"
                      "</li><li itemprop='recipeIngredient'>2 l <b>water</b></li></ul>\n<ol "
                      "itemprop='recipeInstructions'><li>Boil.</li><li>Serve <i>hot</i>.</li>"
                      "</ol></div>"))
            << QStringList{"Borscht | 1 beet; 2 l water | Ukrainian | 3/5 | https://x.test/b.jpg | "
                           "Boil.; Serve hot."};
        QTest::newRow("two recipes, a broken block beside them, one repeated")
            << page({"{'@type':'Recipe','name':'One'}", "{'@type': broken",
                     "[{'@type':'Recipe','name':'Two','recipeInstructions':'Mix.\\nServe.'},"
                     "{'@type':'Recipe','name':'One'}]"})
            << QStringList{"One |  |  | - |  | ", "Two |  |  | - |  | Mix.; Serve."};
        QTest::newRow("a JSON-LD file")
            << q("{'@type':'Recipe','name':'Soup'}") << QStringList{"Soup |  |  | - |  | "};
        QTest::newRow("no recipe") << page({"{'@type':'Article','name':'News'}"}) << QStringList{};
        const QByteArray deep = QByteArray("{'a':[").repeated(5000);
        QTest::newRow("deeply nested JSON")
            << page({deep, deep + "{'@type':'Recipe','name':'Deep'}"},
                    QByteArray(20000, '<') + QByteArray("<div>").repeated(20000))
            << QStringList{};
    }

    void readsPages()
    {
        QFETCH(QByteArray, content);
        QStringList found;
        for (const WebRecipe& recipe : RecipeReader::read(content, QUrl("https://x.test/dir/p")))
            found << summary(recipe);
        QTEST(found, "expected");
    }

    void splitsIngredientLines_data()
    {
        QTest::addColumn<QString>("line");
        QTest::addColumn<QString>("expected"); // quantity | unit | ingredient | note
        const QStringList rows = {
            "2 eggs|2||eggs|",
            "1 1/2 cups flour, sifted|1.5|cup|flour|sifted",
            "½ tsp salt|0.5|tsp|salt|",
            "1¼ lb. butter (soft)|1.25|lb|butter|(soft)",
            "2-3 cloves garlic|2|clove|garlic|",
            "2–3 Tbsp olive oil|2|tbsp|olive oil|",
            "0,5 l milk|0.5|l|milk|",
            "a pinch of nutmeg|1|pinch|nutmeg|",
            "Salt to taste|0||Salt to taste|",
            "1 large onion|1||large onion|",
            "200 г муки|200|г|муки|",
            "2 ст. л. сахара|2|ст. л.|сахара|",
            "2 c. à soupe d'huile|2|c. à soupe|huile|",
            "1 pincée de sel|1|pincée|sel|",
            "1/2 c. à café de cannelle|0.5|c. à café|cannelle|",
            "2 EL Zucker|2|EL|Zucker|",
            "4 glass wine|4|Glass|wine|",
            "2 (8 oz) packages cream cheese|2|package|cream cheese|(8 oz)",
            "Мука пшеничная — 200 г|200|г|Мука пшеничная|",
            "Соль — по вкусу|0||Соль|по вкусу",
            "Flour: 2 cups, sifted|2|cup|Flour|sifted",
            "1 Pck. Trockenhefe|1|Pck.|Trockenhefe|",
        };
        for (const QString& row : rows)
            QTest::newRow(qPrintable(row.section('|', 0, 0)))
                << row.section('|', 0, 0) << row.section('|', 1);
    }

    void splitsIngredientLines()
    {
        QFETCH(QString, line);
        const IngredientLine parsed = IngredientLine::parse(line, {"Glass"});
        QTEST(QStringList(
                  {QString::number(parsed.quantity), parsed.unit, parsed.ingredient, parsed.note})
                  .join('|'),
              "expected");
    }

    // Into a book with "Flour" of its own unit name "Tbsp" and an unrelated recipe "Pie";
    // when a step fails (here the tags) the book stays as it was.
    void addsRecipeToBook_data()
    {
        QTest::addColumn<bool>("tagsRefused");
        QTest::newRow("added") << false;
        QTest::newRow("tags refused") << true;
    }

    void addsRecipeToBook()
    {
        QFETCH(bool, tagsRefused);
        const QVariant unit[] = {"Tbsp"};
        const QVariant flour[] = {"Flour", _book->addRow(Book::Units, unit, 1)};
        _book->addRow(Book::Ingredients, flour, 2);
        const QVariant pie[] = {"Pie"};
        _book->addRow(Book::Recipes, pie, 1);
        if (tagsRefused)
            QSqlQuery(_book->db).exec("DROP TABLE RecipeTags");
        const QString counts = "SELECT (SELECT COUNT(*) FROM Ingredients), (SELECT COUNT(*) FROM "
                               "Recipes), (SELECT COUNT(*) FROM Units)";
        const QStringList before = queryRows(counts);
        WebRecipe recipe;
        recipe.name = "Pie";
        recipe.description = "<script>alert(1)</script>";
        recipe.ingredients = QStringList{"2 tablespoons flour, sifted", "3 eggs", "salt"};
        recipe.tags = QStringList{"Baking"};
        recipe.rating = 4;
        recipe.cost = 3.5;
        recipe.currency = "USD";
        recipe.prepTime = "PT1H15M";
        recipe.source = "https://x.test/pie";
        MessageCapture capture;
        const int id = RecipeMapper(*_book, "usd").add(recipe, QByteArray());
        QCOMPARE(capture.contains("Recipe not added: Pie"), tagsRefused);
        if (tagsRefused) {
            QCOMPARE(id, -1);
            QCOMPARE(queryRows(counts), before);
            return;
        }
        Recipe stored;
        _book->getRecipe(id, stored);
        QCOMPARE(stored.name, QStringLiteral("Pie (2)"));
        QCOMPARE(int(stored.rating), 8);
        QStringList lines;
        for (const RecipeIngredient& line : stored.ingredients)
            lines << QString::number(line.quantity) + " " + line.unit + " " + line.ingredient;
        QCOMPARE(lines, QStringList({"2 Tbsp Flour", "3 pcs. eggs", "0 ----- salt"}));
        QCOMPARE(stored.tags, std::vector<QString>{"Baking"});
        QCOMPARE(queryRows(counts).first().section(' ', 0, 0), QStringLiteral("3"));
        QCOMPARE(queryRows("SELECT expenses FROM Recipes WHERE id=" + QString::number(id)),
                 QStringList{"3.5"});
        QVERIFY(stored.description.contains("&lt;script&gt;alert(1)&lt;/script&gt;"));
        QVERIFY(!stored.description.contains("<script"));
        QVERIFY(stored.description.contains("1 h 15 min"));
        QVERIFY(stored.description.contains("2 tablespoons flour, sifted"));
    }

    void durations_data()
    {
        QTest::addColumn<QString>("iso");
        QTest::addColumn<QString>("shown");
        const char* rows[][2] = {{"PT1H15M", "1 h 15 min"},
                                 {"PT90M", "1 h 30 min"},
                                 {"P1DT2H", "1 d 2 h"},
                                 {"PT0S", "0 min"},
                                 {"about an hour", "about an hour"}};
        for (const auto& row : rows)
            QTest::newRow(row[0]) << QString(row[0]) << QString(row[1]);
    }

    void durations()
    {
        QFETCH(QString, iso);
        QTEST(RecipeMapper::durationText(iso), "shown");
    }
};

QTEST_GUILESS_MAIN(TestRecipeReader)
#include "tst_recipereader.moc"
