#pragma once

#include <QString>
#include <QStringList>

#include <vector>

// One table of the program's texts (languages/texts/*.tsv): a line per text
// holding English, Russian, French and German separated by tabs, "\n" for a
// line break, and comment lines starting with "#". Only the cells that are
// set change: every other byte of the file is written back as it was read.
class TextTable
{
public:
    // A text line whose cell of one language is empty or missing.
    struct Gap
    {
        int line;        // index into lines()
        QString english; // the English text, line breaks restored
    };

    static const QStringList& languageCodes();
    // The column of a language code, -1 for an unknown code.
    static int column(const QString& code);

    // The cell's text with real line breaks, and back.
    static QString unescape(const QString& cell);
    // Fails (returns false) for a text that a table cannot hold: one with "^".
    static bool escape(const QString& text, QString& cell);

    bool load(const QString& fileName);
    bool save() const;
    // A table of new lines, one for each English text, other cells empty.
    void setEnglishTexts(const QStringList& texts);

    QString fileName() const;
    const QStringList& lines() const;
    bool isTextLine(int line) const;
    QStringList cells(int line) const;

    // Text lines whose cell in the column is missing, in file order.
    std::vector<Gap> gaps(int column) const;
    // Sets one cell of a text line; missing cells are added empty.
    bool setCell(int line, int column, const QString& cell);

private:
    QString _fileName;
    QStringList _lines;
    bool _endsWithLineBreak = true;
};
