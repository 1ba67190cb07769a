#pragma once

#include "exchange/ingredientline.h"
#include "exchange/webrecipe.h"

#include <QByteArray>
#include <QHash>
#include <QVariant>
#include <QString>

#include <utility>
#include <vector>

class Document;

// Adds recipes read from the web to a book: title, photo, tags, rating, cost
// and ingredient lines into their fields, everything else (description,
// steps, times, yield, notes, the source) into the description as escaped
// rich text. Units and ingredients are found by name without regard to case,
// or created.
class RecipeMapper
{
public:
    RecipeMapper(Document& document, const QString& bookCurrency);

    // Adds one recipe as one step: it comes in whole, or the book stays as it
    // was and -1 is returned. photo holds the stored picture, empty for none;
    // photoNote, when given, tells why the picture is missing.
    int add(const WebRecipe& recipe, const QByteArray& photo, const QString& photoNote = QString());

    // "PT1H15M" as "1 h 15 min"; a text that is no duration stays as it is.
    static QString durationText(const QString& duration);
    // A rating out of best on the book's scale of 0 to 10.
    static int ratingOutOfTen(double value, double best);
    // The description of a recipe as escaped rich text.
    QString descriptionHtml(const WebRecipe& recipe, const std::vector<IngredientLine>& lines,
                            const QString& photoNote) const;

private:
    using NamedRow = std::pair<QString, int>; // a row's name as stored, and its id

    int _addRecipe(const WebRecipe& recipe, const QByteArray& photo, const QString& photoNote);
    int _unitId(const IngredientLine& line);
    int _findOrAdd(const QString& table, const QStringList& names, const QVariant* values,
                   int count);
    QString _freeName(const QString& name);
    QHash<QString, NamedRow>& _namesOf(const QString& table);
    bool _costInBookCurrency(const WebRecipe& recipe) const;

    Document& _document;
    QString _currency;
    // Names already looked up, by table: a long list of recipes reads each table once.
    QHash<QString, QHash<QString, NamedRow>> _names;
};
