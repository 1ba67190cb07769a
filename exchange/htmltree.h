#pragma once

#include <QHash>
#include <QString>

#include <vector>

// One element or text of a parsed page.
struct HtmlNode
{
    QString tag;                        // lower case; empty for a text
    QHash<QString, QString> attributes; // names in lower case, values decoded
    QString text;                       // a text's characters (a script's as written)
    std::vector<int> children;          // indexes into HtmlTree::nodes
};

// A forgiving reader of HTML into a tree, enough to find a page's scripts and
// its Microdata. Badly nested or unclosed tags never fail: an end tag closes
// the nearest open element of its name, and nesting deeper than a fixed
// limit is flattened, so a hostile page cannot exhaust the stack.
class HtmlTree
{
public:
    explicit HtmlTree(const QString& html);

    // The text below a node, blanks collapsed, one line a paragraph, list item
    // or line break; scripts and styles left out.
    QString textOf(int node) const;
    // Replaces character references (&amp;, &#39;, &#x2F; ...) by their characters.
    static QString decodeEntities(const QString& text);

    std::vector<HtmlNode> nodes; // nodes[0] is the document itself

private:
    int _add(int parent, HtmlNode node);
    int _parseTag(const QString& html, int start, std::vector<int>& open);
    void _collectText(int node, QString& out, int depth) const;
};
