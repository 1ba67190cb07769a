#include "lang/langmodel.h"
#include "support/testsupport.h"

#include <QDir>
#include <QFile>
#include <QtTest>

namespace {

void writeLanguage(const QString& dir, const QString& code, const QByteArray& records)
{
    QFile file(dir + "/_lanraw_" + code + ".bpl");
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(records);
}

} // namespace

class TestLangModel : public QObject
{
    Q_OBJECT

private slots:
    void cleanup();

    void translations_data();
    void translations();
    void untranslatedRecordedOnce();
    void englishRecordsNothing();
    void indexOutOfRange_data();
    void indexOutOfRange();
    void missingFiles_data();
    void missingFiles();
    void recordLimit();
    void stringsFromFile();
    void freeTranslate();
    void shippedFilesAreParallel();
};

void TestLangModel::cleanup()
{
    setAppLangModel(nullptr);
}

void TestLangModel::translations_data()
{
    QTest::addColumn<QByteArray>("english");
    QTest::addColumn<QByteArray>("french");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("expected");
    QTest::addColumn<int>("untranslated");

    QTest::newRow("found") << QByteArray("Open^Save^") << QByteArray("Ouvrir^Enregistrer^")
                           << "Save" << "Enregistrer" << 0;
    QTest::newRow("not found") << QByteArray("Open^Save^") << QByteArray("Ouvrir^Enregistrer^")
                               << "Close" << "Close" << 1;
    QTest::newRow("empty text") << QByteArray("Open^") << QByteArray("Ouvrir^") << "" << "" << 0;
    QTest::newRow("empty record") << QByteArray("Open^Save^Quit^") << QByteArray("Ouvrir^^Quitter^")
                                  << "Save" << "" << 0;
    QTest::newRow("duplicate key, first wins") << QByteArray("Open^Open^")
                                               << QByteArray("Ouvrir^Autre^") << "Open"
                                               << "Ouvrir" << 0;
    QTest::newRow("last record without end") << QByteArray("Open^Save")
                                             << QByteArray("Ouvrir^Enregistrer") << "Save"
                                             << "Enregistrer" << 0;
    QTest::newRow("short translation file") << QByteArray("Open^Save^Quit^")
                                            << QByteArray("Ouvrir^") << "Quit" << "Quit" << 1;
    QTest::newRow("line breaks are kept") << QByteArray("Open^\nSave^")
                                          << QByteArray("Ouvrir^\nEnregistrer^") << "\nSave"
                                          << "\nEnregistrer" << 0;
    QTest::newRow("carriage return dropped") << QByteArray("Two\r\nlines^")
                                             << QByteArray("Deux\r\nlignes^") << "Two\nlines"
                                             << "Deux\nlignes" << 0;
    QTest::newRow("unicode") << QByteArray("Salt^") << QByteArray("Sel ✓ «fin»^") << "Salt"
                             << QStringLiteral("Sel ✓ «fin»") << 0;
}

void TestLangModel::translations()
{
    QFETCH(QByteArray, english);
    QFETCH(QByteArray, french);
    QFETCH(QString, text);
    QFETCH(QString, expected);
    QFETCH(int, untranslated);
    QTemporaryDir dir;
    writeLanguage(dir.path(), "en", english);
    writeLanguage(dir.path(), "fr", french);
    LangModel model(2, dir.path() + "/");
    QCOMPARE(model.languageIndex, 2);
    QCOMPARE(model.translate(text), expected);
    QCOMPARE(int(model.untranslated.size()), untranslated);
}

void TestLangModel::untranslatedRecordedOnce()
{
    QTemporaryDir dir;
    writeLanguage(dir.path(), "en", "Open^Save^");
    writeLanguage(dir.path(), "fr", "Ouvrir^Enregistrer^");
    LangModel model(2, dir.path() + "/");
    QCOMPARE(model.translate("Open"), QStringLiteral("Ouvrir"));
    QCOMPARE(model.translate("Close"), QStringLiteral("Close"));
    QCOMPARE(model.translate("Quit"), QStringLiteral("Quit"));
    QCOMPARE(model.translate("Close"), QStringLiteral("Close"));
    QCOMPARE(model.untranslated, (std::vector<QString>{"Close", "Quit"}));
}

void TestLangModel::englishRecordsNothing()
{
    QTemporaryDir dir;
    MessageCapture capture;
    LangModel model(0, dir.path() + "/");
    QCOMPARE(model.translate("Anything"), QStringLiteral("Anything"));
    QVERIFY(model.untranslated.empty());
    QVERIFY(model.dictionary.empty());
    QVERIFY(capture.messages().isEmpty());
}

void TestLangModel::indexOutOfRange_data()
{
    QTest::addColumn<int>("index");
    QTest::newRow("7") << 7;
    QTest::newRow("4") << 4;
    QTest::newRow("negative") << -1;
}

void TestLangModel::indexOutOfRange()
{
    QFETCH(int, index);
    QTemporaryDir dir;
    writeLanguage(dir.path(), "en", "Open^");
    MessageCapture capture;
    LangModel model(index, dir.path() + "/");
    QCOMPARE(capture.diagnostics("Error! Language index does not exist!"), 1);
    QCOMPARE(model.languageIndex, 0);
    QCOMPARE(model.translate("Open"), QStringLiteral("Open"));
    QVERIFY(model.untranslated.empty());
}

void TestLangModel::missingFiles_data()
{
    QTest::addColumn<bool>("withEnglish");
    QTest::addColumn<bool>("withRussian");
    QTest::addColumn<QString>("message");
    QTest::newRow("no language file") << true << false
                                      << "Language model: cannot open file 1 for reading!";
    QTest::newRow("no English file") << false << true
                                     << "Language model: cannot open file 2 for reading!";
}

void TestLangModel::missingFiles()
{
    QFETCH(bool, withEnglish);
    QFETCH(bool, withRussian);
    QFETCH(QString, message);
    QTemporaryDir dir;
    if (withEnglish)
        writeLanguage(dir.path(), "en", "Open^");
    if (withRussian)
        writeLanguage(dir.path(), "ru", "Открыть^");
    MessageCapture capture;
    LangModel model(1, dir.path() + "/");
    QCOMPARE(capture.diagnostics(message), 1);
    QCOMPARE(model.languageIndex, 1);
    QCOMPARE(model.translate("Open"), QStringLiteral("Open"));
    QCOMPARE(model.untranslated, std::vector<QString>{"Open"});
}

void TestLangModel::recordLimit()
{
    QTemporaryDir dir;
    QByteArray english, german;
    for (int i = 0; i < 1005; ++i) {
        english += "text" + QByteArray::number(i) + "^";
        german += "Text" + QByteArray::number(i) + "^";
    }
    writeLanguage(dir.path(), "en", english);
    writeLanguage(dir.path(), "de", german);
    MessageCapture capture;
    LangModel model(3, dir.path() + "/");
    QCOMPARE(capture.diagnostics("Infifnite loop"), 1);
    QCOMPARE(model.dictionary.size(), size_t(1001));
    QCOMPARE(model.translate("text1000"), QStringLiteral("Text1000"));
    QCOMPARE(model.translate("text1001"), QStringLiteral("text1001"));

    std::vector<QString> records{"stale"};
    model._getStringsFromFile(dir.path() + "/_lanraw_de.bpl", records);
    QCOMPARE(records.size(), size_t(1001));
    QCOMPARE(records.front(), QStringLiteral("Text0"));
}

void TestLangModel::stringsFromFile()
{
    QTemporaryDir dir;
    writeLanguage(dir.path(), "en", "A^^B c^");
    LangModel model(0, dir.path() + "/");
    QCOMPARE(model._languageFile("ru"), dir.path() + "/_lanraw_ru.bpl");
    std::vector<QString> records;
    model._getStringsFromFile(model._languageFile("en"), records);
    QCOMPARE(records, (std::vector<QString>{"A", "", "B c"}));

    MessageCapture capture;
    model._getStringsFromFile(model._languageFile("xx"), records);
    QVERIFY(records.empty());
    QCOMPARE(capture.diagnostics("Language model: cannot open file for reading!"), 1);
}

void TestLangModel::freeTranslate()
{
    QCOMPARE(translate("Open"), QStringLiteral("Open"));
    QTemporaryDir dir;
    writeLanguage(dir.path(), "en", "Open^");
    writeLanguage(dir.path(), "de", "Öffnen^");
    LangModel model(3, dir.path() + "/");
    setAppLangModel(&model);
    QCOMPARE(translate("Open"), QStringLiteral("Öffnen"));
    QCOMPARE(appLangModel(), &model);
}

void TestLangModel::shippedFilesAreParallel()
{
    const QString dir = QStringLiteral(CULINOR_SOURCE_DIR "/languages/");
    LangModel english(0, dir);
    std::vector<QString> keys;
    english._getStringsFromFile(english._languageFile("en"), keys);
    QVERIFY(keys.size() > 50);
    for (int index = 1; index < 4; ++index) {
        LangModel model(index, dir);
        std::vector<QString> records;
        model._getStringsFromFile(model._languageFile(LangModel::languageCodes().at(index)),
                                  records);
        QCOMPARE(records.size(), keys.size());
        for (const QString& key : keys)
            QVERIFY2(!model.translate(key).isEmpty(), qPrintable(key));
        QVERIFY(model.untranslated.empty());
    }
}

QTEST_GUILESS_MAIN(TestLangModel)
#include "tst_langmodel.moc"
