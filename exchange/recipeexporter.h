#pragma once

#include "data/recipe.h"

#include <QByteArray>
#include <QJsonObject>
#include <QString>

#include <vector>

class Document;

// Writes recipes of a book for other programs, in the schema.org Recipe
// vocabulary: a JSON-LD list, or a standalone web page that shows the recipe
// pages and carries the same JSON-LD in its head.
class RecipeExporter
{
public:
    RecipeExporter(Document& document, const QString& bookCurrency);

    // The ids of every recipe of the book, in the order they were added.
    static std::vector<int> allRecipes(Document& document);

    QJsonObject recipeObject(int id) const;
    QByteArray jsonLd(const std::vector<int>& ids) const;
    QByteArray htmlPage(const std::vector<int>& ids) const;
    // A name ending in .html or .htm gets the page, any other the JSON-LD list.
    // The file keeps its old content when it cannot be written whole.
    bool write(const std::vector<int>& ids, const QString& fileName) const;

private:
    struct Stored
    {
        Recipe recipe;
        double expenses = 0;
    };
    // The recipes of the ids, read with one query a table, so that a large
    // book is not read once a recipe.
    std::vector<Stored> _read(const std::vector<int>& ids) const;
    QJsonObject _object(const Stored& stored) const;
    QByteArray _json(const std::vector<Stored>& recipes) const;

    Document& _document;
    QString _currency;
};
