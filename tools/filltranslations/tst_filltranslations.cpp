#include "texttable.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QUrl>
#include <QtTest>

namespace {

// A translation page read from a file: its script translates the text in the
// address fragment "#en/<language>/<text>" from a small dictionary, or shows
// nothing for a text it does not know.
const char Page[] = R"page(<!DOCTYPE html>
<html><head><meta charset="utf-8"></head><body>
<div id="result_box"></div>
<script>
var words = {
  fr: {"Open": "ouvrir", "Save as": "enregistrer sous", "First\nSecond": "premier\nsecond"},
  de: {"Open": "öffnen", "Save as": "speichern unter", "Close": "schließen"}
};
var parts = decodeURIComponent(location.hash.substring(1)).split("/");
var known = words[parts[1]] || {};
var text = parts.slice(2).join("/");
if (known.hasOwnProperty(text)) {
  var span = document.createElement("span");
  span.textContent = known[text];
  document.getElementById("result_box").appendChild(span);
}
</script></body></html>)page";

QByteArray readFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool writeFile(const QString& path, const QByteArray& content)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(content) == content.size();
}

} // namespace

class TestFillTranslations : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();

    void loadAndSaveKeepTheFile_data();
    void loadAndSaveKeepTheFile();
    void gaps_data();
    void gaps();
    void setCellCompletesTheLine();
    void setCellRefusesOtherLines();
    void escape_data();
    void escape();
    void englishTextsMakeNewLines();

    void fillsTableInPlace();
    void printsFilledLinesForReview();
    void fillsSeveralLanguages();
    void leavesUnknownTextsEmpty();
    void translatesList();
    void rejectsBadUsage_data();
    void rejectsBadUsage();

private:
    // Runs the tool in the scratch directory; its exit code, output and errors.
    int _runTool(const QStringList& arguments, const QByteArray& input = QByteArray());

    QTemporaryDir _dir;
    QString _pageUrl;
    QString _output;
    QString _errors;
};

void TestFillTranslations::initTestCase()
{
    QVERIFY(_dir.isValid());
    QVERIFY(writeFile(_dir.filePath(QStringLiteral("page.html")), Page));
    _pageUrl = QUrl::fromLocalFile(_dir.filePath(QStringLiteral("page.html"))).toString();
}

int TestFillTranslations::_runTool(const QStringList& arguments, const QByteArray& input)
{
    QProcess tool;
    tool.setWorkingDirectory(_dir.path());
    tool.start(QStringLiteral(FILLTRANSLATIONS_PATH),
               QStringList{QStringLiteral("--url"), _pageUrl} + arguments);
    if (!tool.waitForStarted())
        return -1;
    tool.write(input);
    tool.closeWriteChannel();
    if (!tool.waitForFinished(120000))
        return -1;
    _output = QString::fromUtf8(tool.readAllStandardOutput());
    _errors = QString::fromUtf8(tool.readAllStandardError());
    return tool.exitStatus() == QProcess::NormalExit ? tool.exitCode() : -1;
}

void TestFillTranslations::loadAndSaveKeepTheFile_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::newRow("comments and blank lines")
        << QByteArray("# texts\n\nOpen\tОткрыть\tOuvrir\tÖffnen\n\n# end\n");
    QTest::newRow("no final line break") << QByteArray("Open\tA\tB\tC");
    QTest::newRow("carriage returns") << QByteArray("Open\tA\tB\tC\r\nSave\t\t\t\r\n");
    QTest::newRow("empty file") << QByteArray();
}

void TestFillTranslations::loadAndSaveKeepTheFile()
{
    QFETCH(QByteArray, content);
    const QString path = _dir.filePath(QStringLiteral("roundtrip.tsv"));
    QVERIFY(writeFile(path, content));
    TextTable table;
    QVERIFY(table.load(path));
    QVERIFY(writeFile(path, "changed"));
    QVERIFY(table.save());
    QCOMPARE(readFile(path), content);
}

void TestFillTranslations::gaps_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<QString>("code");
    QTest::addColumn<bool>("gap");
    QTest::newRow("English only") << "Open" << "fr" << true;
    QTest::newRow("empty cell") << "Open\tОткрыть\t\tÖffnen" << "fr" << true;
    QTest::newRow("filled cell") << "Open\tОткрыть\t\tÖffnen" << "de" << false;
    QTest::newRow("short line") << "Open\tОткрыть" << "de" << true;
    QTest::newRow("complete") << "Open\tОткрыть\tOuvrir\tÖffnen" << "ru" << false;
    QTest::newRow("comment") << "# Open" << "ru" << false;
    QTest::newRow("blank") << "   " << "ru" << false;
    QTest::newRow("no English") << "\tОткрыть\t\t" << "fr" << false;
    QTest::newRow("too many cells") << "Open\t\t\t\textra" << "fr" << false;
}

void TestFillTranslations::gaps()
{
    QFETCH(QString, line);
    QFETCH(QString, code);
    QFETCH(bool, gap);
    const QString path = _dir.filePath(QStringLiteral("gaps.tsv"));
    QVERIFY(writeFile(path, "First\\nSecond\n" + line.toUtf8() + "\n"));
    TextTable table;
    QVERIFY(table.load(path));
    const std::vector<TextTable::Gap> found = table.gaps(TextTable::column(code));
    QCOMPARE(int(found.size()), gap ? 2 : 1);
    QCOMPARE(found.front().line, 0);
    QCOMPARE(found.front().english, QStringLiteral("First\nSecond")); // line break restored
    if (gap) {
        QCOMPARE(found.back().line, 1);
        QCOMPARE(found.back().english, QStringLiteral("Open"));
    }
}

void TestFillTranslations::setCellCompletesTheLine()
{
    const QString path = _dir.filePath(QStringLiteral("cells.tsv"));
    QVERIFY(writeFile(path, "# c\nOpen\nSave\tСохранить\r\n"));
    TextTable table;
    QVERIFY(table.load(path));
    QVERIFY(table.setCell(1, TextTable::column(QStringLiteral("fr")), QStringLiteral("Ouvrir")));
    QVERIFY(table.setCell(2, TextTable::column(QStringLiteral("de")), QStringLiteral("Sichern")));
    QVERIFY(table.save());
    QCOMPARE(readFile(path), QByteArray("# c\nOpen\t\tOuvrir\t\nSave\tСохранить\t\tSichern\r\n"));
}

void TestFillTranslations::setCellRefusesOtherLines()
{
    const QString path = _dir.filePath(QStringLiteral("refuse.tsv"));
    QVERIFY(writeFile(path, "# comment\n\nOpen\t\t\t\textra\nSave\n"));
    TextTable table;
    QVERIFY(table.load(path));
    QVERIFY(!table.setCell(0, 1, QStringLiteral("x")));
    QVERIFY(!table.setCell(1, 1, QStringLiteral("x")));
    QVERIFY(!table.setCell(2, 1, QStringLiteral("x")));
    QVERIFY(!table.setCell(3, 4, QStringLiteral("x")));
    QVERIFY(!table.setCell(4, 1, QStringLiteral("x")));
    QVERIFY(!table.setCell(-1, 1, QStringLiteral("x")));
    QCOMPARE(table.lines().at(3), QStringLiteral("Save"));
}

void TestFillTranslations::escape_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("usable");
    QTest::addColumn<QString>("cell");
    QTest::newRow("plain") << "Ouvrir" << true << "Ouvrir";
    QTest::newRow("line break") << "a\nb" << true << "a\\nb";
    QTest::newRow("Windows line break") << "a\r\nb" << true << "a\\nb";
    QTest::newRow("tab") << "a\tb" << true << "a b";
    QTest::newRow("record end") << "a^b" << false << "";
}

void TestFillTranslations::escape()
{
    QFETCH(QString, text);
    QFETCH(bool, usable);
    QFETCH(QString, cell);
    QString result;
    QCOMPARE(TextTable::escape(text, result), usable);
    if (usable) {
        QCOMPARE(result, cell);
        QCOMPARE(TextTable::unescape(result), QString(text).replace(QLatin1String("\r\n"), "\n")
                                                  .replace(QLatin1Char('\t'), QLatin1Char(' ')));
    }
}

void TestFillTranslations::englishTextsMakeNewLines()
{
    TextTable table;
    table.setEnglishTexts({QStringLiteral("Open"), QStringLiteral("A\nB"), QString(),
                           QStringLiteral("x^y")});
    QCOMPARE(table.lines(), QStringList({"Open\t\t\t", "A\\nB\t\t\t"}));
    QCOMPARE(int(table.gaps(TextTable::column(QStringLiteral("ru"))).size()), 2);
}

void TestFillTranslations::fillsTableInPlace()
{
    const QByteArray before = "# menu\nOpen\tОткрыть\t\tÖffnen\nSave as\tСохранить как\n"
                              "First\\nSecond\nClose\tЗакрыть\tFermer\tSchließen\n";
    QVERIFY(writeFile(_dir.filePath(QStringLiteral("menu.tsv")), before));
    QCOMPARE(_runTool({QStringLiteral("fr"), QStringLiteral("-i"), QStringLiteral("menu.tsv")}), 0);
    QCOMPARE(readFile(_dir.filePath(QStringLiteral("menu.tsv"))),
             QByteArray("# menu\nOpen\tОткрыть\tOuvrir\tÖffnen\n"
                        "Save as\tСохранить как\tEnregistrer sous\t\n"
                        "First\\nSecond\t\tPremier\\nsecond\t\n"
                        "Close\tЗакрыть\tFermer\tSchließen\n"));
    QVERIFY(_output.isEmpty());
}

void TestFillTranslations::printsFilledLinesForReview()
{
    const QByteArray before = "Close\tЗакрыть\tFermer\tSchließen\nOpen\tОткрыть\t\t\n";
    QVERIFY(writeFile(_dir.filePath(QStringLiteral("review.tsv")), before));
    QCOMPARE(_runTool({QStringLiteral("de"), QStringLiteral("review.tsv")}), 0);
    QCOMPARE(_output, QStringLiteral("# review.tsv:2\nOpen\tОткрыть\t\tÖffnen\n"));
    QCOMPARE(readFile(_dir.filePath(QStringLiteral("review.tsv"))), before);
}

void TestFillTranslations::fillsSeveralLanguages()
{
    // Without TABLE arguments the tool takes languages/texts/*.tsv.
    QVERIFY(QDir(_dir.path()).mkpath(QStringLiteral("languages/texts")));
    const QString path = _dir.filePath(QStringLiteral("languages/texts/a.tsv"));
    QVERIFY(writeFile(path, "Open\tОткрыть\nSave as\tСохранить как\t\t\n"));
    QCOMPARE(_runTool({QStringLiteral("fr,de"), QStringLiteral("--in-place")}), 0);
    QCOMPARE(readFile(path), QByteArray("Open\tОткрыть\tOuvrir\tÖffnen\n"
                                        "Save as\tСохранить как\tEnregistrer sous\tSpeichern unter\n"));
    QVERIFY(QDir(_dir.filePath(QStringLiteral("languages"))).removeRecursively());
}

void TestFillTranslations::leavesUnknownTextsEmpty()
{
    const QByteArray before = "Open\nUnknown text\n";
    QVERIFY(writeFile(_dir.filePath(QStringLiteral("unknown.tsv")), before));
    QCOMPARE(
        _runTool({QStringLiteral("fr"), QStringLiteral("-i"), QStringLiteral("unknown.tsv")}), 1);
    QCOMPARE(readFile(_dir.filePath(QStringLiteral("unknown.tsv"))),
             QByteArray("Open\t\tOuvrir\t\nUnknown text\n"));
    QVERIFY2(_errors.contains(QStringLiteral("fr: no translation for \"Unknown text\"")),
             qPrintable(_errors));
}

void TestFillTranslations::translatesList()
{
    QCOMPARE(_runTool({QStringLiteral("de"), QStringLiteral("--list"), QStringLiteral("-")},
                      "Close\n\n# a comment\nSave as\n"),
             0);
    QCOMPARE(_output, QStringLiteral("Close\t\t\tSchließen\nSave as\t\t\tSpeichern unter\n"));
}

void TestFillTranslations::rejectsBadUsage_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::newRow("no language") << QStringList{};
    QTest::newRow("unknown language") << QStringList{"xx", "menu.tsv"};
    QTest::newRow("English") << QStringList{"en", "menu.tsv"};
    QTest::newRow("missing table") << QStringList{"fr", "nowhere.tsv"};
    QTest::newRow("bad timeout") << QStringList{"fr", "-t", "soon", "menu.tsv"};
    QTest::newRow("list in place") << QStringList{"fr", "-i", "--list", "-"};
    QTest::newRow("no tables here") << QStringList{"fr"};
}

void TestFillTranslations::rejectsBadUsage()
{
    QFETCH(QStringList, arguments);
    QVERIFY(writeFile(_dir.filePath(QStringLiteral("menu.tsv")), "Open\n"));
    QCOMPARE(_runTool(arguments), 2);
    QVERIFY(!_errors.isEmpty());
    QCOMPARE(readFile(_dir.filePath(QStringLiteral("menu.tsv"))), QByteArray("Open\n"));
}

QTEST_GUILESS_MAIN(TestFillTranslations)
#include "tst_filltranslations.moc"
