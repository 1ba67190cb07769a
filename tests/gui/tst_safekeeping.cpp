// What the user typed is never lost nor cut: a cell editor left open counts,
// a changed panel is asked about before anything leaves or replaces it, a tab
// change keeps it, and real numbers keep every digit.
#include "shellfixture.h"

#include "data/recipebook.h"
#include "editing/editabledatatable.h"
#include "editing/editablesubtable.h"
#include "editing/verticalscrollarea.h"
#include "support/editingfixture.h"
#include "views/editablecookingplanlist.h"
#include "views/editablerecipelist.h"

#include <QDoubleSpinBox>
#include <QTabBar>
#include <QTabWidget>
#include <QTableWidget>

namespace {

// What the book holds of each edit the tests make.
const QMap<QString, QString> StoredBy = {
    {"recipe title", "SELECT name FROM Recipes WHERE id=1"},
    {"plan title", "SELECT name FROM CookingPlans WHERE id=1"},
    {"ingredient cell", "SELECT name FROM Ingredients WHERE id=1"},
    {"recipe line cell", "SELECT quant FROM RecipeIngredients WHERE id_rec=1 AND id_ing=1"},
    {"dish cell", "SELECT portion_number FROM CookingPlanRecipes WHERE id_cp=1 AND id_rec=1"},
};

void clickTab(QTabWidget* tabs, int index)
{
    QTest::mouseClick(tabs->tabBar(), Qt::LeftButton, {}, tabs->tabBar()->tabRect(index).center());
}

void typeInto(QWidget* editor, const QString& text)
{
    editor->setFocus();
    if (auto* line = qobject_cast<QLineEdit*>(editor))
        line->selectAll();
    if (auto* spin = qobject_cast<QAbstractSpinBox*>(editor))
        spin->selectAll();
    QTest::keyClicks(editor, text);
}

QPushButton* panelButton(EditableDataList* list, const QString& text)
{
    for (QPushButton* button : list->scrollArea->widget()->findChildren<QPushButton*>())
        if (button->text() == text)
            return button;
    return nullptr;
}

} // namespace

class TestSafekeeping : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { useTemporarySettingsStore(_settings.path()); }
    void init();
    void cleanup() { _fixture.reset(); }

    void tabChangeKeepsChangedPanel_data();
    void tabChangeKeepsChangedPanel();
    void commandsSettleEdits_data();
    void commandsSettleEdits();
    void realNumbersKeepEveryDigit_data();
    void realNumbersKeepEveryDigit();

private:
    MainWindow* _window() const { return _fixture->window; }
    QTabWidget* _tabs() const { return _window()->findChild<QTabWidget*>(); }
    EditableDataList* _list(int tab) const
    {
        return qobject_cast<EditableDataList*>(_window()->editors[tab]);
    }
    // Goes to the tab of an editor; the recipes' panel is on their "Edit" page.
    void _showEditor(int tab);
    // Opens the editor of a cell in the row whose column holds text, and types.
    void _typeIntoCell(QTableWidget* grid, int column, const QString& text, int typedColumn,
                       const QString& typed, bool enter);
    void _edit(const QString& edit, bool enter = false);

    QTemporaryDir _settings;
    std::unique_ptr<WindowFixture> _fixture;
};

void TestSafekeeping::init()
{
    _fixture.reset(new WindowFixture);
    _window()->resize(1200, 900);
    _window()->show();
    QVERIFY(QTest::qWaitForWindowExposed(_window()));
}

void TestSafekeeping::_showEditor(int tab)
{
    clickTab(_tabs(), tab);
    if (tab == 0) {
        auto* pages =
            qobject_cast<QTabWidget*>(_list(0)->scrollArea->parentWidget()->parentWidget());
        clickTab(pages, pages->indexOf(_list(0)->scrollArea));
    }
}

void TestSafekeeping::_typeIntoCell(QTableWidget* grid, int column, const QString& text,
                                    int typedColumn, const QString& typed, bool enter)
{
    QWidget* editor = openCellEditor(grid, rowWithText(grid, column, text), typedColumn);
    QVERIFY(editor);
    if (enter)
        QVERIFY(typeIntoCell(editor, typed));
    else
        typeInto(editor, typed);
}

// The edits of StoredBy; a cell editor is left open unless enter.
void TestSafekeeping::_edit(const QString& edit, bool enter)
{
    if (edit == "recipe title" || edit == "plan title") {
        const int tab = edit == "recipe title" ? 0 : 2;
        _showEditor(tab);
        typeInto(_list(tab)->nameEditor, edit == "recipe title" ? "Pizza Napoletana" : "Big day");
    } else if (edit == "ingredient cell") {
        _showEditor(1);
        auto* ingredients = static_cast<EditableDataTable*>(_window()->editors[1]);
        _typeIntoCell(ingredients->grid, Book::IngredientName, "Dough", Book::IngredientName,
                      "Pizza dough", enter);
    } else if (edit == "recipe line cell") {
        _showEditor(0);
        _typeIntoCell(_list(0)->form.subTables.at(0)->grid, Book::LineIngredient, "Dough",
                      Book::LineQuantity, "7", enter);
    } else if (edit == "dish cell") {
        _showEditor(2);
        _typeIntoCell(_list(2)->form.subTables.at(0)->grid, Book::DishRecipe, "Pizza",
                      Book::DishPortions, "5", enter);
    }
}

void TestSafekeeping::tabChangeKeepsChangedPanel_data()
{
    QTest::addColumn<QString>("edit"); // of a panel, before another tab changes the book
    QTest::addColumn<QString>("saved");
    QTest::newRow("recipe title") << "recipe title"
                                  << "Pizza Napoletana";
    QTest::newRow("recipe line only") << "recipe line cell"
                                      << "7";
    QTest::newRow("plan dishes only") << "dish cell"
                                      << "5";
}

void TestSafekeeping::tabChangeKeepsChangedPanel()
{
    QFETCH(QString, edit);
    QFETCH(QString, saved);
    const int tab = edit == "dish cell" ? 2 : 0;
    _edit(edit, true);
    _edit("ingredient cell", true); // Dough is renamed on the Ingredients tab
    _showEditor(tab);
    EditableDataList* list = _list(tab);
    QCOMPARE(list->nameEditor->property("text").toString(),
             edit == "recipe title" ? "Pizza Napoletana" : tab == 0 ? "Pizza" : "Wedding");
    // The renamed ingredient shows under its new name, and is saved so.
    if (tab == 0) {
        QVERIFY(rowWithText(list->form.subTables.at(0)->grid, Book::LineIngredient, "Pizza dough")
                >= 0);
        QVERIFY(static_cast<EditableRecipeList*>(list)->page.contains("Pizza dough"));
    }
    QTest::mouseClick(panelButton(list, "Save"), Qt::LeftButton);
    QCOMPARE(queryRows(StoredBy[edit]), QStringList{saved});
    QCOMPARE(queryRows("SELECT COUNT(*) FROM Ingredients WHERE name='Dough'"), QStringList{"0"});
    QCOMPARE(queryRows("SELECT COUNT(*) FROM RecipeIngredients WHERE id_rec=1"), QStringList{"3"});
}

void TestSafekeeping::commandsSettleEdits_data()
{
    QTest::addColumn<QString>("edit"); // none: nothing is changed
    QTest::addColumn<QString>("command");
    QTest::addColumn<QStringList>("script");
    QTest::addColumn<bool>("closes");
    QTest::addColumn<QString>("stored");
    const QString pizza = "Save changes to \"Pizza\"?:";
    const QString wedding = "Save changes to \"Wedding\"?:";
    QTest::newRow("title, close, Yes saves it")
        << "recipe title"
        << "close" << QStringList{pizza + "Yes", "modified:No"} << true << "Pizza Napoletana";
    QTest::newRow("title, close, No drops it")
        << "recipe title"
        << "close" << QStringList{pizza + "No"} << true << "Pizza";
    QTest::newRow("title, close, Escape stays")
        << "recipe title"
        << "close" << QStringList{pizza + "Escape"} << false << "Pizza";
    QTest::newRow("plan title, Exit, Cancel stays")
        << "plan title"
        << "exit" << QStringList{wedding + "Cancel"} << false << "Wedding";
    QTest::newRow("dish cell open, close, Yes saves it")
        << "dish cell"
        << "close" << QStringList{wedding + "Yes", "modified:No"} << true << "5";
    QTest::newRow("ingredient cell open, Exit asks")
        << "ingredient cell"
        << "exit" << QStringList{"modified:Cancel"} << false << "Pizza dough";
    QTest::newRow("recipe line cell open, close")
        << "recipe line cell"
        << "close" << QStringList{pizza + "Yes", "modified:Cancel"} << false << "7";
    QTest::newRow("ingredient cell open, another tab")
        << "ingredient cell"
        << "tab" << QStringList() << false << "Pizza dough";
    QTest::newRow("title, New, Cancel keeps it")
        << "recipe title"
        << "new" << QStringList{pizza + "Cancel"} << false << "Pizza";
    QTest::newRow("title, Save as, Yes writes it")
        << "recipe title"
        << "save as" << QStringList{pizza + "Yes", "save:book.carb"} << false
        << "Pizza Napoletana";
    QTest::newRow("title, Export recipes, Yes saves it first")
        << "recipe title"
        << "export" << QStringList{pizza + "Yes", "Export recipes:Cancel"} << false
        << "Pizza Napoletana";
    QTest::newRow("title, Import recipe, Cancel stays")
        << "recipe title"
        << "import" << QStringList{pizza + "Cancel"} << false << "Pizza";
    QTest::newRow("untouched, close asks nothing")
        << "recipe title"
        << "close" << QStringList() << true << "Pizza";
}

void TestSafekeeping::commandsSettleEdits()
{
    QFETCH(QString, edit);
    QFETCH(QString, command);
    QFETCH(QStringList, script);
    QFETCH(bool, closes);
    QFETCH(QString, stored);
    if (!script.isEmpty() || command == "tab")
        _edit(edit);
    DialogLog dialogs;
    answerDialogs(script, &dialogs);
    if (command == "close")
        QCOMPARE(_window()->close(), closes);
    else if (command == "exit")
        trigger(_window(), "actionExit");
    else if (command == "new")
        trigger(_window(), "actionNew");
    else if (command == "save as")
        trigger(_window(), "actionSave_as");
    else if (command == "export")
        trigger(_window(), "actionExport_recipes");
    else if (command == "import")
        trigger(_window(), "actionImport_recipe");
    else
        clickTab(_tabs(), 0);
    QCOMPARE(dialogs.steps, script);
    QCOMPARE(_window()->isVisible(), !closes);
    if (command == "save as") {
        // The file holds what the user saw.
        QVERIFY(!_window()->document.modified);
        QVERIFY(_window()->document.OpenDocument(_fixture->scratch.filePath("book.carb")));
    }
    QCOMPARE(queryRows(StoredBy[edit]), QStringList{stored});
    // A cancelled command leaves the panel as the user left it.
    if (script.contains("Save changes to \"Pizza\"?:Cancel") ||
        script.contains("Save changes to \"Pizza\"?:Escape"))
        QCOMPARE(_list(0)->nameEditor->property("text").toString(), QString("Pizza Napoletana"));
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
    _showEditor(0);
    EditableDataList* recipes = _list(0);
    // The sample's tenth of a litre reads as it was written.
    QTableWidget* lines = recipes->form.subTables.at(0)->grid;
    QCOMPARE(lines->item(rowWithText(lines, Book::LineIngredient, "Sauce"), Book::LineQuantity)
                 ->text(),
             QString("0.1"));
    QWidget* money = recipes->form.widgets.at(Book::RecipeExpenses).widget;
    typeInto(money, typed);
    QTest::mouseClick(panelButton(recipes, "Save"), Qt::LeftButton);
    QCOMPARE(queryRows("SELECT expenses FROM Recipes WHERE id=1"), QStringList{typed});
    QCOMPARE(static_cast<QDoubleSpinBox*>(money)->text(), typed);
}

QTEST_MAIN(TestSafekeeping)
#include "tst_safekeeping.moc"
