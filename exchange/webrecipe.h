#pragma once

#include <QString>
#include <QStringList>

#include <vector>

// One titled group of a recipe's steps; the title may be empty.
struct StepSection
{
    QString name;
    QStringList steps;
};

// A recipe as a web page or an exchange file describes it, in plain texts,
// before anything of it enters a book.
struct WebRecipe
{
    QString name;
    QString description;
    QStringList images; // picture addresses, best first
    std::vector<StepSection> instructions;
    QString yield;
    QString prepTime; // ISO 8601 durations as given, e.g. "PT15M"
    QString cookTime;
    QString totalTime;
    QStringList ingredients; // the lines as written
    QStringList tags;        // without duplicates
    double rating = -1;      // -1: none given
    double bestRating = 5;
    double cost = -1; // -1: none given
    QString currency;
    QString source; // the address it came from
};
