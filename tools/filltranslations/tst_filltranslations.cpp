#include "texttable.h"

#include <QtTest>

namespace {

// A translation page read from a file: its script translates the text in the
// address fragment "#en/<language>/<text>" from a small dictionary, or shows
// nothing for a text it does not know.
const char Page[] = R"page(<!DOCTYPE html><meta charset="utf-8"><div id="result_box"></div><script>
var words = {fr: {"Open": "ouvrir", "Save as": "enregistrer sous",
  "First\nSecond": "premier\nsecond"},
  de: {"Open": "öffnen", "Save as": "speichern unter", "Close": "schließen"}};
var parts = decodeURIComponent(location.hash.substring(1)).split("/");
var known = words[parts[1]] || {}, text = parts.slice(2).join("/");
if (known.hasOwnProperty(text)) {
  var span = document.createElement("span");
  span.textContent = known[text];
  document.getElementById("result_box").appendChild(span);
}</script>)page";

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

    QTemporaryDir _dir;

    // A table loaded from a file of the given content.
    TextTable _table(const QByteArray& content)
    {
        TextTable table;
        const QString path = _dir.filePath("table.tsv");
        if (!writeFile(path, content) || !table.load(path))
            qWarning("cannot load %s", qPrintable(path));
        return table;
    }

private slots:
    void initTestCase() { QVERIFY(writeFile(_dir.filePath("page.html"), Page)); }
    void cleanup() { QDir(_dir.filePath("languages")).removeRecursively(); }

    // Only text lines take a cell ("line:column=text", "!" where it is refused); missing
    // cells are added empty and every other byte of the file is written back as it was.
    void setCellsAndSave_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QStringList>("cells");
        QTest::addColumn<QByteArray>("saved");
        const QByteArray kept = "# texts\n\nOpen\tОткрыть\tOuvrir\tÖffnen\n\n# end";
        QTest::newRow("unchanged") << kept << QStringList{} << kept;
        QTest::newRow("empty") << QByteArray() << QStringList{} << QByteArray();
        QTest::newRow("cells set, carriage returns kept")
            << QByteArray("# c\n\nOpen\nSave\tСохранить\r\nBad\t\t\t\textra\n")
            << QStringList{"!-1:1", "!0:1", "!1:1",       "!4:1",
                           "!5:1",  "!2:4", "2:2=Ouvrir", "3:3=Sichern"}
            << QByteArray("# c\n\nOpen\t\tOuvrir\t\nSave\tСохранить\t\tSichern\r\n"
                          "Bad\t\t\t\textra\n");
    }

    void setCellsAndSave()
    {
        QFETCH(QByteArray, content);
        QFETCH(QStringList, cells);
        TextTable table = _table(content);
        for (const QString& cell : cells) {
            const QString place = cell.section('=', 0, 0).remove('!');
            QCOMPARE(table.setCell(place.section(':', 0, 0).toInt(), place.section(':', 1).toInt(),
                                   cell.section('=', 1)),
                     !cell.startsWith('!'));
        }
        QVERIFY(writeFile(table.fileName(), "changed"));
        QVERIFY(table.save());
        QTEST(readFile(table.fileName()), "saved");
    }

    // After a first line that always has a gap, with its line break restored: the line
    // ("|code|gap") has a gap for the language or not.
    void gaps_data()
    {
        QTest::addColumn<QString>("row");
        for (const char* row : {"Open|fr|1", "Open\tОткрыть|de|1", "Open\tОткрыть\t\tÖffnen|fr|1",
                                "Open\tОткрыть\t\tÖffnen|de|", "# Open|ru|", "\tОткрыть\t\t|fr|",
                                "Open\t\t\t\textra|fr|"})
            QTest::newRow(row) << QString(row);
    }

    void gaps()
    {
        QFETCH(QString, row);
        QStringList found;
        const TextTable table = _table("First\\nSecond\n" + row.section('|', 0, 0).toUtf8() + "\n");
        for (const TextTable::Gap& each : table.gaps(TextTable::column(row.section('|', 1, 1))))
            found << QString::number(each.line) + ":" + each.english;
        QCOMPARE(found, QStringList{"0:First\nSecond"} +
                            (row.endsWith('1') ? QStringList{"1:Open"} : QStringList{}));
    }

    // A text and its table cell ("!" when a cell cannot hold it), read back, and the
    // line made for it as a new English text.
    void escape_data()
    {
        QTest::addColumn<QString>("row"); // "text=cell"
        for (const char* row :
             {"Ouvrir=Ouvrir", "a\nb=a\\nb", "a\r\nb=a\\nb", "a\tb=a b", "a^b=!", "="})
            QTest::newRow(QByteArray(row).toPercentEncoding()) << QString(row);
    }

    void escape()
    {
        QFETCH(QString, row);
        QString text = row.section('=', 0, 0), cell = row.section('=', 1), result;
        QCOMPARE(TextTable::escape(text, result), cell != "!");
        TextTable table;
        table.setEnglishTexts({text});
        QCOMPARE(table.lines(),
                 cell == "!" || cell.isEmpty() ? QStringList{} : QStringList{cell + "\t\t\t"});
        if (cell != "!")
            QCOMPARE(TextTable::unescape(result), text.replace("\r\n", "\n").replace('\t', ' '));
    }

    // The tool run on a table (also given on standard input): its exit code, the table
    // afterwards, what it prints for review and some of what it says on standard error.
    void tool_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("file");
        QTest::addColumn<QByteArray>("before");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QByteArray>("after");
        QTest::addColumn<QString>("output");
        QTest::addColumn<QString>("error");
        QTest::newRow("fills in place")
            << QStringList{"fr", "-i", "menu.tsv"} << "menu.tsv"
            << QByteArray("# menu\nOpen\tОткрыть\t\tÖffnen\nFirst\\nSecond\nClose\t\tFermer\n") << 0
            << QByteArray("# menu\nOpen\tОткрыть\tOuvrir\tÖffnen\nFirst\\nSecond\t\t"
                          "Premier\\nsecond\t\nClose\t\tFermer\n")
            << QString() << QString();
        const QByteArray review = "Close\tЗакрыть\tFermer\tSchließen\nOpen\tОткрыть\t\t\n";
        QTest::newRow("prints for review")
            << QStringList{"de", "review.tsv"} << "review.tsv" << review << 0 << review
            << "# review.tsv:2\nOpen\tОткрыть\t\tÖffnen\n"
            << QString();
        QTest::newRow("several languages, the program's tables, an unknown text")
            << QStringList{"fr,de", "--in-place"} << "languages/texts/a.tsv"
            << QByteArray("Save as\tСохранить как\t\t\nUnknown text\n") << 1
            << QByteArray("Save as\tСохранить как\tEnregistrer sous\tSpeichern unter\n"
                          "Unknown text\n")
            << QString() << "fr: no translation for \"Unknown text\"";
        const QByteArray list = "Close\n\n# a comment\nSave as\n";
        QTest::newRow("list") << QStringList{"de", "--list", "-"} << "list.txt" << list << 0 << list
                              << "Close\t\t\tSchließen\nSave as\t\t\tSpeichern unter\n"
                              << QString();
        for (const char* usage :
             {" |A LANGUAGE is needed", "en menu.tsv|Unknown language \"en\"",
              "fr nowhere.tsv|Cannot read nowhere.tsv", "fr -i --list -|--list takes no TABLE"})
            QTest::newRow(usage) << QString(usage).section('|', 0, 0).split(' ', Qt::SkipEmptyParts)
                                 << "menu.tsv" << QByteArray("Open\n") << 2 << QByteArray("Open\n")
                                 << QString() << QString(usage).section('|', 1);
    }

    void tool()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QString, file);
        QFETCH(QByteArray, before);
        QVERIFY(writeFile(_dir.filePath(file), before));
        QProcess tool;
        tool.setWorkingDirectory(_dir.path());
        const QString page = QUrl::fromLocalFile(_dir.filePath("page.html")).toString();
        tool.start(FILLTRANSLATIONS_PATH, QStringList{"--url", page} + arguments);
        QVERIFY(tool.waitForStarted());
        tool.write(before);
        tool.closeWriteChannel();
        QVERIFY(tool.waitForFinished(120000));
        const QString errors = QString::fromUtf8(tool.readAllStandardError());
        QCOMPARE(tool.exitStatus(), QProcess::NormalExit);
        QTEST(tool.exitCode(), "exitCode");
        QTEST(readFile(_dir.filePath(file)), "after");
        QTEST(QString::fromUtf8(tool.readAllStandardOutput()), "output");
        QFETCH(QString, error);
        QVERIFY2(errors.contains(error), qPrintable(errors));
    }
};

QTEST_GUILESS_MAIN(TestFillTranslations)
#include "tst_filltranslations.moc"
