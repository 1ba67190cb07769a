#include "data/document.h"
#include "data/recipebook.h"
#include "exchange/ingredientline.h"
#include "exchange/recipemapper.h"
#include "exchange/recipereader.h"
#include "support/testsupport.h"

#include <QtTest>

#include <memory>

// A page with JSON-LD blocks in its head, written with single quotes for double ones.
static QByteArray page(const QByteArrayList& blocks)
{
    QByteArray html = "<html><head>";
    for (const QByteArray& json : blocks)
        html += "<script type='application/ld+json'>" + json + "</script>";
    return html.replace('\'', '"');
}

// Reading recipe sites' pages, splitting ingredient lines, adding what was read to a book.
class TestRecipeReader : public QObject
{
    Q_OBJECT

    std::unique_ptr<ScratchBook> _s;

private slots:
    void init()
    {
        _s.reset(new ScratchBook);
        QVERIFY(_s->ready);
    }
    void cleanup() { _s.reset(); }

    // Each recipe as "name | ingredients; | tags, | rating/best | images, | steps".
    void readsPages_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("graph with page and recipe; image by reference")
            << page({"{'@graph':[{'@type':'WebPage'},{'@type':'ImageObject','@id':'#i','url':'/"
                     "p'},{'@type':'Recipe','name':'Pie','image':{'@id':'#i'},'recipeCategory':"
                     "'Cake','keywords':'apple, cake','recipeIngredient':['3 apples','1 egg'],"
                     "'aggregateRating':{'@type':'AggregateRating','ratingValue':'4.5'},"
                     "'recipeInstructions':[{'@type':'HowToStep','text':'Bake.'}]}]}"})
            << QStringList{
                   "Pie | 3 apples; 1 egg | Cake, apple | 4.5/5 | https://x.test/p | Bake."};
        QTest::newRow("type as a list, sections, ImageObject list, entities")
            << page({"[{'@type':['Recipe','NewsArticle'],'name':'Fish &amp; chips','image':[{"
                     "'@type':'ImageObject','contentUrl':'a.png'},'b.png'],'keywords':['fried',"
                     "'Fried',' fish '],'aggregateRating':{'ratingValue':8,'bestRating':'10'},"
                     "'recipeInstructions':[{'@type':'HowToSection','name':'Fish','itemListElement'"
                     ":[{'@type':'HowToStep','text':'Fry.'},{'@type':'HowToStep','name':'Eat.'}]}]"
                     "}]"})
            << QStringList{"Fish & chips |  | fried, fish | 8/10 | https://x.test/dir/a.png, "
                           "https://x.test/dir/b.png | [Fish] Fry.; Eat."};
        QTest::newRow("Microdata only")
            << QByteArray(
                   "<div itemscope itemtype='http://schema.org/Recipe'>\n<h1 itemprop='name'>"
                   "Borscht</h1><img itemprop='image' src='/b.jpg'><meta itemprop="
                   "'recipeCuisine' content='Ukrainian'><div itemprop='aggregateRating' "
                   "itemscope><span itemprop='ratingValue'>3</span></div><ul><li itemprop="
                   "'recipeIngredient'>2 l <b>water</b></li></ul>\n<ol itemprop="
                   "'recipeInstructions'><li>Boil.</li><li>Serve <i>hot</i>.</li></ol></div>")
            << QStringList{"Borscht | 2 l water | Ukrainian | 3/5 | https://x.test/b.jpg | "
                           "Boil.; Serve hot."};
        QTest::newRow("two recipes, a broken block beside them, one repeated")
            << page({"{'@type':'Recipe','name':'One'}", "{broken",
                     "[{'@type':'Recipe','name':'Two','recipeInstructions':'Mix.\\nServe.'},"
                     "{'@type':'Recipe','name':'One'}]"})
            << QStringList{"One |  |  | - |  | ", "Two |  |  | - |  | Mix.; Serve."};
        const QByteArray deep = QByteArray("{'a':[").repeated(5000);
        QTest::newRow("deeply nested JSON and HTML")
            << page({deep, deep + "{'@type':'Recipe','name':'Deep'}"}) + QByteArray(20000, '<') +
                   QByteArray("<div>").repeated(20000)
            << QStringList{};
    }

    void readsPages()
    {
        QFETCH(QByteArray, content);
        QStringList found;
        for (const WebRecipe& recipe : RecipeReader::read(content, QUrl("https://x.test/dir/p"))) {
            QStringList steps;
            for (const StepSection& section : recipe.instructions)
                steps << (section.name.isEmpty() ? "" : "[" + section.name + "] ") +
                             section.steps.join("; ");
            const QString rating = QString("%1/%2").arg(recipe.rating).arg(recipe.bestRating);
            found << QString("%1 | %2 | %3 | %4 | %5 | %6")
                         .arg(recipe.name, recipe.ingredients.join("; "), recipe.tags.join(", "),
                              recipe.rating < 0 ? "-" : rating, recipe.images.join(", "),
                              steps.join(" "));
        }
        QTEST(found, "expected");
    }

    // "line|quantity|unit|ingredient|note"; the book has a unit "Glass".
    void splitsIngredientLines_data()
    {
        QTest::addColumn<QString>("line");
        for (const char* row :
             {"1 1/2 cups flour, sifted|1.5|cup|flour|sifted", "½ tsp salt|0.5|tsp|salt|",
              "1¼ lb. butter (soft)|1.25|lb|butter|(soft)", "2–3 Tbsp olive oil|2|tbsp|olive oil|",
              "0,5 l milk|0.5|l|milk|", "a pinch of nutmeg|1|pinch|nutmeg|",
              "Salt to taste|0||Salt to taste|", "1 large onion|1||large onion|",
              "2 ст. л. сахара|2|ст. л.|сахара|", "2 c. à soupe d'huile|2|c. à soupe|huile|",
              "2 EL Zucker|2|EL|Zucker|", "4 glass wine|4|Glass|wine|",
              "2 (8 oz) packages cream cheese|2|package|cream cheese|(8 oz)",
              "Соль — по вкусу|0||Соль|по вкусу", "Flour: 2 cups, sifted|2|cup|Flour|sifted"})
            QTest::newRow(row) << QString(row);
    }

    void splitsIngredientLines()
    {
        QFETCH(QString, line);
        const IngredientLine parsed = IngredientLine::parse(line.section('|', 0, 0), {"Glass"});
        QCOMPARE(QStringList({line.section('|', 0, 0), QString::number(parsed.quantity),
                              parsed.unit, parsed.ingredient, parsed.note}),
                 line.split('|'));
    }

    // Into a book with "Flour" of its own unit name "Tbsp" and an unrelated recipe "Pie"; when
    // a step fails (here the tags) the book stays as it was.
    void addsRecipeToBook()
    {
        QVERIFY(_s->add(Book::Ingredients, {"Flour", _s->add(Book::Units, {"Tbsp"})}) > 0);
        QVERIFY(_s->add(Book::Recipes, {"Pie"}) > 0);
        const QString rows = "SELECT (SELECT COUNT(*) FROM Ingredients), (SELECT COUNT(*) FROM "
                             "Recipes), (SELECT COUNT(*) FROM Units), SUM(expenses) FROM Recipes";
        const QByteArray json = "{'@type':'Recipe','name':'Pie','description':'<script>alert(1)"
                                "</script>','recipeIngredient':['2 tablespoons flour, sifted','3 "
                                "eggs','salt'],'keywords':'Baking','aggregateRating':{'ratingValue'"
                                ":4},'estimatedCost':{'value':3.5,'currency':'USD'},'prepTime':"
                                "'PT75M','cookTime':'PT0S','totalTime':'about an hour'}";
        const WebRecipe recipe = RecipeReader::read(QByteArray(json).replace('\'', '"'), {}).at(0);
        QSqlQuery(_s->document.db).exec("ALTER TABLE RecipeTags RENAME TO Hidden");
        MessageCapture capture;
        QVERIFY(RecipeMapper(_s->document, "usd").add(recipe, QByteArray()) <= 0);
        QCOMPARE(queryRows(rows), QStringList{"1 1 1 0"});
        QSqlQuery(_s->document.db).exec("ALTER TABLE Hidden RENAME TO RecipeTags");
        const int id = RecipeMapper(_s->document, "usd").add(recipe, QByteArray());
        QCOMPARE(capture.count("Recipe not added: Pie"), 1);
        QCOMPARE(queryRows(rows), QStringList{"3 2 2 3.5"});
        Recipe stored;
        _s->document.getRecipe(id, stored);
        QStringList lines(stored.tags.begin(), stored.tags.end());
        for (const RecipeIngredient& line : stored.ingredients)
            lines << QString::number(line.quantity) + " " + line.unit + " " + line.ingredient;
        QCOMPARE(stored.name + " " + QString::number(stored.rating) + ": " + lines.join(", "),
                 "Pie (2) 8: Baking, 2 Tbsp Flour, 3 pcs. eggs, 0 ----- salt");
        for (const char* text : {"&lt;script&gt;alert(1)&lt;/script&gt;", "</b>: 1 h 15 min",
                                 "</b>: 0 min", "</b>: about an hour", "tablespoons flour, sifted"})
            QVERIFY2(stored.description.contains(text), text);
        QVERIFY(!stored.description.contains("<script"));
    }
};

QTEST_GUILESS_MAIN(TestRecipeReader)
#include "tst_recipereader.moc"
