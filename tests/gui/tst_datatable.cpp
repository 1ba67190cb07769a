// The whole-table grid: every cell edit and row action goes to the book at once.
#include "data/recipebook.h"
#include "editing/editabledatatable.h"
#include "support/editingfixture.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QSignalSpy>
#include <QTimer>

class TestDataTable : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup() { _book.close(); }

    void synchronizeShowsNamesOfSelections();
    void cellEditWritesOneFieldOnce_data();
    void cellEditWritesOneFieldOnce();
    void newSelectionNameCreatesOneRow();
    void cellWithoutIdWritesNothing();
    void rowActions_data();
    void rowActions();
    void addSignalsEvenWhenInsertFails();
    void unknownActionIsReported();

private:
    int rowOf(const QString& name) { return rowWithText(_editor->grid, 0, name); }
    int idOf(const QString& name) { return _book.document->getIDByName(Book::Ingredients, name); }
    bool editCell(const QString& name, int column, const QString& typed)
    {
        return typeIntoCell(openCellEditor(_editor->grid, rowOf(name), column), typed);
    }

    SampleBook _book;
    EditableDataTable* _editor = nullptr;
};

void TestDataTable::init()
{
    QVERIFY(_book.open());
    _editor = new EditableDataTable(_book.document.get(), Book::Ingredients);
    _book.editor.reset(_editor);
    _editor->synchronize();
    QVERIFY(_book.show(_editor->layout, QSize(800, 600)));
}

void TestDataTable::synchronizeShowsNamesOfSelections()
{
    const QVariant loose[] = {QString("Salt"), -1, 0.3, 0.0};
    const int saltId = _book.document->addRow(Book::Ingredients, loose, 4);
    _editor->synchronize();
    QCOMPARE(_editor->grid->rowCount(), countRows(Book::Ingredients));
    const int salt = rowOf("Salt");
    QCOMPARE(_editor->grid->item(salt, Book::IngredientUnit)->text(), QString("-----"));
    QCOMPARE(_editor->grid->item(salt, Book::IngredientCost)->text(), QString("0.3"));
    for (int c = 0; c < 4; ++c)
        QCOMPARE(_editor->grid->item(salt, c)->data(Qt::UserRole + 1).toInt(), saltId);
    QCOMPARE(_editor->grid->item(rowOf("Garlic"), Book::IngredientUnit)->text(), QString("clove"));
}

void TestDataTable::cellEditWritesOneFieldOnce_data()
{
    QTest::addColumn<QString>("ingredient");
    QTest::addColumn<int>("column");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QVariant>("stored"); // a string: the id of the unit of that name
    QTest::newRow("name") << "Onion" << int(Book::IngredientName) << "Red onion"
                          << QVariant("Red onion");
    QTest::newRow("cost") << "Tomato" << int(Book::IngredientCost) << "2.5" << QVariant(2.5);
    QTest::newRow("known unit") << "Garlic" << int(Book::IngredientUnit) << "kg"
                                << QVariant(QString("unit kg"));
    QTest::newRow("no selection") << "Garlic" << int(Book::IngredientUnit) << "-----"
                                  << QVariant(-1);
}

void TestDataTable::cellEditWritesOneFieldOnce()
{
    QFETCH(QString, ingredient);
    QFETCH(int, column);
    QFETCH(QString, typed);
    QFETCH(QVariant, stored);
    if (stored.toString().startsWith("unit "))
        stored = _book.document->getIDByName(Book::Units, stored.toString().mid(5));
    const int id = idOf(ingredient);
    const std::vector<QVariant> before = _book.row(Book::Ingredients, id);
    const int units = countRows(Book::Units);
    QSignalSpy changed(_editor, &EditableEntity::documentChanged);

    QVERIFY(editCell(ingredient, column, typed));

    QCOMPARE(changed.count(), 1);
    const std::vector<QVariant> after = _book.row(Book::Ingredients, id);
    for (int f = 0; f < Book::IngredientFieldCount; ++f)
        if (f != column)
            QCOMPARE(after[f], before[f]);
    if (column == Book::IngredientCost)
        QCOMPARE(after[column].toDouble(), stored.toDouble());
    else if (column == Book::IngredientUnit)
        QCOMPARE(after[column].toInt(), stored.toInt());
    else
        QCOMPARE(after[column].toString(), stored.toString());
    QCOMPARE(countRows(Book::Units), units);
    QCOMPARE(_editor->grid->item(rowOf(after[0].toString()), column)->text(), typed);
}

// A new name in a selection column becomes a row of its own and the cell
// stores that row's id, never the name; a second use shares the row.
void TestDataTable::newSelectionNameCreatesOneRow()
{
    const int units = countRows(Book::Units);
    QVERIFY(editCell("Sauce", Book::IngredientUnit, "bucket"));
    QVERIFY(editCell("Pita", Book::IngredientUnit, "bucket"));
    QCOMPARE(countRows(Book::Units), units + 1);
    const int bucket = _book.document->getIDByName(Book::Units, "bucket");
    QVERIFY(bucket != -1);
    for (const char* name : {"Sauce", "Pita"}) {
        bool isNumber = false;
        QCOMPARE(_book.row(Book::Ingredients, idOf(name))[Book::IngredientUnit].toInt(&isNumber),
                 bucket);
        QVERIFY(isNumber);
        QCOMPARE(_editor->grid->item(rowOf(name), Book::IngredientUnit)->text(), QString("bucket"));
    }
}

void TestDataTable::cellWithoutIdWritesNothing()
{
    QSignalSpy changed(_editor, &EditableEntity::documentChanged);
    MessageCapture messages;
    QTableWidget* grid = _editor->grid;
    grid->setSortingEnabled(false);
    const int r = grid->rowCount();
    grid->insertRow(r);
    grid->setItem(r, 0, new QTableWidgetItem("Ghost"));
    QVERIFY(messages.contains("Unable to obtain row ID"));
    QCOMPARE(changed.count(), 0);
    QCOMPARE(idOf("Ghost"), -1);
}

void TestDataTable::rowActions_data()
{
    QTest::addColumn<QString>("action");
    QTest::addColumn<QString>("selected"); // empty: no current row
    QTest::addColumn<int>("rowChange");
    QTest::addColumn<QString>("answer"); // to the deletion question; empty: none asked
    QTest::newRow("add") << "a"
                         << "" << 1 << "";
    QTest::newRow("copy") << "c"
                          << "Chicken fillet" << 1 << "";
    // The recipe lines that use the ingredient go with it: the user is asked first.
    QTest::newRow("delete confirmed") << "d"
                                      << "Sauce" << -1 << "Yes";
    QTest::newRow("delete declined") << "d"
                                     << "Sauce" << 0 << "No";
    QTest::newRow("delete, Return takes No") << "d"
                                             << "Sauce" << 0 << "Return";
    // Every press marks the book, as the window expects.
    QTest::newRow("copy without row") << "c"
                                      << "" << 0 << "";
    QTest::newRow("delete without row") << "d"
                                        << "" << 0 << "";
}

void TestDataTable::rowActions()
{
    QFETCH(QString, action);
    QFETCH(QString, selected);
    QFETCH(int, rowChange);
    QFETCH(QString, answer);
    const int rows = countRows(Book::Ingredients);
    const int lines = countRows(Book::RecipeIngredients);
    QStringList asked;
    QTimer answering;
    connect(&answering, &QTimer::timeout, [&]() {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box || !box->isVisible())
            return;
        asked << box->text() + " / " + box->informativeText();
        if (answer == "Return")
            QTest::keyClick(box, Qt::Key_Return);
        else
            box->button(answer == "Yes" ? QMessageBox::Yes : QMessageBox::No)->click();
    });
    answering.start(10);
    if (selected.isEmpty())
        _editor->grid->setCurrentCell(-1, -1);
    else
        clickCell(_editor->grid, rowOf(selected), Book::IngredientCost);
    QSignalSpy changed(_editor, &EditableEntity::documentChanged);
    QPushButton* button = nullptr;
    for (QPushButton* candidate : _editor->buttons)
        if (candidate->objectName() == action)
            button = candidate;
    QTest::mouseClick(button, Qt::LeftButton);

    QVERIFY(!QApplication::activeModalWidget());
    QCOMPARE(asked, answer.isEmpty() ? QStringList()
                                     : QStringList{"Delete \"Sauce\"? / It is used in 3 recipe "
                                                   "lines, which are deleted with it."});
    QCOMPARE(changed.count(), answer.isEmpty() || answer == "Yes" ? 1 : 0);
    QCOMPARE(countRows(Book::RecipeIngredients), lines - (rowChange < 0 ? 3 : 0));
    QCOMPARE(countRows(Book::Ingredients), rows + rowChange);
    QCOMPARE(_editor->grid->rowCount(), rows + rowChange);
    if (action == "a") {
        const int r = rowOf("");
        QCOMPARE(_editor->grid->item(r, Book::IngredientUnit)->text(), QString("-----"));
        QCOMPARE(_editor->grid->item(r, Book::IngredientCost)->text(), QString("0"));
        const int id = _editor->grid->item(r, 0)->data(Qt::UserRole + 1).toInt();
        QCOMPARE(_book.row(Book::Ingredients, id)[Book::IngredientUnit].toInt(), -1);
        QCOMPARE(changed.count(), 1); // filling the new row wrote nothing back
    } else if (action == "c" && rowChange) {
        QList<int> ids;
        for (int r = 0; r < _editor->grid->rowCount(); ++r)
            if (_editor->grid->item(r, 0)->text() == selected) {
                ids << _editor->grid->item(r, 0)->data(Qt::UserRole + 1).toInt();
                QCOMPARE(_editor->grid->item(r, Book::IngredientUnit)->text(), QString("g"));
            }
        QCOMPARE(ids.size(), 2);
        QVERIFY(ids[0] != ids[1]);
        QCOMPARE(_book.row(Book::Ingredients, ids[0]), _book.row(Book::Ingredients, ids[1]));
    } else if (action == "d" && rowChange) {
        QCOMPARE(idOf(selected), -1);
        QCOMPARE(rowOf(selected), -1);
    }
}

void TestDataTable::addSignalsEvenWhenInsertFails()
{
    MessageCapture messages;
    EditableDataTable broken(_book.document.get(), "NoSuchTable");
    QSignalSpy changed(&broken, &EditableEntity::documentChanged);
    QTest::mouseClick(broken.buttons[0], Qt::LeftButton);
    QCOMPARE(changed.count(), 1);
    QVERIFY(messages.contains("Row not added"));
    QCOMPARE(broken.grid->rowCount(), 0);
    QWidget holder;
    holder.setLayout(broken.layout);
}

void TestDataTable::unknownActionIsReported()
{
    MessageCapture messages;
    QPushButton stray;
    stray.setObjectName("x");
    connect(&stray, &QPushButton::clicked, _editor, &EditableDataTable::onEditButtonClicked);
    QTest::mouseClick(&stray, Qt::LeftButton);
    QVERIFY(messages.contains("Unknown action: x"));
}

QTEST_MAIN(TestDataTable)
#include "tst_datatable.moc"
