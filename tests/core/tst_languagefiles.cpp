// Keeps the language files complete: every text the code translates has a
// record, the four files are parallel, valid UTF-8 and built from the text
// tables, and the book's own texts are translated in every language.
#include "data/document.h"
#include "lang/langmodel.h"
#include "support/testsupport.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QRegularExpression>
#include <QtTest>

#include <algorithm>
#include <set>

namespace {

const QString SourceDir = QStringLiteral(CULINOR_SOURCE_DIR);
const QStringList Codes = {"en", "ru", "fr", "de"};
const QChar RecordEnd = QLatin1Char('^');

QByteArray readFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QString languageFile(const QString& code)
{
    return SourceDir + "/languages/_lanraw_" + code + ".bpl";
}

// The text of a C++ string literal's inside: escapes replaced by what they stand for.
QString unescape(const QString& literal)
{
    QString text;
    for (int i = 0; i < literal.size(); ++i) {
        const bool escaped = literal.at(i) == '\\' && i + 1 < literal.size();
        const QChar c = literal.at(escaped ? ++i : i);
        text += !escaped ? c : c == 'n' ? QChar('\n') : c == 't' ? QChar('\t') : c;
    }
    return text;
}

// A C++ string literal; the inside is the first capture of LiteralInside.
const QString Literal = QStringLiteral("\"(?:[^\"\\\\\\n]|\\\\.)*\"");
const QString LiteralInside = QStringLiteral("\"((?:[^\"\\\\\\n]|\\\\.)*)\"");

// The literal texts passed to translate() or a class's own _translate(),
// plainly or through QStringLiteral and its kin; adjacent literals are joined
// as the compiler joins them. Comments and other literals are matched first so
// that nothing inside them counts.
QStringList translatedLiterals(const QString& code)
{
    static const QRegularExpression token(
        "/{2}[^\\n]*|/\\*.*?\\*/|'(?:[^'\\\\\\n]|\\\\.)*'|" + Literal
            + "|(?<![A-Za-z0-9])_?translate\\(\\s*"
              "(?:(?:QStringLiteral|QLatin1String|QString::fromUtf8|QString)\\(\\s*)?"
              "((?:" + Literal + "\\s*)+)",
        QRegularExpression::DotMatchesEverythingOption);
    static const QRegularExpression piece(LiteralInside);
    QStringList texts;
    auto tokens = token.globalMatch(code);
    while (tokens.hasNext()) {
        const QString call = tokens.next().captured(1);
        if (call.isEmpty())
            continue;
        QString text;
        auto pieces = piece.globalMatch(call);
        while (pieces.hasNext())
            text += unescape(pieces.next().captured(1));
        texts << text;
    }
    return texts;
}

// The text tables: one row per English text with its translations, as the
// generator reads them (name order, first row of a repeated English text).
std::vector<QStringList> readTextTables(QStringList& problems)
{
    std::vector<QStringList> rows;
    QDir dir(SourceDir + "/languages/texts");
    QStringList names = dir.entryList({"*.tsv"}, QDir::Files);
    std::sort(names.begin(), names.end());
    std::set<QString> seen;
    for (const QString& name : names) {
        const QStringList lines = QString::fromUtf8(readFile(dir.filePath(name))).split('\n');
        for (int number = 1; number <= lines.size(); ++number) {
            QString line = lines.at(number - 1);
            if (line.endsWith('\r'))
                line.chop(1);
            if (line.trimmed().isEmpty() || line.startsWith('#'))
                continue;
            QStringList cells = line.split('\t');
            for (QString& cell : cells)
                cell.replace("\\n", "\n");
            const QString where = name + ':' + QString::number(number);
            if (cells.size() != Codes.size() || cells.contains(QString()))
                problems << where + ": not four non-empty texts";
            else if (line.contains(RecordEnd))
                problems << where + ": a text holds '^'";
            else if (seen.insert(cells.first()).second)
                rows.push_back(cells);
        }
    }
    return rows;
}

QString listed(const QStringList& texts)
{
    return "\n  " + texts.join("\n  ");
}

} // namespace

class TestLanguageFiles : public QObject
{
    Q_OBJECT

private slots:
    void scannerFindsTranslatedLiterals_data()
    {
        QTest::addColumn<QString>("code");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("plain") << "label(translate(\"Open\"));" << QStringList{"Open"};
        QTest::newRow("string literal macro")
            << "translate(\n    QStringLiteral( \"Save as\" ))" << QStringList{"Save as"};
        QTest::newRow("adjacent literals")
            << "translate(\"Two \"\n \"parts\")" << QStringList{"Two parts"};
        QTest::newRow("escapes") << "translate(\"Say \\\"hi\\\"\\nnow\")"
                                 << QStringList{"Say \"hi\"\nnow"};
        QTest::newRow("member call") << "model->translate(\"Tag\")" << QStringList{"Tag"};
        QTest::newRow("window's own") << "_translate(QStringLiteral(\"Options\"))"
                                      << QStringList{"Options"};
        QTest::newRow("variable argument") << "translate(caption)" << QStringList{};
        QTest::newRow("other function") << "mytranslate(\"X\")" << QStringList{};
        QTest::newRow("inside a string") << "f(\"translate(\\\"X\\\")\")" << QStringList{};
        QTest::newRow("quote character") << "c == '\"'; translate(\"Y\")" << QStringList{"Y"};
        QTest::newRow("line comment") << "// translate(\"Old\")\nx();" << QStringList{};
        QTest::newRow("block comment")
            << "/* translate(\"Old\")\n */ translate(\"New\")" << QStringList{"New"};
        QTest::newRow("comment marks in a string")
            << "translate(\"a // b\"); translate(\"c\")" << QStringList{"a // b", "c"};
    }

    void scannerFindsTranslatedLiterals()
    {
        QFETCH(QString, code);
        QTEST(translatedLiterals(code), "expected");
    }

    void translatedTextsHaveEnglishRecords()
    {
        QStringList problems;
        std::set<QString> known; // the English texts, which the files hold as the tables do
        for (const QStringList& row : readTextTables(problems))
            known.insert(row.first());
        QStringList missing;
        int found = 0;
        for (const char* folder :
             {"app", "data", "editing", "views", "images", "lang", "exchange", "recovery"}) {
            QDirIterator it(SourceDir + '/' + folder, {"*.cpp", "*.h"}, QDir::Files,
                            QDirIterator::Subdirectories);
            while (it.hasNext()) {
                const QString path = it.next();
                for (const QString& text : translatedLiterals(QString::fromUtf8(readFile(path)))) {
                    ++found;
                    if (!known.count(text))
                        missing << QDir(SourceDir).relativeFilePath(path) + ": " + text;
                }
            }
        }
        QVERIFY2(found > 0, "no translated text found in the code");
        missing.removeDuplicates();
        QVERIFY2(missing.isEmpty(), qPrintable("texts missing from languages/_lanraw_en.bpl "
                                               "(add them to languages/texts/*.tsv):"
                                               + listed(missing)));
    }

    void filesAreCompleteAndUpToDate_data()
    {
        QTest::addColumn<int>("index");
        for (int index = 0; index < Codes.size(); ++index)
            QTest::newRow(qPrintable(Codes.at(index))) << index;
    }

    // Each file is built from well-formed text tables, so the four are parallel
    // and valid UTF-8; the program's own reader takes every record and finds
    // every text of the sample book.
    void filesAreCompleteAndUpToDate()
    {
        QFETCH(int, index);
        QStringList problems;
        const std::vector<QStringList> rows = readTextTables(problems);
        QVERIFY2(problems.isEmpty(), qPrintable(listed(problems)));
        QVERIFY(!rows.empty());
        QVERIFY2(rows.size() <= size_t(LangModel::MaxRecords), "the model reads 1001 records");
        QString expected;
        for (const QStringList& row : rows)
            expected += row.at(index) + RecordEnd;
        const QByteArray data = readFile(languageFile(Codes.at(index)));
        QVERIFY2(data == expected.toUtf8(), "missing or stale: run python3 tools/langfiles.py");
        // The language model reads in text mode, which would drop carriage returns.
        QVERIFY(!data.contains('\r'));
        if (index == 0)
            return;

        LangModel model(index, SourceDir + "/languages/");
        QCOMPARE(model.dictionary.size(), rows.size());
        setAppLangModel(&model);
        {
            Document document;
            QVERIFY(document.setDataStructure());
            document.fillSampleBook();
        }
        setAppLangModel(nullptr);
        const QStringList untranslated(model.untranslated.begin(), model.untranslated.end());
        QVERIFY2(untranslated.isEmpty(), qPrintable("untranslated:" + listed(untranslated)));
    }
};

QTEST_GUILESS_MAIN(TestLanguageFiles)
#include "tst_languagefiles.moc"
