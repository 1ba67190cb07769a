#include "exchange/recipemapper.h"

#include "data/diagnostics.h"
#include "data/document.h"
#include "data/recipebook.h"
#include "lang/langmodel.h"

#include <QRegularExpression>
#include <QSqlQuery>

#include <cmath>

namespace {

const QString Savepoint = QStringLiteral("import_recipe");
// What an unrated recipe gets, as a recipe added by hand does.
const int DefaultRating = 5;
const int DefaultComplexity = 5;

QString escaped(const QString& text)
{
    return text.toHtmlEscaped().replace(QLatin1Char('\n'), QStringLiteral("<br />"));
}

QString fact(const QString& label, const QString& value)
{
    return value.isEmpty() ? QString()
                           : QStringLiteral("<b>") + translate(label) + QStringLiteral("</b>: ") +
                                 escaped(value) + QStringLiteral("<br />");
}

bool isWebAddress(const QString& address)
{
    return address.startsWith(QLatin1String("http://"), Qt::CaseInsensitive) ||
           address.startsWith(QLatin1String("https://"), Qt::CaseInsensitive);
}

} // namespace

RecipeMapper::RecipeMapper(Document& document, const QString& bookCurrency)
    : _document(document), _currency(bookCurrency)
{
}

int RecipeMapper::add(const WebRecipe& recipe, const QByteArray& photo, const QString& photoNote)
{
    QSqlQuery savepoint(_document.db);
    if (!savepoint.exec(QStringLiteral("SAVEPOINT ") + Savepoint)) {
        CULINOR_DIAG("exchange", QStringLiteral("Recipe not added: no savepoint"));
        return -1;
    }
    const int id = _addRecipe(recipe, photo, photoNote);
    if (id < 0) {
        savepoint.exec(QStringLiteral("ROLLBACK TO SAVEPOINT ") + Savepoint);
        _names.clear(); // it may hold rows that are gone now
        CULINOR_DIAG("exchange", QStringLiteral("Recipe not added: ") + recipe.name);
    }
    savepoint.exec(QStringLiteral("RELEASE SAVEPOINT ") + Savepoint);
    return id;
}

int RecipeMapper::_addRecipe(const WebRecipe& recipe, const QByteArray& photo,
                             const QString& photoNote)
{
    using namespace Book;
    QStringList bookUnits;
    for (const auto& unit : _namesOf(Units))
        bookUnits << unit.first;
    std::vector<IngredientLine> lines;
    for (const QString& text : recipe.ingredients)
        lines.push_back(IngredientLine::parse(text, bookUnits));

    const QString title = _freeName(
        recipe.name.isEmpty() ? translate(QStringLiteral("Imported recipe")) : recipe.name);
    const QVariant values[] = {
        title,
        photo.isEmpty() ? QByteArray("0") : photo,
        descriptionHtml(recipe, lines, photoNote),
        recipe.rating >= 0 ? ratingOutOfTen(recipe.rating, recipe.bestRating) : DefaultRating,
        DefaultComplexity,
        _costInBookCurrency(recipe) ? recipe.cost : 0.0,
    };
    const int recipeId = _document.addRow(Recipes, values, RecipeFieldCount);
    if (recipeId < 0)
        return -1;
    _namesOf(Recipes).insert(title.toCaseFolded(), {title, recipeId});
    for (const IngredientLine& line : lines) {
        if (line.ingredient.isEmpty())
            continue;
        const int unitId = _unitId(line);
        const QVariant ingredient[] = {line.ingredient, unitId};
        const int ingredientId = _findOrAdd(Ingredients, {line.ingredient}, ingredient, 2);
        const QVariant row[] = {recipeId, ingredientId, line.quantity, unitId};
        if (ingredientId < 0 || _document.addRow(RecipeIngredients, row, LineFieldCount) < 0)
            return -1;
    }
    for (const QString& tag : recipe.tags) {
        const QVariant name[] = {tag};
        const int tagId = _findOrAdd(Tags, {tag}, name, 1);
        const QVariant row[] = {recipeId, tagId};
        if (tagId < 0 || _document.addRow(RecipeTags, row, TagLineFieldCount) < 0)
            return -1;
    }
    return recipeId;
}

// A line with a count and no unit counts pieces; one without either has no unit.
int RecipeMapper::_unitId(const IngredientLine& line)
{
    if (line.unit.isEmpty() && line.quantity <= 0)
        return -1;
    const QString unit = line.unit.isEmpty() ? translate(QStringLiteral("pcs.")) : line.unit;
    QStringList names = IngredientLine::namesOfUnit(unit);
    if (line.unit.isEmpty())
        names << IngredientLine::pieceNames();
    const QVariant value[] = {unit};
    return _findOrAdd(Book::Units, names, value, 1);
}

// The rows of a table by name, keyed case-insensitively; read once an import.
QHash<QString, RecipeMapper::NamedRow>& RecipeMapper::_namesOf(const QString& table)
{
    const auto found = _names.find(table);
    if (found != _names.end())
        return found.value();
    QHash<QString, NamedRow>& names = _names[table];
    QSqlQuery query(_document.db);
    query.setForwardOnly(true);
    query.exec(QStringLiteral("SELECT id, name FROM ") + table);
    while (query.next()) {
        const QString name = query.value(1).toString();
        if (!names.contains(name.toCaseFolded()))
            names.insert(name.toCaseFolded(), {name, query.value(0).toInt()});
    }
    return names;
}

// The first of the names the table has, else a new row of the values.
int RecipeMapper::_findOrAdd(const QString& table, const QStringList& names, const QVariant* values,
                             int count)
{
    QHash<QString, NamedRow>& known = _namesOf(table);
    for (const QString& name : names) {
        const auto found = known.find(name.toCaseFolded());
        if (found != known.end())
            return found.value().second;
    }
    const int id = _document.addRow(table, values, count);
    if (id >= 0)
        known.insert(values[0].toString().toCaseFolded(), {values[0].toString(), id});
    return id;
}

QString RecipeMapper::_freeName(const QString& name)
{
    const QHash<QString, NamedRow>& known = _namesOf(Book::Recipes);
    QString free = name;
    for (int number = 2; known.contains(free.toCaseFolded()); ++number)
        free = name + QStringLiteral(" (") + QString::number(number) + QLatin1Char(')');
    return free;
}

bool RecipeMapper::_costInBookCurrency(const WebRecipe& recipe) const
{
    return recipe.cost >= 0 && (recipe.currency.isEmpty() ||
                                recipe.currency.compare(_currency, Qt::CaseInsensitive) == 0);
}

QString RecipeMapper::descriptionHtml(const WebRecipe& recipe,
                                      const std::vector<IngredientLine>& lines,
                                      const QString& photoNote) const
{
    QString html;
    if (!recipe.description.isEmpty())
        html += QStringLiteral("<p>") + escaped(recipe.description) + QStringLiteral("</p>");
    const QString facts = fact(QStringLiteral("Yield"), recipe.yield) +
                          fact(QStringLiteral("Preparation time"), durationText(recipe.prepTime)) +
                          fact(QStringLiteral("Cooking time"), durationText(recipe.cookTime)) +
                          fact(QStringLiteral("Total time"), durationText(recipe.totalTime));
    if (!facts.isEmpty())
        html += QStringLiteral("<p>") + facts + QStringLiteral("</p>");
    for (const StepSection& section : recipe.instructions) {
        if (!section.name.isEmpty())
            html += QStringLiteral("<p><b>") + escaped(section.name) + QStringLiteral("</b></p>");
        if (section.steps.isEmpty())
            continue;
        html += QStringLiteral("<ol>");
        for (const QString& step : section.steps)
            html += QStringLiteral("<li>") + escaped(step) + QStringLiteral("</li>");
        html += QStringLiteral("</ol>");
    }
    // Whatever of a line did not fit its fields is kept as written.
    QString notes;
    for (const IngredientLine& line : lines)
        if (!line.note.isEmpty())
            notes += QStringLiteral("<li>") + escaped(line.text) + QStringLiteral("</li>");
    if (!notes.isEmpty())
        html += QStringLiteral("<p><b>") + translate(QStringLiteral("Ingredients as written")) +
                QStringLiteral("</b></p><ul>") + notes + QStringLiteral("</ul>");
    if (recipe.cost >= 0 && !_costInBookCurrency(recipe))
        html += QStringLiteral("<p>") +
                fact(QStringLiteral("Estimated cost"),
                     QString::number(recipe.cost) + QLatin1Char(' ') + recipe.currency) +
                QStringLiteral("</p>");
    if (!photoNote.isEmpty())
        html += QStringLiteral("<p><i>") + escaped(photoNote) + QStringLiteral("</i></p>");
    if (!recipe.source.isEmpty()) {
        const QString source = escaped(recipe.source);
        html += QStringLiteral("<p><b>") + translate(QStringLiteral("Source")) +
                QStringLiteral("</b>: ") +
                (isWebAddress(recipe.source)
                     ? QStringLiteral("<a href=\"") + source + QStringLiteral("\">") + source +
                           QStringLiteral("</a>")
                     : source) +
                QStringLiteral("</p>");
    }
    return html;
}

QString RecipeMapper::durationText(const QString& duration)
{
    static const QRegularExpression iso(
        QStringLiteral("^P(?:(\\d+)D)?(?:T(?:(\\d+)H)?(?:(\\d+)M)?(?:(\\d+(?:\\.\\d+)?)S)?)?$"),
        QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch m = iso.match(duration.trimmed());
    if (!m.hasMatch() || duration.trimmed().size() < 3)
        return duration;
    const qint64 minutes = m.captured(1).toLongLong() * 1440 + m.captured(2).toLongLong() * 60 +
                           m.captured(3).toLongLong() + qRound(m.captured(4).toDouble() / 60);
    QStringList parts;
    if (minutes / 1440 > 0)
        parts << QString::number(minutes / 1440) + QLatin1Char(' ') +
                     translate(QStringLiteral("d"));
    if (minutes / 60 % 24 > 0)
        parts << QString::number(minutes / 60 % 24) + QLatin1Char(' ') +
                     translate(QStringLiteral("h"));
    if (minutes % 60 > 0 || parts.isEmpty())
        parts << QString::number(minutes % 60) + QLatin1Char(' ') +
                     translate(QStringLiteral("min"));
    return parts.join(QLatin1Char(' '));
}

int RecipeMapper::ratingOutOfTen(double value, double best)
{
    if (!(best > 0))
        best = 5;
    if (!(value > 0))
        return 0;
    return static_cast<int>(std::lround(std::min(value / best, 1.0) * 10));
}
