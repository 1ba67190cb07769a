// What the user typed is never lost: open cell editors, changed panels, every digit.
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

const QString Pizza = QStringLiteral("Save changes to \"Pizza\"?:");

void clickTab(QTabWidget* tabs, int index)
{
    QTest::mouseClick(tabs->tabBar(), Qt::LeftButton, {}, tabs->tabBar()->tabRect(index).center());
}

// Types over the editor's text; a cell editor stays open.
void typeInto(QWidget* editor, const QString& text)
{
    editor->setFocus();
    QTest::keyClick(editor, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(editor, text);
}

} // namespace

class TestSafekeeping : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { useTemporarySettings(_settings.path()); }
    void init()
    {
        _fixture.reset(new WindowFixture);
        _fixture->window->resize(1200, 900);
        _fixture->window->show();
        QVERIFY(QTest::qWaitForWindowExposed(_fixture->window));
        _recipes = qobject_cast<EditableDataList*>(_fixture->window->editors[0]);
    }

    void cleanup() { _fixture.reset(); }

    void commandsSettleEdits_data();
    void commandsSettleEdits();

private:
    // Goes to a tab; the recipes' panel is on their "Edit" page.
    void _show(int tab)
    {
        clickTab(_fixture->window->findChild<QTabWidget*>(), tab);
        auto* pages =
            qobject_cast<QTabWidget*>(_recipes->scrollArea->parentWidget()->parentWidget());
        if (tab == 0)
            clickTab(pages, pages->indexOf(_recipes->scrollArea));
    }
    // "title:<typed>", "money:<typed>" (its cost), or "cell": an open ingredient's name editor.
    void _edit(const QString& edit)
    {
        _show(edit == "cell" ? 1 : 0);
        if (edit != "cell")
            return typeInto(edit.startsWith("title") ? _recipes->nameEditor : _money(),
                            edit.section(':', 1));
        QTableWidget* grid = static_cast<EditableDataTable*>(_fixture->window->editors[1])->grid;
        QWidget* editor = openCellEditor(grid, rowWithText(grid, Book::IngredientName, "Dough"),
                                         Book::IngredientName);
        QVERIFY(editor);
        typeInto(editor, "Pizza dough");
    }
    QDoubleSpinBox* _money() const
    {
        return static_cast<QDoubleSpinBox*>(_recipes->form.widgets.at(Book::RecipeExpenses).widget);
    }

    QTemporaryDir _settings;
    std::unique_ptr<WindowFixture> _fixture;
    EditableDataList* _recipes;
};

void TestSafekeeping::commandsSettleEdits_data()
{
    QTest::addColumn<QString>("edit");
    QTest::addColumn<QStringList>("script");
    // An action, "close", "save" (the panel's), or "rename": "cell", then the panel's Save.
    QTest::addColumn<QString>("command");
    QTest::addColumn<QString>("stored");
    const auto row = [](const QString& name, const QString& edit, const QStringList& script,
                        const char* command, const QString& stored) {
        QTest::newRow(qPrintable(name)) << edit << script << QString(command) << stored;
    };
    const QString yes = Pizza + "Yes", napoletana = "Pizza Napoletana", pizza = "Pizza";
    const QString title = "title:" + napoletana;
    row("close, Yes saves it", title, {yes, "modified:No"}, "close", napoletana);
    row("untouched, close asks nothing", "", {}, "close", pizza);
    row("New, Cancel keeps it", title, {Pizza + "Cancel"}, "actionNew", pizza);
    row("Save as, Yes writes it", title, {yes, "save:book.carb"}, "actionSave_as", napoletana);
    row("Export, Yes saves first", title, {yes, "Export recipes:Cancel"}, "actionExport_recipes",
        napoletana);
    row("Import, Escape stays", title, {Pizza + "Escape"}, "actionImport_recipe", pizza);
    row("cell editor open, Exit asks", "cell", {"modified:Cancel"}, "actionExit", "Pizza dough");
    // Another tab that changes the book neither reloads a changed panel nor shows old names.
    row("rename", title, {}, "rename", napoletana);
    for (const QString typed : {"1234567.89", "99999.99", "0.1"})
        row(typed, "money:" + typed, {}, "save", typed);
}

void TestSafekeeping::commandsSettleEdits()
{
    QFETCH(QString, edit);
    QFETCH(QStringList, script);
    QFETCH(QString, command);
    QFETCH(QString, stored);
    if (!edit.isEmpty())
        _edit(edit);
    DialogLog dialogs;
    answerDialogs(script, &dialogs);
    QVERIFY(command != "close" || _fixture->window->close());
    if (command == "rename") { // the tab change commits the open cell editor
        _edit("cell");
        _show(0);
        QCOMPARE(queryRows("SELECT name FROM Ingredients WHERE id=1"), QStringList{"Pizza dough"});
    }
    if (command == "rename" || command == "save") {
        for (QPushButton* button : _recipes->scrollArea->widget()->findChildren<QPushButton*>()) {
            if (button->text() == "Save")
                QTest::mouseClick(button, Qt::LeftButton);
        }
    } else if (command != "close") {
        trigger(_fixture->window, qPrintable(command));
    }
    QCOMPARE(dialogs.steps, script);
    QCOMPARE(_fixture->window->isVisible(), command != "close");
    if (command == "actionSave_as") { // the file holds what the user saw
        QVERIFY(!_fixture->window->document.modified);
        QVERIFY(_fixture->window->document.OpenDocument(_fixture->scratch.filePath("book.carb")));
    }
    QCOMPARE(queryRows(edit == "cell"      ? "SELECT name FROM Ingredients WHERE id=1"
                       : command == "save" ? "SELECT expenses FROM Recipes WHERE id=1"
                                           : "SELECT name FROM Recipes WHERE id=1"),
             QStringList{stored});
    if (stored == "Pizza" && !edit.isEmpty()) // the panel keeps the edit
        QCOMPARE(_recipes->nameEditor->property("text").toString(), QString("Pizza Napoletana"));
    QTableWidget* lines = _recipes->form.subTables.at(0)->grid;
    if (command == "save") { // shown as typed; the sample's tenth of a litre as written
        QCOMPARE(_money()->text(), stored);
        const int sauce = rowWithText(lines, Book::LineIngredient, "Sauce");
        QCOMPARE(lines->item(sauce, Book::LineQuantity)->text(), QString("0.1"));
    }
    if (command == "rename") {
        QCOMPARE(queryRows("SELECT COUNT(*) FROM RecipeIngredients WHERE id_rec=1"),
                 QStringList{"3"});
        QVERIFY(rowWithText(lines, Book::LineIngredient, "Pizza dough") >= 0);
        QVERIFY(static_cast<EditableRecipeList*>(_recipes)->page.contains("Pizza dough"));
    }
}

QTEST_MAIN(TestSafekeeping)
#include "tst_safekeeping.moc"
