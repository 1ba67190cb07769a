#include "texttable.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
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
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(content) == content.size();
}

} // namespace

class TestFillTranslations : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanup() { QDir(_dir.filePath("languages")).removeRecursively(); }

    void loadAndSaveKeepTheFile_data();
    void loadAndSaveKeepTheFile();
    void gaps_data();
    void gaps();
    void setCell();
    void escape_data();
    void escape();
    void englishTextsMakeNewLines();
    void tool_data();
    void tool();

private:
    TextTable _table(const QByteArray& content);

    QTemporaryDir _dir;
};

void TestFillTranslations::initTestCase()
{
    QVERIFY(_dir.isValid());
    QVERIFY(writeFile(_dir.filePath("page.html"), Page));
}

// A table loaded from a file of the given content.
TextTable TestFillTranslations::_table(const QByteArray& content)
{
    TextTable table;
    const QString path = _dir.filePath("table.tsv");
    if (!writeFile(path, content) || !table.load(path))
        qWarning("cannot load %s", qPrintable(path));
    return table;
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
    TextTable table = _table(content);
    QVERIFY(writeFile(table.fileName(), "changed"));
    QVERIFY(table.save());
    QCOMPARE(readFile(table.fileName()), content);
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
    const TextTable table = _table("First\\nSecond\n" + line.toUtf8() + "\n");
    const std::vector<TextTable::Gap> found = table.gaps(TextTable::column(code));
    QCOMPARE(int(found.size()), gap ? 2 : 1);
    QCOMPARE(found.front().line, 0);
    QCOMPARE(found.front().english, QStringLiteral("First\nSecond")); // line break restored
    if (gap) {
        QCOMPARE(found.back().line, 1);
        QCOMPARE(found.back().english, QStringLiteral("Open"));
    }
}

// Only text lines take a cell; missing cells are added empty and the rest of
// the file stays as it was.
void TestFillTranslations::setCell()
{
    TextTable table = _table("# c\n\nOpen\nSave\tСохранить\r\nBad\t\t\t\textra\n");
    for (int line : {-1, 0, 1, 4, 5})
        QVERIFY(!table.setCell(line, 1, "x"));
    QVERIFY(!table.setCell(2, 4, "x"));
    QVERIFY(table.setCell(2, TextTable::column("fr"), "Ouvrir"));
    QVERIFY(table.setCell(3, TextTable::column("de"), "Sichern"));
    QVERIFY(table.save());
    QCOMPARE(readFile(table.fileName()),
             QByteArray("# c\n\nOpen\t\tOuvrir\t\nSave\tСохранить\t\tSichern\r\n"
                        "Bad\t\t\t\textra\n"));
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
        QCOMPARE(TextTable::unescape(result), QString(text).replace("\r\n", "\n").replace('\t', ' '));
    }
}

void TestFillTranslations::englishTextsMakeNewLines()
{
    TextTable table;
    table.setEnglishTexts({"Open", "A\nB", QString(), "x^y"});
    QCOMPARE(table.lines(), QStringList({"Open\t\t\t", "A\\nB\t\t\t"}));
    QCOMPARE(int(table.gaps(TextTable::column("ru")).size()), 2);
}

// The tool run on a table (and on standard input): its exit code, the table
// afterwards, what it prints for review and what it says on standard error.
void TestFillTranslations::tool_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("file");
    QTest::addColumn<QByteArray>("before");
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QByteArray>("after");
    QTest::addColumn<QString>("output");
    QTest::addColumn<QString>("error"); // a part of it

    const QByteArray menu = "Open\n";
    QTest::newRow("fills in place")
        << QStringList{"fr", "-i", "menu.tsv"} << "menu.tsv"
        << QByteArray("# menu\nOpen\tОткрыть\t\tÖffnen\nSave as\tСохранить как\n"
                      "First\\nSecond\nClose\tЗакрыть\tFermer\tSchließen\n")
        << QByteArray() << 0
        << QByteArray("# menu\nOpen\tОткрыть\tOuvrir\tÖffnen\nSave as\tСохранить как\t"
                      "Enregistrer sous\t\nFirst\\nSecond\t\tPremier\\nsecond\t\n"
                      "Close\tЗакрыть\tFermer\tSchließen\n")
        << QString() << QString();
    const QByteArray review = "Close\tЗакрыть\tFermer\tSchließen\nOpen\tОткрыть\t\t\n";
    QTest::newRow("prints for review") << QStringList{"de", "review.tsv"} << "review.tsv" << review
                                       << QByteArray() << 0 << review
                                       << "# review.tsv:2\nOpen\tОткрыть\t\tÖffnen\n" << QString();
    QTest::newRow("several languages, the program's tables")
        << QStringList{"fr,de", "--in-place"} << "languages/texts/a.tsv"
        << QByteArray("Open\tОткрыть\nSave as\tСохранить как\t\t\n") << QByteArray() << 0
        << QByteArray("Open\tОткрыть\tOuvrir\tÖffnen\n"
                      "Save as\tСохранить как\tEnregistrer sous\tSpeichern unter\n")
        << QString() << QString();
    QTest::newRow("unknown text left empty")
        << QStringList{"fr", "-i", "menu.tsv"} << "menu.tsv" << QByteArray("Open\nUnknown text\n")
        << QByteArray() << 1 << QByteArray("Open\t\tOuvrir\t\nUnknown text\n") << QString()
        << "fr: no translation for \"Unknown text\"";
    QTest::newRow("list") << QStringList{"de", "--list", "-"} << "menu.tsv" << menu
                          << QByteArray("Close\n\n# a comment\nSave as\n") << 0 << menu
                          << "Close\t\t\tSchließen\nSave as\t\t\tSpeichern unter\n" << QString();

    const QList<QPair<QStringList, QString>> usageErrors = {
        {{}, "A LANGUAGE is needed"},
        {{"xx", "menu.tsv"}, "Unknown language \"xx\""},
        {{"en", "menu.tsv"}, "Unknown language \"en\""},
        {{"fr", "nowhere.tsv"}, "Cannot read nowhere.tsv"},
        {{"fr", "-t", "soon", "menu.tsv"}, "The timeout must be"},
        {{"fr", "-i", "--list", "-"}, "--list takes no TABLE"},
        {{"fr"}, "No languages/texts/*.tsv here"}};
    for (const auto& usage : usageErrors)
        QTest::newRow(qPrintable("usage: " + usage.first.join(' '))) << usage.first << "menu.tsv"
            << menu << QByteArray() << 2 << menu << QString() << usage.second;
}

void TestFillTranslations::tool()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, file);
    QFETCH(QByteArray, before);
    QFETCH(QByteArray, input);
    QFETCH(int, exitCode);
    QFETCH(QByteArray, after);
    QFETCH(QString, output);
    QFETCH(QString, error);
    QVERIFY(writeFile(_dir.filePath(file), before));

    QProcess tool;
    tool.setWorkingDirectory(_dir.path());
    const QString page = QUrl::fromLocalFile(_dir.filePath("page.html")).toString();
    tool.start(FILLTRANSLATIONS_PATH, QStringList{"--url", page} + arguments);
    QVERIFY(tool.waitForStarted());
    tool.write(input);
    tool.closeWriteChannel();
    QVERIFY(tool.waitForFinished(120000));
    const QString errors = QString::fromUtf8(tool.readAllStandardError());
    QCOMPARE(tool.exitStatus(), QProcess::NormalExit);
    QCOMPARE(tool.exitCode(), exitCode);
    QCOMPARE(readFile(_dir.filePath(file)), after);
    QCOMPARE(QString::fromUtf8(tool.readAllStandardOutput()), output);
    QVERIFY2(errors.contains(error), qPrintable(errors));
}

QTEST_GUILESS_MAIN(TestFillTranslations)
#include "tst_filltranslations.moc"
