#include "texttable.h"

#include <QFile>
#include <QSaveFile>

namespace {

const QChar Tab = QLatin1Char('\t');
const QChar LineBreak = QLatin1Char('\n');

} // namespace

const QStringList& TextTable::languageCodes()
{
    static const QStringList codes = {QStringLiteral("en"), QStringLiteral("ru"),
                                      QStringLiteral("fr"), QStringLiteral("de")};
    return codes;
}

int TextTable::column(const QString& code)
{
    return languageCodes().indexOf(code);
}

QString TextTable::unescape(const QString& cell)
{
    QString text = cell;
    return text.replace(QLatin1String("\\n"), QString(LineBreak));
}

bool TextTable::escape(const QString& text, QString& cell)
{
    if (text.contains(QLatin1Char('^')))
        return false; // it ends a record of the language files
    cell = text;
    cell.replace(QLatin1String("\r\n"), QString(LineBreak));
    cell.replace(QLatin1Char('\r'), LineBreak);
    cell.replace(Tab, QLatin1Char(' '));
    cell.replace(LineBreak, QLatin1String("\\n"));
    return true;
}

bool TextTable::load(const QString& fileName)
{
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    _fileName = fileName;
    QString content = QString::fromUtf8(file.readAll());
    _endsWithLineBreak = content.isEmpty() || content.endsWith(LineBreak);
    if (content.endsWith(LineBreak))
        content.chop(1);
    _lines = content.isEmpty() ? QStringList() : content.split(LineBreak);
    return true;
}

bool TextTable::save() const
{
    QSaveFile file(_fileName);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    QString content = _lines.join(LineBreak);
    if (_endsWithLineBreak && !_lines.isEmpty())
        content += LineBreak;
    file.write(content.toUtf8());
    return file.commit();
}

void TextTable::setEnglishTexts(const QStringList& texts)
{
    _fileName.clear();
    _lines.clear();
    for (const QString& text : texts) {
        QString cell;
        if (escape(text, cell) && !cell.isEmpty())
            _lines << cell + QString(languageCodes().size() - 1, Tab);
    }
}

QString TextTable::fileName() const
{
    return _fileName;
}

const QStringList& TextTable::lines() const
{
    return _lines;
}

bool TextTable::isTextLine(int line) const
{
    const QString& text = _lines.at(line);
    return !text.trimmed().isEmpty() && !text.startsWith(QLatin1Char('#'));
}

QStringList TextTable::cells(int line) const
{
    QString text = _lines.at(line);
    if (text.endsWith(QLatin1Char('\r')))
        text.chop(1);
    return text.split(Tab);
}

std::vector<TextTable::Gap> TextTable::gaps(int column) const
{
    std::vector<Gap> found;
    for (int line = 0; line < _lines.size(); ++line) {
        if (!isTextLine(line))
            continue;
        const QStringList row = cells(line);
        // A line with too many cells is left to a person: which one is which?
        if (row.size() > languageCodes().size() || row.first().isEmpty())
            continue;
        if (column >= row.size() || row.at(column).isEmpty())
            found.push_back({line, unescape(row.first())});
    }
    return found;
}

bool TextTable::setCell(int line, int column, const QString& cell)
{
    if (line < 0 || line >= _lines.size() || !isTextLine(line) || column < 0
        || column >= languageCodes().size())
        return false;
    QStringList row = cells(line);
    if (row.size() > languageCodes().size())
        return false;
    while (row.size() < languageCodes().size())
        row << QString();
    row[column] = cell;
    const bool carriageReturn = _lines.at(line).endsWith(QLatin1Char('\r'));
    _lines[line] = row.join(Tab) + (carriageReturn ? QStringLiteral("\r") : QString());
    return true;
}
