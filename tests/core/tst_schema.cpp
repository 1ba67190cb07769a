#include "data/document.h"
#include "support/testsupport.h"

#include <QtTest>

class TestSchema : public QObject
{
    Q_OBJECT

private slots:
    // Each type's column and default (an unknown type is reported for both unless given a
    // default); ids the widgets cannot keep as int are refused, and so is a second table.
    void createTable()
    {
        Document document;
        document.db = QSqlDatabase::addDatabase("QSQLITE");
        document.db.setDatabaseName(":memory:");
        QVERIFY(document.db.open());
        MessageCapture capture;
        const TF fields[] = {TF("i", MD_INT, ""), TF("m", MD_MONEY, ""), TF("t", MD_TEXT, ""),
                             TF("s", MD_SEL, ""), TF("p", MD_IMAGE, ""), TF("g", MD_SEL, "", "kg"),
                             TF("u", MD_COUNT, ""), TF("v", 200, "", 3)};
        QCOMPARE(capture.diagnostics("Error: Unknown data type"), 3);
        QVERIFY(document.createTable("T", TableData(fields, 8)));
        QCOMPARE(queryRows("SELECT name, type FROM pragma_table_info('T')"),
                 QStringList({"id INTEGER", "i INTEGER", "m REAL", "t TEXT", "s INTEGER",
                              "p BLOB", "g INTEGER", "u ", "v "}));
        QStringList defaults;
        for (const TF& f : document.tables.at("T").fields)
            defaults << QString(f.defaultValue.typeName()) + ' ' + f.defaultValue.toString();
        QCOMPARE(defaults, QStringList({"int 0", "float 0", "QString ", "int -1", "QByteArray 0",
                                        "QString kg", " ", "int 3"}));
        QCOMPARE(document.tables.at("T").bindList, QString(":i, :m, :t, :s, :p, :g, :u, :v"));
        for (const char* id : {"0", "2147483648", "2147483647"})
            queryRows(QString("INSERT INTO T (id) VALUES (%1)").arg(id));
        QCOMPARE(queryRows("SELECT id FROM T"), QStringList{"2147483647"});

        QVERIFY(!document.createTable("T", TableData(fields, 1)));
        QCOMPARE(capture.diagnostics("T table not created"), 1);
        QCOMPARE(document.tables.at("T").fields.size(), size_t(8));
    }
};

QTEST_GUILESS_MAIN(TestSchema)
#include "tst_schema.moc"
