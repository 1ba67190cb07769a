#include "texttable.h"
#include "support/testsupport.h"

#include <QtTest>

// A translation page: it translates "#en/<language>/<text>" from a dictionary, or shows nothing.
const char Page[] = R"page(<!DOCTYPE html><meta charset="utf-8"><div id="result_box"></div><script>
var words = {de: {"Open": "öffnen", "Save as": "speichern unter", "Close": "schließen"},
  fr: {"Open": "ouvrir", "Save as": "enregistrer sous", "First\nSecond": "premier\nsecond"}};
var parts = decodeURIComponent(location.hash.substring(1)).split("/");
var known = words[parts[1]] || {}, text = parts.slice(2).join("/");
if (known.hasOwnProperty(text))
  document.getElementById("result_box").innerHTML = "<span>" + known[text] + "</span>";
</script>)page";

class TestFillTranslations : public QObject
{
    Q_OBJECT

    QTemporaryDir _dir;

private slots:
    void initTestCase() { QVERIFY(writeFile(_dir.filePath("page.html"), Page)); }

    // The French and German gaps, line breaks restored; only text lines take a cell ("line:column=
    // text", "!": refused); missing cells are added empty, every other byte is kept.
    void setCellsAndSave_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QStringList>("gaps");
        QTest::addColumn<QStringList>("cells");
        QTest::addColumn<QByteArray>("saved");
        QTest::newRow("empty") << QByteArray() << QStringList{} << QStringList{} << QByteArray();
        QTest::newRow("gaps filled, carriage returns kept")
            << QByteArray("# c\n\nFirst\\nSecond\nOpen\tОткрыть\t\tÖffnen\nSave\tСохранить\r\n"
                          "\tОткрыть\t\t\nBad\t\t\t\textra\n\n# end")
            << QStringList{"fr 2:First\nSecond", "fr 3:Open", "fr 4:Save", "de 2:First\nSecond",
                           "de 4:Save"}
            << QStringList{"!-1:1", "!0:1",        "!1:1",       "!6:1",       "!7:1",
                           "!2:4",  "2:2=Premier", "3:2=Ouvrir", "4:3=Sichern"}
            << QByteArray("# c\n\nFirst\\nSecond\t\tPremier\t\nOpen\tОткрыть\tOuvrir\tÖffnen\n"
                          "Save\tСохранить\t\tSichern\r\n\tОткрыть\t\t\nBad\t\t\t\textra\n\n# end");
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

    // A text's table cell: line breaks of every kind as "\n", tabs as blanks.
    void escape()
    {
        QString cell;
        QCOMPARE(TextTable::escape("a\r\nb\rc\td\ne", cell) ? cell : "!", "a\\nb\\nc d\\ne");
    }

    // The tool on a table (its last argument or the program's): the table, output and exit.
    void tool_data()
    {
        QTest::addColumn<QString>("row"); // "arguments|before|after|output|code: error"
        for (const char* row :
             {"fr,de --in-place|# menu\nOpen\tОткрыть\t\tÖffnen\nFirst\\nSecond\nSave as\nUnknown "
              "text\n|# menu\nOpen\tОткрыть\tOuvrir\tÖffnen\nFirst\\nSecond\t\tPremier\\nsecond\t\n"
              "Save as\t\tEnregistrer sous\tSpeichern unter\nUnknown text\n||1: fr: no translation "
              "for \"Unknown text\"",
              "de review.tsv|Close\tЗакрыть\tFermer\tSchließen\nOpen\tОткрыть\t\t\n|=|"
              "# review.tsv:2\nOpen\tОткрыть\t\tÖffnen\n|0: ",
              "de --list -|Close\n\n# a comment\nSave as\na^b\n|=|"
              "Close\t\t\tSchließen\nSave as\t\t\tSpeichern unter\n|0: ",
              "|Open\n|=||2: A LANGUAGE is needed",
              "en menu.tsv|Open\n|=||2: Unknown language \"en\"",
              "fr -t soon menu.tsv|Open\n|=||2: The timeout must be",
              "fr nowhere.txt|Open\n|=||2: Cannot read nowhere.txt",
              "fr -i --list -|Open\n|=||2: --list takes no TABLE"})
            QTest::addRow("[%s]", QByteArray(row).split('|').at(0).constData()) << QString(row);
    }

    void tool()
    {
        QFETCH(QString, row);
        const QStringList field = row.split('|'); // arguments, before, after, output, exit
        const QByteArray before = field[1].toUtf8();
        const QString table = _dir.filePath(field[0].endsWith(".tsv") ? field[0].section(' ', -1)
                                                                      : "languages/texts/a.tsv");
        QVERIFY(writeFile(table, before));
        QProcess tool;
        tool.setWorkingDirectory(_dir.path());
        tool.start(
            FILLTRANSLATIONS_PATH,
            QStringList{"--url", QUrl::fromLocalFile(_dir.filePath("page.html")).toString()} +
                field[0].split(' ', Qt::SkipEmptyParts));
        tool.write(before);
        tool.closeWriteChannel();
        QVERIFY(tool.waitForFinished(120000));
        QCOMPARE(readFile(table), field[2] == "=" ? before : field[2].toUtf8());
        QCOMPARE(QString::fromUtf8(tool.readAllStandardOutput()), field[3]);
        const QString errors = QString::fromUtf8(tool.readAllStandardError());
        QCOMPARE(QString::number(tool.exitCode()), field[4].section(": ", 0, 0));
        QVERIFY2(errors.contains(field[4].section(": ", 1)), qPrintable(errors));
    }
};

QTEST_GUILESS_MAIN(TestFillTranslations)
#include "tst_filltranslations.moc"
