#pragma once

#include <QString>

// Table names and field positions of a recipe book, shared by the schema,
// the editors, the views and the report. Field positions count from 0 at the
// first field after the id.
namespace Book {

const QString Recipes = QStringLiteral("Recipes");
const QString Ingredients = QStringLiteral("Ingredients");
const QString Tags = QStringLiteral("Tags");
const QString RecipeIngredients = QStringLiteral("RecipeIngredients");
const QString RecipeTags = QStringLiteral("RecipeTags");
const QString Units = QStringLiteral("Units");
const QString CookingPlans = QStringLiteral("CookingPlans");
const QString CookingPlanRecipes = QStringLiteral("CookingPlanRecipes");

enum RecipeField { RecipeName, RecipePhoto, RecipeDescription, RecipeRating,
                   RecipeComplexity, RecipeExpenses, RecipeFieldCount };
enum IngredientField { IngredientName, IngredientUnit, IngredientCost,
                       IngredientQuantity, IngredientFieldCount };
enum RecipeIngredientField { LineRecipe, LineIngredient, LineQuantity, LineUnit,
                             LineFieldCount };
enum RecipeTagField { TagLineRecipe, TagLineTag, TagLineFieldCount };
enum CookingPlanField { PlanName, PlanNotes, PlanDishCount, PlanPersonCount,
                        PlanFieldCount };
enum CookingPlanRecipeField { DishPlan, DishRecipe, DishPortions, DishFieldCount };

} // namespace Book
