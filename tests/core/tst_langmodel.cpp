#include "lang/langmodel.h"
#include "support/testsupport.h"

#include <QFile>
#include <QtTest>

namespace {

const QString NoIndex = "Error! Language index does not exist!";

void writeLanguage(const QTemporaryDir& dir, const QString& code, const QByteArray& records)
{
    QFile file(dir.filePath("_lanraw_" + code + ".bpl"));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(records);
}

} // namespace

class TestLangModel : public QObject
{
    Q_OBJECT

private slots:
    void cleanup() { setAppLangModel(nullptr); }

    void translations_data()
    {
        QTest::addColumn<int>("index");
        QTest::addColumn<QByteArray>("english"); // null: no file
        QTest::addColumn<QByteArray>("other");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("expected");
        QTest::addColumn<int>("records");
        QTest::addColumn<QString>("message");
        const QByteArray en = "Open^Save^", fr = "Ouvrir^Enregistrer^", none;
        QTest::newRow("found") << 2 << en << fr << "Save" << "Enregistrer" << 2 << "";
        QTest::newRow("not found") << 2 << en << fr << "Close" << "Close" << 2 << "";
        QTest::newRow("empty text") << 2 << en << fr << "" << "" << 2 << "";
        QTest::newRow("empty record") << 2 << QByteArray("Open^Save^Quit^")
                                      << QByteArray("Ouvrir^^Quitter^") << "Save" << "" << 3 << "";
        QTest::newRow("duplicate key, first wins") << 2 << QByteArray("Open^Open^")
                                                   << QByteArray("Ouvrir^Autre^") << "Open"
                                                   << "Ouvrir" << 1 << "";
        QTest::newRow("last record without end") << 2 << QByteArray("Open^Save") << fr.chopped(1)
                                                 << "Save" << "Enregistrer" << 2 << "";
        QTest::newRow("short translation file") << 2 << QByteArray("Open^Save^Quit^")
                                                << QByteArray("Ouvrir^") << "Quit" << "Quit" << 1
                                                << "";
        QTest::newRow("line breaks are kept") << 2 << QByteArray("Open^\nSave^")
                                              << QByteArray("Ouvrir^\nEnregistrer^") << "\nSave"
                                              << "\nEnregistrer" << 2 << "";
        QTest::newRow("carriage return dropped")
            << 2 << QByteArray("Two\r\nlines^") << QByteArray("Deux\r\nlignes^") << "Two\nlines"
            << "Deux\nlignes" << 1 << "";
        QTest::newRow("unicode") << 2 << QByteArray("Salt^") << QByteArray("Sel ✓ «fin»^")
                                 << "Salt" << QStringLiteral("Sel ✓ «fin»") << 1 << "";
        // Without a usable language the texts stay English; with a language
        // chosen they are still recorded as untranslated.
        QTest::newRow("English needs no file") << 0 << none << none << "Open" << "Open" << 0 << "";
        QTest::newRow("index 4") << 4 << en << none << "Open" << "Open" << 0 << NoIndex;
        QTest::newRow("negative index") << -1 << en << none << "Open" << "Open" << 0 << NoIndex;
        QTest::newRow("no language file") << 1 << en << none << "Open" << "Open" << 0
                                          << "Language model: cannot open file 1 for reading!";
        QTest::newRow("no English file") << 1 << none << QByteArray("Открыть^") << "Open"
                                         << "Open" << 0
                                         << "Language model: cannot open file 2 for reading!";
        QByteArray many, manyGerman;
        for (int i = 0; i < 1005; ++i) {
            many += "text" + QByteArray::number(i) + "^";
            manyGerman += "Text" + QByteArray::number(i) + "^";
        }
        QTest::newRow("last record read") << 3 << many << manyGerman << "text1000" << "Text1000"
                                          << 1001 << "Infifnite loop";
        QTest::newRow("past the records read") << 3 << many << manyGerman << "text1001"
                                               << "text1001" << 1001 << "Infifnite loop";
    }

    // Each text is asked for twice, and once more through the program's
    // translate(): a text without translation is recorded once.
    void translations()
    {
        QFETCH(int, index);
        QFETCH(QByteArray, english);
        QFETCH(QByteArray, other);
        QFETCH(QString, text);
        QFETCH(QString, expected);
        QFETCH(QString, message);
        QTemporaryDir dir;
        if (!english.isNull())
            writeLanguage(dir, "en", english);
        if (!other.isNull())
            writeLanguage(dir, LangModel::languageCodes().value(index), other);
        MessageCapture capture;
        LangModel model(index, dir.path() + "/");
        QCOMPARE(capture.messages().size(), message.isEmpty() ? 0 : 1);
        QCOMPARE(capture.diagnostics(message), message.isEmpty() ? 0 : 1);
        QCOMPARE(model.languageIndex, message == NoIndex ? 0 : index);
        QTEST(int(model.dictionary.size()), "records");
        QCOMPARE(translate(text), text); // no model installed
        setAppLangModel(&model);
        QCOMPARE(appLangModel(), &model);
        QCOMPARE(model.translate(text), expected);
        QCOMPARE(model.translate(text), expected);
        QCOMPARE(translate(text), expected);
        const bool missing = model.languageIndex != 0 && expected == text && !text.isEmpty();
        QCOMPARE(model.untranslated, missing ? std::vector<QString>{text} : std::vector<QString>());
    }

    void stringsFromFile()
    {
        QTemporaryDir dir;
        writeLanguage(dir, "en", "A^^B c^");
        LangModel model(0, dir.path() + "/");
        QCOMPARE(model._languageFile("ru"), dir.path() + "/_lanraw_ru.bpl");
        std::vector<QString> records{"stale"};
        model._getStringsFromFile(model._languageFile("en"), records);
        QCOMPARE(records, (std::vector<QString>{"A", "", "B c"}));

        MessageCapture capture;
        model._getStringsFromFile(model._languageFile("xx"), records);
        QVERIFY(records.empty());
        QCOMPARE(capture.diagnostics("Language model: cannot open file for reading!"), 1);
    }
};

QTEST_GUILESS_MAIN(TestLangModel)
#include "tst_langmodel.moc"
