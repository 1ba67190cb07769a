#pragma once

#include "exchange/webrecipe.h"

#include <QByteArray>
#include <QHash>
#include <QJsonObject>
#include <QJsonValue>
#include <QSet>
#include <QUrl>

#include <vector>

class HtmlTree;

// Finds the recipes of a web page or of a JSON-LD file, in the schema.org
// Recipe vocabulary: every application/ld+json script of a page (a block that
// is not valid JSON is skipped), objects found directly, in lists and in
// @graph, and references {"@id": ...} resolved to the page's node of that id;
// a page without such a recipe is read for its Microdata instead.
class RecipeReader
{
public:
    // The recipes of a page (HTML) or a JSON-LD text; relative addresses are
    // resolved against the page's address, which also becomes the source.
    static std::vector<WebRecipe> read(const QByteArray& content, const QUrl& address);

    // One Recipe object turned into a recipe.
    WebRecipe recipeOf(const QJsonObject& object) const;

private:
    explicit RecipeReader(const QUrl& address);

    void _collect(const QJsonValue& value, int depth);
    void _readMicrodata(const HtmlTree& tree, int node, int depth);
    QJsonValue _resolved(const QJsonValue& value) const;
    QString _text(const QJsonValue& value, int depth = 0) const;
    QStringList _texts(const QJsonValue& value, int depth = 0) const;
    void _addImages(const QJsonValue& value, QStringList& out, int depth) const;
    void _addSteps(const QJsonValue& value, std::vector<StepSection>& out, int depth) const;
    QString _address(const QString& text) const;

    QUrl _page;
    QHash<QString, QJsonObject> _nodes; // the page's nodes by @id
    std::vector<QJsonObject> _recipes;
    QSet<QString> _recipeIds;
    QSet<QByteArray> _recipeTexts;
};
