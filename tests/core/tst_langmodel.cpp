#include "lang/langmodel.h"
#include "support/testsupport.h"

#include <QFile>
#include <QtTest>

namespace {

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
        QTest::addColumn<QByteArray>("english");
        QTest::addColumn<QByteArray>("french");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("expected");
        const QByteArray en = "Open^Save^", fr = "Ouvrir^Enregistrer^";
        QTest::newRow("found") << en << fr << "Save" << "Enregistrer";
        QTest::newRow("not found") << en << fr << "Close" << "Close";
        QTest::newRow("empty text") << en << fr << "" << "";
        QTest::newRow("empty record")
            << QByteArray("Open^Save^Quit^") << QByteArray("Ouvrir^^Quitter^") << "Save" << "";
        QTest::newRow("duplicate key, first wins")
            << QByteArray("Open^Open^") << QByteArray("Ouvrir^Autre^") << "Open" << "Ouvrir";
        QTest::newRow("last record without end")
            << QByteArray("Open^Save") << QByteArray("Ouvrir^Enregistrer") << "Save"
            << "Enregistrer";
        QTest::newRow("short translation file")
            << QByteArray("Open^Save^Quit^") << QByteArray("Ouvrir^") << "Quit" << "Quit";
        QTest::newRow("line breaks are kept") << QByteArray("Open^\nSave^")
                                              << QByteArray("Ouvrir^\nEnregistrer^") << "\nSave"
                                              << "\nEnregistrer";
        QTest::newRow("carriage return dropped")
            << QByteArray("Two\r\nlines^") << QByteArray("Deux\r\nlignes^") << "Two\nlines"
            << "Deux\nlignes";
        QTest::newRow("unicode") << QByteArray("Salt^") << QByteArray("Sel ✓ «fin»^") << "Salt"
                                 << QStringLiteral("Sel ✓ «fin»");
    }

    // Each text is asked for twice: a text without translation is recorded once.
    void translations()
    {
        QFETCH(QByteArray, english);
        QFETCH(QByteArray, french);
        QFETCH(QString, text);
        QFETCH(QString, expected);
        QTemporaryDir dir;
        writeLanguage(dir, "en", english);
        writeLanguage(dir, "fr", french);
        LangModel model(2, dir.path() + "/");
        QCOMPARE(model.languageIndex, 2);
        QCOMPARE(model.translate(text), expected);
        QCOMPARE(model.translate(text), expected);
        const bool missing = expected == text && !text.isEmpty();
        QCOMPARE(model.untranslated, missing ? std::vector<QString>{text} : std::vector<QString>());
    }

    void fallbacks_data()
    {
        QTest::addColumn<int>("index");
        QTest::addColumn<QStringList>("files");
        QTest::addColumn<QString>("message");
        QTest::addColumn<int>("languageIndex");
        const QString noIndex = "Error! Language index does not exist!";
        QTest::newRow("English needs no file") << 0 << QStringList() << "" << 0;
        QTest::newRow("index 4") << 4 << QStringList{"en"} << noIndex << 0;
        QTest::newRow("negative index") << -1 << QStringList{"en"} << noIndex << 0;
        QTest::newRow("no language file")
            << 1 << QStringList{"en"} << "Language model: cannot open file 1 for reading!" << 1;
        QTest::newRow("no English file")
            << 1 << QStringList{"ru"} << "Language model: cannot open file 2 for reading!" << 1;
    }

    // Without a usable language the texts stay English; with a language chosen
    // they are still recorded as untranslated.
    void fallbacks()
    {
        QFETCH(int, index);
        QFETCH(QStringList, files);
        QFETCH(QString, message);
        QFETCH(int, languageIndex);
        QTemporaryDir dir;
        for (const QString& code : files)
            writeLanguage(dir, code, code == "en" ? "Open^" : "Открыть^");
        MessageCapture capture;
        LangModel model(index, dir.path() + "/");
        QCOMPARE(capture.messages().size(), message.isEmpty() ? 0 : 1);
        QCOMPARE(capture.diagnostics(message), message.isEmpty() ? 0 : 1);
        QCOMPARE(model.languageIndex, languageIndex);
        QVERIFY(model.dictionary.empty());
        QCOMPARE(model.translate("Open"), QStringLiteral("Open"));
        QCOMPARE(model.untranslated.size(), size_t(languageIndex));
    }

    void recordLimit()
    {
        QTemporaryDir dir;
        QByteArray english, german;
        for (int i = 0; i < 1005; ++i) {
            english += "text" + QByteArray::number(i) + "^";
            german += "Text" + QByteArray::number(i) + "^";
        }
        writeLanguage(dir, "en", english);
        writeLanguage(dir, "de", german);
        MessageCapture capture;
        LangModel model(3, dir.path() + "/");
        QCOMPARE(capture.diagnostics("Infifnite loop"), 1);
        QCOMPARE(model.dictionary.size(), size_t(1001));
        QCOMPARE(model.translate("text1000"), QStringLiteral("Text1000"));
        QCOMPARE(model.translate("text1001"), QStringLiteral("text1001"));
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

    void freeTranslate()
    {
        QCOMPARE(translate("Open"), QStringLiteral("Open"));
        QTemporaryDir dir;
        writeLanguage(dir, "en", "Open^");
        writeLanguage(dir, "de", "Öffnen^");
        LangModel model(3, dir.path() + "/");
        setAppLangModel(&model);
        QCOMPARE(appLangModel(), &model);
        QCOMPARE(translate("Open"), QStringLiteral("Öffnen"));
    }
};

QTEST_GUILESS_MAIN(TestLangModel)
#include "tst_langmodel.moc"
