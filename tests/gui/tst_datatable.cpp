// The grids of the editors: their columns and delegates, the cell editors as a
// user opens and closes them, and the whole-table grid, where every cell edit
// and row action goes to the book at once.
#include "data/recipebook.h"
#include "editing/editabledatatable.h"
#include "editing/editablesubtable.h"
#include "editing/rangeintdelegate.h"
#include "editing/seldelegate.h"
#include "editing/textdelegate.h"
#include "support/guisupport.h"

#include <QSignalSpy>
#include <QStandardItemModel>

class TestDataTable : public QObject
{
    Q_OBJECT

private slots:
    // Numbers are read with a decimal point whatever the user's locale.
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany)); }
    void init()
    {
        qRegisterMetaType<QComboBox*>();
        QVERIFY(_book.open());
    }
    void cleanup()
    {
        qDeleteAll(modalWatchers().children());
        _book.close();
    }

    void columns_data();
    void columns();
    void cellEdits_data();
    void cellEdits();
    void selectionCells();
    void textDelegateKeepsTextWhenEmptied();
    void rowActions_data();
    void rowActions();
    void faultsAreReported();

private:
    bool _show(const QString& table)
    {
        _editor = new EditableDataTable(_book.document.get(), table);
        _book.editor.reset(_editor);
        _editor->synchronize();
        return _book.show(_editor->layout, QSize(800, 600));
    }
    QTableWidgetItem* _cell(const QString& name, int column)
    {
        return _editor->grid->item(rowWithText(_editor->grid, 0, name), column);
    }
    static int _id(QTableWidgetItem* item) { return item->data(Qt::UserRole + 1).toInt(); }

    SampleBook _book;
    EditableDataTable* _editor = nullptr;
};

void TestDataTable::columns_data()
{
    QTest::addColumn<QString>("table");
    QTest::addColumn<int>("link");            // the link column of a detail grid; -1: whole table
    QTest::addColumn<QStringList>("columns"); // "caption=delegate"
    QTest::addColumn<int>("unexpected");      // "Unexpected metadata" reports
    QTest::newRow("ingredients") << Book::Ingredients << -1
                                 << QStringList{"Name=", "Measure=Sel:" + Book::Units,
                                                "Unit cost=FloatDelegate", "Quantity=FloatDelegate"}
                                 << 0;
    QTest::newRow("recipes: money and picture have none")
        << Book::Recipes << -1 << QStringList{"Title=",
                                              "Photo=",
                                              "Description=",
                                              "Rating=Range:0-10",
                                              "Complexity=Range:0-10",
                                              "Expenses="}
        << 2;
    QTest::newRow("recipe lines hide the link")
        << Book::RecipeIngredients << int(Book::LineRecipe)
        << QStringList{"Recipe=hidden", "Ingredient=Sel:" + Book::Ingredients,
                       "Quantity=FloatDelegate", "Measure=Sel:" + Book::Units}
        << 0;
}

void TestDataTable::columns()
{
    QFETCH(QString, table);
    QFETCH(int, link);
    QFETCH(QStringList, columns);
    QFETCH(int, unexpected);
    MessageCapture messages;
    std::unique_ptr<EditableTable> editor;
    if (link < 0)
        editor.reset(new EditableDataTable(_book.document.get(), table));
    else
        editor.reset(new EditableSubTable(_book.document.get(), table, link));
    QWidget holder;
    holder.setLayout(editor->layout);
    QCOMPARE(messages.count("Unexpected metadata"), unexpected);
    QTableWidget* grid = editor->grid;
    QStringList shown;
    for (int c = 0; c < grid->columnCount(); ++c) {
        QAbstractItemDelegate* delegate = grid->itemDelegateForColumn(c);
        QString kind = delegate ? delegate->metaObject()->className() : "";
        if (auto* selection = qobject_cast<SelDelegate*>(delegate))
            kind = "Sel:" + selection->table;
        if (auto* range = qobject_cast<RangeIntDelegate*>(delegate))
            kind = QString("Range:%1-%2").arg(range->minimum).arg(range->maximum);
        shown << grid->horizontalHeaderItem(c)->text() + "=" + kind +
                     (grid->isColumnHidden(c) ? "hidden" : "");
        if (delegate) // owned by the grid, which outlives the editor object
            QCOMPARE(delegate->parent(), grid);
        QVERIFY(grid->isColumnHidden(c) || grid->columnWidth(c) >= 100);
    }
    QCOMPARE(shown, columns);
    QCOMPARE(grid->selectionMode(), QAbstractItemView::SingleSelection);
    QCOMPARE(grid->selectionBehavior(), QAbstractItemView::SelectRows);
}

void TestDataTable::cellEdits_data()
{
    QTest::addColumn<QString>("table");
    QTest::addColumn<QString>("name"); // of the row
    QTest::addColumn<int>("column");
    QTest::addColumn<QString>("keys");    // typed over the cell's text, "+" for the Up arrow
    QTest::addColumn<QVariant>("before"); // stored before the grid is filled
    QTest::addColumn<QString>("stored");  // "unit <name>": the id of the unit shown
    const QString ingredients = Book::Ingredients;
    const int unit = Book::IngredientUnit;
    const int cost = Book::IngredientCost;
    const QVariant none;
    QTest::newRow("known unit") << ingredients << "Garlic" << unit << "kg" << none << "unit kg";
    QTest::newRow("no selection") << ingredients << "Garlic" << unit << "-----" << none
                                  << "unit -----";
    // A new name becomes a row of its own; the cell stores its id, never the name.
    QTest::newRow("new unit") << ingredients << "Sauce" << unit << "bucket" << none
                              << "unit bucket";
    // Every digit typed is kept and shown no longer than it was typed.
    QTest::newRow("cost") << ingredients << "Tomato" << cost << "10.00" << none << "10";
    QTest::newRow("large cost") << ingredients << "Tomato" << cost << "1234567.125" << none
                                << "1234567.125";
    // Opening an editor on a stored value never cuts it down; a rating stops at ten.
    QTest::newRow("large person count")
        << QString(Book::CookingPlans) << "Wedding" << int(Book::PlanPersonCount) << "+"
        << QVariant(1200) << "1201";
    QTest::newRow("rating") << QString(Book::Recipes) << "Pizza" << int(Book::RecipeRating)
                            << "++++" << QVariant(9) << "10";
}

// A cell edit writes its one field, once, and the cell shows what is stored.
void TestDataTable::cellEdits()
{
    QFETCH(QString, table);
    QFETCH(QString, name);
    QFETCH(int, column);
    QFETCH(QString, keys);
    QFETCH(QVariant, before);
    QFETCH(QString, stored);
    const int id = _book.document->getIDByName(table, name);
    if (before.isValid())
        _book.document->updateItem(table, id, column, before);
    QVERIFY(_show(table));
    const std::vector<QVariant> old = _book.row(table, id);
    const int units = countRows(Book::Units);
    const bool selection = stored.startsWith("unit ");
    const QString shown = selection ? stored.mid(5) : stored;
    const bool newUnit =
        selection && shown != NO_SELECTION && _book.document->getIDByName(Book::Units, shown) == -1;
    QSignalSpy changed(_editor, &EditableEntity::documentChanged);
    QWidget* editor = openCellEditor(_editor->grid, rowWithText(_editor->grid, 0, name), column);
    QVERIFY(editor);
    QCOMPARE(editor->property("minimum").toInt(), 0);
    if (before.isValid())
        QCOMPARE(editor->property("text").toString(), before.toString());
    if (keys.startsWith('+')) {
        for (int i = 0; i < keys.size(); ++i)
            QTest::keyClick(editor, Qt::Key_Up);
        keys.clear();
    }
    QVERIFY(typeIntoCell(editor, keys));

    QCOMPARE(changed.count(), 1);
    QCOMPARE(countRows(Book::Units), units + int(newUnit));
    if (selection)
        stored = QString::number(_book.document->getIDByName(Book::Units, shown));
    std::vector<QVariant> after = _book.row(table, id);
    QCOMPARE(after[column].toString(), stored);
    QCOMPARE(_cell(after[0].toString(), column)->text(), shown);
    after[column] = old[column];
    QCOMPARE(after, old);
}

// A selection cell shows the selected row's name, "-----" for none; its combo
// lists the names of the linked table with the cell's own selected, the last
// of equal names.
void TestDataTable::selectionCells()
{
    QVERIFY(_show(Book::Ingredients));
    const QVariant loose[] = {QString("Salt"), -1, 0.3, 0.0};
    const int salt = _book.document->addRow(Book::Ingredients, loose, 4);
    const QVariant twin[] = {QString("clove")};
    QVERIFY(_book.document->addRow(Book::Units, twin, 1) != -1);
    _editor->synchronize();
    QTableWidget* grid = _editor->grid;
    QCOMPARE(grid->rowCount(), countRows(Book::Ingredients));
    QCOMPARE(_cell("Salt", Book::IngredientCost)->text(), QString("0.3"));
    for (int c = 0; c < 4; ++c)
        QCOMPARE(_id(_cell("Salt", c)), salt);
    QSignalSpy spy(qobject_cast<SelDelegate*>(grid->itemDelegateForColumn(Book::IngredientUnit)),
                   &SelDelegate::populateCombo);
    QComboBox* combo = nullptr;
    for (const QString name : {"Salt", "Garlic"}) {
        combo = qobject_cast<QComboBox*>(
            openCellEditor(grid, rowWithText(grid, 0, name), Book::IngredientUnit));
        QVERIFY(combo && combo->isEditable());
        QCOMPARE(combo->lineEdit()->selectedText(), QString(name == "Salt" ? "-----" : "clove"));
        QCOMPARE(_cell(name, Book::IngredientUnit)->text(), combo->lineEdit()->text());
    }
    QCOMPARE(spy.count(), 2);
    QCOMPARE(spy[1][1].toString(), QString("clove"));
    QCOMPARE(spy[1][2].toString(), Book::Units);
    QStringList names;
    for (int i = 0; i < combo->count(); ++i)
        names << combo->itemText(i);
    QCOMPARE(names, (QStringList{"kg", "litre", "pcs.", "g", "clove", "clove"}));
    QCOMPARE(combo->currentIndex(), 5);
}

void TestDataTable::textDelegateKeepsTextWhenEmptied()
{
    QStandardItemModel model(1, 1);
    model.setData(model.index(0, 0), "Pizza");
    TextDelegate delegate;
    QLineEdit edit;
    for (const QString& typed : {QString(), QString("Pasta")}) {
        edit.setText(typed);
        delegate.setModelData(&edit, &model, model.index(0, 0));
        QCOMPARE(model.index(0, 0).data().toString(), typed.isEmpty() ? QString("Pizza") : typed);
    }
}

void TestDataTable::rowActions_data()
{
    QTest::addColumn<QString>("action");
    QTest::addColumn<int>("rowChange");
    QTest::addColumn<QString>("selected"); // empty: no current row
    QTest::addColumn<QString>("answer");   // to the deletion question; empty: none asked
    const QString none;
    const QString sauce = "Sauce";
    QTest::newRow("add") << "a" << 1 << none << none;
    QTest::newRow("copy") << "c" << 1 << "Chicken fillet" << none;
    // The recipe lines that use the ingredient go with it: the user is asked first.
    QTest::newRow("delete confirmed") << "d" << -1 << sauce << "Yes";
    QTest::newRow("delete, Return takes No") << "d" << 0 << sauce << "Return";
    // Every press marks the book, as the window expects.
    QTest::newRow("copy without row") << "c" << 0 << none << none;
    QTest::newRow("delete without row") << "d" << 0 << none << none;
}

void TestDataTable::rowActions()
{
    QVERIFY(_show(Book::Ingredients));
    QFETCH(QString, action);
    QFETCH(int, rowChange);
    QFETCH(QString, selected);
    QFETCH(QString, answer);
    QTableWidget* grid = _editor->grid;
    const int rows = countRows(Book::Ingredients);
    const int lines = countRows(Book::RecipeIngredients);
    const QStringList script =
        answer.isEmpty() ? QStringList() : QStringList{"Delete \"Sauce\"?:" + answer};
    DialogLog dialogs;
    answerDialogs(script, &dialogs);
    if (selected.isEmpty())
        grid->setCurrentCell(-1, -1);
    else
        clickCell(grid, rowWithText(grid, 0, selected), Book::IngredientCost);
    QSignalSpy changed(_editor, &EditableEntity::documentChanged);
    QTest::mouseClick(_book.window->findChild<QPushButton*>(action), Qt::LeftButton);

    QCOMPARE(dialogs.steps, script);
    QCOMPARE(dialogs.details, answer.isEmpty()
                                  ? QStringList()
                                  : QStringList{"Delete \"Sauce\"? / It is used in 3 recipe lines, "
                                                "which are deleted with it. / Yes No*"});
    QCOMPARE(changed.count(), answer == "Return" ? 0 : 1);
    QCOMPARE(countRows(Book::RecipeIngredients), lines - (rowChange < 0 ? 3 : 0));
    QCOMPARE(countRows(Book::Ingredients), rows + rowChange);
    QCOMPARE(grid->rowCount(), rows + rowChange);
    // The rows of that name: a new row shows no unit, a copy its unit, each its own id.
    QSet<int> ids;
    for (int r = 0; r < grid->rowCount(); ++r) {
        if (grid->item(r, 0)->text() != selected)
            continue;
        ids << _id(grid->item(r, 0));
        if (action != "d")
            QCOMPARE(grid->item(r, Book::IngredientUnit)->text(),
                     QString(action == "a" ? "-----" : "g"));
    }
    QCOMPARE(ids.size(), int(!selected.isEmpty()) + rowChange);
}

// Faults only a diagnostic shows; none of them changes the book.
void TestDataTable::faultsAreReported()
{
    QVERIFY(_show(Book::Ingredients));
    MessageCapture messages;
    QTableWidget* grid = _editor->grid;
    QSignalSpy changed(_editor, &EditableEntity::documentChanged);
    std::vector<QVariant> shortRow{"Salt", "g", 1.5};
    QCOMPARE(_editor->addRow(shortRow, 3), -1);
    QCOMPARE(grid->rowCount(), countRows(Book::Ingredients));
    grid->setSortingEnabled(false);
    grid->insertRow(grid->rowCount());
    grid->setItem(grid->rowCount() - 1, 0, new QTableWidgetItem("Ghost")); // a cell without id
    QCOMPARE(_book.document->getIDByName(Book::Ingredients, "Ghost"), -1);
    _editor->EditableTable::onRowEditAction(grid->item(1, 2));
    QTableWidgetItem loose("x");
    _editor->EditableTable::onRowEditAction(&loose);
    QCOMPARE(changed.count(), 0);
    QPushButton stray;
    stray.setObjectName("x");
    connect(&stray, &QPushButton::clicked, _editor, &EditableDataTable::onEditButtonClicked);
    QTest::mouseClick(&stray, Qt::LeftButton);
    // Even a failed press marks the book, as the window expects.
    EditableDataTable broken(_book.document.get(), "NoSuchTable");
    QWidget holder;
    holder.setLayout(broken.layout);
    QSignalSpy brokenChanged(&broken, &EditableEntity::documentChanged);
    QTest::mouseClick(broken.buttons[0], Qt::LeftButton);
    QCOMPARE(brokenChanged.count(), 1);
    QCOMPARE(broken.grid->rowCount(), 0);
    for (const char* text :
         {"Vector size and column count don't match: vector size 3 table columns 4",
          "Unable to obtain row ID", "Base class function called with arg(1,2)",
          "Base class function called with arg(-1,-1)", "Unknown action: x", "Row not added"})
        QVERIFY2(messages.contains(text), text);
}

QTEST_MAIN(TestDataTable)
#include "tst_datatable.moc"
