#pragma once

#include <QString>
#include <QStringList>

// One ingredient line of a recipe text, split into quantity, unit and
// ingredient: "1 1/2 cups flour, sifted" gives 1.5, "cup", "flour" and the
// note "sifted". Quantities may be integers, decimals with a point or a comma,
// fractions, mixed numbers, Unicode fractions and ranges (the first number
// counts); units are the common ones of English, Russian, French and German.
class IngredientLine
{
public:
    // The parts of a line; units the book already has are recognised too.
    static IngredientLine parse(const QString& text, const QStringList& bookUnits = QStringList());
    // Every name of the unit in the four languages (the unit itself included),
    // so that "EL", "tbsp" and "ст. л." find one another in a book.
    static QStringList namesOfUnit(const QString& unit);
    // The names a count of pieces goes by ("pcs.", "шт.", ...).
    static QStringList pieceNames();

    QString text;        // the line as given, blanks collapsed
    double quantity = 0; // 0 when the line gives none
    QString unit;        // empty when the line names none
    QString ingredient;
    QString note; // what follows a comma or stands in parentheses
};
