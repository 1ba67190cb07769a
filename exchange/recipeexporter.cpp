#include "exchange/recipeexporter.h"

#include "data/document.h"
#include "data/recipebook.h"
#include "editing/amountspinbox.h"
#include "exchange/htmltree.h"
#include "images/pictures.h"
#include "lang/langmodel.h"
#include "views/editablerecipelist.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QRegularExpression>
#include <QSaveFile>
#include <QSqlQuery>
#include <QTextDocumentFragment>

#include <map>

namespace {

// The photo as a data: address; empty for the default picture.
QString photoAddress(const QVariant& photo)
{
    const QByteArray bytes = photo.toByteArray();
    if (bytes.size() <= MaxPlaceholderBytes)
        return QString();
    const char* type = bytes.startsWith("\x89PNG") ? "image/png"
                       : bytes.startsWith("GIF8")  ? "image/gif"
                       : bytes.startsWith("BM")    ? "image/bmp"
                                                   : "image/jpeg";
    return QStringLiteral("data:") + QLatin1String(type) + QStringLiteral(";base64,") +
           QString::fromLatin1(bytes.toBase64());
}

// The numbered lists of a description are its steps; the rest is its text.
void splitDescription(const QString& html, QString& text, QStringList& steps)
{
    static const QRegularExpression list(QStringLiteral("<ol\\b.*?</ol>"),
                                         QRegularExpression::CaseInsensitiveOption |
                                             QRegularExpression::DotMatchesEverythingOption);
    auto lists = list.globalMatch(html);
    while (lists.hasNext()) {
        const HtmlTree tree(lists.next().captured());
        for (size_t i = 0; i < tree.nodes.size(); ++i)
            if (tree.nodes[i].tag == QLatin1String("li") && !tree.textOf(int(i)).isEmpty())
                steps << tree.textOf(int(i));
    }
    text = QTextDocumentFragment::fromHtml(QString(html).remove(list)).toPlainText().trimmed();
}

QString ingredientText(const RecipeIngredient& line)
{
    QStringList parts;
    if (line.quantity > 0)
        parts << AmountSpinBox::shortestText(line.quantity); // every digit, no exponent
    if (!line.unit.isEmpty() && line.unit != NO_SELECTION)
        parts << line.unit;
    if (line.ingredient != NO_SELECTION)
        parts << line.ingredient;
    return parts.join(QLatin1Char(' '));
}

QJsonValue keywords(const std::vector<QString>& tags)
{
    QStringList list(tags.begin(), tags.end());
    for (const QString& tag : list)
        if (tag.contains(QLatin1Char(',')))
            return QJsonArray::fromStringList(list);
    return list.join(QStringLiteral(", "));
}

} // namespace

RecipeExporter::RecipeExporter(Document& document, const QString& bookCurrency)
    : _document(document), _currency(bookCurrency)
{
}

std::vector<int> RecipeExporter::allRecipes(Document& document)
{
    std::vector<int> ids;
    QSqlQuery query(document.db);
    query.exec(QStringLiteral("SELECT id FROM ") + Book::Recipes + QStringLiteral(" ORDER BY id"));
    while (query.next())
        ids.push_back(query.value(0).toInt());
    return ids;
}

std::vector<RecipeExporter::Stored> RecipeExporter::_read(const std::vector<int>& ids) const
{
    std::map<int, size_t> position;
    for (int id : ids)
        position.emplace(id, position.size());
    std::vector<Stored> stored(position.size());
    const auto entry = [&](const QVariant& id) -> Stored* {
        const auto found = position.find(id.toInt());
        return found == position.end() ? nullptr : &stored[found->second];
    };
    const auto name = [](const QVariant& value) {
        return value.isNull() ? NO_SELECTION : value.toString();
    };
    QSqlQuery query(_document.db);
    query.setForwardOnly(true);
    query.exec(QStringLiteral("SELECT id, name, photo, description, rating, complexity, expenses "
                              "FROM Recipes"));
    while (query.next()) {
        if (Stored* s = entry(query.value(0))) {
            s->recipe.name = query.value(1).toString();
            s->recipe.photo = query.value(2);
            s->recipe.description = query.value(3).toString();
            s->recipe.rating = static_cast<uchar>(query.value(4).toInt());
            s->recipe.complexity = static_cast<uchar>(query.value(5).toInt());
            s->expenses = query.value(6).toDouble();
        }
    }
    query.exec(QStringLiteral("SELECT l.id_rec, i.name, l.quant, u.name FROM RecipeIngredients l "
                              "LEFT JOIN Ingredients i ON i.id = l.id_ing "
                              "LEFT JOIN Units u ON u.id = l.id_unit ORDER BY l.id"));
    while (query.next())
        if (Stored* s = entry(query.value(0)))
            s->recipe.ingredients.push_back(
                {name(query.value(1)), query.value(2).toDouble(), name(query.value(3))});
    query.exec(QStringLiteral("SELECT l.id_rec, t.name FROM RecipeTags l "
                              "LEFT JOIN Tags t ON t.id = l.id_tag ORDER BY l.id"));
    while (query.next())
        if (Stored* s = entry(query.value(0)))
            s->recipe.tags.push_back(name(query.value(1)));

    std::vector<Stored> ordered;
    for (int id : ids)
        ordered.push_back(stored[position.at(id)]);
    return ordered;
}

QJsonObject RecipeExporter::recipeObject(int id) const
{
    return _object(_read({id}).front());
}

QJsonObject RecipeExporter::_object(const Stored& stored) const
{
    const Recipe& recipe = stored.recipe;
    const double expenses = stored.expenses;
    QString description;
    QStringList steps;
    splitDescription(recipe.description, description, steps);

    QJsonObject object{{QStringLiteral("@context"), QStringLiteral("https://schema.org")},
                       {QStringLiteral("@type"), QStringLiteral("Recipe")},
                       {QStringLiteral("name"), recipe.name}};
    const QString photo = photoAddress(recipe.photo);
    if (!photo.isEmpty())
        object.insert(QStringLiteral("image"), photo);
    object.insert(QStringLiteral("description"), description);
    QJsonArray ingredients;
    for (const RecipeIngredient& line : recipe.ingredients)
        ingredients.append(ingredientText(line));
    object.insert(QStringLiteral("recipeIngredient"), ingredients);
    QJsonArray instructions;
    for (const QString& step : steps)
        instructions.append(QJsonObject{{QStringLiteral("@type"), QStringLiteral("HowToStep")},
                                        {QStringLiteral("text"), step}});
    object.insert(QStringLiteral("recipeInstructions"), instructions);
    object.insert(QStringLiteral("keywords"), keywords(recipe.tags));
    object.insert(QStringLiteral("aggregateRating"),
                  QJsonObject{{QStringLiteral("@type"), QStringLiteral("AggregateRating")},
                              {QStringLiteral("ratingValue"), int(recipe.rating)},
                              {QStringLiteral("bestRating"), 10},
                              {QStringLiteral("worstRating"), 0},
                              {QStringLiteral("ratingCount"), 1}});
    object.insert(QStringLiteral("estimatedCost"),
                  QJsonObject{{QStringLiteral("@type"), QStringLiteral("MonetaryAmount")},
                              {QStringLiteral("value"), expenses},
                              {QStringLiteral("currency"), _currency}});
    return object;
}

QByteArray RecipeExporter::jsonLd(const std::vector<int>& ids) const
{
    return _json(_read(ids));
}

QByteArray RecipeExporter::_json(const std::vector<Stored>& recipes) const
{
    QJsonArray list;
    for (const Stored& stored : recipes)
        list.append(_object(stored));
    return QJsonDocument(list).toJson(QJsonDocument::Indented);
}

QByteArray RecipeExporter::htmlPage(const std::vector<int>& ids) const
{
    const std::vector<Stored> recipes = _read(ids);
    // In a script, "<" is written as an escape, so no text can end the script early.
    const QByteArray json = _json(recipes).replace('<', "\\u003c").replace('>', "\\u003e");
    QString body;
    for (const Stored& stored : recipes)
        body += QStringLiteral("<article>") + EditableRecipeList::recipePageHtml(stored.recipe) +
                QStringLiteral("</article><hr style=\"clear: both;\" />\n");
    const QString title =
        recipes.size() == 1 ? recipes.front().recipe.name : translate(QStringLiteral("Recipes"));
    // Descriptions come from books of others too: opened in a browser, the
    // page runs no script and loads nothing but the pictures it holds.
    return QByteArray("<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\" />\n"
                      "<meta http-equiv=\"Content-Security-Policy\" content=\"default-src "
                      "'none'; img-src data:; style-src 'unsafe-inline'; form-action 'none'; "
                      "base-uri 'none'\" />\n<title>") +
           title.toHtmlEscaped().toUtf8() + "</title>\n<script type=\"application/ld+json\">\n" +
           json + "</script>\n</head><body>\n" + body.toUtf8() + "</body></html>\n";
}

bool RecipeExporter::write(const std::vector<int>& ids, const QString& fileName) const
{
    const bool page = fileName.endsWith(QLatin1String(".html"), Qt::CaseInsensitive) ||
                      fileName.endsWith(QLatin1String(".htm"), Qt::CaseInsensitive);
    const QByteArray content = page ? htmlPage(ids) : jsonLd(ids);
    QSaveFile file(fileName);
    return file.open(QIODevice::WriteOnly) && file.write(content) == content.size() &&
           file.commit();
}
