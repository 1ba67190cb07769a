// What the user typed is never lost nor cut: a cell editor left open counts,
// a changed panel is asked about before anything leaves or replaces it, a tab
// change keeps it, and real numbers keep every digit.
#include "support/guisupport.h"

#include "data/recipebook.h"
#include "editing/editabledatatable.h"
#include "editing/editablesubtable.h"
#include "editing/verticalscrollarea.h"
#include "views/editablerecipelist.h"

#include <QDoubleSpinBox>
#include <QTabBar>
#include <QTabWidget>
#include <QTableWidget>

namespace {

// What the book holds of each edit the tests make; "" is no edit.
const QMap<QString, QString> StoredBy = {
    {"", "SELECT name FROM Recipes WHERE id=1"},
    {"recipe title", "SELECT name FROM Recipes WHERE id=1"},
    {"plan title", "SELECT name FROM CookingPlans WHERE id=1"},
    {"ingredient cell", "SELECT name FROM Ingredients WHERE id=1"},
    {"recipe line cell", "SELECT quant FROM RecipeIngredients WHERE id_rec=1 AND id_ing=1"},
    {"dish cell", "SELECT portion_number FROM CookingPlanRecipes WHERE id_cp=1 AND id_rec=1"},
};

const QString Pizza = QStringLiteral("Save changes to \"Pizza\"?:");

void clickTab(QTabWidget* tabs, int index)
{
    QTest::mouseClick(tabs->tabBar(), Qt::LeftButton, {}, tabs->tabBar()->tabRect(index).center());
}

// Types over the editor's text; a cell editor stays open.
void typeInto(QWidget* editor, const QString& text)
{
    editor->setFocus();
    if (auto* line = qobject_cast<QLineEdit*>(editor))
        line->selectAll();
    if (auto* spin = qobject_cast<QAbstractSpinBox*>(editor))
        spin->selectAll();
    QTest::keyClicks(editor, text);
}

void clickButton(EditableDataList* list, const QString& text)
{
    for (QPushButton* button : list->scrollArea->widget()->findChildren<QPushButton*>()) {
        if (button->text() == text)
            QTest::mouseClick(button, Qt::LeftButton);
    }
}

} // namespace

class TestSafekeeping : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { useTemporarySettings(_settings.path()); }
    void init();
    void cleanup() { _fixture.reset(); }

    void commandsSettleEdits_data();
    void commandsSettleEdits();
    void realNumbersKeepEveryDigit_data();
    void realNumbersKeepEveryDigit();

private:
    EditableDataList* _list(int tab) const
    {
        return qobject_cast<EditableDataList*>(_fixture->window->editors[tab]);
    }
    // Goes to the tab of an editor; the recipes' panel is on their "Edit" page.
    void _show(int tab);
    // Makes an edit of StoredBy; a cell editor is left open.
    void _edit(const QString& edit);

    QTemporaryDir _settings;
    std::unique_ptr<WindowFixture> _fixture;
};

void TestSafekeeping::init()
{
    _fixture.reset(new WindowFixture);
    _fixture->window->resize(1200, 900);
    _fixture->window->show();
    QVERIFY(QTest::qWaitForWindowExposed(_fixture->window));
}

void TestSafekeeping::_show(int tab)
{
    clickTab(_fixture->window->findChild<QTabWidget*>(), tab);
    auto* pages = qobject_cast<QTabWidget*>(_list(0)->scrollArea->parentWidget()->parentWidget());
    if (tab == 0)
        clickTab(pages, pages->indexOf(_list(0)->scrollArea));
}

void TestSafekeeping::_edit(const QString& edit)
{
    const int tab = edit.startsWith("recipe") ? 0 : edit.startsWith("ingredient") ? 1 : 2;
    _show(tab);
    if (edit.endsWith("title"))
        return typeInto(_list(tab)->nameEditor, tab == 0 ? "Pizza Napoletana" : "Big day");
    // The row with a text in a column, the column typed into, the text typed.
    struct Cell
    {
        int findColumn;
        const char* find;
        int column;
        const char* typed;
    };
    const Cell cell = tab == 1
                          ? Cell{Book::IngredientName, "Dough", Book::IngredientName, "Pizza dough"}
                      : tab == 0 ? Cell{Book::LineIngredient, "Dough", Book::LineQuantity, "7"}
                                 : Cell{Book::DishRecipe, "Pizza", Book::DishPortions, "5"};
    QTableWidget* grid = tab == 1
                             ? static_cast<EditableDataTable*>(_fixture->window->editors[1])->grid
                             : _list(tab)->form.subTables.at(0)->grid;
    QWidget* editor =
        openCellEditor(grid, rowWithText(grid, cell.findColumn, cell.find), cell.column);
    QVERIFY(editor);
    typeInto(editor, cell.typed);
}

void TestSafekeeping::commandsSettleEdits_data()
{
    QTest::addColumn<QString>("edit"); // left as it is when the command comes
    QTest::addColumn<QStringList>("script");
    // An action, "close", "tab" (another tab), or "rename": Dough renamed on
    // the Ingredients tab, then back to the panel and its Save.
    QTest::addColumn<QString>("command");
    QTest::addColumn<bool>("closes");
    QTest::addColumn<QString>("stored");
    const QString wedding = "Save changes to \"Wedding\"?:";
    const QString title = "recipe title";
    QTest::newRow("title, close, Yes saves it")
        << title << QStringList{Pizza + "Yes", "modified:No"} << "close" << true
        << "Pizza Napoletana";
    QTest::newRow("title, close, No drops it")
        << title << QStringList{Pizza + "No"} << "close" << true << "Pizza";
    QTest::newRow("title, close, Escape stays")
        << title << QStringList{Pizza + "Escape"} << "close" << false << "Pizza";
    QTest::newRow("plan title, Exit, Cancel stays")
        << "plan title" << QStringList{wedding + "Cancel"} << "actionExit" << false << "Wedding";
    QTest::newRow("dish cell open, close, Yes saves it")
        << "dish cell" << QStringList{wedding + "Yes", "modified:No"} << "close" << true << "5";
    QTest::newRow("ingredient cell open, Exit asks")
        << "ingredient cell" << QStringList{"modified:Cancel"} << "actionExit" << false
        << "Pizza dough";
    QTest::newRow("recipe line cell open, close")
        << "recipe line cell" << QStringList{Pizza + "Yes", "modified:Cancel"} << "close" << false
        << "7";
    QTest::newRow("ingredient cell open, another tab")
        << "ingredient cell" << QStringList() << "tab" << false << "Pizza dough";
    QTest::newRow("title, New, Cancel keeps it")
        << title << QStringList{Pizza + "Cancel"} << "actionNew" << false << "Pizza";
    QTest::newRow("title, Save as, Yes writes it")
        << title << QStringList{Pizza + "Yes", "save:book.carb"} << "actionSave_as" << false
        << "Pizza Napoletana";
    QTest::newRow("title, Export recipes, Yes saves it first")
        << title << QStringList{Pizza + "Yes", "Export recipes:Cancel"} << "actionExport_recipes"
        << false << "Pizza Napoletana";
    QTest::newRow("title, Import recipe, Cancel stays")
        << title << QStringList{Pizza + "Cancel"} << "actionImport_recipe" << false << "Pizza";
    QTest::newRow("untouched, close asks nothing")
        << "" << QStringList() << "close" << true << "Pizza";
    // Another tab that changes the book neither reloads a changed panel nor
    // leaves it showing the old names.
    QTest::newRow("title, rename")
        << title << QStringList() << "rename" << false << "Pizza Napoletana";
    QTest::newRow("recipe line only, rename")
        << "recipe line cell" << QStringList() << "rename" << false << "7";
    QTest::newRow("plan dishes only, rename")
        << "dish cell" << QStringList() << "rename" << false << "5";
}

void TestSafekeeping::commandsSettleEdits()
{
    QFETCH(QString, edit);
    QFETCH(QStringList, script);
    QFETCH(QString, command);
    QFETCH(bool, closes);
    QFETCH(QString, stored);
    MainWindow* window = _fixture->window;
    const int tab = edit == "dish cell" ? 2 : 0;
    if (!edit.isEmpty())
        _edit(edit);
    DialogLog dialogs;
    answerDialogs(script, &dialogs);
    if (command == "close") {
        QCOMPARE(window->close(), closes);
    } else if (command == "tab") {
        clickTab(window->findChild<QTabWidget*>(), 0);
    } else if (command == "rename") {
        _edit("ingredient cell");
        _show(tab);
        clickButton(_list(tab), "Save");
    } else {
        trigger(window, qPrintable(command));
    }
    QCOMPARE(dialogs.steps, script);
    QCOMPARE(window->isVisible(), !closes);
    if (command == "actionSave_as") { // the file holds what the user saw
        QVERIFY(!window->document.modified);
        QVERIFY(window->document.OpenDocument(_fixture->scratch.filePath("book.carb")));
    }
    QCOMPARE(queryRows(StoredBy[edit]), QStringList{stored});
    if (script.contains(Pizza + "Cancel") || script.contains(Pizza + "Escape"))
        QCOMPARE(_list(0)->nameEditor->property("text").toString(), QString("Pizza Napoletana"));
    if (command == "rename") {
        QCOMPARE(queryRows("SELECT COUNT(*) FROM Ingredients WHERE name='Dough'"),
                 QStringList{"0"});
        QCOMPARE(queryRows("SELECT COUNT(*) FROM RecipeIngredients WHERE id_rec=1"),
                 QStringList{"3"});
        QVERIFY(tab || rowWithText(_list(0)->form.subTables.at(0)->grid, Book::LineIngredient,
                                   "Pizza dough") >= 0);
        QVERIFY(tab || static_cast<EditableRecipeList*>(_list(0))->page.contains("Pizza dough"));
    }
}

void TestSafekeeping::realNumbersKeepEveryDigit_data()
{
    QTest::addColumn<QString>("typed");
    QTest::newRow("ten digits") << "1234567.89";
    QTest::newRow("just below a power of ten") << "99999.99";
    QTest::newRow("a tenth") << "0.1";
}

void TestSafekeeping::realNumbersKeepEveryDigit()
{
    QFETCH(QString, typed);
    _show(0);
    EditableDataList* recipes = _list(0);
    // The sample's tenth of a litre reads as it was written.
    QTableWidget* lines = recipes->form.subTables.at(0)->grid;
    QCOMPARE(
        lines->item(rowWithText(lines, Book::LineIngredient, "Sauce"), Book::LineQuantity)->text(),
        QString("0.1"));
    auto* money =
        static_cast<QDoubleSpinBox*>(recipes->form.widgets.at(Book::RecipeExpenses).widget);
    typeInto(money, typed);
    clickButton(recipes, "Save");
    QCOMPARE(queryRows("SELECT expenses FROM Recipes WHERE id=1"), QStringList{typed});
    QCOMPARE(money->text(), typed);
}

QTEST_MAIN(TestSafekeeping)
#include "tst_safekeeping.moc"
