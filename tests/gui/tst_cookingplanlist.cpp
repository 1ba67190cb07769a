// The Cooking plans tab: the expense report and shopping list of a plan,
// showing and hiding it, printing it, and names that hold HTML.
#include "data/document.h"
#include "data/recipebook.h"
#include "lang/langmodel.h"
#include "pdfprinting.h"
#include "support/testsupport.h"
#include "views/editablecookingplanlist.h"

#include <QHBoxLayout>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSettings>
#include <QSignalSpy>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QVBoxLayout>
#include <QWebElement>
#include <QWebFrame>
#include <QWebPage>
#include <QWebSettings>
#include <QWebView>
#include <QtTest>

#include <memory>

namespace {

const int IdRole = Qt::UserRole + 1;

struct DishLine
{
    QString recipe;
    QString perPortion;
    QString count;
    QString perDish;
};

struct ShoppingLine
{
    QString ingredient;
    QList<QPair<QString, QString> > quantities; // quantity, unit
};

// The pieces of a report in the order they are written.
QStringList reportPieces(const QString& plan, const QString& currency,
                         const QList<DishLine>& dishes, const QString& total,
                         const QList<ShoppingLine>& shopping)
{
    QStringList pieces;
    pieces << "<h1>" + plan + "</h1><h2>Expenses</h2><table border=\"1\"><tr><th>Recipe</th>"
                  "<th>Expenses per portion</th><th>Number of dishes</th><th>Expenses per dish, "
                  + currency + "</th></tr><tr>";
    for (const DishLine& dish : dishes)
        pieces << "<td>" + dish.recipe + "</td><td>" + dish.perPortion + "</td><td>" + dish.count
                      + "</td><td>" + dish.perDish + "</td></tr><tr>";
    pieces << "</tr></table><b>Total expenses:</b> <i>" + total + " " + currency + "</i>";
    pieces << "<h2>Ingredients</h2><table border=\"1\"><tr><th>Ingredient</th><th>Quantity</th>"
              "<th>Unit</th></tr><tr>";
    for (const ShoppingLine& line : shopping) {
        pieces << "<td rowspan=\"" + QString::number(line.quantities.size()) + "\">"
                      + line.ingredient + "</td>";
        for (const auto& quantity : line.quantities)
            pieces << "<td>" + quantity.first + "</td><td>" + quantity.second + "</td></tr><tr>";
    }
    pieces << "</tr></table>";
    return pieces;
}

void comparePieces(const QString& page, const QStringList& pieces)
{
    int position = 0;
    for (const QString& piece : pieces) {
        QCOMPARE(page.mid(position, piece.size()), piece);
        position += piece.size();
    }
    QCOMPARE(position, page.size());
}

} // namespace

class TestCookingPlanList : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void builtHiddenAbovePanel();
    void buttonsTranslated();
    void sampleReports_data();
    void sampleReports();
    void planWithoutDishes();
    void dishCostTimesPortions();
    void sameIngredientSummedAcrossRecipes();
    void twoUnitsUnderOneName();
    void unitsInCodeUnitOrder();
    void missingRecipeAbandonsReport();
    void negativeIdKeepsView();
    void showHideTogglesPrinting();
    void activationRebuildsOnlyWhenShown();
    void itemWithoutIdIsReported();
    void currencyFromSettings();
    void htmlInNamesShownAsText_data();
    void htmlInNamesShownAsText();
    void printReportToPdf();

private:
    void build();
    int addRecipe(const QString& name, double expenses);
    int addIngredient(const QString& name);
    int addUnit(const QString& name);
    void addLine(int recipe, int ingredient, double quantity, int unit);
    int addPlan(const QString& name);
    void addDish(int plan, int recipe, int portions);
    QListWidgetItem* item(const QString& text);
    void click(QListWidgetItem* item);
    QPushButton* buttonWithText(const QString& text);
    QString shownText();

    QTemporaryDir _settingsDir;
    std::unique_ptr<ScratchDir> _dir;
    std::unique_ptr<Document> _document;
    std::unique_ptr<QWidget> _window;
    EditableCookingPlanList* _list = nullptr;
};

void TestCookingPlanList::initTestCase()
{
    QStandardPaths::setTestModeEnabled(true);
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, _settingsDir.path());
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, _settingsDir.path());
}

void TestCookingPlanList::init()
{
    QSettings().clear();
    QSettings().setValue("currency", "USD");
    _dir.reset(new ScratchDir);
    _document.reset(new Document);
    QVERIFY(_document->setDataStructure());
    _document->fillSampleBook();
}

void TestCookingPlanList::cleanup()
{
    setAppLangModel(nullptr);
    _window.reset();
    delete _list;
    _list = nullptr;
    _document.reset();
    QSqlDatabase::removeDatabase(QSqlDatabase::defaultConnection);
    _dir.reset();
}

void TestCookingPlanList::build()
{
    _list = new EditableCookingPlanList(_document.get(), Book::CookingPlans);
    _window.reset(new QWidget);
    _window->setLayout(_list->layout);
    _window->resize(1100, 900);
    _window->show();
    _list->synchronize();
}

int TestCookingPlanList::addRecipe(const QString& name, double expenses)
{
    const QVariant values[] = {name, QByteArray("0"), QString(), 0, 0, expenses};
    return _document->addRow(Book::Recipes, values, Book::RecipeFieldCount);
}

int TestCookingPlanList::addIngredient(const QString& name)
{
    const QVariant values[] = {name};
    return _document->addRow(Book::Ingredients, values, 1);
}

int TestCookingPlanList::addUnit(const QString& name)
{
    const QVariant values[] = {name};
    return _document->addRow(Book::Units, values, 1);
}

void TestCookingPlanList::addLine(int recipe, int ingredient, double quantity, int unit)
{
    const QVariant values[] = {recipe, ingredient, quantity, unit};
    QVERIFY(_document->addRow(Book::RecipeIngredients, values, Book::LineFieldCount) >= 0);
}

int TestCookingPlanList::addPlan(const QString& name)
{
    const QVariant values[] = {name};
    return _document->addRow(Book::CookingPlans, values, 1);
}

void TestCookingPlanList::addDish(int plan, int recipe, int portions)
{
    const QVariant values[] = {plan, recipe, portions};
    QVERIFY(_document->addRow(Book::CookingPlanRecipes, values, Book::DishFieldCount) >= 0);
}

QListWidgetItem* TestCookingPlanList::item(const QString& text)
{
    const auto found = _list->list->findItems(text, Qt::MatchExactly);
    return found.isEmpty() ? nullptr : found.first();
}

void TestCookingPlanList::click(QListWidgetItem* item)
{
    QVERIFY(item);
    const QRect area = _list->list->visualItemRect(item);
    QTest::mouseClick(_list->list->viewport(), Qt::LeftButton, {}, area.center());
}

QPushButton* TestCookingPlanList::buttonWithText(const QString& text)
{
    for (QPushButton* button : _window->findChildren<QPushButton*>())
        if (button->text() == text)
            return button;
    return nullptr;
}

QString TestCookingPlanList::shownText()
{
    return _list->detailsView->page()->mainFrame()->toPlainText();
}

void TestCookingPlanList::builtHiddenAbovePanel()
{
    build();
    QVERIFY(_list->detailsView->isHidden());
    QCOMPARE(_list->detailsView->minimumHeight(), 300);
    QCOMPARE(_list->editorLayout->indexOf(_list->detailsView), 0);
    QCOMPARE(_list->detailsView->page()->mainFrame()->findFirstElement("h1").toPlainText(),
             QString("Hello"));
    QVERIFY(!_list->printButton->isEnabled());
    QCOMPARE(_list->printButton->text(), QString("Print details"));
    // The two buttons close the row of Save and Revert.
    const int count = _list->saveBar->count();
    QCOMPARE(_list->saveBar->itemAt(count - 2)->widget(),
             static_cast<QWidget*>(buttonWithText("Show/hide details")));
    QCOMPARE(_list->saveBar->itemAt(count - 1)->widget(),
             static_cast<QWidget*>(_list->printButton));
    QCOMPARE(_list->saveBar->itemAt(count - 3)->widget(),
             static_cast<QWidget*>(buttonWithText("Revert")));
    // No dependent table is left out: the plan's dishes have their grid.
    QCOMPARE(_list->form.subTables.size(), size_t(1));
    QVERIFY(!_list->detailsView->settings()->testAttribute(QWebSettings::JavascriptEnabled));
    QVERIFY(!_list->detailsView->settings()->testAttribute(QWebSettings::PluginsEnabled));
}

void TestCookingPlanList::buttonsTranslated()
{
    LangModel french(2, QDir::currentPath() + "/languages/");
    setAppLangModel(&french);
    build();
    QVERIFY(buttonWithText("Afficher/masquer les détails"));
    QCOMPARE(_list->printButton->text(), QString("Imprimer les détails"));
    _list->_obtainDetails(1);
    QVERIFY(_list->report.contains("<th>Dépenses par portion</th><th>Nombre de plats</th>"
                                   "<th>Dépenses par plat, USD</th>"));
    QVERIFY(_list->report.contains("<b>Dépenses totales:</b>"));
    QVERIFY(_list->report.contains("<th>Ingrédient</th><th>Quantité</th><th>Unité</th>"));
}

void TestCookingPlanList::sampleReports_data()
{
    QTest::addColumn<QString>("plan");
    QTest::addColumn<QStringList>("pieces");

    QTest::newRow("Wedding")
        << "Wedding"
        << reportPieces("Wedding", "USD",
                        {{"Pizza", "5.40", "4", "21.60"}, {"Shawarma", "2.50", "6", "15.00"}},
                        "36.60",
                        {{"Dough", {{"4.00", "kg"}}},
                         {"Sauce", {{"0.82", "litre"}}},
                         {"Tomato", {{"14.00", "pcs."}}},
                         {"Cucumber", {{"6.00", "pcs."}}},
                         {"Onion", {{"3.00", "pcs."}}},
                         {"Pita", {{"6.00", "pcs."}}},
                         {"Chicken fillet", {{"2400.00", "g"}}},
                         {"Mayonnaise", {{"0.42", "litre"}}},
                         {"Garlic", {{"18.00", "clove"}}},
                         {"Cabbage", {{"0.60", "pcs."}}}});
    QTest::newRow("Birthday")
        << "Birthday"
        << reportPieces("Birthday", "USD",
                        {{"Hamburger", "3.20", "6", "19.20"}, {"Shawarma", "2.50", "8", "20.00"}},
                        "39.20",
                        {{"Sauce", {{"0.86", "litre"}}},
                         {"Tomato", {{"8.00", "pcs."}}},
                         {"Cutlet", {{"6.00", "pcs."}}},
                         {"Cucumber", {{"14.00", "pcs."}}},
                         {"Salad", {{"0.30", "kg"}}},
                         {"Onion", {{"7.00", "pcs."}}},
                         {"Pita", {{"8.00", "pcs."}}},
                         {"Chicken fillet", {{"3200.00", "g"}}},
                         {"Mayonnaise", {{"0.56", "litre"}}},
                         {"Garlic", {{"24.00", "clove"}}},
                         {"Cabbage", {{"0.80", "pcs."}}}});
}

void TestCookingPlanList::sampleReports()
{
    QFETCH(QString, plan);
    QFETCH(QStringList, pieces);
    build();
    click(item(plan));
    QSignalSpy loaded(_list->detailsView, &QWebView::loadFinished);
    QTest::mouseClick(buttonWithText("Show/hide details"), Qt::LeftButton);
    QVERIFY(_list->detailsView->isVisible());
    comparePieces(_list->report, pieces);
    QVERIFY(loaded.count() > 0 || loaded.wait(10000));
    QCOMPARE(_list->detailsView->page()->mainFrame()->findAllElements("table").count(), 2);
    QVERIFY(shownText().startsWith(plan));
}

void TestCookingPlanList::planWithoutDishes()
{
    const int plan = addPlan("Quiet evening");
    build();
    _list->_obtainDetails(plan);
    comparePieces(_list->report, reportPieces("Quiet evening", "USD", {}, "0.00", {}));
}

void TestCookingPlanList::dishCostTimesPortions()
{
    const int recipe = addRecipe("Soup", 2.5);
    const int plan = addPlan("Lunch");
    addDish(plan, recipe, 3);
    build();
    _list->_obtainDetails(plan);
    comparePieces(_list->report,
                  reportPieces("Lunch", "USD", {{"Soup", "2.50", "3", "7.50"}}, "7.50", {}));
}

void TestCookingPlanList::sameIngredientSummedAcrossRecipes()
{
    const int flour = addIngredient("Flour");
    const int kg = addUnit("kg");
    const int bread = addRecipe("Bread", 1.0);
    const int cake = addRecipe("Cake", 2.0);
    addLine(bread, flour, 0.2, kg);
    addLine(cake, flour, 0.1, kg);
    addLine(cake, flour, 0.1, kg); // the same ingredient twice in one recipe
    const int plan = addPlan("Bakery");
    addDish(plan, bread, 2);
    addDish(plan, cake, 3);
    build();
    _list->_obtainDetails(plan);
    comparePieces(_list->report,
                  reportPieces("Bakery", "USD",
                               {{"Bread", "1.00", "2", "2.00"}, {"Cake", "2.00", "3", "6.00"}},
                               "8.00", {{"Flour", {{"1.00", "kg"}}}}));
}

void TestCookingPlanList::twoUnitsUnderOneName()
{
    const int flour = addIngredient("Flour");
    const int sugar = addIngredient("Sugar");
    const int kg = addUnit("kg");
    const int g = addUnit("g");
    const int bread = addRecipe("Bread", 1.0);
    const int cake = addRecipe("Cake", 2.0);
    addLine(bread, flour, 0.2, kg);
    addLine(cake, sugar, 50, g);
    addLine(cake, flour, 150, g);
    const int plan = addPlan("Bakery");
    addDish(plan, bread, 2);
    addDish(plan, cake, 3);
    build();
    _list->_obtainDetails(plan);
    // Ingredients in id order (flour before sugar); units by name (g before kg).
    comparePieces(_list->report,
                  reportPieces("Bakery", "USD",
                               {{"Bread", "1.00", "2", "2.00"}, {"Cake", "2.00", "3", "6.00"}},
                               "8.00",
                               {{"Flour", {{"450.00", "g"}, {"0.40", "kg"}}},
                                {"Sugar", {{"150.00", "g"}}}}));
}

void TestCookingPlanList::unitsInCodeUnitOrder()
{
    const int salt = addIngredient("Salt");
    const int lower = addUnit("pinch");
    const int upper = addUnit("Spoon");
    const int soup = addRecipe("Soup", 1.0);
    addLine(soup, salt, 1, lower);
    addLine(soup, salt, 2, upper);
    const int plan = addPlan("Dinner");
    addDish(plan, soup, 1);
    build();
    _list->_obtainDetails(plan);
    // Capital letters come before small ones.
    QVERIFY(_list->report.contains("<td rowspan=\"2\">Salt</td><td>2.00</td><td>Spoon</td>"
                                   "</tr><tr><td>1.00</td><td>pinch</td></tr><tr>"));
}

void TestCookingPlanList::missingRecipeAbandonsReport()
{
    const int recipe = addRecipe("Soup", 2.5);
    const int plan = addPlan("Lunch");
    addDish(plan, recipe, 3);
    addDish(plan, 999, 2);
    build();
    click(item("Lunch"));
    QSignalSpy loaded(_list->detailsView, &QWebView::loadFinished);
    MessageCapture messages;
    QTest::mouseClick(buttonWithText("Show/hide details"), Qt::LeftButton);
    QCOMPARE(messages.diagnostics("No such fields"), 1);
    QVERIFY(_list->report.isEmpty());
    QVERIFY(loaded.count() > 0 || loaded.wait(10000));
    QVERIFY(shownText().trimmed().isEmpty());
    QVERIFY(_list->detailsView->isVisible());
}

void TestCookingPlanList::negativeIdKeepsView()
{
    build();
    _list->_obtainDetails(1);
    const QString before = _list->report;
    MessageCapture messages;
    _list->_obtainDetails(-1);
    QCOMPARE(messages.diagnostics("Incorrect ID"), 1);
    QCOMPARE(_list->report, before);
    QVERIFY(shownText().startsWith("Wedding"));
}

void TestCookingPlanList::showHideTogglesPrinting()
{
    build();
    QPushButton* toggle = buttonWithText("Show/hide details");
    click(item("Birthday"));
    QTest::mouseClick(toggle, Qt::LeftButton);
    QVERIFY(_list->detailsView->isVisible());
    QVERIFY(_list->printButton->isEnabled());
    QVERIFY(_list->report.startsWith("<h1>Birthday</h1>"));

    QTest::mouseClick(toggle, Qt::LeftButton);
    QVERIFY(_list->detailsView->isHidden());
    QVERIFY(!_list->printButton->isEnabled());

    // Shown again, it is built from the data as it is now.
    QSqlQuery("UPDATE CookingPlanRecipes SET portion_number=1 WHERE id_cp=2");
    QTest::mouseClick(toggle, Qt::LeftButton);
    QVERIFY(_list->printButton->isEnabled());
    QVERIFY(_list->report.contains("<td>Hamburger</td><td>3.20</td><td>1</td><td>3.20</td>"));
    QVERIFY(_list->report.contains("<i>5.70 USD</i>"));
}

void TestCookingPlanList::activationRebuildsOnlyWhenShown()
{
    build();
    click(item("Wedding"));
    QVERIFY(_list->report.isEmpty()); // hidden: nothing built
    QTest::mouseClick(buttonWithText("Show/hide details"), Qt::LeftButton);
    QVERIFY(_list->report.startsWith("<h1>Wedding</h1>"));
    click(item("Birthday"));
    QVERIFY(_list->report.startsWith("<h1>Birthday</h1>"));
    QCOMPARE(static_cast<QLineEdit*>(_list->nameEditor)->text(), QString("Birthday"));

    QTest::mouseClick(buttonWithText("Show/hide details"), Qt::LeftButton);
    click(item("Wedding"));
    QVERIFY(_list->report.startsWith("<h1>Birthday</h1>"));
    QCOMPARE(static_cast<QLineEdit*>(_list->nameEditor)->text(), QString("Wedding"));
}

void TestCookingPlanList::itemWithoutIdIsReported()
{
    build();
    QTest::mouseClick(buttonWithText("Show/hide details"), Qt::LeftButton);
    const QString before = _list->report;
    auto* stray = new QListWidgetItem("Stray");
    stray->setData(IdRole, "none");
    _list->list->addItem(stray);
    MessageCapture messages;
    _list->onListItemActivated(stray);
    QCOMPARE(messages.diagnostics("Unknown Recipe index"), 1);
    QCOMPARE(_list->report, before);
}

void TestCookingPlanList::currencyFromSettings()
{
    QSettings().setValue("currency", "EUR");
    build();
    _list->_obtainDetails(2);
    QVERIFY(_list->report.contains("<th>Expenses per dish, EUR</th>"));
    QVERIFY(_list->report.contains("<i>39.20 EUR</i>"));
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
    if (table.isEmpty()) {
        QSettings().setValue("currency", name);
    } else {
        // The Wedding plan, its Pizza, Pizza's dough and its kilograms have the id 1.
        QSqlQuery rename;
        rename.prepare("UPDATE " + table + " SET name=:name WHERE id=1");
        rename.bindValue(":name", name);
        QVERIFY(rename.exec());
    }
    build();
    click(_list->list->item(0));
    QSignalSpy loaded(_list->detailsView, &QWebView::loadFinished);
    QTest::mouseClick(buttonWithText("Show/hide details"), Qt::LeftButton);
    QVERIFY(_list->report.contains(name.toHtmlEscaped()));
    QVERIFY(!_list->report.contains(name));
    QVERIFY(loaded.count() > 0 || loaded.wait(10000));
    QTest::qWait(50);
    QWebFrame* frame = _list->detailsView->page()->mainFrame();
    QVERIFY(frame->toPlainText().contains(name));
    QCOMPARE(frame->findAllElements("img").count(), 0);
    QCOMPARE(frame->findAllElements("script").count(), 0);
    QCOMPARE(frame->findAllElements("td b, td i, th b").count(), 0);
    QVERIFY(_list->detailsView->title().isEmpty());
}

void TestCookingPlanList::printReportToPdf()
{
    if (pdfToolMissing())
        QSKIP("pdftotext is not installed");
    build();
    click(item("Birthday"));
    QSignalSpy loaded(_list->detailsView, &QWebView::loadFinished);
    QTest::mouseClick(buttonWithText("Show/hide details"), Qt::LeftButton);
    QVERIFY(loaded.count() > 0 || loaded.wait(10000));
    const QString pdf = _dir->filePath("birthday.pdf");
    bool seen = false;
    printNextDialogToPdf(pdf, &seen);
    QTest::mouseClick(_list->printButton, Qt::LeftButton);
    QVERIFY(seen);
    QVERIFY(QFile::exists(pdf));
    const QString text = pdfText(pdf);
    for (const QString piece : {"Birthday", "Hamburger", "Total expenses:", "39.20 USD",
                                 "Garlic", "3200.00"})
        QVERIFY2(text.contains(piece), qPrintable(piece + " not in: " + text));
}

QTEST_MAIN(TestCookingPlanList)
#include "tst_cookingplanlist.moc"
