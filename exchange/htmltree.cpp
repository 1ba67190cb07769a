#include "exchange/htmltree.h"

#include <QSet>

namespace {

// Deeper elements are added to the element at this depth.
const int MaxDepth = 200;

const QSet<QString>& voidElements()
{
    static const QSet<QString> names = {
        QStringLiteral("area"), QStringLiteral("base"),   QStringLiteral("br"),
        QStringLiteral("col"),  QStringLiteral("embed"),  QStringLiteral("hr"),
        QStringLiteral("img"),  QStringLiteral("input"),  QStringLiteral("link"),
        QStringLiteral("meta"), QStringLiteral("source"), QStringLiteral("track"),
        QStringLiteral("wbr")};
    return names;
}

// Elements whose content is text up to their own end tag.
bool isRawText(const QString& tag)
{
    return tag == QLatin1String("script") || tag == QLatin1String("style") ||
           tag == QLatin1String("textarea") || tag == QLatin1String("title");
}

bool isNameChar(QChar c)
{
    return c.isLetterOrNumber() || c == QLatin1Char('-') || c == QLatin1Char('_') ||
           c == QLatin1Char(':');
}

int skipBlanks(const QString& html, int i)
{
    while (i < html.size() && html.at(i).isSpace())
        ++i;
    return i;
}

QString entity(const QString& name)
{
    static const QHash<QString, QString> named = {{QStringLiteral("amp"), QStringLiteral("&")},
                                                  {QStringLiteral("lt"), QStringLiteral("<")},
                                                  {QStringLiteral("gt"), QStringLiteral(">")},
                                                  {QStringLiteral("quot"), QStringLiteral("\"")},
                                                  {QStringLiteral("apos"), QStringLiteral("'")},
                                                  {QStringLiteral("nbsp"), QStringLiteral(" ")},
                                                  {QStringLiteral("frac12"), QStringLiteral("½")},
                                                  {QStringLiteral("frac14"), QStringLiteral("¼")},
                                                  {QStringLiteral("frac34"), QStringLiteral("¾")},
                                                  {QStringLiteral("deg"), QStringLiteral("°")},
                                                  {QStringLiteral("ndash"), QStringLiteral("–")},
                                                  {QStringLiteral("mdash"), QStringLiteral("—")},
                                                  {QStringLiteral("hellip"), QStringLiteral("…")},
                                                  {QStringLiteral("rsquo"), QStringLiteral("’")},
                                                  {QStringLiteral("eacute"), QStringLiteral("é")},
                                                  {QStringLiteral("egrave"), QStringLiteral("è")},
                                                  {QStringLiteral("agrave"), QStringLiteral("à")},
                                                  {QStringLiteral("uuml"), QStringLiteral("ü")},
                                                  {QStringLiteral("ouml"), QStringLiteral("ö")},
                                                  {QStringLiteral("auml"), QStringLiteral("ä")},
                                                  {QStringLiteral("szlig"), QStringLiteral("ß")}};
    if (name.startsWith(QLatin1Char('#'))) {
        bool ok = false;
        const uint code =
            name.size() > 1 && (name.at(1) == QLatin1Char('x') || name.at(1) == QLatin1Char('X'))
                ? name.mid(2).toUInt(&ok, 16)
                : name.mid(1).toUInt(&ok, 10);
        if (!ok || code == 0 || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
            return QString();
        return QString::fromUcs4(&code, 1);
    }
    return named.value(name);
}

} // namespace

QString HtmlTree::decodeEntities(const QString& text)
{
    if (!text.contains(QLatin1Char('&')))
        return text;
    QString out;
    out.reserve(text.size());
    int i = 0;
    while (i < text.size()) {
        const int amp = text.indexOf(QLatin1Char('&'), i);
        if (amp < 0) {
            out += text.midRef(i);
            break;
        }
        out += text.midRef(i, amp - i);
        const int semicolon = text.indexOf(QLatin1Char(';'), amp);
        const QString replacement = semicolon > amp + 1 && semicolon - amp <= 10
                                        ? entity(text.mid(amp + 1, semicolon - amp - 1))
                                        : QString();
        if (replacement.isEmpty()) {
            out += QLatin1Char('&');
            i = amp + 1;
        } else {
            out += replacement;
            i = semicolon + 1;
        }
    }
    return out;
}

HtmlTree::HtmlTree(const QString& html)
{
    HtmlNode document;
    document.tag = QStringLiteral("#document");
    nodes.push_back(document);
    std::vector<int> open{0};
    int i = 0;
    while (i < html.size()) {
        const int lt = html.indexOf(QLatin1Char('<'), i);
        const int textEnd = lt < 0 ? html.size() : lt;
        if (textEnd > i) {
            HtmlNode text;
            text.text = decodeEntities(html.mid(i, textEnd - i));
            _add(open.back(), text);
        }
        if (lt < 0)
            break;
        i = _parseTag(html, lt, open);
    }
}

int HtmlTree::_add(int parent, HtmlNode node)
{
    nodes.push_back(std::move(node));
    const int index = static_cast<int>(nodes.size()) - 1;
    nodes[static_cast<size_t>(parent)].children.push_back(index);
    return index;
}

// Reads the markup that starts at '<'; returns where reading goes on.
int HtmlTree::_parseTag(const QString& html, int start, std::vector<int>& open)
{
    const int size = html.size();
    if (html.midRef(start, 4) == QLatin1String("<!--")) {
        const int end = html.indexOf(QStringLiteral("-->"), start + 4);
        return end < 0 ? size : end + 3;
    }
    const QChar next = start + 1 < size ? html.at(start + 1) : QChar();
    if (next == QLatin1Char('!') || next == QLatin1Char('?')) {
        const int end = html.indexOf(QLatin1Char('>'), start);
        return end < 0 ? size : end + 1;
    }
    const bool closing = next == QLatin1Char('/');
    int i = start + (closing ? 2 : 1);
    const int nameStart = i;
    while (i < size && isNameChar(html.at(i)))
        ++i;
    if (i == nameStart || !html.at(nameStart).isLetter()) {
        HtmlNode text;
        text.text = QStringLiteral("<");
        _add(open.back(), text);
        return start + 1;
    }
    HtmlNode element;
    element.tag = html.mid(nameStart, i - nameStart).toLower();
    bool selfClosing = false;
    while (true) {
        i = skipBlanks(html, i);
        if (i >= size)
            return size;
        const QChar c = html.at(i);
        if (c == QLatin1Char('>')) {
            ++i;
            break;
        }
        if (c == QLatin1Char('/')) {
            selfClosing = true;
            ++i;
            continue;
        }
        const int attributeStart = i;
        while (i < size && !html.at(i).isSpace() && html.at(i) != QLatin1Char('=') &&
               html.at(i) != QLatin1Char('>') && html.at(i) != QLatin1Char('/'))
            ++i;
        if (i == attributeStart) {
            ++i; // a stray character
            continue;
        }
        const QString name = html.mid(attributeStart, i - attributeStart).toLower();
        QString value;
        i = skipBlanks(html, i);
        if (i < size && html.at(i) == QLatin1Char('=')) {
            i = skipBlanks(html, i + 1);
            if (i < size && (html.at(i) == QLatin1Char('"') || html.at(i) == QLatin1Char('\''))) {
                const int end = html.indexOf(html.at(i), i + 1);
                const int valueEnd = end < 0 ? size : end;
                value = html.mid(i + 1, valueEnd - i - 1);
                i = valueEnd + 1;
            } else {
                const int valueStart = i;
                while (i < size && !html.at(i).isSpace() && html.at(i) != QLatin1Char('>'))
                    ++i;
                value = html.mid(valueStart, i - valueStart);
            }
        }
        if (!element.attributes.contains(name))
            element.attributes.insert(name, decodeEntities(value));
    }
    if (closing) {
        for (size_t depth = open.size() - 1; depth > 0; --depth) {
            if (nodes[static_cast<size_t>(open[depth])].tag == element.tag) {
                open.resize(depth);
                break;
            }
        }
        return i;
    }
    const QString tag = element.tag;
    const int index = _add(open.back(), std::move(element));
    if (isRawText(tag)) {
        const int end = html.indexOf(QStringLiteral("</") + tag, i, Qt::CaseInsensitive);
        const int contentEnd = end < 0 ? size : end;
        HtmlNode content;
        content.text = html.mid(i, contentEnd - i);
        if (tag != QLatin1String("script") && tag != QLatin1String("style"))
            content.text = decodeEntities(content.text);
        _add(index, content);
        if (end < 0)
            return size;
        const int close = html.indexOf(QLatin1Char('>'), end);
        return close < 0 ? size : close + 1;
    }
    if (!selfClosing && !voidElements().contains(tag) && static_cast<int>(open.size()) < MaxDepth)
        open.push_back(index);
    return i;
}

QString HtmlTree::textOf(int node) const
{
    QString out;
    _collectText(node, out, 0);
    QStringList lines;
    for (const QString& line : out.split(QLatin1Char('\n'))) {
        const QString text = line.simplified();
        if (!text.isEmpty())
            lines << text;
    }
    return lines.join(QLatin1Char('\n'));
}

void HtmlTree::_collectText(int node, QString& out, int depth) const
{
    const HtmlNode& n = nodes[static_cast<size_t>(node)];
    if (n.tag.isEmpty()) {
        out += n.text;
        return;
    }
    if (n.tag == QLatin1String("script") || n.tag == QLatin1String("style") || depth > MaxDepth)
        return;
    for (int child : n.children)
        _collectText(child, out, depth + 1);
    if (n.tag == QLatin1String("br") || n.tag == QLatin1String("p") ||
        n.tag == QLatin1String("li") || n.tag == QLatin1String("div"))
        out += QLatin1Char('\n');
}
