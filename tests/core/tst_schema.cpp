#include "data/document.h"
#include "support/testsupport.h"

#include <QSqlQuery>
#include <QtTest>

class TestSchema : public QObject
{
    Q_OBJECT

private slots:
    void metatypeDefaults_data();
    void metatypeDefaults();
    void explicitDefaultKept();
    void unknownMetatype();
    void bindLists();
    void createTableStatement();
    void createTableTwice();
    void emptyTable();
};

void TestSchema::metatypeDefaults_data()
{
    QTest::addColumn<uchar>("type");
    QTest::addColumn<QString>("sqlType");
    QTest::addColumn<QVariant>("expected");
    QTest::newRow("int") << MD_INT << "INTEGER" << QVariant(0);
    QTest::newRow("float") << MD_FLOAT << "REAL" << QVariant(0.0f);
    QTest::newRow("string") << MD_STRING << "TEXT" << QVariant(QStringLiteral(""));
    QTest::newRow("text") << MD_TEXT << "TEXT" << QVariant(QStringLiteral(""));
    QTest::newRow("selection") << MD_SEL << "INTEGER" << QVariant(-1);
    QTest::newRow("rating") << MD_RATING << "INTEGER" << QVariant(0);
    QTest::newRow("money") << MD_MONEY << "REAL" << QVariant(0.0f);
    QTest::newRow("image") << MD_IMAGE << "BLOB" << QVariant(QByteArray("0"));
}

void TestSchema::metatypeDefaults()
{
    QFETCH(uchar, type);
    QFETCH(QString, sqlType);
    QFETCH(QVariant, expected);
    const TF field("f", type, "Caption", QVariant());
    QCOMPARE(field.sqlType, sqlType);
    QCOMPARE(field.defaultValue.userType(), expected.userType());
    QCOMPARE(field.defaultValue, expected);
    QVERIFY(!field.defaultValue.isNull());
    QVERIFY(!field.connected);
    QVERIFY(field.linkedTable.isEmpty());
}

void TestSchema::explicitDefaultKept()
{
    const TF rating("rating", MD_RATING, "Rating", 5);
    QCOMPARE(rating.defaultValue, QVariant(5));
    const TF selection("id_unit", MD_SEL, "Measure", QStringLiteral("kg"));
    QCOMPARE(selection.defaultValue, QVariant(QStringLiteral("kg")));
}

void TestSchema::unknownMetatype()
{
    MessageCapture capture;
    const TF field("odd", 8, "Odd", QVariant());
    QCOMPARE(capture.diagnostics("Error: Unknown data type"), 2);
    QVERIFY(field.sqlType.isEmpty());
    QVERIFY(!field.defaultValue.isValid());

    capture.clear();
    const TF withDefault("odd", 200, "Odd", 3);
    QCOMPARE(capture.diagnostics("Error: Unknown data type"), 1);
    QCOMPARE(withDefault.defaultValue, QVariant(3));
}

void TestSchema::bindLists()
{
    const TF fields[] = {TF("name", MD_STRING, "Name"), TF("id_unit", MD_SEL, "Unit"),
                         TF("cost", MD_FLOAT, "Cost")};
    const TableData data(fields, 3);
    QCOMPARE(data.fields.size(), size_t(3));
    QCOMPARE(data.fieldList, QStringLiteral("name, id_unit, cost"));
    QCOMPARE(data.bindList, QStringLiteral(":name, :id_unit, :cost"));
    QVERIFY(data.oneLinks.empty());
    QVERIFY(data.manyLinks.empty());
}

void TestSchema::createTableStatement()
{
    Document document;
    document.db = QSqlDatabase::addDatabase("QSQLITE");
    document.db.setDatabaseName(":memory:");
    QVERIFY(document.db.open());
    QTest::ignoreMessage(QtDebugMsg, QRegularExpression("Unknown data type"));
    QTest::ignoreMessage(QtDebugMsg, QRegularExpression("Unknown data type"));
    const TF fields[] = {TF("name", MD_STRING, "Measure"), TF("photo", MD_IMAGE, "Photo"),
                         TF("odd", 9, "Odd")};
    QVERIFY(document.createTable("Units", TableData(fields, 3)));
    QSqlQuery query("SELECT sql FROM sqlite_master WHERE name='Units'");
    QVERIFY(query.next());
    QCOMPARE(query.value(0).toString(),
             QStringLiteral("CREATE TABLE Units (id INTEGER PRIMARY KEY NOT NULL, name TEXT, "
                            "photo BLOB, odd )"));
}

void TestSchema::createTableTwice()
{
    Document document;
    document.db = QSqlDatabase::addDatabase("QSQLITE");
    document.db.setDatabaseName(":memory:");
    QVERIFY(document.db.open());
    const TF first[] = {TF("name", MD_STRING, "Name")};
    const TF second[] = {TF("name", MD_STRING, "Name"), TF("cost", MD_FLOAT, "Cost")};
    QVERIFY(document.createTable("Tags", TableData(first, 1)));
    MessageCapture capture;
    QVERIFY(!document.createTable("Tags", TableData(second, 2)));
    QCOMPARE(capture.diagnostics("Tags table not created"), 1);
    QCOMPARE(document.tables.at("Tags").fields.size(), size_t(1));
}

void TestSchema::emptyTable()
{
    Document document;
    document.db = QSqlDatabase::addDatabase("QSQLITE");
    document.db.setDatabaseName(":memory:");
    QVERIFY(document.db.open());
    QVERIFY(document.createTable("X", TableData(nullptr, 0)));
    QVERIFY(document.tables.at("X").fieldList.isEmpty());
    QVERIFY(document.tables.at("X").bindList.isEmpty());
    QSqlQuery query("SELECT sql FROM sqlite_master WHERE name='X'");
    QVERIFY(query.next());
    QCOMPARE(query.value(0).toString(),
             QStringLiteral("CREATE TABLE X (id INTEGER PRIMARY KEY NOT NULL)"));
    std::vector<QVariant> none;
    QCOMPARE(document.addRow("X", none, true), 1);
    std::vector<QVariant> idOnly{7};
    QCOMPARE(document.addRow("X", idOnly, false), 7);
}

QTEST_GUILESS_MAIN(TestSchema)
#include "tst_schema.moc"
