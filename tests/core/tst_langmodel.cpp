#include "lang/langmodel.h"
#include "support/testsupport.h"

#include <QFile>
#include <QtTest>

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
        QTest::addColumn<QString>("message");
        using B = QByteArray;
        const B en = "Open^Save^", fr = "Ouvrir^Sauver «✓»^", many = B("x^").repeated(1000);
        const QString cannot = "Language model: cannot open file %1 for reading!";
        QTest::newRow("found") << 2 << en << fr << "Save" << QStringLiteral("Sauver «✓»") << "";
        QTest::newRow("empty record") << 2 << en << B("^Sauver^") << "Open" << "" << "";
        QTest::newRow("short translations") << 2 << en << B("Ouvrir^") << "Save" << "Save" << "";
        QTest::newRow("CR dropped") << 2 << B("A\r\nB^") << B("C\r\nD^") << "A\nB" << "C\nD" << "";
        QTest::newRow("index 4") << 4 << en << B() << "Open" << "Open"
                                 << "Error! Language index does not exist!";
        QTest::newRow("no language file") << 1 << en << B() << "Open" << "Open" << cannot.arg(1);
        QTest::newRow("no English") << 1 << B() << B("A^") << "Open" << "Open" << cannot.arg(2);
        QTest::newRow("last record read") << 3 << many + "last^more^" << many + "Letzte^Mehr^"
                                          << "last" << "Letzte" << "Infifnite loop";
    }

    void translations()
    {
        QFETCH(int, index);
        QFETCH(QByteArray, english);
        QFETCH(QByteArray, other);
        QFETCH(QString, text);
        QFETCH(QString, expected);
        QFETCH(QString, message);
        QTemporaryDir dir;
        for (const QString& code : {QString("en"), LangModel::languageCodes().value(index)}) {
            QFile file(dir.filePath("_lanraw_" + code + ".bpl"));
            const QByteArray bytes = code == "en" ? english : other;
            QVERIFY(bytes.isNull() || (file.open(QIODevice::WriteOnly) && file.write(bytes) > 0));
        }
        MessageCapture capture;
        LangModel model(index, dir.path() + "/");
        QCOMPARE(capture.diagnostics(message), int(!message.isEmpty()));
        setAppLangModel(&model);
        QCOMPARE(model.translate(text), expected);
        QCOMPARE(translate(text), expected); // a text asked for again is recorded once
        QCOMPARE(model.untranslated.size(), size_t(index % 4 != 0 && expected == text));
        std::vector<QString> records{"stale"}; // the English records, as many as the model reads
        model._getStringsFromFile(model._languageFile("en"), records);
        QCOMPARE(records.size(), std::min<size_t>(english.count('^'), LangModel::MaxRecords));
        QCOMPARE(capture.messages().size(), int(!message.isEmpty()) + int(english.isNull()));
    }
};

QTEST_GUILESS_MAIN(TestLangModel)
#include "tst_langmodel.moc"
