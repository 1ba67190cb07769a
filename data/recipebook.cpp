// The recipe book's tables and connections, and the operations that know them.
#include "data/document.h"

#include "data/diagnostics.h"
#include "data/recipebook.h"
#include "lang/langmodel.h"

#include <QSqlError>
#include <QSqlQuery>

namespace {

bool createBookTables(Document& document)
{
    using namespace Book;
    const QVariant none;
    const TF recipes[] = {
        TF("name", MD_STRING, translate("Title"), none),
        TF("photo", MD_IMAGE, translate("Photo"), none),
        TF("description", MD_TEXT, translate("Description"), none),
        TF("rating", MD_RATING, translate("Rating"), 5),
        TF("complexity", MD_RATING, translate("Complexity"), 5),
        TF("expenses", MD_MONEY, translate("Expenses"), none),
    };
    const TF ingredients[] = {
        TF("name", MD_STRING, translate("Name"), none),
        TF("id_unit", MD_SEL, translate("Measure"), none),
        TF("cost", MD_FLOAT, translate("Unit cost"), none),
        TF("quantity", MD_FLOAT, translate("Quantity"), none),
    };
    const TF tags[] = {
        TF("name", MD_STRING, translate("Name"), none),
    };
    const TF recipeIngredients[] = {
        TF("id_rec", MD_SEL, translate("Recipe"), none),
        TF("id_ing", MD_SEL, translate("Ingredient"), none),
        TF("quant", MD_FLOAT, translate("Quantity"), none),
        TF("id_unit", MD_SEL, translate("Measure"), none),
    };
    const TF recipeTags[] = {
        TF("id_rec", MD_SEL, translate("Recipe"), none),
        TF("id_tag", MD_SEL, translate("Tag"), none),
    };
    const TF units[] = {
        TF("name", MD_STRING, translate("Measure"), none),
    };
    const TF cookingPlans[] = {
        TF("name", MD_STRING, translate("Name"), none),
        TF("notes", MD_TEXT, translate("Notes"), none),
        TF("ndishes", MD_INT, translate("Number of dishes"), none),
        TF("npersons", MD_INT, translate("Number of persons"), none),
    };
    const TF cookingPlanRecipes[] = {
        TF("id_cp", MD_SEL, translate("Cooking plan"), none),
        TF("id_rec", MD_SEL, translate("Dish"), none),
        TF("portion_number", MD_INT, translate("Number of portions"), none),
    };
    return document.createTable(Recipes, TableData(recipes, RecipeFieldCount))
           && document.createTable(Ingredients, TableData(ingredients, IngredientFieldCount))
           && document.createTable(Tags, TableData(tags, 1))
           && document.createTable(RecipeIngredients,
                                   TableData(recipeIngredients, LineFieldCount))
           && document.createTable(RecipeTags, TableData(recipeTags, TagLineFieldCount))
           && document.createTable(Units, TableData(units, 1))
           && document.createTable(CookingPlans, TableData(cookingPlans, PlanFieldCount))
           && document.createTable(CookingPlanRecipes,
                                   TableData(cookingPlanRecipes, DishFieldCount));
}

void connectBookTables(Document& document)
{
    using namespace Book;
    document.connectTables(Recipes, RecipeIngredients, LineRecipe, translate("Ingredients"));
    document.connectTables(Ingredients, RecipeIngredients, LineIngredient, translate("Recipes"));
    document.connectTables(Units, RecipeIngredients, LineUnit, translate("Unit usage"));
    document.connectTables(Recipes, RecipeTags, TagLineRecipe, translate("Tags"));
    document.connectTables(Tags, RecipeTags, TagLineTag, translate("Recipes"));
    document.connectTables(CookingPlans, CookingPlanRecipes, DishPlan, translate("Recipes"));
    document.connectTables(Recipes, CookingPlanRecipes, DishRecipe, translate("Cooking plans"));
    document.connectTables(Units, Ingredients, IngredientUnit, QString());
}

} // namespace

bool Document::setDataStructure()
{
    // The book lives in memory only. A file called "recipe_data" in the
    // working directory is somebody's own file and is left alone.
    db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"));
    db.setDatabaseName(QStringLiteral(":memory:"));
    if (!db.open()) {
        CULINOR_DIAG("data", db.lastError().text());
        return false;
    }
    // Index builds on opening sort in memory rather than in temporary files;
    // the pages of an in-memory database stay in memory anyway.
    QSqlQuery(db).exec(QStringLiteral("PRAGMA cache_size = -32768"));
    if (!createBookTables(*this))
        return false;
    connectBookTables(*this);
    db.transaction();
    return true;
}

void Document::getRecipe(int id, Recipe& recipe)
{
    using namespace Book;
    std::vector<QVariant> row;
    if (!getRowByID(Recipes, id, row) || row.size() < RecipeFieldCount) {
        CULINOR_DIAG("data", "Error in getRecipe function: can't extract from DB");
        return;
    }
    recipe.name = row[RecipeName].toString();
    recipe.description = row[RecipeDescription].toString();
    recipe.rating = static_cast<uchar>(row[RecipeRating].toInt());
    recipe.complexity = static_cast<uchar>(row[RecipeComplexity].toInt());
    recipe.photo = row[RecipePhoto];

    const QString idText = QString::number(id);
    QSqlQuery lines(db);
    lines.exec(QStringLiteral("SELECT * FROM RecipeIngredients WHERE id_rec=") + idText);
    if (lines.lastError().isValid()) {
        CULINOR_DIAG("data", QStringLiteral("Error: ") + lines.lastError().text());
        return;
    }
    // SQL columns: id, id_rec, id_ing, quant, id_unit. A value that does not
    // convert is reported and taken as the 0 the conversion gives.
    while (lines.next()) {
        bool ok = false;
        const int ingredientId = lines.value(2).toInt(&ok);
        if (!ok)
            CULINOR_DIAG("data", QStringLiteral("Error: cannot extract ingredient ID from ")
                                     + lines.value(2).toString()
                                     + QStringLiteral("; DB is corrupted!"));
        const double quantity = lines.value(3).toDouble(&ok);
        if (!ok)
            CULINOR_DIAG("data", QStringLiteral("Error: cannot extract ingredient quantity from ")
                                     + lines.value(3).toString()
                                     + QStringLiteral("; DB is corrupted!"));
        const int unitId = lines.value(4).toInt(&ok);
        if (!ok)
            CULINOR_DIAG("data", QStringLiteral("Error: cannot extract unit ID from ")
                                     + lines.value(4).toString()
                                     + QStringLiteral("; DB is corropted!"));
        recipe.ingredients.push_back({getNameByID(Ingredients, ingredientId), quantity,
                                      getNameByID(Units, unitId)});
    }

    QSqlQuery tagLines(db);
    tagLines.exec(QStringLiteral("SELECT * FROM RecipeTags WHERE id_rec=") + idText);
    while (tagLines.next()) {
        bool ok = false;
        const int tagId = tagLines.value(2).toInt(&ok);
        if (!ok)
            CULINOR_DIAG("data", "Error: cannot extract tag ID; DB is corrupted!");
        recipe.tags.push_back(getNameByID(Tags, tagId));
    }
}

int Document::addCookingPlan(QString name, QString notes, const PlanDish* dishes, int count)
{
    using namespace Book;
    const QVariant plan[] = {name, notes};
    const int planId = addRow(CookingPlans, plan, 2);
    for (int i = 0; i < count; ++i) {
        int recipeId = getIDByName(Recipes, dishes[i].recipe);
        if (recipeId == -1) {
            const QVariant recipe[] = {dishes[i].recipe};
            recipeId = addRow(Recipes, recipe, 1);
        }
        const QVariant dish[] = {planId, recipeId, dishes[i].portions};
        addRow(CookingPlanRecipes, dish, 3);
    }
    db.transaction();
    return planId;
}
