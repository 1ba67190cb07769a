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
#include <QTextCodec>
#include <QtTest>

#include <algorithm>
#include <map>
#include <set>

namespace {

const QString SourceDir = QStringLiteral(CULINOR_SOURCE_DIR);
const QStringList CodeFolders = {QStringLiteral("app"),     QStringLiteral("data"),
                                 QStringLiteral("editing"), QStringLiteral("views"),
                                 QStringLiteral("images"),  QStringLiteral("lang")};
const QStringList Codes = {QStringLiteral("en"), QStringLiteral("ru"), QStringLiteral("fr"),
                           QStringLiteral("de")};
const QChar RecordEnd = QLatin1Char('^');

QByteArray readFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QString languageFile(const QString& code)
{
    return SourceDir + QStringLiteral("/languages/_lanraw_") + code + QStringLiteral(".bpl");
}

// Replaces comments by blanks, leaving string and character literals alone.
QString withoutComments(const QString& code)
{
    QString out = code;
    enum { Code, Line, Block, String, Char } state = Code;
    for (int i = 0; i < out.size(); ++i) {
        const QChar c = out.at(i);
        const QChar next = i + 1 < out.size() ? out.at(i + 1) : QChar();
        switch (state) {
        case Code:
            if (c == QLatin1Char('/') && next == QLatin1Char('/'))
                state = Line;
            else if (c == QLatin1Char('/') && next == QLatin1Char('*'))
                state = Block;
            else if (c == QLatin1Char('"'))
                state = String;
            else if (c == QLatin1Char('\''))
                state = Char;
            if (state == Line || state == Block) {
                out[i] = QLatin1Char(' ');
                out[++i] = QLatin1Char(' ');
            }
            break;
        case Line:
            if (c == QLatin1Char('\n'))
                state = Code;
            else
                out[i] = QLatin1Char(' ');
            break;
        case Block:
            if (c == QLatin1Char('*') && next == QLatin1Char('/')) {
                out[i] = out[i + 1] = QLatin1Char(' ');
                ++i;
                state = Code;
            } else if (c != QLatin1Char('\n')) {
                out[i] = QLatin1Char(' ');
            }
            break;
        case String:
        case Char:
            if (c == QLatin1Char('\\'))
                ++i;
            else if (c == (state == String ? QLatin1Char('"') : QLatin1Char('\'')))
                state = Code;
            break;
        }
    }
    return out;
}

// The text of a C++ string literal's inside.
QString unescape(const QString& literal)
{
    QString text;
    for (int i = 0; i < literal.size(); ++i) {
        QChar c = literal.at(i);
        if (c == QLatin1Char('\\') && i + 1 < literal.size()) {
            c = literal.at(++i);
            if (c == QLatin1Char('n'))
                c = QLatin1Char('\n');
            else if (c == QLatin1Char('t'))
                c = QLatin1Char('\t');
        }
        text += c;
    }
    return text;
}

// The literal texts passed to translate(), plainly or through QStringLiteral
// and its kin; adjacent literals are joined as the compiler joins them.
QStringList translatedLiterals(const QString& code)
{
    static const QRegularExpression call(QStringLiteral(
        R"re((?<![\w])translate\(\s*)re"
        R"re((?:(?:QStringLiteral|QLatin1String|QString::fromUtf8|QString)\(\s*)?)re"
        R"re(((?:"(?:[^"\\\n]|\\.)*"\s*)+))re"));
    static const QRegularExpression piece(QStringLiteral(R"re("((?:[^"\\\n]|\\.)*)")re"));
    QStringList texts;
    auto calls = call.globalMatch(withoutComments(code));
    while (calls.hasNext()) {
        QString text;
        auto pieces = piece.globalMatch(calls.next().captured(1));
        while (pieces.hasNext())
            text += unescape(pieces.next().captured(1));
        texts << text;
    }
    return texts;
}

// Records of a language file as the language model reads them: each ended by
// "^", the last one possibly by the end of the file.
QStringList records(const QString& text)
{
    QStringList parts = text.split(RecordEnd);
    if (parts.last().isEmpty())
        parts.removeLast();
    return parts;
}

QStringList fileRecords(const QString& code)
{
    return records(QString::fromUtf8(readFile(languageFile(code))));
}

// The text tables: one row per English text with its translations, as the
// generator reads them (name order, first row of a repeated English text).
struct TextTables
{
    std::vector<QStringList> rows;
    QStringList problems;
};

TextTables readTextTables()
{
    TextTables tables;
    QDir dir(SourceDir + QStringLiteral("/languages/texts"));
    QStringList names = dir.entryList({QStringLiteral("*.tsv")}, QDir::Files);
    std::sort(names.begin(), names.end());
    std::set<QString> seen;
    for (const QString& name : names) {
        const QStringList lines =
            QString::fromUtf8(readFile(dir.filePath(name))).split(QLatin1Char('\n'));
        for (int number = 1; number <= lines.size(); ++number) {
            QString line = lines.at(number - 1);
            if (line.endsWith(QLatin1Char('\r')))
                line.chop(1);
            if (line.trimmed().isEmpty() || line.startsWith(QLatin1Char('#')))
                continue;
            QStringList cells = line.split(QLatin1Char('\t'));
            for (QString& cell : cells)
                cell.replace(QLatin1String("\\n"), QLatin1String("\n"));
            const QString where = name + QLatin1Char(':') + QString::number(number);
            if (cells.size() != Codes.size() || cells.contains(QString()))
                tables.problems << where + QStringLiteral(": not four non-empty texts");
            else if (line.contains(RecordEnd))
                tables.problems << where + QStringLiteral(": a text holds '^'");
            else if (seen.insert(cells.first()).second)
                tables.rows.push_back(cells);
        }
    }
    return tables;
}

QString listed(const QStringList& texts)
{
    return QStringLiteral("\n  ") + texts.join(QStringLiteral("\n  "));
}

} // namespace

class TestLanguageFiles : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();

    void scannerFindsTranslatedLiterals_data();
    void scannerFindsTranslatedLiterals();
    void translatedTextsHaveEnglishRecords();

    void filesAreValidUtf8_data();
    void filesAreValidUtf8();
    void filesHaveEqualRecordCounts();
    void englishKeysAreUnique();
    void translationsAreComplete_data();
    void translationsAreComplete();

    void textTablesAreWellFormed();
    void filesAreBuiltFromTextTables_data();
    void filesAreBuiltFromTextTables();

    void bookTextsAreTranslated_data();
    void bookTextsAreTranslated();
};

void TestLanguageFiles::initTestCase()
{
    QStandardPaths::setTestModeEnabled(true);
    QVERIFY2(QFile::exists(languageFile(QStringLiteral("en"))), "English language file missing");
}

void TestLanguageFiles::scannerFindsTranslatedLiterals_data()
{
    QTest::addColumn<QString>("code");
    QTest::addColumn<QStringList>("expected");
    QTest::newRow("plain") << "label(translate(\"Open\"));" << QStringList{"Open"};
    QTest::newRow("string literal macro")
        << "translate(QStringLiteral(\"Save as\"))" << QStringList{"Save as"};
    QTest::newRow("blanks and line breaks")
        << "translate(\n    QStringLiteral( \"Close\" ))" << QStringList{"Close"};
    QTest::newRow("adjacent literals") << "translate(\"Two \"\n \"parts\")"
                                       << QStringList{"Two parts"};
    QTest::newRow("escapes") << R"(translate("Say \"hi\"\nnow"))"
                             << QStringList{"Say \"hi\"\nnow"};
    QTest::newRow("member call") << "model->translate(\"Tag\")" << QStringList{"Tag"};
    QTest::newRow("several") << "translate(\"A\") + translate(\"B\")" << QStringList{"A", "B"};
    QTest::newRow("variable argument") << "translate(caption)" << QStringList{};
    QTest::newRow("other function") << "mytranslate(\"X\")" << QStringList{};
    QTest::newRow("line comment") << "// translate(\"Old\")\nx();" << QStringList{};
    QTest::newRow("block comment") << "/* translate(\"Old\") */ translate(\"New\")"
                                   << QStringList{"New"};
    QTest::newRow("comment marks in a string")
        << "translate(\"a // b\"); translate(\"c\")" << QStringList{"a // b", "c"};
    QTest::newRow("non-Latin") << "translate(\"Crème brûlée\")" << QStringList{"Crème brûlée"};
}

void TestLanguageFiles::scannerFindsTranslatedLiterals()
{
    QFETCH(QString, code);
    QFETCH(QStringList, expected);
    QCOMPARE(translatedLiterals(code), expected);
}

void TestLanguageFiles::translatedTextsHaveEnglishRecords()
{
    const QStringList english = fileRecords(QStringLiteral("en"));
    const std::set<QString> known(english.begin(), english.end());
    QStringList missing;
    int found = 0;
    for (const QString& folder : CodeFolders) {
        QDirIterator it(SourceDir + QLatin1Char('/') + folder,
                        {QStringLiteral("*.cpp"), QStringLiteral("*.h")}, QDir::Files,
                        QDirIterator::Subdirectories);
        while (it.hasNext()) {
            const QString path = it.next();
            for (const QString& text : translatedLiterals(QString::fromUtf8(readFile(path)))) {
                ++found;
                if (!known.count(text))
                    missing << QDir(SourceDir).relativeFilePath(path) + QStringLiteral(": ")
                                   + text;
            }
        }
    }
    QVERIFY2(found > 0, "no translated text found in the code");
    missing.removeDuplicates();
    QVERIFY2(missing.isEmpty(),
             qPrintable(QStringLiteral("texts missing from languages/_lanraw_en.bpl (add them "
                                       "to languages/texts/*.tsv):")
                        + listed(missing)));
}

void TestLanguageFiles::filesAreValidUtf8_data()
{
    QTest::addColumn<QString>("code");
    for (const QString& code : Codes)
        QTest::newRow(qPrintable(code)) << code;
}

void TestLanguageFiles::filesAreValidUtf8()
{
    QFETCH(QString, code);
    const QByteArray data = readFile(languageFile(code));
    QVERIFY2(!data.isEmpty(), "missing or empty language file");
    QTextCodec::ConverterState state;
    QTextCodec::codecForName("UTF-8")->toUnicode(data.constData(), data.size(), &state);
    QCOMPARE(state.invalidChars, 0);
    QCOMPARE(state.remainingChars, 0); // no sequence cut off at the end
    // The language model reads in text mode, which would drop carriage returns.
    QVERIFY(!data.contains('\r'));
}

void TestLanguageFiles::filesHaveEqualRecordCounts()
{
    const int english = fileRecords(QStringLiteral("en")).size();
    QVERIFY(english > 0);
    QVERIFY2(english <= LangModel::MaxRecords, "the language model reads at most 1001 records");
    for (const QString& code : Codes) {
        QVERIFY2(fileRecords(code).size() == english,
                 qPrintable(code + QStringLiteral(": ") + QString::number(fileRecords(code).size())
                            + QStringLiteral(" records, English has ")
                            + QString::number(english)));
    }
}

void TestLanguageFiles::englishKeysAreUnique()
{
    QStringList english = fileRecords(QStringLiteral("en"));
    const int count = english.size();
    english.removeDuplicates();
    QCOMPARE(english.size(), count);
}

void TestLanguageFiles::translationsAreComplete_data()
{
    QTest::addColumn<int>("index");
    for (int index = 1; index < Codes.size(); ++index)
        QTest::newRow(qPrintable(Codes.at(index))) << index;
}

void TestLanguageFiles::translationsAreComplete()
{
    QFETCH(int, index);
    // The program's own reader, fed with the files of the source tree.
    LangModel model(index, SourceDir + QStringLiteral("/languages/"));
    const QStringList english = fileRecords(QStringLiteral("en"));
    QCOMPARE(model.dictionary.size(), size_t(english.size()));
    QStringList empty;
    for (const QString& text : english) {
        if (model.translate(text).isEmpty())
            empty << text;
    }
    QVERIFY2(empty.isEmpty(), qPrintable(QStringLiteral("empty translations:") + listed(empty)));
    QVERIFY(model.untranslated.empty());
}

void TestLanguageFiles::textTablesAreWellFormed()
{
    const TextTables tables = readTextTables();
    QVERIFY2(tables.problems.isEmpty(), qPrintable(listed(tables.problems)));
    QVERIFY(!tables.rows.empty());
}

void TestLanguageFiles::filesAreBuiltFromTextTables_data()
{
    filesAreValidUtf8_data();
}

void TestLanguageFiles::filesAreBuiltFromTextTables()
{
    QFETCH(QString, code);
    const int column = Codes.indexOf(code);
    QString expected;
    for (const QStringList& row : readTextTables().rows)
        expected += row.at(column) + RecordEnd;
    QVERIFY2(readFile(languageFile(code)) == expected.toUtf8(),
             "stale language file: run python3 tools/langfiles.py");
}

void TestLanguageFiles::bookTextsAreTranslated_data()
{
    translationsAreComplete_data();
}

void TestLanguageFiles::bookTextsAreTranslated()
{
    QFETCH(int, index);
    ScratchDir scratch;
    LangModel model(index, QDir::currentPath() + QStringLiteral("/languages/"));
    setAppLangModel(&model);
    {
        Document document;
        QVERIFY(document.setDataStructure());
        document.fillSampleBook();
    }
    setAppLangModel(nullptr);
    const QStringList untranslated(model.untranslated.begin(), model.untranslated.end());
    QVERIFY2(untranslated.isEmpty(),
             qPrintable(QStringLiteral("untranslated:") + listed(untranslated)));
}

QTEST_GUILESS_MAIN(TestLanguageFiles)
#include "tst_languagefiles.moc"
