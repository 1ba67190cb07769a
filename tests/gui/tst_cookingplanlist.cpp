// The Cooking plans tab: the expense report and shopping list of a plan,
// showing and hiding it, printing it, and names that hold HTML.
#include "data/recipebook.h"
#include "lang/langmodel.h"
#include "support/guisupport.h"
#include "views/editablecookingplanlist.h"

#include <QSqlQuery>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

namespace {

// "recipe/per portion/count/per dish" for a dish line, and
// "ingredient/quantity/unit[/quantity/unit...]" for a shopping line.
QStringList reportPieces(const QString& plan, const QStringList& dishes, const QString& total,
                         const QStringList& shopping, int incompleteRow = 0)
{
    QStringList pieces{"<h1>" + plan + "</h1>"};
    if (incompleteRow > 0)
        pieces << QString("<p><b>Dish row %1 has no recipe and is left out of this report.</b></p>")
                      .arg(incompleteRow);
    pieces << "<h2>Expenses</h2><table border=\"1\"><tr><th>Recipe</th>"
              "<th>Expenses per portion</th><th>Number of dishes</th><th>Expenses per dish, "
              "USD</th></tr><tr>";
    for (const QString& dish : dishes)
        pieces << "<td>" + dish.split('/').join("</td><td>") + "</td></tr><tr>";
    pieces << "</tr></table><b>Total expenses:</b> <i>" + total + " USD</i>"
           << "<h2>Ingredients</h2><table border=\"1\"><tr><th>Ingredient</th><th>Quantity</th>"
              "<th>Unit</th></tr><tr>";
    for (const QString& line : shopping) {
        const QStringList parts = line.split('/');
        pieces << "<td rowspan=\"" + QString::number(parts.size() / 2) + "\">" + parts[0] + "</td>";
        for (int i = 1; i + 1 < parts.size(); i += 2)
            pieces << "<td>" + parts[i] + "</td><td>" + parts[i + 1] + "</td></tr><tr>";
    }
    return pieces << "</tr></table>";
}

} // namespace

class TestCookingPlanList : public QObject
{
    Q_OBJECT

    QTemporaryDir _settingsDir;
    std::unique_ptr<ListWindow<EditableCookingPlanList>> _view;
    EditableCookingPlanList* _list = nullptr;

    void build()
    {
        _list = _view->show(new EditableCookingPlanList(&_view->book.document, Book::CookingPlans));
    }
    QPushButton* toggle() { return buttonWithText(_view->window.get(), "Show/hide details"); }
    QString shownText() { return _list->detailsView->page()->mainFrame()->toPlainText(); }
    void click(const QString& plan) { clickItem(_list->list, findItem(_list->list, plan)); }
    void showDetails(const QString& plan)
    {
        click(plan);
        QSignalSpy loaded(_list->detailsView, &QWebView::loadFinished);
        QTest::mouseClick(toggle(), Qt::LeftButton);
        QVERIFY(waitForLoad(loaded));
    }

private slots:
    void initTestCase() { useTemporarySettings(_settingsDir.path()); }
    void init()
    {
        _view.reset(new ListWindow<EditableCookingPlanList>);
        QVERIFY(_view->book.ready);
        QSettings().setValue("currency", "USD");
    }
    void cleanup() { _view.reset(); }

    void reports_data()
    {
        QTest::addColumn<QString>("change");     // SQL run on the book before the report
        QTest::addColumn<QStringList>("pieces"); // none: the report is abandoned
        QTest::addColumn<QString>("failure");    // the diagnostic of an abandoned report
        // Flour in kilograms in both recipes (twice in the cake) and in grams;
        // units in ascending order under one ingredient.
        const QStringList bakery{"Bread/1.00/2/2.00", "Cake/2.00/3/6.00"};
        const QStringList flourAndSugar{"Flour/450.00/g/0.70/kg", "Sugar/150.00/g"};
        QTest::newRow("summed across recipes")
            << "" << reportPieces("Bakery", bakery, "8.00", flourAndSugar) << "";
        QTest::newRow("no dishes") << "DELETE FROM CookingPlanRecipes WHERE id_cp=100"
                                   << reportPieces("Bakery", {}, "0.00", {}) << "";
        // A dish without a readable recipe is left out and named; the rest is reported.
        QTest::newRow("missing recipe")
            << "INSERT INTO CookingPlanRecipes VALUES(100, 100, 999, 1)"
            << reportPieces("Bakery", bakery, "8.00", flourAndSugar, 3) << "";
        const QStringList bread = reportPieces("Bakery", {bakery[0]}, "2.00", {"Flour/0.40/kg"}, 2);
        QTest::newRow("no recipe chosen")
            << "UPDATE CookingPlanRecipes SET id_rec=-1 WHERE id_rec=101" << bread << "";
        QTest::newRow("unreadable recipe id")
            << "UPDATE CookingPlanRecipes SET id_rec='x' WHERE id_rec=101" << bread << "";
        // Other values a corrupt book file may hold abandon the report with their own message.
        const QString breadLines = "UPDATE RecipeIngredients SET %1 WHERE id_rec=100";
        QTest::newRow("unreadable ingredient id")
            << breadLines.arg("id_ing='abc'") << QStringList() << "Cannot get ID";
        QTest::newRow("unreadable quantity")
            << breadLines.arg("quant='abc'") << QStringList() << "Cannot extract quantity";
        QTest::newRow("unreadable unit id")
            << breadLines.arg("id_unit='abc'") << QStringList() << "Cannot get unit ID";
    }

    void reports()
    {
        QFETCH(QString, change);
        QFETCH(QString, failure);
        for (const char* sql :
             {"INSERT INTO Recipes(id, name, expenses) VALUES(100, 'Bread', 1), (101, 'Cake', 2)",
              "INSERT INTO Ingredients(id, name) VALUES(100, 'Flour'), (101, 'Sugar')",
              "INSERT INTO Units(id, name) VALUES(100, 'g'), (101, 'kg')",
              "INSERT INTO RecipeIngredients(id_rec, id_ing, quant, id_unit) VALUES"
              "(100, 100, 0.2, 101), (101, 101, 50, 100), (101, 100, 150, 100), (101, 100, 0.1, "
              "101)",
              "INSERT INTO CookingPlans(id, name) VALUES(100, 'Bakery')",
              "INSERT INTO CookingPlanRecipes(id, id_cp, id_rec, portion_number) VALUES"
              "(98, 100, 100, 2), (99, 100, 101, 3)"})
            QVERIFY2(QSqlQuery().exec(sql), sql);
        QVERIFY(change.isEmpty() || QSqlQuery().exec(change));
        build();
        MessageCapture messages;
        showDetails("Bakery");
        QFETCH(QStringList, pieces);
        comparePieces(_list->report, pieces);
        QCOMPARE(messages.diagnostics(failure), failure.isEmpty() ? 0 : 1);
        QVERIFY(pieces.isEmpty() ? shownText().trimmed().isEmpty()
                                 : shownText().startsWith("Bakery"));
    }

    void translatedWithCurrency()
    {
        LangModel french(2, QDir::currentPath() + "/languages/");
        setAppLangModel(&french);
        QSettings().setValue("currency", "EUR");
        QVERIFY(QSqlQuery().exec("UPDATE CookingPlanRecipes SET id_rec=999 WHERE id_cp=2 "
                                 "AND portion_number=6")); // Birthday's hamburgers
        build();
        QVERIFY(buttonWithText(_view->window.get(), "Afficher/masquer les détails"));
        QCOMPARE(_list->printButton->text(), QString("Imprimer les détails"));
        _list->_obtainDetails(2);
        QVERIFY(_list->report.contains("<th>Coût par portion</th><th>Nombre de plats</th>"
                                       "<th>Coût par plat, EUR</th>"));
        QVERIFY(_list->report.contains("<b>Coût total:</b> <i>20.00 EUR</i>"));
        QVERIFY(_list->report.contains(
            "La ligne de plat 1 n’a pas de recette et ne figure pas dans ce rapport."));
    }

    // The report is built only while it is shown, for the plan clicked, from
    // the data as it is then; "Print details" works only while it is shown.
    void detailsFollowToggleAndSelection()
    {
        build();
        click("Wedding");
        QVERIFY(_list->detailsView->isHidden());
        QVERIFY(_list->report.isEmpty());
        QVERIFY(!_list->printButton->isEnabled());
        QTest::mouseClick(toggle(), Qt::LeftButton);
        QVERIFY(_list->report.startsWith("<h1>Wedding</h1>"));
        QVERIFY(_list->printButton->isEnabled());
        PrintVisit visit;
        answerPrintDialog(_view->book.dir.filePath("report.pdf"), &visit, PrintAnswer::Cancel);
        QTest::mouseClick(_list->printButton, Qt::LeftButton);
        QCOMPARE(visit.documentName, QCoreApplication::applicationName());
        QVERIFY(QDir(_view->book.dir.path()).entryList({"*.pdf"}).isEmpty());
        click("Birthday");
        QVERIFY(_list->report.startsWith("<h1>Birthday</h1>"));

        QTest::mouseClick(toggle(), Qt::LeftButton);
        QVERIFY(_list->detailsView->isHidden());
        QVERIFY(!_list->printButton->isEnabled());
        QVERIFY(QSqlQuery().exec("UPDATE CookingPlanRecipes SET portion_number=1 WHERE id_cp=1"));
        click("Wedding");
        QVERIFY(_list->report.startsWith("<h1>Birthday</h1>"));
        QCOMPARE(static_cast<QLineEdit*>(_list->nameEditor)->text(), QString("Wedding"));
        QTest::mouseClick(toggle(), Qt::LeftButton);
        QVERIFY(_list->printButton->isEnabled());
        QVERIFY(_list->report.contains("<td>Pizza</td><td>5.40</td><td>1</td><td>5.40</td>"));
        QVERIFY(_list->report.contains("<i>7.90 USD</i>"));
    }

    // A bad plan id or an item without an id is reported and the report stays;
    // once no plan is left, neither the report nor its dishes stay.
    void badIdsKeepReportNoPlanClearsIt()
    {
        build();
        showDetails("Wedding");
        const QString before = _list->report;
        MessageCapture messages;
        _list->_obtainDetails(-1);
        QCOMPARE(messages.diagnostics("Incorrect ID"), 1);
        auto* stray = new QListWidgetItem("Stray", _list->list);
        _list->onListItemActivated(stray);
        QCOMPARE(messages.diagnostics("Unknown Recipe index"), 1);
        QCOMPARE(_list->report, before);
        QVERIFY(shownText().startsWith("Wedding"));
        delete stray;

        deleteEveryItem(_list);
        QVERIFY(_list->report.isEmpty());
        QVERIFY(shownText().trimmed().isEmpty());
        QVERIFY(!_list->printButton->isEnabled());
        QCOMPARE(_list->form.subTables.at(0)->grid->rowCount(), 0);
    }

    // Names holding HTML, and the currency, are escaped and shown as text.
    void namesShownAsText()
    {
        const QString currency = "<script>document.title='currency'</script>";
        QSettings().setValue("currency", currency);
        const QStringList names[] = {{Book::CookingPlans, "<img src=x onerror=\"alert(1)\">"},
                                     {Book::Recipes, "<script>document.title='ran'</script>"},
                                     {Book::Ingredients, "Fish & <Chips>"},
                                     {Book::Units, "<b>kg</b> & <i>more</i>"}};
        for (const QStringList& name : names)
            renameRow(name[0], 1, name[1]); // Wedding, its Pizza, Pizza's dough, kilograms
        build();
        showDetails(names[0][1]);
        verifyShownAsText(currency, _list->report, _list->detailsView, 0);
        for (const QStringList& name : names)
            verifyShownAsText(name[1], _list->report, _list->detailsView, 0);
    }
};

QTEST_MAIN(TestCookingPlanList)
#include "tst_cookingplanlist.moc"
