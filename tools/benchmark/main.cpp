// Measures how long a large book takes to build, save, open and list:
//   benchmark [recipes=5000]
// Run it from a scratch directory: saving writes a temporary file there.
#include "data/document.h"
#include "data/recipebook.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTextStream>

namespace {

QTextStream out(stdout);

template <typename Step>
void measure(const char* what, Step step)
{
    QElapsedTimer timer;
    timer.start();
    step();
    out << QString("%1 %2 ms").arg(what, -28).arg(timer.elapsed(), 6) << Qt::endl;
}

// A recipe's photo-sized value: about 20 KB of bytes.
QByteArray photoBytes(int seed)
{
    QByteArray photo(20 * 1024, '\0');
    for (int i = 0; i < photo.size(); ++i)
        photo[i] = char((i * 31 + seed) & 0xff);
    return photo;
}

void fillLargeBook(Document& book, int recipes)
{
    using namespace Book;
    for (int u = 0; u < 20; ++u) {
        const QVariant unit[] = {QString("unit %1").arg(u)};
        book.addRow(Units, unit, 1);
    }
    for (int i = 0; i < 500; ++i) {
        const QVariant ingredient[] = {QString("ingredient %1").arg(i), i % 20 + 1, 1.5f, 0.0f};
        book.addRow(Ingredients, ingredient, 4);
    }
    for (int t = 0; t < 50; ++t) {
        const QVariant tag[] = {QString("tag %1").arg(t)};
        book.addRow(Tags, tag, 1);
    }
    for (int r = 0; r < recipes; ++r) {
        const QVariant recipe[] = {QString("Recipe %1").arg(r), photoBytes(r),
                                   QString("<p>Description of recipe %1</p>").arg(r).repeated(8),
                                   r % 11, (r * 7) % 11, float(r % 50) / 4};
        const int id = book.addRow(Recipes, recipe, RecipeFieldCount);
        for (int line = 0; line < 8; ++line) {
            const QVariant ingredientLine[] = {id, (r + line * 37) % 500 + 1, 0.25f * line,
                                               line % 20 + 1};
            book.addRow(RecipeIngredients, ingredientLine, LineFieldCount);
        }
        for (int tag = 0; tag < 2; ++tag) {
            const QVariant tagLine[] = {id, (r + tag * 13) % 50 + 1};
            book.addRow(RecipeTags, tagLine, TagLineFieldCount);
        }
    }
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const int recipes = argc > 1 ? QString(argv[1]).toInt() : 5000;
    QTemporaryDir dir;
    QDir::setCurrent(dir.path());
    const QString file = dir.filePath("large.carb");

    Document book;
    book.setDataStructure();
    measure("build the book", [&] { fillLargeBook(book, recipes); });
    measure("save", [&] { book.SaveDocument(file); });
    out << "file size " << QFileInfo(file).size() / 1024 << " KiB" << Qt::endl;
    measure("open", [&] { book.OpenDocument(file); });
    measure("list names and photos", [&] {
        QueryResult result;
        book.getRows(Book::Recipes, "id,name,photo", QString(), &result);
        std::vector<QVariant> row;
        int count = 0;
        while (readNextRow(result.query, row, 0))
            ++count;
        out << count << " recipes listed" << Qt::endl;
    });
    measure("read every recipe", [&] {
        for (int id = 1; id <= recipes; ++id) {
            Recipe recipe;
            book.getRecipe(id, recipe);
        }
    });
    return 0;
}
