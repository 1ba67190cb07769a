#include "data/document.h"
#include "support/testsupport.h"

#include <QtTest>

class TestSchema : public QObject
{
    Q_OBJECT

private slots:
    void fieldDefaults_data()
    {
        QTest::addColumn<uchar>("type");
        QTest::addColumn<QVariant>("given");
        QTest::addColumn<QString>("sqlType");
        QTest::addColumn<QVariant>("expected");
        QTest::addColumn<int>("diagnostics");
        const QVariant none;
        QTest::newRow("int") << MD_INT << none << "INTEGER" << QVariant(0) << 0;
        QTest::newRow("float") << MD_FLOAT << none << "REAL" << QVariant(0.0f) << 0;
        QTest::newRow("string") << MD_STRING << none << "TEXT" << QVariant(QStringLiteral("")) << 0;
        QTest::newRow("text") << MD_TEXT << none << "TEXT" << QVariant(QStringLiteral("")) << 0;
        QTest::newRow("selection") << MD_SEL << none << "INTEGER" << QVariant(-1) << 0;
        QTest::newRow("rating") << MD_RATING << none << "INTEGER" << QVariant(0) << 0;
        QTest::newRow("money") << MD_MONEY << none << "REAL" << QVariant(0.0f) << 0;
        QTest::newRow("image") << MD_IMAGE << none << "BLOB" << QVariant(QByteArray("0")) << 0;
        QTest::newRow("given rating") << MD_RATING << QVariant(5) << "INTEGER" << QVariant(5) << 0;
        QTest::newRow("given selection")
            << MD_SEL << QVariant("kg") << "INTEGER" << QVariant("kg") << 0;
        // An unknown type is reported for its SQL type and, without a default, for that too.
        QTest::newRow("unknown") << uchar(8) << none << "" << QVariant() << 2;
        QTest::newRow("unknown, given") << uchar(200) << QVariant(3) << "" << QVariant(3) << 1;
    }

    void fieldDefaults()
    {
        QFETCH(uchar, type);
        QFETCH(QVariant, given);
        QFETCH(QVariant, expected);
        MessageCapture capture;
        const TF field("f", type, "Caption", given);
        QTEST(capture.diagnostics("Error: Unknown data type"), "diagnostics");
        QTEST(field.sqlType, "sqlType");
        QCOMPARE(field.defaultValue.userType(), expected.userType());
        QCOMPARE(field.defaultValue, expected);
        QCOMPARE(field.defaultValue.isNull(), expected.isNull());
    }

    // Columns in field order after the id, which stays in the int range; a
    // table without fields still takes rows; a second table of a name is refused.
    void createTable()
    {
        Document document;
        document.db = QSqlDatabase::addDatabase("QSQLITE");
        document.db.setDatabaseName(":memory:");
        QVERIFY(document.db.open());
        MessageCapture capture;
        const TF units[] = {TF("name", MD_STRING, "Measure"), TF("photo", MD_IMAGE, "Photo"),
                            TF("odd", 9, "Odd")};
        QVERIFY(document.createTable("Units", TableData(units, 3)));
        QVERIFY(document.createTable("X", TableData(nullptr, 0)));
        const QString id = "id INTEGER PRIMARY KEY NOT NULL CHECK (id BETWEEN 1 AND 2147483647)";
        QCOMPARE(queryRows("SELECT sql FROM sqlite_master ORDER BY name"),
                 QStringList({"CREATE TABLE Units (" + id + ", name TEXT, photo BLOB, odd )",
                              "CREATE TABLE X (" + id + ")"}));
        QCOMPARE(document.tables.at("Units").fieldList, QStringLiteral("name, photo, odd"));
        QCOMPARE(document.tables.at("Units").bindList, QStringLiteral(":name, :photo, :odd"));
        QVERIFY(document.tables.at("X").fieldList.isEmpty());
        std::vector<QVariant> none, idOnly{7};
        QCOMPARE(document.addRow("X", none, true), 1);
        QCOMPARE(document.addRow("X", idOnly, false), 7);

        capture.clear();
        const TF tags[] = {TF("name", MD_STRING, "Name")};
        QVERIFY(!document.createTable("Units", TableData(tags, 1)));
        QCOMPARE(capture.diagnostics("Units table not created"), 1);
        QCOMPARE(document.tables.at("Units").fields.size(), size_t(3));
    }
};

QTEST_GUILESS_MAIN(TestSchema)
#include "tst_schema.moc"
