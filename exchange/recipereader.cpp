#include "exchange/recipereader.h"

#include "exchange/htmltree.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QRegularExpression>
#include <QTextCodec>

namespace {

// Nesting beyond this is not followed: no recipe site nests that deep, and a
// hostile file must not exhaust the stack.
const int MaxNesting = 64;

QString typeName(const QString& type)
{
    return type.section(QLatin1Char('/'), -1).section(QLatin1Char(':'), -1);
}

bool hasType(const QJsonObject& object, const QString& wanted)
{
    const QJsonValue type = object.value(QStringLiteral("@type"));
    if (type.isString())
        return typeName(type.toString()) == wanted;
    for (const QJsonValue& entry : type.toArray())
        if (typeName(entry.toString()) == wanted)
            return true;
    return false;
}

bool isRecipe(const QJsonObject& object)
{
    return hasType(object, QStringLiteral("Recipe"));
}

double numberOf(const QJsonValue& value, double fallback)
{
    if (value.isDouble())
        return value.toDouble();
    const QRegularExpressionMatch number =
        QRegularExpression(QStringLiteral("\\d+(?:[.,]\\d+)?")).match(value.toString());
    if (!number.hasMatch())
        return fallback;
    bool ok = false;
    const double result =
        number.captured().replace(QLatin1Char(','), QLatin1Char('.')).toDouble(&ok);
    return ok ? result : fallback;
}

// Microdata: the value of one itemprop element.
QString propertyValue(const HtmlTree& tree, int node)
{
    const HtmlNode& n = tree.nodes[static_cast<size_t>(node)];
    const auto attribute = [&n](const char* name) {
        return n.attributes.value(QLatin1String(name));
    };
    if (n.attributes.contains(QStringLiteral("content")))
        return attribute("content");
    if (n.tag == QLatin1String("a") || n.tag == QLatin1String("link") ||
        n.tag == QLatin1String("area"))
        return attribute("href");
    if (n.tag == QLatin1String("img") || n.tag == QLatin1String("source") ||
        n.tag == QLatin1String("video") || n.tag == QLatin1String("audio"))
        return attribute("src");
    if (n.tag == QLatin1String("time") && n.attributes.contains(QStringLiteral("datetime")))
        return attribute("datetime");
    if ((n.tag == QLatin1String("data") || n.tag == QLatin1String("meter")) &&
        n.attributes.contains(QStringLiteral("value")))
        return attribute("value");
    return tree.textOf(node);
}

void addProperty(QJsonObject& item, const QString& name, const QJsonValue& value)
{
    if (!item.contains(name)) {
        item.insert(name, value);
        return;
    }
    QJsonValue existing = item.value(name);
    QJsonArray values = existing.isArray() ? existing.toArray() : QJsonArray{existing};
    values.append(value);
    item.insert(name, values);
}

QJsonObject readItem(const HtmlTree& tree, int node, int depth);

// Adds the properties found below a node to the item, not entering other items.
void readProperties(const HtmlTree& tree, int node, QJsonObject& item, int depth)
{
    if (depth > MaxNesting)
        return;
    for (int child : tree.nodes[static_cast<size_t>(node)].children) {
        const HtmlNode& c = tree.nodes[static_cast<size_t>(child)];
        const bool scope = c.attributes.contains(QStringLiteral("itemscope"));
        const QString names = c.attributes.value(QStringLiteral("itemprop"));
        if (!names.isEmpty()) {
            const QJsonValue value = scope ? QJsonValue(readItem(tree, child, depth + 1))
                                           : QJsonValue(propertyValue(tree, child));
            for (const QString& name : names.split(QLatin1Char(' '), Qt::SkipEmptyParts))
                addProperty(item, name, value);
        }
        if (!scope)
            readProperties(tree, child, item, depth + 1);
    }
}

QJsonObject readItem(const HtmlTree& tree, int node, int depth)
{
    QJsonObject item;
    const HtmlNode& n = tree.nodes[static_cast<size_t>(node)];
    const QStringList types =
        n.attributes.value(QStringLiteral("itemtype")).split(QLatin1Char(' '), Qt::SkipEmptyParts);
    if (!types.isEmpty())
        item.insert(QStringLiteral("@type"), typeName(types.first()));
    if (n.attributes.contains(QStringLiteral("itemid")))
        item.insert(QStringLiteral("@id"), n.attributes.value(QStringLiteral("itemid")));
    readProperties(tree, node, item, depth);
    return item;
}

bool isMicrodataRecipe(const HtmlNode& node)
{
    if (!node.attributes.contains(QStringLiteral("itemscope")))
        return false;
    for (const QString& type : node.attributes.value(QStringLiteral("itemtype"))
                                   .split(QLatin1Char(' '), Qt::SkipEmptyParts))
        if (typeName(type) == QLatin1String("Recipe"))
            return true;
    return false;
}

QString pageText(const QByteArray& content)
{
    QTextCodec* codec = QTextCodec::codecForHtml(content, QTextCodec::codecForName("UTF-8"));
    return codec->toUnicode(content);
}

// Adds the texts of a list or of one text with commas, without repeating one.
void addTags(const QStringList& texts, QStringList& tags)
{
    for (const QString& text : texts) {
        for (const QString& part : text.split(QLatin1Char(','), Qt::SkipEmptyParts)) {
            const QString tag = part.simplified();
            if (tag.isEmpty())
                continue;
            bool known = false;
            for (const QString& existing : tags)
                known = known || existing.compare(tag, Qt::CaseInsensitive) == 0;
            if (!known)
                tags << tag;
        }
    }
}

} // namespace

RecipeReader::RecipeReader(const QUrl& address) : _page(address) {}

std::vector<WebRecipe> RecipeReader::read(const QByteArray& content, const QUrl& address)
{
    RecipeReader reader(address);
    QByteArray trimmed = content.trimmed();
    if (trimmed.startsWith("\xEF\xBB\xBF"))
        trimmed = trimmed.mid(3).trimmed(); // a byte order mark
    if (trimmed.startsWith('{') || trimmed.startsWith('[')) {
        QJsonParseError error;
        const QJsonDocument document = QJsonDocument::fromJson(trimmed, &error);
        if (error.error == QJsonParseError::NoError)
            reader._collect(document.isArray() ? QJsonValue(document.array())
                                               : QJsonValue(document.object()),
                            0);
    } else {
        const HtmlTree tree(pageText(content));
        for (const HtmlNode& node : tree.nodes) {
            if (node.tag != QLatin1String("script") || node.children.empty() ||
                !node.attributes.value(QStringLiteral("type"))
                     .contains(QStringLiteral("ld+json"), Qt::CaseInsensitive))
                continue;
            const QString json = tree.nodes[static_cast<size_t>(node.children.front())].text;
            QJsonParseError error;
            const QJsonDocument document = QJsonDocument::fromJson(json.toUtf8(), &error);
            if (error.error != QJsonParseError::NoError)
                continue; // a broken block does not spoil the others
            reader._collect(document.isArray() ? QJsonValue(document.array())
                                               : QJsonValue(document.object()),
                            0);
        }
        if (reader._recipes.empty())
            reader._readMicrodata(tree, 0, 0);
    }
    std::vector<WebRecipe> recipes;
    for (const QJsonObject& object : reader._recipes)
        recipes.push_back(reader.recipeOf(object));
    return recipes;
}

void RecipeReader::_collect(const QJsonValue& value, int depth)
{
    if (depth > MaxNesting)
        return;
    if (value.isArray()) {
        for (const QJsonValue& entry : value.toArray())
            _collect(entry, depth + 1);
        return;
    }
    if (!value.isObject())
        return;
    const QJsonObject object = value.toObject();
    const QString id = object.value(QStringLiteral("@id")).toString();
    if (!id.isEmpty() && object.size() > 1 && !_nodes.contains(id))
        _nodes.insert(id, object);
    if (isRecipe(object)) {
        // The same recipe given twice (by id, or word for word) comes in once.
        const QByteArray text = QJsonDocument(object).toJson(QJsonDocument::Compact);
        if ((!id.isEmpty() && _recipeIds.contains(id)) || _recipeTexts.contains(text))
            return;
        _recipeIds.insert(id);
        _recipeTexts.insert(text);
        _recipes.push_back(object);
    }
    for (auto it = object.begin(); it != object.end(); ++it)
        _collect(it.value(), depth + 1);
}

void RecipeReader::_readMicrodata(const HtmlTree& tree, int node, int depth)
{
    if (depth > MaxNesting * 4)
        return;
    const HtmlNode& n = tree.nodes[static_cast<size_t>(node)];
    if (isMicrodataRecipe(n)) {
        _recipes.push_back(readItem(tree, node, 0));
        return;
    }
    for (int child : n.children)
        _readMicrodata(tree, child, depth + 1);
}

// A reference {"@id": ...} stands for the page's node with that id.
QJsonValue RecipeReader::_resolved(const QJsonValue& value) const
{
    if (!value.isObject())
        return value;
    const QJsonObject object = value.toObject();
    const QString id = object.value(QStringLiteral("@id")).toString();
    if (object.size() == 1 && _nodes.contains(id))
        return _nodes.value(id);
    return value;
}

QString RecipeReader::_text(const QJsonValue& raw, int depth) const
{
    const QJsonValue value = _resolved(raw);
    if (value.isString())
        return HtmlTree::decodeEntities(value.toString()).trimmed();
    if (value.isDouble())
        return QString::number(value.toDouble(), 'g', 12);
    if (depth > MaxNesting)
        return QString();
    if (value.isArray()) {
        for (const QJsonValue& entry : value.toArray()) {
            const QString text = _text(entry, depth + 1);
            if (!text.isEmpty())
                return text;
        }
        return QString();
    }
    const QJsonObject object = value.toObject();
    for (const char* key : {"@value", "text", "name"})
        if (object.contains(QLatin1String(key)))
            return _text(object.value(QLatin1String(key)), depth + 1);
    return QString();
}

QStringList RecipeReader::_texts(const QJsonValue& raw, int depth) const
{
    const QJsonValue value = _resolved(raw);
    QStringList texts;
    if (!value.isArray()) {
        const QString text = _text(value, depth);
        if (!text.isEmpty())
            texts << text;
        return texts;
    }
    if (depth > MaxNesting)
        return texts;
    for (const QJsonValue& entry : value.toArray())
        texts << _texts(entry, depth + 1);
    return texts;
}

QString RecipeReader::_address(const QString& text) const
{
    const QString trimmed = text.trimmed();
    if (trimmed.startsWith(QLatin1String("data:"), Qt::CaseInsensitive))
        return trimmed;
    return _page.resolved(QUrl(trimmed)).toString();
}

void RecipeReader::_addImages(const QJsonValue& raw, QStringList& out, int depth) const
{
    if (depth > MaxNesting)
        return;
    const QJsonValue value = _resolved(raw);
    if (value.isString() && !value.toString().trimmed().isEmpty()) {
        out << _address(value.toString());
    } else if (value.isArray()) {
        for (const QJsonValue& entry : value.toArray())
            _addImages(entry, out, depth + 1);
    } else if (value.isObject()) {
        const QJsonObject object = value.toObject();
        _addImages(object.contains(QStringLiteral("url"))
                       ? object.value(QStringLiteral("url"))
                       : object.value(QStringLiteral("contentUrl")),
                   out, depth + 1);
    }
}

void RecipeReader::_addSteps(const QJsonValue& raw, std::vector<StepSection>& out, int depth) const
{
    if (depth > MaxNesting)
        return;
    const QJsonValue value = _resolved(raw);
    const auto addStep = [&out](const QString& step) {
        if (step.isEmpty())
            return;
        if (out.empty())
            out.push_back(StepSection());
        out.back().steps << step;
    };
    if (value.isString()) {
        for (const QString& line :
             HtmlTree::decodeEntities(value.toString()).split(QLatin1Char('\n')))
            addStep(line.simplified());
    } else if (value.isArray()) {
        for (const QJsonValue& entry : value.toArray())
            _addSteps(entry, out, depth + 1);
    } else if (value.isObject()) {
        const QJsonObject object = value.toObject();
        const QJsonValue items = object.value(QStringLiteral("itemListElement"));
        if (hasType(object, QStringLiteral("HowToSection"))) {
            out.push_back({_text(object.value(QStringLiteral("name"))), {}});
            _addSteps(items, out, depth + 1);
            if (out.back().steps.isEmpty() && out.back().name.isEmpty())
                out.pop_back();
        } else if (!items.isUndefined()) {
            _addSteps(items, out, depth + 1);
        } else {
            const QString text = _text(object.value(QStringLiteral("text")));
            addStep(text.isEmpty() ? _text(object.value(QStringLiteral("name"))) : text);
        }
    }
}

WebRecipe RecipeReader::recipeOf(const QJsonObject& object) const
{
    const auto field = [&object](const char* key) { return object.value(QLatin1String(key)); };
    WebRecipe recipe;
    recipe.name = _text(field("name")).simplified();
    recipe.description = _text(field("description"));
    _addImages(field("image"), recipe.images, 0);
    recipe.images.removeDuplicates();
    _addSteps(field("recipeInstructions"), recipe.instructions, 0);
    // Sites give the yield as "4" and "4 servings" together: the fuller one says more.
    for (const QString& yield : _texts(field("recipeYield")))
        if (yield.size() > recipe.yield.size())
            recipe.yield = yield;
    recipe.prepTime = _text(field("prepTime"));
    recipe.cookTime = _text(field("cookTime"));
    recipe.totalTime = _text(field("totalTime"));
    for (const QString& line :
         _texts(object.contains(QStringLiteral("recipeIngredient")) ? field("recipeIngredient")
                                                                    : field("ingredients")))
        if (!line.simplified().isEmpty())
            recipe.ingredients << line.simplified();
    addTags(_texts(field("recipeCategory")), recipe.tags);
    addTags(_texts(field("recipeCuisine")), recipe.tags);
    addTags(_texts(field("keywords")), recipe.tags);

    const QJsonObject rating = _resolved(field("aggregateRating")).toObject();
    if (rating.contains(QStringLiteral("ratingValue"))) {
        recipe.rating = numberOf(_resolved(rating.value(QStringLiteral("ratingValue"))), -1);
        recipe.bestRating = numberOf(_resolved(rating.value(QStringLiteral("bestRating"))), 5);
    }
    const QJsonValue cost = _resolved(field("estimatedCost"));
    if (cost.isObject()) {
        recipe.cost = numberOf(cost.toObject().value(QStringLiteral("value")), -1);
        recipe.currency = _text(cost.toObject().value(QStringLiteral("currency")));
    } else if (!cost.isUndefined() && !cost.isNull()) {
        recipe.cost = numberOf(cost, -1);
        recipe.currency =
            QRegularExpression(QStringLiteral("[A-Z]{3}")).match(cost.toString()).captured();
    }
    const QString url = _text(field("url"));
    const QUrl own = url.isEmpty() ? QUrl() : _page.resolved(QUrl(url));
    recipe.source =
        (own.scheme() == QLatin1String("http") || own.scheme() == QLatin1String("https"))
            ? own.toString()
            : _page.toString();
    return recipe;
}
