#pragma once

#include <QString>
#include <QVariant>

#include <vector>

// One ingredient line of a recipe, with ids already turned into names.
struct RecipeIngredient
{
    QString ingredient;
    double quantity;
    QString unit;
};

// Everything the recipe page shows about one recipe.
struct Recipe
{
    QString name;
    QString description;
    uchar rating = 0;
    uchar complexity = 0;
    QVariant photo;
    std::vector<RecipeIngredient> ingredients;
    std::vector<QString> tags;
};

// One dish of a cooking plan, by recipe name.
struct PlanDish
{
    QString recipe;
    int portions;
};
