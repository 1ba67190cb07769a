// The whole-table grid: every cell edit and row action goes to the book at once.
#include "data/recipebook.h"
#include "editing/editabledatatable.h"
#include "support/guisupport.h"

#include <QSignalSpy>

class TestDataTable : public QObject
{
    Q_OBJECT

private slots:
    // Numbers are typed with a decimal point whatever the user's locale.
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

    void cellEdits_data();
    void cellEdits();
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

    SampleBook _book;
    EditableDataTable* _editor = nullptr;
};

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
    QTest::newRow("new unit") << ingredients << "Sauce" << unit << "bucket" << QVariant(-1)
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
    const QVariant twin[] = {QString("clove")};
    QVERIFY(_book.document->addRow(Book::Units, twin, 1) != -1);
    QVERIFY(_show(table));
    const std::vector<QVariant> old = _book.row(table, id);
    const int units = countRows(Book::Units);
    const bool selection = stored.startsWith("unit ");
    const QString shown = selection ? stored.mid(5) : stored;
    QSignalSpy changed(_editor, &EditableEntity::documentChanged);
    QTableWidget* grid = _editor->grid;
    const int row = rowWithText(grid, 0, name);
    QWidget* editor = openCellEditor(grid, row, column);
    QVERIFY(editor);
    QCOMPARE(editor->property("minimum").toInt(), 0);
    // A combo lists every unit with the cell's own selected, the last of equal names.
    if (auto* combo = qobject_cast<QComboBox*>(editor)) {
        QCOMPARE(combo->count(), units);
        QCOMPARE(combo->lineEdit()->selectedText(), grid->item(row, column)->text());
        if (name == "Garlic")
            QCOMPARE(combo->currentIndex(), units - 1);
    }
    for (int i = 0; i < keys.count('+'); ++i)
        QTest::keyClick(editor, Qt::Key_Up);
    QVERIFY(typeIntoCell(editor, keys.remove('+')));

    QCOMPARE(changed.count(), 1);
    QCOMPARE(countRows(Book::Units), units + int(shown == "bucket"));
    if (selection)
        stored = QString::number(_book.document->getIDByName(Book::Units, shown));
    std::vector<QVariant> after = _book.row(table, id);
    QCOMPARE(after[column].toString(), stored);
    QCOMPARE(grid->item(rowWithText(grid, 0, after[0].toString()), column)->text(), shown);
    after[column] = old[column];
    QCOMPARE(after, old);
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
    if (!answer.isEmpty())
        QCOMPARE(dialogs.details, QStringList{"Delete \"Sauce\"? / It is used in 3 recipe lines, "
                                              "which are deleted with it. / Yes No*"});
    QCOMPARE(changed.count(), answer == "Return" ? 0 : 1);
    QCOMPARE(countRows(Book::RecipeIngredients), lines - (rowChange < 0 ? 3 : 0));
    QCOMPARE(countRows(Book::Ingredients), rows + rowChange);
    QCOMPARE(grid->rowCount(), rows + rowChange);
    // The rows of that name: a new row shows no unit, a copy its unit, each its own id.
    QSet<int> ids;
    for (int r = 0; r < grid->rowCount(); ++r)
        if (grid->item(r, 0)->text() == selected && action != "d") {
            ids << grid->item(r, 0)->data(Qt::UserRole + 1).toInt();
            QCOMPARE(grid->item(r, Book::IngredientUnit)->text(),
                     QString(action == "a" ? "-----" : "g"));
        }
    QCOMPARE(ids.size(), action == "d" ? 0 : int(!selected.isEmpty()) + rowChange);
}

// Faults only a diagnostic shows.
void TestDataTable::faultsAreReported()
{
    QVERIFY(_show(Book::Ingredients));
    MessageCapture messages;
    std::vector<QVariant> shortRow{"Salt", "g", 1.5};
    QCOMPARE(_editor->addRow(shortRow, 3), -1);
    QTableWidgetItem loose("Ghost"); // a cell without a row id
    _editor->onRowEditAction(&loose);
    _editor->onEditButtonClicked(); // from no button
    EditableDataTable broken(_book.document.get(), "NoSuchTable");
    QWidget holder;
    holder.setLayout(broken.layout);
    QTest::mouseClick(broken.buttons[0], Qt::LeftButton);
    for (const char* text :
         {"Vector size and column count don't match: vector size 3 table columns 4",
          "Unable to obtain row ID", "Unknown action: ", "Row not added"})
        QVERIFY2(messages.contains(text), text);
}

QTEST_MAIN(TestDataTable)
#include "tst_datatable.moc"
