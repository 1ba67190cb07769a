// The sample content that fills every new book.
#include "data/document.h"

#include "data/recipebook.h"
#include "lang/langmodel.h"
#include "resources/resourcefiles.h"

#include <QFile>

namespace {

QByteArray samplePhoto(const QString& photoFile)
{
    QFile file(ResourceFiles::path(QStringLiteral("media/") + photoFile));
    if (!file.open(QIODevice::ReadOnly))
        return QByteArray("0");
    return file.readAll();
}

// The id of the row of that name, created with the given values when absent.
int findOrAdd(Document& document, const QString& table, const QVariant* values, int count)
{
    const int id = document.getIDByName(table, values[0].toString());
    return id != -1 ? id : document.addRow(table, values, count);
}

// The number as written in the sample (0.1, not the float nearest to it),
// stored at full precision.
QVariant written(float value)
{
    for (int digits = 1;; ++digits) {
        const QString text = QString::number(double(value), 'g', digits);
        if (text.toFloat() == value || digits >= 9)
            return text.toDouble();
    }
}

} // namespace

void Document::fillSampleBook()
{
    const RecipeIngredient pizza[] = {
        {translate("Dough"), 1.0f, translate("kg")},
        {translate("Sauce"), 0.1f, translate("litre")},
        {translate("Tomato"), 2.0f, translate("pcs.")},
    };
    const RecipeIngredient hamburger[] = {
        {translate("Cutlet"), 1.0f, translate("pcs.")},
        {translate("Sauce"), 0.05f, translate("litre")},
        {translate("Cucumber"), 1.0f, translate("pcs.")},
        {translate("Salad"), 0.05f, translate("kg")},
        {translate("Onion"), 0.5f, translate("pcs.")},
    };
    const RecipeIngredient shawarma[] = {
        {translate("Pita"), 1.0f, translate("pcs.")},
        {translate("Chicken fillet"), 400.0f, translate("g")},
        {translate("Sauce"), 0.07f, translate("litre")},
        {translate("Mayonnaise"), 0.07f, translate("litre")},
        {translate("Garlic"), 3.0f, translate("clove")},
        {translate("Cucumber"), 1.0f, translate("pcs.")},
        {translate("Tomato"), 1.0f, translate("pcs.")},
        {translate("Cabbage"), 0.1f, translate("pcs.")},
        {translate("Onion"), 0.5f, translate("pcs.")},
    };
    const QString pizzaTags[] = {translate("Italian")};
    const QString hamburgerTags[] = {translate("American"), translate("Fast-food")};
    const QString shawarmaTags[] = {translate("Oriental"), translate("Fast-food")};

    addSampleRecipe(translate("Pizza"), QStringLiteral("pizza.png"),
                    translate("Famous Italian food don't need a special introduction."), pizza, 3,
                    pizzaTags, 1, 10, 5, 5.4f);
    addSampleRecipe(translate("Hamburger"), QStringLiteral("hamburger.png"),
                    translate("Fast and tasty!"), hamburger, 5, hamburgerTags, 2, 10, 5, 3.2f);
    addSampleRecipe(translate("Shawarma"), QStringLiteral("shawarma.png"),
                    translate("Tasty oriental food!"), shawarma, 9, shawarmaTags, 2, 10, 3, 2.5f);

    const PlanDish wedding[] = {{translate("Pizza"), 4}, {translate("Shawarma"), 6}};
    const PlanDish birthday[] = {{translate("Hamburger"), 6}, {translate("Shawarma"), 8}};
    addCookingPlan(translate("Wedding"), translate("Best day in life!"), wedding, 2);
    addCookingPlan(translate("Birthday"),
                   translate("Happy birthday to you! Happy birthday to you!"), birthday, 2);
    db.transaction();
}

int Document::addSampleRecipe(QString name, QString photoFile, QString description,
                              const RecipeIngredient* ingredients, int ingredientCount,
                              const QString* tags, int tagCount, uchar rating, uchar complexity,
                              float expenses)
{
    using namespace Book;
    const QVariant recipe[] = {name, samplePhoto(photoFile), description, int(rating),
                               int(complexity), written(expenses)};
    const int recipeId = addRow(Recipes, recipe, RecipeFieldCount);

    for (int i = 0; i < ingredientCount; ++i) {
        const RecipeIngredient& line = ingredients[i];
        const QVariant unit[] = {line.unit};
        const int unitId = findOrAdd(*this, Units, unit, 1);
        const QVariant ingredient[] = {line.ingredient, unitId};
        const int ingredientId = findOrAdd(*this, Ingredients, ingredient, 2);
        const QVariant recipeLine[] = {recipeId, ingredientId, written(line.quantity), unitId};
        addRow(RecipeIngredients, recipeLine, LineFieldCount);
    }
    for (int i = 0; i < tagCount; ++i) {
        const QVariant tag[] = {tags[i]};
        const int tagId = findOrAdd(*this, Tags, tag, 1);
        const QVariant tagLine[] = {recipeId, tagId};
        addRow(RecipeTags, tagLine, TagLineFieldCount);
    }
    db.transaction();
    return recipeId;
}
