// Measures how long the window takes to show a large book, as a user meets it:
//   guibenchmark [recipes=20000]
// Each photo is a real 200 x 150 JPG, as pictures are stored. Every step
// includes the drawing it causes. Run it with QT_QPA_PLATFORM=offscreen.
#include "data/document.h"
#include "data/recipebook.h"
#include "editing/editabledatatable.h"
#include "tools/benchmark/benchmarkbook.h"
#include "views/editablecookingplanlist.h"
#include "views/editablerecipelist.h"

#include <QApplication>
#include <QBuffer>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QLineEdit>
#include <QListWidget>
#include <QPainter>
#include <QRandomGenerator>
#include <QSplitter>
#include <QSqlDatabase>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTextStream>
#include <QWebView>

#include <algorithm>
#include <functional>
#include <vector>

namespace {

QTextStream out(stdout);
// Pages that the web views are still loading: a step ends when they are shown.
int pendingLoads = 0;

void followLoads(QWebView* view)
{
    QObject::connect(view, &QWebView::loadStarted, [] { ++pendingLoads; });
    QObject::connect(view, &QWebView::loadFinished, [] { --pendingLoads; });
}

void settle()
{
    QApplication::processEvents();
    QElapsedTimer limit;
    limit.start();
    while (pendingLoads > 0 && limit.elapsed() < 60000)
        QApplication::processEvents(QEventLoop::WaitForMoreEvents);
    QApplication::processEvents();
}

qint64 measure(const QString& what, const std::function<void()>& step)
{
    QElapsedTimer timer;
    timer.start();
    step();
    settle();
    const qint64 ms = timer.elapsed();
    out << QString("%1 %2 ms").arg(what, -44).arg(ms, 6) << Qt::endl;
    return ms;
}

QByteArray jpgPhoto(int seed)
{
    QImage image(200, 150, QImage::Format_RGB32);
    image.fill(QColor::fromHsv(seed % 360, 120, 220));
    QPainter painter(&image);
    painter.setBrush(QColor::fromHsv((seed * 7) % 360, 200, 160));
    painter.drawEllipse(30, 20, 140, 110);
    // Grain, so that the photo weighs what a real one does (about 12 KB).
    QRandomGenerator grain{quint32(seed)};
    for (int dot = 0; dot < 900; ++dot)
        painter.fillRect(int(grain.bounded(200)), int(grain.bounded(150)), 2, 2,
                         QColor::fromRgb(grain.generate()));
    painter.end();
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "JPG", 85);
    return bytes;
}

// The resident memory of the process in KiB.
qint64 residentKiB()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').value(0).toLongLong();
    return 0;
}

// Long pasted texts of about 1 MB as the text editor stores them: many short
// paragraphs, or one paragraph without a break.
QString pastedParagraphs()
{
    QString html;
    for (int paragraph = 0; html.size() < 1000000; ++paragraph)
        html += QString("<p style=\" margin-top:0px; margin-bottom:0px; margin-left:0px; "
                        "margin-right:0px; -qt-block-indent:0; text-indent:0px;\">Paragraph %1: "
                        "stir the sauce slowly, season it to taste and let it rest for a "
                        "while before serving it warm.</p>\n")
                    .arg(paragraph);
    return html;
}

QString pastedLine()
{
    QString text;
    while (text.size() < 1000000)
        text += QStringLiteral("Stir the sauce slowly, season it to taste and let it rest. ");
    return QStringLiteral("<p>") + text + QStringLiteral("</p>");
}

// A click as the mouse makes it, so that the list sees the button held.
void clickItem(QListWidget* list, QListWidgetItem* item)
{
    list->scrollToItem(item);
    QApplication::processEvents();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(item).center());
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    const int recipes = argc > 1 ? std::max(QString(argv[1]).toInt(), 25) : 20000;
    QTemporaryDir dir;
    QDir::setCurrent(dir.path());
    const QString file = dir.filePath("large.carb");
    const QByteArray photos[] = {jpgPhoto(1), jpgPhoto(2), jpgPhoto(3), jpgPhoto(4)};
    writeBenchmarkBook(file, recipes, [&](int seed) { return photos[seed % 4]; });
    const qint64 fileKiB = QFileInfo(file).size() / 1024;
    out << recipes << " recipes, file " << fileKiB / 1024 << " MiB" << Qt::endl;

    // The window's three tabs, as the main window has them.
    Document book;
    book.setDataStructure();
    auto* recipeList = new EditableRecipeList(&book, Book::Recipes, {Book::CookingPlanRecipes});
    auto* ingredients = new EditableDataTable(&book, Book::Ingredients);
    auto* plans = new EditableCookingPlanList(&book, Book::CookingPlans);
    QTabWidget window;
    const std::vector<EditableData*> editors{recipeList, ingredients, plans};
    for (EditableData* editor : editors) {
        auto* page = new QWidget;
        page->setLayout(editor->layout);
        window.addTab(page, QString());
    }
    followLoads(recipeList->view);
    followLoads(plans->detailsView);
    window.resize(1000, 700);
    window.show();
    settle();
    const qint64 emptyKiB = residentKiB();

    // The bare loader on the same file, for comparison: the median of three.
    std::vector<qint64> bareTimes;
    for (int round = 0; round < 3; ++round) {
        {
            QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), "bare");
            db.setDatabaseName(QStringLiteral(":memory:"));
            db.open();
            createBareTables(db, book.tables);
            QElapsedTimer timer;
            timer.start();
            bareLoad(db, book.tables, file);
            bareTimes.push_back(timer.elapsed());
        }
        QSqlDatabase::removeDatabase("bare");
    }
    std::sort(bareTimes.begin(), bareTimes.end());
    const qint64 opened = measure("open, window included", [&] {
        book.OpenDocument(file);
        for (EditableData* editor : editors)
            editor->synchronize();
    });
    out << QString("%1 %2 ms, ratio %3")
               .arg("bare loader of the same file", -44)
               .arg(bareTimes[1], 6)
               .arg(double(opened) / std::max<qint64>(bareTimes[1], 1), 0, 'f', 2)
        << Qt::endl;
    const qint64 usedKiB = residentKiB() - emptyKiB;
    out << QString("memory above the empty program %1 MiB, %2 x the file")
               .arg(usedKiB / 1024)
               .arg(double(usedKiB) / fileKiB, 0, 'f', 2)
        << Qt::endl;

    measure("fill the recipe list", [&] { recipeList->synchronize(); });
    measure("type a letter in the search box (all match)",
            [&] { QTest::keyClick(recipeList->searchEdit, Qt::Key_R); });
    recipeList->searchEdit->setText(QStringLiteral("Recipe 1234"));
    settle();
    measure("type a letter in the search box (one match)",
            [&] { QTest::keyClick(recipeList->searchEdit, Qt::Key_5); });
    measure("delete a letter in the search box",
            [&] { QTest::keyClick(recipeList->searchEdit, Qt::Key_Backspace); });
    recipeList->searchEdit->clear();
    settle();
    measure("click a recipe", [&] {
        clickItem(recipeList->list, recipeList->list->item(recipeList->list->count() / 2));
    });

    // A plan of 50 dishes, shown with its report.
    const QVariant plan[] = {QStringLiteral("Feast"), QString()};
    const int planId = book.addRow(Book::CookingPlans, plan, 2);
    for (int dish = 1; dish <= 50; ++dish) {
        const QVariant planDish[] = {planId, dish * 7 % recipes + 1, 3};
        book.addRow(Book::CookingPlanRecipes, planDish, 3);
    }
    plans->synchronize();
    plans->selectItem(planId);
    window.setCurrentIndex(2);
    settle();
    measure("open a 50-dish report", [&] { plans->showDetails(); });

    // Recipes with a long pasted description, selected from the View tab.
    auto* recipeTabs = recipeList->splitter->findChild<QTabWidget*>();
    window.setCurrentIndex(0);
    for (const auto& description : {std::make_pair("in paragraphs", pastedParagraphs()),
                                    std::make_pair("in one paragraph", pastedLine())}) {
        const QVariant longRecipe[] = {QStringLiteral("Long read"), QByteArray("0"),
                                       description.second};
        book.addRow(Book::Recipes, longRecipe, 3);
        recipeList->synchronize();
        recipeTabs->setCurrentIndex(0);
        settle();
        QListWidgetItem* longItem = recipeList->list->item(recipeList->list->count() - 1);
        measure(QString("click a recipe with 1 MB %1").arg(description.first),
                [&] { clickItem(recipeList->list, longItem); });
        measure("show its Edit tab", [&] { recipeTabs->setCurrentIndex(1); });
    }
    return 0;
}
