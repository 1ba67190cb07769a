#include "texttable.h"

#include <QtTest>

namespace {

// A translation page: its script translates the text in the address fragment
// "#en/<language>/<text>" from a small dictionary, or shows nothing.
const char Page[] = R"page(<!DOCTYPE html><meta charset="utf-8"><div id="result_box"></div><script>
var words = {de: {"Open": "öffnen", "Save as": "speichern unter", "Close": "schließen"},
  fr: {"Open": "ouvrir", "Save as": "enregistrer sous", "First\nSecond": "premier\nsecond"}};
var parts = decodeURIComponent(location.hash.substring(1)).split("/");
var known = words[parts[1]] || {}, text = parts.slice(2).join("/");
if (known.hasOwnProperty(text))
  document.getElementById("result_box").innerHTML = "<span>" + known[text] + "</span>";
</script>)page";

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

private slots:
    void initTestCase() { QVERIFY(writeFile(_dir.filePath("page.html"), Page)); }

    // The gaps for French and German: text lines with a cell missing, their line breaks
    // restored. Only text lines take a cell ("line:column=text", "!" where it is refused);
    // missing cells are added empty and every other byte is written back as it was.
    void setCellsAndSave_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QStringList>("gaps");
        QTest::addColumn<QStringList>("cells");
        QTest::addColumn<QByteArray>("saved");
        const QByteArray kept = "# texts\n\nOpen\tОткрыть\tOuvrir\tÖffnen\n\n# end";
        QTest::newRow("unchanged") << kept << QStringList{} << QStringList{} << kept;
        QTest::newRow("empty") << QByteArray() << QStringList{} << QStringList{} << QByteArray();
        QTest::newRow("gaps filled, carriage returns kept")
            << QByteArray("# c\n\nFirst\\nSecond\nOpen\tОткрыть\t\tÖffnen\nSave\tСохранить\r\n"
                          "\tОткрыть\t\t\nBad\t\t\t\textra\n")
            << QStringList{"fr 2:First\nSecond", "fr 3:Open", "fr 4:Save", "de 2:First\nSecond",
                           "de 4:Save"}
            << QStringList{"!-1:1", "!0:1",        "!1:1",       "!6:1",       "!7:1",
                           "!2:4",  "2:2=Premier", "3:2=Ouvrir", "4:3=Sichern"}
            << QByteArray("# c\n\nFirst\\nSecond\t\tPremier\t\nOpen\tОткрыть\tOuvrir\tÖffnen\n"
                          "Save\tСохранить\t\tSichern\r\n\tОткрыть\t\t\nBad\t\t\t\textra\n");
    }

    void setCellsAndSave()
    {
        QFETCH(QByteArray, content);
        QFETCH(QStringList, cells);
        const QString path = _dir.filePath("table.tsv");
        TextTable table;
        QVERIFY(writeFile(path, content) && table.load(path));
        QStringList gaps;
        for (const char* code : {"fr", "de"})
            for (const TextTable::Gap& gap : table.gaps(TextTable::column(code)))
                gaps << code + QString(" %1:").arg(gap.line) + gap.english;
        QTEST(gaps, "gaps");
        for (const QString& cell : cells) {
            const QString place = cell.section('=', 0, 0).remove('!');
            QCOMPARE(table.setCell(place.section(':', 0, 0).toInt(), place.section(':', 1).toInt(),
                                   cell.section('=', 1)),
                     !cell.startsWith('!'));
        }
        QVERIFY(writeFile(path, "changed") && table.save());
        QTEST(readFile(path), "saved");
    }

    // A text and its table cell ("!" when a cell cannot hold it).
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
        QString result;
        QCOMPARE(TextTable::escape(row.section('=', 0, 0), result) ? result : "!",
                 row.section('=', 1));
    }

    // The tool on the last argument or the program's table (also on standard input): the table
    // afterwards ("=": unchanged), its output, its exit code and some of its error output.
    void tool_data()
    {
        QTest::addColumn<QString>("arguments");
        QTest::addColumn<QByteArray>("before");
        QTest::addColumn<QByteArray>("after");
        QTest::addColumn<QString>("output");
        QTest::addColumn<QString>("exit"); // "code: error"
        const char* rows[][6] = {
            {"fills the program's tables in place", "fr,de --in-place",
             "# menu\nOpen\tОткрыть\t\tÖffnen\nFirst\\nSecond\nSave as\nUnknown text\n",
             "# menu\nOpen\tОткрыть\tOuvrir\tÖffnen\nFirst\\nSecond\t\tPremier\\nsecond\t\n"
             "Save as\t\tEnregistrer sous\tSpeichern unter\nUnknown text\n",
             "", "1: fr: no translation for \"Unknown text\""},
            {"prints for review", "de review.tsv",
             "Close\tЗакрыть\tFermer\tSchließen\nOpen\tОткрыть\t\t\n", "=",
             "# review.tsv:2\nOpen\tОткрыть\t\tÖffnen\n", "0: "},
            {"list, a text no cell can hold", "de --list -", "Close\n\n# a comment\nSave as\na^b\n",
             "=", "Close\t\t\tSchließen\nSave as\t\t\tSpeichern unter\n", "0: "},
            {"usage: no language", "", "Open\n", "=", "", "2: A LANGUAGE is needed"},
            {"usage: English", "en menu.tsv", "Open\n", "=", "", "2: Unknown language \"en\""},
            {"usage: timeout", "fr -t soon menu.tsv", "Open\n", "=", "", "2: The timeout must be"},
            {"usage: no table", "fr nowhere.txt", "Open\n", "=", "", "2: Cannot read nowhere.txt"},
            {"usage: a list and a table", "fr -i --list -", "Open\n", "=", "",
             "2: --list takes no TABLE"}};
        for (const auto& row : rows)
            QTest::newRow(row[0]) << QString(row[1]) << QByteArray(row[2]) << QByteArray(row[3])
                                  << QString(row[4]) << QString(row[5]);
    }

    void tool()
    {
        QFETCH(QString, arguments);
        QFETCH(QByteArray, before);
        QFETCH(QByteArray, after);
        const QString table = _dir.filePath(arguments.endsWith(".tsv") ? arguments.section(' ', -1)
                                                                       : "languages/texts/a.tsv");
        QVERIFY(writeFile(table, before));
        QProcess tool;
        tool.setWorkingDirectory(_dir.path());
        const QString page = QUrl::fromLocalFile(_dir.filePath("page.html")).toString();
        tool.start(FILLTRANSLATIONS_PATH,
                   QStringList{"--url", page} + arguments.split(' ', Qt::SkipEmptyParts));
        tool.write(before);
        tool.closeWriteChannel();
        QVERIFY(tool.waitForFinished(120000));
        QCOMPARE(readFile(table), after == "=" ? before : after);
        QTEST(QString::fromUtf8(tool.readAllStandardOutput()), "output");
        QFETCH(QString, exit);
        const QString errors = QString::fromUtf8(tool.readAllStandardError());
        QCOMPARE(QString::number(tool.exitCode()), exit.section(": ", 0, 0));
        QVERIFY2(errors.contains(exit.section(": ", 1)), qPrintable(errors));
    }
};

QTEST_GUILESS_MAIN(TestFillTranslations)
#include "tst_filltranslations.moc"
