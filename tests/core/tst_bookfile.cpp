#include "data/recipebook.h"
#include "support/testsupport.h"

#include <QtTest>

namespace {

using Out = QDataStream;
const qint32 FileId = 81169248, EndMarker = 96012856;
const QString IndexCount = "SELECT COUNT(*) FROM sqlite_master WHERE type='index'";

// A book file: ID, format number, then what the caller writes.
QByteArray bookFile(const std::function<void(Out&)>& body, qint32 id = FileId)
{
    QByteArray bytes;
    Out out(&bytes, QIODevice::WriteOnly);
    out << id << qint32(1000);
    body(out);
    return bytes;
}

// A book file of sections (the table, its row count, the values) and the end marker.
using Section = std::tuple<QString, qint32, QVariantList>;
QByteArray book(const std::vector<Section>& sections)
{
    return bookFile([&](Out& out) {
        out << qint32(sections.size());
        for (const auto& [table, rows, values] : sections) {
            out << table << rows;
            for (const QVariant& value : values)
                out << value;
        }
        out << EndMarker;
    });
}

} // namespace

// Saving and opening .carb book files.
class TestBookFile : public QObject
{
    Q_OBJECT

    std::unique_ptr<ScratchBook> _s;
    Document* _book = nullptr;

    QString _path(const QString& name) const { return _s->dir.filePath(name); }

    QStringList _temporaryFiles() const
    {
        return QDir(_s->dir.path()).entryList({"*.tmp"}, QDir::AllEntries | QDir::System);
    }

    // Every stored value with its table and type, in id order.
    QStringList _content()
    {
        QStringList content;
        for (const auto& table : _book->tables) {
            QString columns = "typeof(id), id";
            for (const TF& field : table.second.fields)
                columns += QString(", typeof(%1), hex(%1)").arg(field.name);
            content += queryRows(
                QString("SELECT '%1', %2 FROM %1 ORDER BY id").arg(table.first, columns));
        }
        return content;
    }

    // Values that are easy to get wrong, with the sample book around them and gaps in the ids.
    void _fillOddBook()
    {
        _book->fillSampleBook();
        _book->deleteRow(Book::Ingredients, 2);
        _book->deleteRow(Book::Recipes, 1);
        const QVariant recipe[] = {"L'\"été\" <b>&</b> 🍰 Щи",
                                   QByteArray("\x00\x01\xff\xfe photo", 11),
                                   "<p style=\"x\">multi\nline</p>", 0, 10, 0.1f};
        _book->addRow(Book::Recipes, recipe, 6);
        _s->add(Book::Ingredients, {QStringLiteral("Salt"), -1, 1e-7f, 123456.75f});
        _s->add(Book::Tags, {QStringLiteral("")});
    }

private slots:
    void init()
    {
        _s.reset(new ScratchBook);
        _book = &_s->document;
        QVERIFY(_s->ready);
    }

    void cleanup() { _s.reset(); }

    // An empty book is the ID, the format number, eight empty sections in name order and the
    // end marker. A book read back has the same ids and values. Progress, told per table and
    // per block of rows, rises to its total; a cancel even at the last report fails the save.
    void roundTripKeepsIdsAndValues()
    {
        const QString name = _path("book.carb");
        QVERIFY(_book->SaveDocument(name));
        std::vector<Section> empty;
        for (const auto& table : _book->tables)
            empty.emplace_back(table.first, 0, QVariantList());
        QCOMPARE(readFile(name).toHex(), book(empty).toHex());
        _fillOddBook();
        for (int unit = 0; unit < 100; ++unit)
            _s->add(Book::Units, {QString("unit %1").arg(unit)});
        const QStringList saved = _content();
        std::vector<std::pair<qint64, qint64>> reports;
        bool cancel = false;
        const BookProgress progress = [&](qint64 done, qint64 total) {
            reports.emplace_back(done, total);
            return !cancel || done < total; // then even the last report cancels
        };
        const auto rose = [&] {
            QVERIFY(reports.size() > 9 && std::is_sorted(reports.begin(), reports.end()));
            for (const auto& report : reports)
                QCOMPARE(report.second, reports.back().first);
            reports.clear();
        };
        QVERIFY(_book->SaveDocument(name, progress));
        rose();
        const QByteArray file = readFile(name);
        MessageCapture capture;
        for (int length = 0; length < file.size(); length += 23) { // a file cut anywhere
            QVERIFY(writeFile(_path("cut.carb"), file.left(length)));
            QVERIFY2(!_book->OpenDocument(_path("cut.carb")), qPrintable(QString::number(length)));
        }
        _book->fillSampleBook();
        _book->modified = true;
        _book->fileName = "other";
        QVERIFY(_book->OpenDocument(name, progress) && !_book->modified);
        rose();
        QCOMPARE(_book->fileName, name);
        QCOMPARE(_content(), saved);
        _book->deleteRow(Book::Recipes, 2);
        cancel = true;
        QVERIFY(!_book->SaveDocument(name, progress));
        QCOMPARE(capture.diagnostics("Error: cancelled by the user"), 1);
        QCOMPARE(readFile(name), file);
        // Saving over the open file; opening while another query reads rebuilds the indexes.
        QVERIFY(_book->SaveDocument(name));
        QSqlQuery stillReading("SELECT id FROM Units");
        QVERIFY(stillReading.next());
        QVERIFY(_book->OpenDocument(name));
        QCOMPARE(queryRows(IndexCount), QStringList{"8"});
        QCOMPARE(_book->getIDByName(Book::Recipes, "Hamburger"), -1);
        QCOMPARE(_temporaryFiles(), QStringList());
    }

    void save_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("target");
        QTest::newRow("0.tmp is a dangling link") << "link" << "book.carb";
        QTest::newRow("missing folder") << "file" << "no/such/folder/book.carb";
        QTest::newRow("working directory not writable") << "/proc" << "book.carb";
    }

    // The book goes to the first free "<n>.tmp" of the working directory, else beside the book,
    // then replaces the target. A name taken, even by a link to nowhere, is passed over and
    // left alone. A failed save removes its file and changes nothing.
    void save()
    {
        QFETCH(QString, kind);
        QFETCH(QString, target);
        _book->fillSampleBook();
        _book->modified = true;
        QTemporaryDir elsewhere;
        const QString taken = _path("0.tmp"), name = elsewhere.filePath(target);
        const bool saved = !target.contains('/');
        QVERIFY(kind == "file"   ? writeFile(taken, "keep me")
                : kind == "link" ? QFile::link(elsewhere.filePath("pointed"), taken)
                                 : QDir::setCurrent(kind));
        MessageCapture capture;
        QCOMPARE(_book->SaveDocument(name), saved);
        QCOMPARE(capture.count("Error: cannot write"), int(!saved));
        QCOMPARE(_book->fileName, saved ? name : QStringLiteral("NewBook"));
        QCOMPARE(_book->modified, !saved);
        QCOMPARE(QDir(elsewhere.path()).entryList(QDir::Files),
                 saved ? QStringList{"book.carb"} : QStringList());
        QCOMPARE(QFileInfo(taken).isSymLink(), kind == "link");
        QCOMPARE(readFile(taken), QByteArray(kind == "file" ? "keep me" : ""));
        QCOMPARE(_temporaryFiles(), kind == "/proc" ? QStringList() : QStringList{"0.tmp"});
    }

    void badFiles_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QString>("message");
        const QString corrupt = "Error: the file is truncated or corrupted";
        const QString range = "Error: an id in the file is out of range";
        const QString noId = "Error: a row in the file has no valid id";
        const auto tags = [](QVariantList v) { return book({{"Tags", v.size() / 2, v}}); };
        QTest::newRow("missing file") << QByteArray() << "Unable to open file for reading!";
        QTest::newRow("wrong id") << bookFile([](Out&) {}, FileId + 1) << "Wrong file ID";
        QTest::newRow("unknown table") << book({{"Nowhere", 0, {}}}) << "No such table in database";
        QTest::newRow("wrong end marker")
            << bookFile([](Out& out) { out << qint32(0) << EndMarker - 1; })
            << "File end not found!";
        QTest::newRow("huge section count")
            << bookFile([](Out& out) { out << quint32(0xffffffff) << QString("Units"); })
            << corrupt;
        QTest::newRow("huge row count") << book({{"Tags", 0x7fffffff, {}}}) << corrupt;
        QTest::newRow("huge table name")
            << bookFile([](Out& out) { out << qint32(1) << quint32(0xfffffffe); }) << corrupt;
        // A value's type (a picture), its null flag and a payload of eight bytes.
        QTest::newRow("value type") << bookFile([](Out& out) {
            out << qint32(1) << QString("Tags") << qint32(1) << quint32(QMetaType::QImage)
                << qint8(0) << qint32(0x7fffffff) << qint32(1) << EndMarker;
        }) << "Error: unsupported value type 70 in file";
        QTest::newRow("null id") << tags({QVariant(), "tag"}) << noId;
        // A number flagged null is null whatever its payload: not id 0.
        QTest::newRow("null-flagged id") << tags({QVariant(QVariant::Int), "tag"}) << noId;
        QTest::newRow("id just past the int range") << tags({2147483648.0, "tag"}) << range;
        QTest::newRow("id zero") << tags({0, "tag"}) << range;
        QTest::newRow("link past the int range")
            << book({{"Ingredients", 1, {4, "Flour", qulonglong(4294967297), 1.0, 1.0}}}) << range;
        QTest::newRow("duplicate id") << tags({3, "tag", 3, "tag"}) << "addRow query error ";
    }

    // A file that cannot be read leaves the open book exactly as it was.
    void badFiles()
    {
        QFETCH(QByteArray, file);
        QFETCH(QString, message);
        _fillOddBook();
        QVERIFY(file.isNull() || writeFile(_path("bad.carb"), file));
        _book->modified = true;
        _book->fileName = "previous.carb";
        const QStringList before = _content();
        const int nextUnit = queryRows("SELECT MAX(id) + 1 FROM Units").value(0).toInt();
        MessageCapture capture;
        QVERIFY(!_book->OpenDocument(_path("bad.carb")));
        QCOMPARE(capture.count(message), 1);
        QCOMPARE(_content(), before);
        QCOMPARE(queryRows(IndexCount), QStringList{"8"});
        QVERIFY(_book->modified && _book->fileName == "previous.carb");
        QCOMPARE(_s->add(Book::Units, {QStringLiteral("after")}), nextUnit); // ids as before
    }

    // Files of other writers: no sections, ids as 32-bit ints, numbers as floats, nulls
    // flagged on numbers, an id that ends the int range (no new row is numbered past it).
    void otherWriters()
    {
        _book->fillSampleBook();
        const QString name = _path("other.carb");
        QVERIFY(writeFile(name, book({})));
        QVERIFY(_book->OpenDocument(name));
        QVERIFY(_content().isEmpty());
        const QVariantList ingredients{4,  "Flour", uint(9), 2.5f, 0.125, 5, "Salt", -1,
                                       QVariant(QVariant::Double), QVariant(QVariant::Int)};
        QVERIFY(writeFile(name, book({{"Ingredients", 2, ingredients},
                                      {"Units", 1, {qlonglong(9), "kg"}},
                                      {"Tags", 1, {2147483647, "tag"}}})));
        QVERIFY(_book->OpenDocument(name));
        QCOMPARE(queryRows("SELECT i.*, typeof(cost), typeof(quantity), u.name FROM Ingredients "
                           "i LEFT JOIN Units u ON u.id = id_unit"),
                 QStringList({"4 Flour 9 2.5 0.125 real real kg", "5 Salt -1   null null "}));
        MessageCapture capture;
        QCOMPARE(_s->add(Book::Tags, {QStringLiteral("new")}), -1);
        QVERIFY(capture.contains("Document::addRow query error"));
        QCOMPARE(queryRows("SELECT * FROM Tags"), QStringList{"2147483647 tag"});
    }
};

QTEST_GUILESS_MAIN(TestBookFile)
#include "tst_bookfile.moc"
