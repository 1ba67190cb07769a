// Measures how long the editors take to show a large book:
//   guibenchmark [recipes=5000]
// Each recipe has a real 200 x 150 JPG photo, as pictures are stored.
#include "data/document.h"
#include "data/recipebook.h"
#include "editing/editabledatatable.h"
#include "views/editablecookingplanlist.h"
#include "views/editablerecipelist.h"

#include <QApplication>
#include <QBuffer>
#include <QDir>
#include <QElapsedTimer>
#include <QImage>
#include <QListWidget>
#include <QPainter>
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
    out << QString("%1 %2 ms").arg(what, -34).arg(timer.elapsed(), 6) << Qt::endl;
}

QByteArray jpgPhoto(int seed)
{
    QImage image(200, 150, QImage::Format_RGB32);
    image.fill(QColor::fromHsv(seed % 360, 120, 220));
    QPainter painter(&image);
    painter.setBrush(QColor::fromHsv((seed * 7) % 360, 200, 160));
    painter.drawEllipse(30, 20, 140, 110);
    painter.end();
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "JPG");
    return bytes;
}

void fillLargeBook(Document& book, int recipes)
{
    using namespace Book;
    const QVariant unit[] = {QStringLiteral("kg")};
    book.addRow(Units, unit, 1);
    for (int i = 0; i < 500; ++i) {
        const QVariant ingredient[] = {QString("ingredient %1").arg(i), 1, 1.5f, 0.0f};
        book.addRow(Ingredients, ingredient, 4);
    }
    const QByteArray photos[] = {jpgPhoto(1), jpgPhoto(2), jpgPhoto(3), jpgPhoto(4)};
    for (int r = 0; r < recipes; ++r) {
        const QVariant recipe[] = {QString("Recipe %1").arg(r), photos[r % 4],
                                   QStringLiteral("<p>Stir well.</p>"), 5, 5, 2.5f};
        const int id = book.addRow(Recipes, recipe, RecipeFieldCount);
        for (int line = 0; line < 8; ++line) {
            const QVariant ingredientLine[] = {id, (r + line * 37) % 500 + 1, 0.25f, 1};
            book.addRow(RecipeIngredients, ingredientLine, LineFieldCount);
        }
    }
    const QVariant plan[] = {QStringLiteral("Feast"), QString()};
    const int planId = book.addRow(CookingPlans, plan, 2);
    for (int dish = 1; dish <= 50; ++dish) {
        const QVariant planDish[] = {planId, dish * 7, 3};
        book.addRow(CookingPlanRecipes, planDish, 3);
    }
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    const int recipes = argc > 1 ? QString(argv[1]).toInt() : 5000;
    QTemporaryDir dir;
    QDir::setCurrent(dir.path());

    Document book;
    book.setDataStructure();
    fillLargeBook(book, recipes);

    auto* recipeList = new EditableRecipeList(&book, Book::Recipes, {Book::CookingPlanRecipes});
    auto* ingredients = new EditableDataTable(&book, Book::Ingredients);
    auto* plans = new EditableCookingPlanList(&book, Book::CookingPlans);
    QWidget window;
    window.setLayout(recipeList->layout);
    window.resize(1000, 700);
    window.show();
    QApplication::processEvents();

    measure("fill the recipe list", [&] { recipeList->synchronize(); });
    measure("draw the recipe list", [&] {
        window.repaint();
        QApplication::processEvents();
    });
    measure("show the last recipe", [&] {
        recipeList->onListItemActivated(recipeList->list->item(recipeList->list->count() - 1));
    });
    measure("fill the ingredient grid", [&] { ingredients->synchronize(); });
    measure("fill the cooking plans", [&] { plans->synchronize(); });
    measure("build a 50-dish report", [&] { plans->_obtainDetails(1); });
    return 0;
}
