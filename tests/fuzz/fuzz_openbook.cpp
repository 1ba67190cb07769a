// libFuzzer target: any bytes given to the book loader must end in a clear
// result, without a crash, a hang or a huge allocation, and a failed open must
// leave the open book as it was.
#include "data/document.h"

#include <QCoreApplication>
#include <QFile>
#include <QSqlQuery>
#include <QTemporaryDir>

#include <cstdint>
#include <cstdlib>

namespace {

struct Fixture
{
    Fixture()
    {
        static int argc = 1;
        static char name[] = "fuzz_openbook";
        static char* argv[] = {name, nullptr};
        app = new QCoreApplication(argc, argv);
        qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString&) {});
        QDir::setCurrent(dir.path());
        book.setDataStructure();
        book.fillSampleBook();
        fileName = dir.filePath("input.carb");
    }

    int recipeCount()
    {
        QSqlQuery query(QStringLiteral("SELECT COUNT(*) FROM Recipes"));
        return query.next() ? query.value(0).toInt() : -1;
    }

    QCoreApplication* app;
    QTemporaryDir dir;
    Document book;
    QString fileName;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static Fixture fixture;
    QFile file(fixture.fileName);
    if (!file.open(QIODevice::WriteOnly))
        return 0;
    file.write(reinterpret_cast<const char*>(data), static_cast<qint64>(size));
    file.close();

    const int before = fixture.recipeCount();
    if (!fixture.book.OpenDocument(fixture.fileName) && fixture.recipeCount() != before)
        std::abort(); // a failed open changed the book
    // Start each input from the sample book again.
    if (fixture.recipeCount() != 3) {
        fixture.book.Clear();
        fixture.book.fillSampleBook();
    }
    return 0;
}
