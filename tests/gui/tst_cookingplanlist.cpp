// The Cooking plans tab: the expense report and shopping list of a plan.
#include "data/recipebook.h"
#include "support/guisupport.h"
#include "views/editablecookingplanlist.h"

#include <QtTest>

class TestCookingPlanList : public QObject
{
    Q_OBJECT

    QTemporaryDir _settingsDir;
    std::unique_ptr<ListWindow<EditableCookingPlanList>> _view;
    EditableCookingPlanList* _list = nullptr;

    // "a/b/c" as the cells of one line of a report table.
    static QString cells(const QString& line)
    {
        return "<td>" + line.split('/').join("</td><td>") + "</td></tr><tr>";
    }
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
    }
    void cleanup() { _view.reset(); }

    void reports_data()
    {
        QTest::addColumn<QString>("change");     // SQL run on the book before the report
        QTest::addColumn<QStringList>("pieces"); // the start, then lines; none: abandoned
        QTest::addColumn<QString>("failure");    // the diagnostic of an abandoned report
        const QString notice = "<h1>Bakery</h1><p><b>Dish row %1 has no recipe and is left out "
                               "of this report.</b></p><h2>";
        // Flour in kilograms in both recipes (twice in the cake) and in grams;
        // units in ascending order under one ingredient.
        const QStringList bakery{"<h1>Bakery</h1><h2>", cells("Bread/1.00/2/2.00"),
                                 cells("Cake/2.00/3/6.00"), "<i>8.00 USD</i>",
                                 "<td rowspan=\"2\">Flour</td>" + cells("450.00/g") +
                                     cells("0.70/kg")};
        QTest::newRow("summed across recipes") << "" << bakery << "";
        // A dish without a recipe is left out and named; the rest is reported.
        QTest::newRow("no recipe chosen")
            << "UPDATE CookingPlanRecipes SET id_rec=-1 WHERE id_rec=101"
            << QStringList{notice.arg(2), bakery[1], "<i>2.00 USD</i>",
                           "<td rowspan=\"1\">Flour</td>" + cells("0.40/kg")}
            << "";
        // Other values a corrupt book file may hold abandon the report with their own message.
        const QString bad = "UPDATE RecipeIngredients SET %1='abc' WHERE id_rec=100";
        QTest::newRow("ingredient id") << bad.arg("id_ing") << QStringList() << "Cannot get ID";
        QTest::newRow("quantity") << bad.arg("quant") << QStringList() << "Cannot extract quantity";
        QTest::newRow("unit id") << bad.arg("id_unit") << QStringList() << "Cannot get unit ID";
    }

    void reports()
    {
        QFETCH(QString, change);
        const QString book =
            "INSERT INTO Recipes(id, name, expenses) VALUES(100, 'Bread', 1), (101, 'Cake', 2);"
            "INSERT INTO Ingredients(id, name) VALUES(100, 'Flour');"
            "INSERT INTO Units(id, name) VALUES(100, 'g'), (101, 'kg');"
            "INSERT INTO RecipeIngredients(id_rec, id_ing, quant, id_unit) VALUES(100, 100, 0.2, "
            "101), (101, 100, 150, 100), (101, 100, 0.1, 101);"
            "INSERT INTO CookingPlans(id, name) VALUES(100, 'Bakery');"
            "INSERT INTO CookingPlanRecipes VALUES(98, 100, 100, 2), (99, 100, 101, 3);";
        for (const QString& sql : (book + change).split(';', Qt::SkipEmptyParts))
            QVERIFY2(QSqlQuery().exec(sql), qPrintable(sql));
        build();
        MessageCapture messages;
        showDetails("Bakery");
        QFETCH(QString, failure);
        QCOMPARE(messages.diagnostics(failure), failure.isEmpty() ? 0 : 1);
        QFETCH(QStringList, pieces);
        QVERIFY(_list->report.startsWith(pieces.value(0)));
        QCOMPARE(_list->report.count("<td"), pieces.join("").count("<td"));
        for (const QString& piece : pieces)
            QVERIFY2(_list->report.contains(piece), qPrintable(piece));
        QVERIFY(pieces.isEmpty() ? shownText().trimmed().isEmpty()
                                 : shownText().startsWith("Bakery"));
    }

    // The report is built only while shown, for the plan clicked, with names and the currency
    // as text; it prints only while shown, and goes with the last plan.
    void detailsFollowToggleAndSelection()
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
        click(names[0][1]);
        QVERIFY(_list->report.isEmpty());
        QVERIFY(!_list->printButton->isEnabled());
        showDetails(names[0][1]);
        verifyShownAsText(currency, _list->report, _list->detailsView, 0);
        for (const QStringList& name : names)
            verifyShownAsText(name[1], _list->report, _list->detailsView, 0);
        PrintVisit visit;
        answerPrintDialog(QString(), &visit, PrintAnswer::Cancel);
        QTest::mouseClick(_list->printButton, Qt::LeftButton);
        QVERIFY(visit.seen);
        MessageCapture messages;
        _list->_obtainDetails(-1);
        QCOMPARE(messages.diagnostics("Incorrect ID"), 1);
        click("Birthday");
        QVERIFY(_list->report.startsWith("<h1>Birthday</h1>"));

        QTest::mouseClick(toggle(), Qt::LeftButton);
        QVERIFY(!_list->printButton->isEnabled());

        deleteEveryItem(_list);
        QVERIFY(_list->report.isEmpty());
        QVERIFY(shownText().trimmed().isEmpty());
        QVERIFY(!_list->printButton->isEnabled());
        QCOMPARE(_list->form.subTables.at(0)->grid->rowCount(), 0);
    }
};

QTEST_MAIN(TestCookingPlanList)
#include "tst_cookingplanlist.moc"
