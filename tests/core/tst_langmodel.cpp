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
    void fallbacks_data();
    void fallbacks();
    void recordLimit();
    void stringsFromFile();
    void freeTranslate();
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

    const QByteArray en = "Open^Save^";
    const QByteArray fr = "Ouvrir^Enregistrer^";
    QTest::newRow("found") << en << fr << "Save" << "Enregistrer" << 0;
    QTest::newRow("not found") << en << fr << "Close" << "Close" << 1;
    QTest::newRow("empty text") << en << fr << "" << "" << 0;
    QTest::newRow("empty record") << QByteArray("Open^Save^Quit^")
                                  << QByteArray("Ouvrir^^Quitter^") << "Save" << "" << 0;
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

// Each text is asked for twice: an untranslated one is recorded once.
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
    QCOMPARE(model.translate(text), expected);
    QCOMPARE(int(model.untranslated.size()), untranslated);
    if (untranslated)
        QCOMPARE(model.untranslated.front(), text);
}

void TestLangModel::fallbacks_data()
{
    QTest::addColumn<int>("index");
    QTest::addColumn<QStringList>("files");
    QTest::addColumn<QString>("message");
    QTest::addColumn<int>("languageIndex");
    QTest::addColumn<int>("untranslated");
    const QString noIndex = "Error! Language index does not exist!";
    QTest::newRow("English needs no file") << 0 << QStringList() << "" << 0 << 0;
    QTest::newRow("index 7") << 7 << QStringList{"en"} << noIndex << 0 << 0;
    QTest::newRow("index 4") << 4 << QStringList{"en"} << noIndex << 0 << 0;
    QTest::newRow("negative index") << -1 << QStringList{"en"} << noIndex << 0 << 0;
    QTest::newRow("no language file") << 1 << QStringList{"en"}
                                      << "Language model: cannot open file 1 for reading!" << 1
                                      << 1;
    QTest::newRow("no English file") << 1 << QStringList{"ru"}
                                     << "Language model: cannot open file 2 for reading!" << 1
                                     << 1;
}

// Without a usable language the texts stay English.
void TestLangModel::fallbacks()
{
    QFETCH(int, index);
    QFETCH(QStringList, files);
    QFETCH(QString, message);
    QFETCH(int, languageIndex);
    QFETCH(int, untranslated);
    QTemporaryDir dir;
    for (const QString& code : files)
        writeLanguage(dir.path(), code, code == "en" ? "Open^" : "Открыть^");
    MessageCapture capture;
    LangModel model(index, dir.path() + "/");
    QCOMPARE(capture.messages().size(), message.isEmpty() ? 0 : 1);
    QCOMPARE(capture.diagnostics(message), message.isEmpty() ? 0 : 1);
    QCOMPARE(model.languageIndex, languageIndex);
    QCOMPARE(model.translate("Open"), QStringLiteral("Open"));
    QCOMPARE(int(model.untranslated.size()), untranslated);
    QVERIFY(model.dictionary.empty());
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
    QCOMPARE(appLangModel(), &model);
    QCOMPARE(translate("Open"), QStringLiteral("Öffnen"));
}

QTEST_GUILESS_MAIN(TestLangModel)
#include "tst_langmodel.moc"
