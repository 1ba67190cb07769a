// The Cooking plans tab: the expense report and shopping list of a plan,
// showing and hiding it, printing it, and names that hold HTML.
#include "data/recipebook.h"
#include "lang/langmodel.h"
#include "viewtesting.h"
#include "views/editablecookingplanlist.h"

#include <QSqlQuery>
#include <QTemporaryDir>
#include <QWebElement>
#include <QWebFrame>
#include <QWebSettings>
#include <QWebView>
#include <QtTest>

#include <map>
#include <memory>

namespace {

const int IdRole = Qt::UserRole + 1;

// "recipe/per portion/count/per dish" for a dish line, and
// "ingredient/quantity/unit[/quantity/unit...]" for a shopping line.
QStringList reportPieces(const QString& plan, const QStringList& dishes, const QString& total,
                         const QStringList& shopping, int incompleteRow = 0)
{
    QStringList pieces;
    pieces << "<h1>" + plan + "</h1>";
    if (incompleteRow > 0)
        pieces << QString("<p><b>Dish row %1 has no recipe and is left out of this report.</b></p>")
                      .arg(incompleteRow);
    pieces << "<h2>Expenses</h2><table border=\"1\"><tr><th>Recipe</th>"
                  "<th>Expenses per portion</th><th>Number of dishes</th><th>Expenses per dish, "
                  "USD</th></tr><tr>";
    for (const QString& dish : dishes)
        pieces << "<td>" + dish.split('/').join("</td><td>") + "</td></tr><tr>";
    pieces << "</tr></table><b>Total expenses:</b> <i>" + total + " USD</i>";
    pieces << "<h2>Ingredients</h2><table border=\"1\"><tr><th>Ingredient</th><th>Quantity</th>"
              "<th>Unit</th></tr><tr>";
    for (const QString& line : shopping) {
        const QStringList parts = line.split('/');
        pieces << "<td rowspan=\"" + QString::number(parts.size() / 2) + "\">" + parts[0] + "</td>";
        for (int i = 1; i + 1 < parts.size(); i += 2)
            pieces << "<td>" + parts[i] + "</td><td>" + parts[i + 1] + "</td></tr><tr>";
    }
    pieces << "</tr></table>";
    return pieces;
}

} // namespace

class TestCookingPlanList : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { useTemporarySettings(_settingsDir.path()); }
    void init();
    void cleanup() { _view.reset(); }

    void reports_data();
    void reports();
    void translatedWithCurrency();
    void showHideTogglesPrinting();
    void noPlanLeftClearsReport();
    void activationRebuildsOnlyWhenShown();
    void badIdsKeepReport();
    void htmlInNamesShownAsText_data();
    void htmlInNamesShownAsText();
    void printReportToPdf();

private:
    void build();
    void addPlan(const QString& plan, const QStringList& recipes, const QStringList& lines,
                 const QStringList& dishes);
    void showDetails(const QString& plan);
    QPushButton* toggle() { return buttonWithText(_view->window.get(), "Show/hide details"); }
    QString shownText() { return _list->detailsView->page()->mainFrame()->toPlainText(); }

    QTemporaryDir _settingsDir;
    std::unique_ptr<ListWindow<EditableCookingPlanList>> _view;
    EditableCookingPlanList* _list = nullptr;
};

void TestCookingPlanList::init()
{
    _view.reset(new ListWindow<EditableCookingPlanList>);
    QVERIFY(_view->book.ready);
    QSettings().setValue("currency", "USD");
}

void TestCookingPlanList::build()
{
    _list = _view->show(new EditableCookingPlanList(&_view->book.document, Book::CookingPlans));
}

// Recipes are "name/expenses", lines "recipe/ingredient/quantity/unit" and
// dishes "recipe/portions"; ingredients and units are added by name, and a
// dish of a recipe not given refers to a missing one.
void TestCookingPlanList::addPlan(const QString& plan, const QStringList& recipes,
                                  const QStringList& lines, const QStringList& dishes)
{
    Document& document = _view->book.document;
    std::map<QString, int> ids;
    auto named = [&](const QString& table, const QString& name) {
        int& id = ids[table + '/' + name];
        const QVariant values[] = {name};
        if (!id)
            id = document.addRow(table, values, 1);
        return id;
    };
    for (const QString& recipe : recipes) {
        const QStringList parts = recipe.split('/');
        const QVariant values[] = {parts[0], QByteArray("0"), QString(), 0, 0, parts[1].toDouble()};
        ids["Recipe/" + parts[0]] = document.addRow(Book::Recipes, values, Book::RecipeFieldCount);
    }
    for (const QString& line : lines) {
        const QStringList parts = line.split('/');
        const QVariant values[] = {ids["Recipe/" + parts[0]], named(Book::Ingredients, parts[1]),
                                   parts[2].toDouble(), named(Book::Units, parts[3])};
        QVERIFY(document.addRow(Book::RecipeIngredients, values, Book::LineFieldCount) >= 0);
    }
    const int planId = named(Book::CookingPlans, plan);
    for (const QString& dish : dishes) {
        const QStringList parts = dish.split('/');
        const auto recipe = ids.find("Recipe/" + parts[0]);
        const QVariant values[] = {planId, recipe == ids.end() ? 999 : recipe->second,
                                   parts[1].toInt()};
        QVERIFY(document.addRow(Book::CookingPlanRecipes, values, Book::DishFieldCount) >= 0);
    }
}

void TestCookingPlanList::showDetails(const QString& plan)
{
    clickItem(_list->list, findItem(_list->list, plan));
    QSignalSpy loaded(_list->detailsView, &QWebView::loadFinished);
    QTest::mouseClick(toggle(), Qt::LeftButton);
    QVERIFY(_list->detailsView->isVisible());
    QVERIFY(waitForLoad(loaded));
}

void TestCookingPlanList::reports_data()
{
    QTest::addColumn<QString>("plan");
    QTest::addColumn<QStringList>("recipes");
    QTest::addColumn<QStringList>("lines");
    QTest::addColumn<QStringList>("dishes");
    QTest::addColumn<QStringList>("pieces"); // none: the report is abandoned
    QTest::addColumn<QString>("corruption"); // SQL run on the book before the report
    QTest::addColumn<QString>("failure");    // the diagnostic of an abandoned report

    QTest::newRow("Wedding")
        << "Wedding" << QStringList() << QStringList() << QStringList()
        << reportPieces("Wedding", {"Pizza/5.40/4/21.60", "Shawarma/2.50/6/15.00"}, "36.60",
                        {"Dough/4.00/kg", "Sauce/0.82/litre", "Tomato/14.00/pcs.",
                         "Cucumber/6.00/pcs.", "Onion/3.00/pcs.", "Pita/6.00/pcs.",
                         "Chicken fillet/2400.00/g", "Mayonnaise/0.42/litre", "Garlic/18.00/clove",
                         "Cabbage/0.60/pcs."})
        << "" << "";
    QTest::newRow("Birthday")
        << "Birthday" << QStringList() << QStringList() << QStringList()
        << reportPieces("Birthday", {"Hamburger/3.20/6/19.20", "Shawarma/2.50/8/20.00"}, "39.20",
                        {"Sauce/0.86/litre", "Tomato/8.00/pcs.", "Cutlet/6.00/pcs.",
                         "Cucumber/14.00/pcs.", "Salad/0.30/kg", "Onion/7.00/pcs.",
                         "Pita/8.00/pcs.", "Chicken fillet/3200.00/g", "Mayonnaise/0.56/litre",
                         "Garlic/24.00/clove", "Cabbage/0.80/pcs."})
        << "" << "";
    QTest::newRow("no dishes") << "Quiet evening" << QStringList() << QStringList()
                               << QStringList() << reportPieces("Quiet evening", {}, "0.00", {})
                               << "" << "";
    QTest::newRow("cost times portions")
        << "Lunch" << QStringList{"Soup/2.5"} << QStringList() << QStringList{"Soup/3"}
        << reportPieces("Lunch", {"Soup/2.50/3/7.50"}, "7.50", {}) << "" << "";
    // Flour twice in one recipe and once in another.
    QTest::newRow("summed across recipes")
        << "Bakery" << QStringList{"Bread/1", "Cake/2"}
        << QStringList{"Bread/Flour/0.2/kg", "Cake/Flour/0.1/kg", "Cake/Flour/0.1/kg"}
        << QStringList{"Bread/2", "Cake/3"}
        << reportPieces("Bakery", {"Bread/1.00/2/2.00", "Cake/2.00/3/6.00"}, "8.00",
                        {"Flour/1.00/kg"}) << "" << "";
    // Ingredients in id order (flour before sugar); units by name (g before kg).
    QTest::newRow("two units under one name")
        << "Bakery" << QStringList{"Bread/1", "Cake/2"}
        << QStringList{"Bread/Flour/0.2/kg", "Cake/Sugar/50/g", "Cake/Flour/150/g"}
        << QStringList{"Bread/2", "Cake/3"}
        << reportPieces("Bakery", {"Bread/1.00/2/2.00", "Cake/2.00/3/6.00"}, "8.00",
                        {"Flour/450.00/g/0.40/kg", "Sugar/150.00/g"}) << "" << "";
    QTest::newRow("capital units first")
        << "Dinner" << QStringList{"Soup/1"} << QStringList{"Soup/Salt/1/pinch", "Soup/Salt/2/Spoon"}
        << QStringList{"Soup/1"}
        << reportPieces("Dinner", {"Soup/1.00/1/1.00"}, "1.00", {"Salt/2.00/Spoon/1.00/pinch"})
        << "" << "";
    // A dish without a readable recipe is left out and named; the rest is reported.
    QTest::newRow("missing recipe")
        << "Lunch" << QStringList{"Soup/2.5"} << QStringList() << QStringList{"Soup/3", "Ghost/2"}
        << reportPieces("Lunch", {"Soup/2.50/3/7.50"}, "7.50", {}, 2) << "" << "";
    QTest::newRow("no recipe chosen")
        << "Lunch" << QStringList{"Soup/2.5"} << QStringList{"Soup/Salt/1/kg"}
        << QStringList{"Soup/2", "Soup/3"}
        << reportPieces("Lunch", {"Soup/2.50/2/5.00"}, "5.00", {"Salt/2.00/kg"}, 2)
        << "UPDATE CookingPlanRecipes SET id_rec=-1 WHERE portion_number=3" << "";
    // Values a corrupt book file may hold: an unreadable recipe id leaves its dish
    // out; the others abandon the report with their own message.
    const QString soupLines = "UPDATE RecipeIngredients SET %1 WHERE id_rec="
                              "(SELECT id FROM Recipes WHERE name='Soup')";
    const QStringList soup{"Soup/2.5"};
    const QStringList salt{"Soup/Salt/1/kg"};
    const QStringList dish{"Soup/3"};
    QTest::newRow("unreadable recipe id")
        << "Lunch" << soup << salt << dish << reportPieces("Lunch", {}, "0.00", {}, 1)
        << "UPDATE CookingPlanRecipes SET id_rec='x' WHERE portion_number=3" << "";
    QTest::newRow("unreadable ingredient id") << "Lunch" << soup << salt << dish << QStringList()
                                              << soupLines.arg("id_ing='abc'") << "Cannot get ID";
    QTest::newRow("unreadable quantity") << "Lunch" << soup << salt << dish << QStringList()
                                         << soupLines.arg("quant='abc'")
                                         << "Cannot extract quantity";
    QTest::newRow("unreadable unit id") << "Lunch" << soup << salt << dish << QStringList()
                                        << soupLines.arg("id_unit='abc'") << "Cannot get unit ID";
}

void TestCookingPlanList::reports()
{
    QFETCH(QString, plan);
    QFETCH(QStringList, recipes);
    QFETCH(QStringList, lines);
    QFETCH(QStringList, dishes);
    QFETCH(QStringList, pieces);
    QFETCH(QString, corruption);
    QFETCH(QString, failure);
    if (plan != "Wedding" && plan != "Birthday") // not in the sample book
        addPlan(plan, recipes, lines, dishes);
    if (!corruption.isEmpty())
        QVERIFY(QSqlQuery().exec(corruption));
    build();
    MessageCapture messages;
    showDetails(plan);
    comparePieces(_list->report, pieces);
    QCOMPARE(messages.diagnostics(failure), failure.isEmpty() ? 0 : 1);
    if (pieces.isEmpty())
        QVERIFY(shownText().trimmed().isEmpty());
    else
        QVERIFY(shownText().startsWith(plan));
}

void TestCookingPlanList::translatedWithCurrency()
{
    LangModel french(2, QDir::currentPath() + "/languages/");
    setAppLangModel(&french);
    QSettings().setValue("currency", "EUR");
    build();
    QVERIFY(buttonWithText(_view->window.get(), "Afficher/masquer les détails"));
    QCOMPARE(_list->printButton->text(), QString("Imprimer les détails"));
    _list->_obtainDetails(2);
    QVERIFY(_list->report.contains("<th>Coût par portion</th><th>Nombre de plats</th>"
                                   "<th>Coût par plat, EUR</th>"));
    QVERIFY(_list->report.contains("<b>Coût total:</b> <i>39.20 EUR</i>"));
    QVERIFY(_list->report.contains("<th>Ingrédient</th><th>Quantité</th><th>Unité</th>"));
}

void TestCookingPlanList::noPlanLeftClearsReport()
{
    build();
    showDetails("Wedding");
    QVERIFY(shownText().startsWith("Wedding"));
    deleteEveryItem(_list);
    QVERIFY(_list->report.isEmpty());
    QVERIFY(shownText().trimmed().isEmpty());
    QVERIFY(!_list->printButton->isEnabled());
    QCOMPARE(_list->form.subTables.at(0)->grid->rowCount(), 0);
}

void TestCookingPlanList::showHideTogglesPrinting()
{
    build();
    QVERIFY(_list->detailsView->isHidden());
    QVERIFY(!_list->printButton->isEnabled());
    QVERIFY(!_list->detailsView->settings()->testAttribute(QWebSettings::JavascriptEnabled));
    QVERIFY(!_list->detailsView->settings()->testAttribute(QWebSettings::PluginsEnabled));
    // No dependent table is left out: the plan's dishes have their grid.
    QCOMPARE(_list->form.subTables.size(), size_t(1));

    showDetails("Birthday");
    QVERIFY(_list->printButton->isEnabled());
    QTest::mouseClick(toggle(), Qt::LeftButton);
    QVERIFY(_list->detailsView->isHidden());
    QVERIFY(!_list->printButton->isEnabled());

    // Shown again, it is built from the data as it is now.
    QSqlQuery("UPDATE CookingPlanRecipes SET portion_number=1 WHERE id_cp=2");
    QTest::mouseClick(toggle(), Qt::LeftButton);
    QVERIFY(_list->printButton->isEnabled());
    QVERIFY(_list->report.contains("<td>Hamburger</td><td>3.20</td><td>1</td><td>3.20</td>"));
    QVERIFY(_list->report.contains("<i>5.70 USD</i>"));
}

void TestCookingPlanList::activationRebuildsOnlyWhenShown()
{
    build();
    clickItem(_list->list, findItem(_list->list, "Wedding"));
    QVERIFY(_list->report.isEmpty()); // hidden: nothing built
    QTest::mouseClick(toggle(), Qt::LeftButton);
    QVERIFY(_list->report.startsWith("<h1>Wedding</h1>"));
    clickItem(_list->list, findItem(_list->list, "Birthday"));
    QVERIFY(_list->report.startsWith("<h1>Birthday</h1>"));

    QTest::mouseClick(toggle(), Qt::LeftButton);
    clickItem(_list->list, findItem(_list->list, "Wedding"));
    QVERIFY(_list->report.startsWith("<h1>Birthday</h1>"));
    QCOMPARE(static_cast<QLineEdit*>(_list->nameEditor)->text(), QString("Wedding"));
}

// A negative plan id or an item without an id is reported; the report stays.
void TestCookingPlanList::badIdsKeepReport()
{
    build();
    showDetails("Wedding");
    const QString before = _list->report;
    MessageCapture messages;
    _list->_obtainDetails(-1);
    QCOMPARE(messages.diagnostics("Incorrect ID"), 1);
    auto* stray = new QListWidgetItem("Stray");
    stray->setData(IdRole, "none");
    _list->list->addItem(stray);
    _list->onListItemActivated(stray);
    QCOMPARE(messages.diagnostics("Unknown Recipe index"), 1);
    QCOMPARE(_list->report, before);
    QVERIFY(shownText().startsWith("Wedding"));
}

void TestCookingPlanList::htmlInNamesShownAsText_data()
{
    QTest::addColumn<QString>("table");
    QTest::addColumn<QString>("name");
    const QString image = "<img src=x onerror=\"document.title='ran'\">";
    const QString script = "<script>document.title='ran'</script>";
    QTest::newRow("plan") << Book::CookingPlans << image;
    QTest::newRow("recipe") << Book::Recipes << script;
    QTest::newRow("ingredient") << Book::Ingredients << image;
    QTest::newRow("unit") << Book::Units << QString("<b>kg</b> & <i>more</i>");
    QTest::newRow("currency") << QString() << script;
}

void TestCookingPlanList::htmlInNamesShownAsText()
{
    QFETCH(QString, table);
    QFETCH(QString, name);
    if (table.isEmpty())
        QSettings().setValue("currency", name);
    else
        renameRow(table, 1, name); // the Wedding plan, its Pizza, Pizza's dough, kilograms
    build();
    showDetails(_list->list->item(0)->text());
    verifyShownAsText(name, _list->report, _list->detailsView, 0);
}

void TestCookingPlanList::printReportToPdf()
{
    if (toolMissing("pdftotext"))
        QSKIP("pdftotext is not installed");
    build();
    showDetails("Birthday");
    const QString pdf = _view->book.dir.filePath("birthday.pdf");
    PrintVisit visit;
    answerPrintDialog(pdf, &visit);
    QTest::mouseClick(_list->printButton, Qt::LeftButton);
    QVERIFY(visit.seen);
    QVERIFY(QFile::exists(pdf));
    const QString text = pdfText(pdf);
    for (const QString piece : {"Birthday", "Hamburger", "Total expenses:", "39.20 USD",
                                 "Garlic", "3200.00"})
        QVERIFY2(text.contains(piece), qPrintable(piece + " not in: " + text));
}

QTEST_MAIN(TestCookingPlanList)
#include "tst_cookingplanlist.moc"
