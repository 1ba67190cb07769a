#include "exchange/ingredientline.h"

#include <QRegularExpression>

#include <algorithm>
#include <vector>

namespace {

// One spelling of a unit with its plurals and abbreviations; the first is
// the name a new unit gets, so a book's own unit names come back as they were.
struct UnitNames
{
    const char* family;
    const char* names; // separated by '|'
};

const UnitNames Units[] = {
    {"g", "g|gr|grams"},
    {"g", "gram|grams|gramme|grammes"},
    {"g", "г|гр|грамм|грамма|граммов"},
    {"g", "Gramm"},
    {"kg", "kg|kilo|kilos"},
    {"kg", "kilogram|kilograms|kilogramme|kilogrammes|Kilogramm"},
    {"kg", "кг|килограмм|килограмма|килограммов"},
    {"mg", "mg|мг"},
    {"ml", "ml"},
    {"ml", "milliliter|milliliters|millilitre|millilitres|Milliliter"},
    {"ml", "мл|миллилитр|миллилитра|миллилитров"},
    {"cl", "cl"},
    {"dl", "dl"},
    {"l", "l"},
    {"l", "litre|litres"},
    {"l", "liter|liters|Liter"},
    {"l", "л|литр|литра|литров"},
    {"tsp", "tsp|tsps"},
    {"tsp", "teaspoon|teaspoons"},
    {"tsp", "ч. л.|ч.л.|чайная ложка|чайные ложки|чайной ложки|чайных ложек"},
    {"tsp", "c. à café|c.à café|c. à c.|c.à.c.|cuillère à café|cuillères à café"},
    {"tsp", "TL|Teelöffel"},
    {"tbsp", "tbsp|tbsps|tbs"},
    {"tbsp", "tablespoon|tablespoons"},
    {"tbsp", "ст. л.|ст.л.|столовая ложка|столовые ложки|столовой ложки|столовых ложек"},
    {"tbsp", "c. à soupe|c.à soupe|c. à s.|c.à.s.|cuillère à soupe|cuillères à soupe"},
    {"tbsp", "EL|Esslöffel"},
    {"cup", "cup|cups"},
    {"cup", "стакан|стакана|стаканов"},
    {"cup", "tasse|tasses"},
    {"cup", "Tasse|Tassen"},
    {"oz", "oz|ounce|ounces"},
    {"lb", "lb|lbs"},
    {"lb", "pound|pounds"},
    {"pinch", "pinch|pinches"},
    {"pinch", "щепотка|щепотки|щепоток"},
    {"pinch", "pincée|pincées"},
    {"pinch", "Prise|Prisen"},
    {"clove", "clove|cloves"},
    {"clove", "зубчик|зубчика|зубчиков"},
    {"clove", "gousse|gousses"},
    {"clove", "Zehe|Zehen"},
    {"pcs", "pcs.|pcs|pc.|pc"},
    {"pcs", "piece|pieces"},
    {"pcs", "шт.|шт"},
    {"pcs", "штука|штуки|штук"},
    {"pcs", "pièce|pièces"},
    {"pcs", "Stück"},
    {"pcs", "Stk.|St."},
    {"can", "can|cans"},
    {"can", "банка|банки|банок"},
    {"can", "boîte|boîtes"},
    {"can", "Dose|Dosen"},
    {"slice", "slice|slices"},
    {"slice", "ломтик|ломтика|ломтиков"},
    {"slice", "tranche|tranches"},
    {"slice", "Scheibe|Scheiben"},
    {"bunch", "bunch|bunches"},
    {"bunch", "пучок|пучка|пучков"},
    {"bunch", "botte|bottes"},
    {"bunch", "Bund|Bunde"},
    {"pack", "package|packages|pkg|pack|packs"},
    {"pack", "пакетик|пакетика|пакетиков"},
    {"pack", "упаковка|упаковки|упаковок"},
    {"pack", "sachet|sachets"},
    {"pack", "Päckchen"},
    {"pack", "Pck.|Pkg."},
    {"handful", "handful|handfuls"},
    {"handful", "горсть|горсти|горстей"},
    {"handful", "poignée|poignées"},
    {"handful", "Handvoll"},
    {"sprig", "sprig|sprigs"},
    {"sprig", "веточка|веточки|веточек"},
    {"sprig", "brin|brins"},
    {"sprig", "Zweig|Zweige"},
    {"stick", "stick|sticks"},
    {"Msp.", "Msp."},
};

struct Alias
{
    QString name; // lower case
    QString unit; // the name a new unit gets
    QString family;
};

// Every alias, longest first, so that "tbsp" is tried before "tbs".
const std::vector<Alias>& aliases()
{
    static const std::vector<Alias> all = [] {
        std::vector<Alias> list;
        for (const UnitNames& entry : Units) {
            const QStringList names = QString::fromUtf8(entry.names).split(QLatin1Char('|'));
            for (const QString& name : names)
                list.push_back({name.toLower(), names.first(), QString::fromLatin1(entry.family)});
        }
        std::stable_sort(list.begin(), list.end(), [](const Alias& a, const Alias& b) {
            return a.name.size() > b.name.size();
        });
        return list;
    }();
    return all;
}

const QString UnicodeFractions = QStringLiteral("½⅓⅔¼¾⅕⅖⅗⅘⅙⅚⅛⅜⅝⅞");
const double FractionValues[] = {1.0 / 2, 1.0 / 3, 2.0 / 3, 1.0 / 4, 3.0 / 4,
                                 1.0 / 5, 2.0 / 5, 3.0 / 5, 4.0 / 5, 1.0 / 6,
                                 5.0 / 6, 1.0 / 8, 3.0 / 8, 5.0 / 8, 7.0 / 8};

double decimal(const QString& text)
{
    return QString(text).replace(QLatin1Char(','), QLatin1Char('.')).toDouble();
}

// Reads a quantity at the start of text; the number of characters read, 0 for none.
int readQuantity(const QString& text, double& value)
{
    static const QRegularExpression number(
        QStringLiteral("^(?:(\\d+)\\s+(\\d+)\\s*/\\s*(\\d+)" // mixed: 1 1/2
                       "|(\\d+)\\s*/\\s*(\\d+)"              // fraction: 1/2
                       "|(\\d*)\\s*([%1])"                   // Unicode: 1½, ½
                       "|(\\d+(?:[.,]\\d+)?))")              // 2, 1.5, 1,5
            .arg(UnicodeFractions));
    const QRegularExpressionMatch m = number.match(text);
    if (!m.hasMatch())
        return 0;
    if (m.capturedLength(1) > 0) {
        const double denominator = m.captured(3).toDouble();
        value = m.captured(1).toDouble() +
                (denominator > 0 ? m.captured(2).toDouble() / denominator : 0);
    } else if (m.capturedLength(4) > 0) {
        const double denominator = m.captured(5).toDouble();
        value = denominator > 0 ? m.captured(4).toDouble() / denominator : 0;
    } else if (m.capturedLength(7) > 0) {
        value = m.captured(6).toDouble() + FractionValues[UnicodeFractions.indexOf(m.captured(7))];
    } else {
        value = decimal(m.captured(8));
    }
    return m.capturedLength();
}

// A range "2-3", "2 – 3", "2 to 3": the text after its first number.
int skipRangeEnd(const QString& text)
{
    static const QRegularExpression dash(
        QStringLiteral("^\\s*(?:-|–|—|to|à|до|bis)\\s*(?=[\\d%1])").arg(UnicodeFractions));
    const QRegularExpressionMatch m = dash.match(text);
    if (!m.hasMatch())
        return 0;
    double ignored = 0;
    return m.capturedLength() + readQuantity(text.mid(m.capturedLength()), ignored);
}

bool endsWord(const QString& text, int at)
{
    return at >= text.size() || !text.at(at).isLetterOrNumber();
}

// The unit at the start of text: its name for the book and the characters it takes.
int readUnit(const QString& text, const QStringList& bookUnits, QString& unit)
{
    const QString lower = text.toLower();
    int best = 0;
    for (const QString& name : bookUnits) {
        const QString key = name.toLower();
        if (key.size() > best && lower.startsWith(key) && endsWord(lower, key.size())) {
            best = key.size();
            unit = name;
        }
    }
    for (const Alias& alias : aliases()) {
        if (alias.name.size() <= best)
            break;
        if (lower.startsWith(alias.name) &&
            (alias.name.endsWith(QLatin1Char('.')) || endsWord(lower, alias.name.size()))) {
            best = alias.name.size();
            unit = alias.unit;
            break;
        }
    }
    if (best > 0 && best < text.size() && text.at(best) == QLatin1Char('.'))
        ++best; // "tbsp." as well as "tbsp"
    return best;
}

// Reads an amount ("1 1/2 (about 200 g) cups of") from the start of rest into the line.
void readAmount(QString& rest, const QStringList& bookUnits, IngredientLine& line)
{
    int read = readQuantity(rest, line.quantity);
    if (read > 0) {
        rest = rest.mid(read);
        rest = rest.mid(skipRangeEnd(rest)).trimmed();
        // "2 (8 oz) packages": the size in parentheses is a note.
        static const QRegularExpression size(QStringLiteral("^\\([^)]*\\)\\s*"));
        const QRegularExpressionMatch m = size.match(rest);
        if (m.hasMatch()) {
            line.note = m.captured().trimmed();
            rest = rest.mid(m.capturedLength());
        }
    } else {
        // "a pinch of salt": the article counts as one, before a unit only.
        static const QRegularExpression article(QStringLiteral("^(?:a|an|one)\\s+"),
                                                QRegularExpression::CaseInsensitiveOption);
        const QRegularExpressionMatch m = article.match(rest);
        QString unit;
        if (m.hasMatch() && readUnit(rest.mid(m.capturedLength()), bookUnits, unit) > 0) {
            line.quantity = 1;
            rest = rest.mid(m.capturedLength());
        }
    }
    read = readUnit(rest, bookUnits, line.unit);
    rest = rest.mid(read).trimmed();
    if (read > 0) {
        static const QRegularExpression of(QStringLiteral("^(?:of\\s+|de\\s+|d['’]\\s*)"),
                                           QRegularExpression::CaseInsensitiveOption);
        rest = rest.mid(of.match(rest).capturedLength()).trimmed();
    }
}

QString joined(const QString& first, const QString& second)
{
    return (first + QLatin1Char(' ') + second).trimmed();
}

} // namespace

IngredientLine IngredientLine::parse(const QString& text, const QStringList& bookUnits)
{
    IngredientLine line;
    line.text = text.simplified();
    QString rest = QString(line.text).replace(QChar(0x2044), QLatin1Char('/'));

    // "Мука — 200 г", "Flour: 200 g": the name first, its amount after a dash or a colon.
    static const QRegularExpression amountAfter(QStringLiteral("^(.+?)(?:\\s[-–—]|:)\\s+(.+)$"));
    const QRegularExpressionMatch after = amountAfter.match(rest);
    double probe = 0;
    QString leftOver;
    if (readQuantity(rest, probe) == 0 && after.hasMatch()) {
        leftOver = after.captured(2);
        readAmount(leftOver, bookUnits, line);
        rest = after.captured(1);
    } else {
        readAmount(rest, bookUnits, line);
    }

    // Notes after a comma or in parentheses are no part of the ingredient's name.
    static const QRegularExpression noteStart(QStringLiteral("[,;(]"));
    int cut = rest.indexOf(noteStart);
    if (cut == 0) {
        static const QRegularExpression leading(QStringLiteral("^\\([^)]*\\)\\s*"));
        const QRegularExpressionMatch m = leading.match(rest);
        if (m.hasMatch()) {
            line.note = joined(line.note, m.captured());
            rest = rest.mid(m.capturedLength());
            cut = rest.indexOf(noteStart);
        }
    }
    if (cut > 0) {
        const bool separator = rest.at(cut) != QLatin1Char('(');
        line.note = joined(line.note, rest.mid(cut + (separator ? 1 : 0)));
        rest = rest.left(cut);
    }
    static const QRegularExpression separators(QStringLiteral("^[,;\\s]+"));
    line.note = joined(line.note, leftOver.remove(separators));
    line.ingredient = rest.trimmed();
    if (line.ingredient.isEmpty() && !line.note.isEmpty()) {
        line.ingredient = line.note;
        line.note.clear();
    }
    return line;
}

QStringList IngredientLine::namesOfUnit(const QString& unit)
{
    const QString key = unit.toLower();
    QString family;
    for (const Alias& alias : aliases())
        if (alias.name == key)
            family = alias.family;
    QStringList names{unit};
    if (family.isEmpty())
        return names;
    for (const UnitNames& entry : Units)
        if (family == QLatin1String(entry.family))
            names << QString::fromUtf8(entry.names).split(QLatin1Char('|'));
    names.removeDuplicates();
    return names;
}

QStringList IngredientLine::pieceNames()
{
    return namesOfUnit(QStringLiteral("pcs."));
}
