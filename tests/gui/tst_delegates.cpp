// The grid machinery shared by every editor: columns, delegates, row-action
// buttons, and the cell editors as a user opens and closes them.
#include "data/document.h"
#include "data/recipebook.h"
#include "editing/editabledatatable.h"
#include "editing/editablesubtable.h"
#include "editing/floatdelegate.h"
#include "editing/intdelegate.h"
#include "editing/rangeintdelegate.h"
#include "editing/seldelegate.h"
#include "editing/spinboxes.h"
#include "editing/textdelegate.h"
#include "support/testsupport.h"

#include <QApplication>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QHeaderView>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTableWidget>
#include <QtTest>

#include <memory>

class TestDelegates : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void columnsOfTable_data();
    void columnsOfTable();
    void subTableHidesLinkColumn();
    void moneyAndImageColumnsHaveNoDelegate();
    void editButtons();
    void addRowChecksSize();
    void addRowStoresId_data();
    void addRowStoresId();
    void baseRowEditActionOnlyReports();

    void intCellKeepsLargeValues();
    void ratingCellStaysInRange();
    void floatCellText_data();
    void floatCellText();
    void floatEditorUsesPointInAnyLocale();
    void selectionComboListsNamesAndSelectsCell();
    void selectionComboKeepsUnknownText();
    void selectionComboPrefersLastEqualName();
    void selectionCellKeepsTypedName();
    void textDelegateKeepsTextWhenEmptied();
    void delegatesDieWithTheirGrid();

private:
    QWidget* show(EditableTable* editor);
    QWidget* openEditor(QTableWidget* grid, int row, int column);
    int rowOf(QTableWidget* grid, int column, const QString& text);

    std::unique_ptr<ScratchDir> _dir;
    std::unique_ptr<Document> _document;
    std::unique_ptr<QWidget> _window;
};

void TestDelegates::init()
{
    qRegisterMetaType<QComboBox*>();
    _dir.reset(new ScratchDir);
    _document.reset(new Document);
    QVERIFY(_document->setDataStructure());
    _document->fillSampleBook();
}

void TestDelegates::cleanup()
{
    _window.reset();
    _document.reset();
    QSqlDatabase::removeDatabase(QSqlDatabase::defaultConnection);
    _dir.reset();
}

QWidget* TestDelegates::show(EditableTable* editor)
{
    _window.reset(new QWidget);
    _window->setLayout(editor->layout);
    _window->resize(800, 600);
    _window->show();
    _window->activateWindow();
    if (!QTest::qWaitForWindowActive(_window.get()))
        return nullptr;
    return _window.get();
}

// Opens the cell's editor the way a user does: a double click on the cell.
QWidget* TestDelegates::openEditor(QTableWidget* grid, int row, int column)
{
    QTableWidgetItem* item = grid->item(row, column);
    if (!item)
        return nullptr;
    grid->scrollToItem(item);
    const QRect cell = grid->visualItemRect(item);
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, Qt::NoModifier, cell.center());
    QTest::mouseDClick(grid->viewport(), Qt::LeftButton, Qt::NoModifier, cell.center());
    // An open cell editor is a child of the grid's viewport.
    for (QWidget* child :
         grid->viewport()->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly))
        if (child->isVisible())
            return child;
    return nullptr;
}

// Enter commits the editor's value through a queued call.
static void pressEnter(QWidget* editor)
{
    QPointer<QWidget> open(editor);
    QTest::keyClick(editor, Qt::Key_Enter);
    QTRY_VERIFY(!open || !open->isVisible());
}

int TestDelegates::rowOf(QTableWidget* grid, int column, const QString& text)
{
    for (int r = 0; r < grid->rowCount(); ++r)
        if (grid->item(r, column) && grid->item(r, column)->text() == text)
            return r;
    return -1;
}

void TestDelegates::columnsOfTable_data()
{
    QTest::addColumn<QString>("table");
    QTest::addColumn<QStringList>("captions");
    QTest::addColumn<QStringList>("delegates");
    QTest::addColumn<QString>("selected");

    QTest::newRow("ingredients") << Book::Ingredients
                                 << QStringList{"Name", "Measure", "Unit cost", "Quantity"}
                                 << QStringList{"", "SelDelegate", "FloatDelegate", "FloatDelegate"}
                                 << "Units";
    QTest::newRow("cooking plans")
        << Book::CookingPlans
        << QStringList{"Name", "Notes", "Number of dishes", "Number of persons"}
        << QStringList{"", "", "IntDelegate", "IntDelegate"} << "";
    QTest::newRow("recipe tags") << Book::RecipeTags << QStringList{"Recipe", "Tag"}
                                 << QStringList{"SelDelegate", "SelDelegate"} << "Recipes";
}

void TestDelegates::columnsOfTable()
{
    QFETCH(QString, table);
    QFETCH(QStringList, captions);
    QFETCH(QStringList, delegates);
    QFETCH(QString, selected);

    EditableDataTable editor(_document.get(), table);
    QTableWidget* grid = editor.grid;
    QCOMPARE(grid->columnCount(), captions.size());
    for (int c = 0; c < captions.size(); ++c) {
        QCOMPARE(grid->horizontalHeaderItem(c)->text(), captions[c]);
        QVERIFY2(grid->columnWidth(c) >= 100, qPrintable(captions[c]));
        QVERIFY(!grid->isColumnHidden(c));
        QAbstractItemDelegate* delegate = grid->itemDelegateForColumn(c);
        if (delegates[c].isEmpty())
            QVERIFY(!delegate);
        else
            QCOMPARE(QString(delegate->metaObject()->className()), delegates[c]);
        if (auto* selection = qobject_cast<SelDelegate*>(delegate))
            if (c == 0)
                QCOMPARE(selection->table, selected);
    }
    QCOMPARE(grid->selectionMode(), QAbstractItemView::SingleSelection);
    QCOMPARE(grid->selectionBehavior(), QAbstractItemView::SelectRows);
    QCOMPARE(grid->verticalHeader()->defaultSectionSize(), 24);
    QCOMPARE(grid->font().family(), QString("Arial"));
    QCOMPARE(grid->minimumHeight(), 180);
    QVERIFY(grid->isSortingEnabled());
}

void TestDelegates::subTableHidesLinkColumn()
{
    EditableSubTable sub(_document.get(), Book::RecipeIngredients, Book::LineRecipe);
    QVERIFY(sub.valid);
    QCOMPARE(sub.linkFieldName, QString("id_rec"));
    QTableWidget* grid = sub.grid;
    QCOMPARE(grid->columnCount(), 4);
    QVERIFY(grid->isColumnHidden(Book::LineRecipe));
    QCOMPARE(grid->horizontalHeaderItem(Book::LineRecipe)->text(), QString("Recipe"));
    QVERIFY(!grid->itemDelegateForColumn(Book::LineRecipe));
    auto* ingredient =
        qobject_cast<SelDelegate*>(grid->itemDelegateForColumn(Book::LineIngredient));
    auto* unit = qobject_cast<SelDelegate*>(grid->itemDelegateForColumn(Book::LineUnit));
    QVERIFY(ingredient && unit);
    QCOMPARE(ingredient->table, Book::Ingredients);
    QCOMPARE(unit->table, Book::Units);
    QVERIFY(qobject_cast<FloatDelegate*>(grid->itemDelegateForColumn(Book::LineQuantity)));
}

void TestDelegates::moneyAndImageColumnsHaveNoDelegate()
{
    MessageCapture messages;
    EditableDataTable editor(_document.get(), Book::Recipes);
    QCOMPARE(messages.count("Unexpected metadata"), 2);
    QVERIFY(!editor.grid->itemDelegateForColumn(Book::RecipePhoto));
    QVERIFY(!editor.grid->itemDelegateForColumn(Book::RecipeExpenses));
    QVERIFY(!editor.grid->itemDelegateForColumn(Book::RecipeDescription));
    auto* rating =
        qobject_cast<RangeIntDelegate*>(editor.grid->itemDelegateForColumn(Book::RecipeRating));
    QVERIFY(rating);
    QCOMPARE(rating->minimum, 0);
    QCOMPARE(rating->maximum, 10);
}

void TestDelegates::editButtons()
{
    EditableDataTable editor(_document.get(), Book::Ingredients);
    QCOMPARE(editor.buttons.size(), size_t(3));
    const QStringList codes{"a", "c", "d"};
    const QStringList helps{"Add row", "Copy row", "Delete row"};
    for (int i = 0; i < 3; ++i) {
        QPushButton* button = editor.buttons[i];
        QCOMPARE(button->objectName(), codes[i]);
        QVERIFY(button->text().isEmpty());
        QCOMPARE(button->toolTip(), helps[i]);
        QCOMPARE(button->whatsThis(), helps[i]);
    }
    auto* row = qobject_cast<QHBoxLayout*>(editor.layout->itemAt(0)->layout());
    QVERIFY(row);
    QCOMPARE(row->spacing(), 0);
    QCOMPARE(row->count(), 4); // three buttons and the stretch
}

void TestDelegates::addRowChecksSize()
{
    EditableDataTable editor(_document.get(), Book::Ingredients);
    MessageCapture messages;
    std::vector<QVariant> row{"Salt", "g", 1.5};
    QCOMPARE(editor.addRow(row, 3), -1);
    QCOMPARE(editor.grid->rowCount(), 0);
    QVERIFY(messages.contains(
        "Vector size and column count don't match: vector size 3 table columns 4"));
}

void TestDelegates::addRowStoresId_data()
{
    QTest::addColumn<int>("id");
    QTest::newRow("no id") << -1;
    QTest::newRow("id 7") << 7;
}

void TestDelegates::addRowStoresId()
{
    QFETCH(int, id);
    EditableSubTable sub(_document.get(), Book::RecipeIngredients, Book::LineRecipe);
    std::vector<QVariant> first{1, "Salt", 0.5, "g"};
    std::vector<QVariant> second{1, "Pepper", 2, "pcs."};
    QCOMPARE(sub.addRow(first, id), 0);
    QCOMPARE(sub.addRow(second, id), 1);
    const int r = rowOf(sub.grid, 1, "Pepper");
    QVERIFY(r >= 0);
    QCOMPARE(sub.grid->item(r, 2)->text(), QString("2"));
    for (int c = 0; c < 4; ++c) {
        const QVariant stored = sub.grid->item(r, c)->data(Qt::UserRole + 1);
        if (id == -1)
            QVERIFY(!stored.isValid());
        else
            QCOMPARE(stored.toInt(), id);
    }
}

void TestDelegates::baseRowEditActionOnlyReports()
{
    EditableSubTable sub(_document.get(), Book::RecipeTags, Book::TagLineRecipe);
    std::vector<QVariant> row{1, "Italian"};
    sub.addRow(row, -1);
    MessageCapture messages;
    sub.EditableTable::onRowEditAction(sub.grid->item(0, 1));
    QVERIFY(messages.contains("Base class function called with arg(0,1)"));
    QTableWidgetItem loose("x");
    sub.EditableTable::onRowEditAction(&loose);
    QVERIFY(messages.contains("Base class function called with arg(-1,-1)"));
}

void TestDelegates::intCellKeepsLargeValues()
{
    // Opening an editor on a stored value must never cut it down.
    const QVariant plan[] = {"Banquet", "", 250, 1200};
    _document->addRow(Book::CookingPlans, plan, 4);
    EditableDataTable editor(_document.get(), Book::CookingPlans);
    editor.synchronize();
    QVERIFY(show(&editor));
    const int last = editor.grid->rowCount() - 1;
    QCOMPARE(editor.grid->item(last, Book::PlanPersonCount)->text(), QString("1200"));
    auto* spin = qobject_cast<QSpinBox*>(openEditor(editor.grid, last, Book::PlanPersonCount));
    QVERIFY(spin);
    QCOMPARE(spin->minimum(), 0);
    QCOMPARE(spin->value(), 1200);
    QTest::keyClick(spin, Qt::Key_Up);
    pressEnter(spin);
    QCOMPARE(editor.grid->item(last, Book::PlanPersonCount)->text(), QString("1201"));
    std::vector<QVariant> stored;
    QVERIFY(_document->getRowByID(Book::CookingPlans, 3, stored));
    QCOMPARE(stored[Book::PlanPersonCount].toInt(), 1201);
}

void TestDelegates::ratingCellStaysInRange()
{
    EditableSubTable sub(_document.get(), Book::Recipes, Book::RecipePhoto);
    std::vector<QVariant> row{"Soup", "0", "", 9, 5, 1.0};
    sub.addRow(row, -1);
    QVERIFY(show(&sub));
    auto* spin = qobject_cast<QSpinBox*>(openEditor(sub.grid, 0, Book::RecipeRating));
    QVERIFY(spin);
    QCOMPARE(spin->value(), 9);
    QCOMPARE(spin->maximum(), 10);
    for (int i = 0; i < 4; ++i)
        QTest::keyClick(spin, Qt::Key_Up);
    pressEnter(spin);
    QCOMPARE(sub.grid->item(0, Book::RecipeRating)->text(), QString("10"));
}

void TestDelegates::floatCellText_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("stored");
    QTest::newRow("two and a half") << "2.5"
                                    << "2.5";
    QTest::newRow("ten with decimals") << "10.00"
                                       << "10";
    QTest::newRow("smallest step") << "0.01"
                                   << "0.01";
    QTest::newRow("large unit cost") << "1250.5"
                                     << "1250.5";
}

void TestDelegates::floatCellText()
{
    QFETCH(QString, typed);
    QFETCH(QString, stored);
    EditableDataTable editor(_document.get(), Book::Ingredients);
    editor.synchronize();
    QVERIFY(show(&editor));
    auto* spin = qobject_cast<QDoubleSpinBox*>(openEditor(editor.grid, 0, Book::IngredientCost));
    QVERIFY(spin);
    QCOMPARE(spin->maximum(), SpinBoxes::MaxAmount);
    QCOMPARE(spin->decimals(), 2);
    spin->selectAll();
    QTest::keyClicks(spin, typed);
    pressEnter(spin);
    QCOMPARE(editor.grid->item(0, Book::IngredientCost)->text(), stored);
}

void TestDelegates::floatEditorUsesPointInAnyLocale()
{
    const QLocale previous;
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    FloatDelegate delegate;
    QWidget parent;
    QStyleOptionViewItem option;
    std::unique_ptr<QWidget> editor(delegate.createEditor(&parent, option, QModelIndex()));
    QLocale::setDefault(previous);
    auto* spin = qobject_cast<QDoubleSpinBox*>(editor.get());
    QVERIFY(spin);
    spin->setValue(2.5);
    QCOMPARE(spin->text(), QString("2.50"));
    QCOMPARE(spin->locale().decimalPoint(), QChar('.'));
}

void TestDelegates::selectionComboListsNamesAndSelectsCell()
{
    EditableDataTable editor(_document.get(), Book::Ingredients);
    editor.synchronize();
    QVERIFY(show(&editor));
    const int r = rowOf(editor.grid, Book::IngredientName, "Chicken fillet");
    QVERIFY(r >= 0);
    QCOMPARE(editor.grid->item(r, Book::IngredientUnit)->text(), QString("g"));
    auto* delegate =
        qobject_cast<SelDelegate*>(editor.grid->itemDelegateForColumn(Book::IngredientUnit));
    QSignalSpy spy(delegate, &SelDelegate::populateCombo);
    auto* combo = qobject_cast<QComboBox*>(openEditor(editor.grid, r, Book::IngredientUnit));
    QVERIFY(combo);
    QCOMPARE(spy.count(), 1);
    QCOMPARE(spy[0][1].toString(), QString("g"));
    QCOMPARE(spy[0][2].toString(), Book::Units);
    QVERIFY(combo->isEditable());
    QStringList names;
    for (int i = 0; i < combo->count(); ++i)
        names << combo->itemText(i);
    QCOMPARE(names, (QStringList{"kg", "litre", "pcs.", "g", "clove"}));
    QCOMPARE(combo->currentText(), QString("g"));
    QCOMPARE(combo->lineEdit()->selectedText(), QString("g"));
}

void TestDelegates::selectionComboKeepsUnknownText()
{
    EditableSubTable sub(_document.get(), Book::RecipeIngredients, Book::LineRecipe);
    std::vector<QVariant> row{1, "Dough", 1, "bucket"};
    sub.addRow(row, -1);
    QComboBox combo;
    combo.setLineEdit(new QLineEdit);
    sub.onComboPopulateRequested(&combo, "bucket", Book::Units);
    QCOMPARE(combo.count(), 5);
    QCOMPARE(combo.lineEdit()->text(), QString("bucket"));
    QCOMPARE(combo.lineEdit()->selectedText(), QString("bucket"));
}

void TestDelegates::selectionComboPrefersLastEqualName()
{
    const QVariant twin[] = {QString("g")};
    QVERIFY(_document->addRow(Book::Units, twin, 1) != -1);
    EditableSubTable sub(_document.get(), Book::RecipeIngredients, Book::LineRecipe);
    QComboBox combo;
    combo.setLineEdit(new QLineEdit);
    sub.onComboPopulateRequested(&combo, "g", Book::Units);
    QCOMPARE(combo.count(), 6);
    QCOMPARE(combo.currentIndex(), 5);
}

void TestDelegates::selectionCellKeepsTypedName()
{
    EditableSubTable sub(_document.get(), Book::RecipeIngredients, Book::LineRecipe);
    std::vector<QVariant> row{1, "Dough", 1, "kg"};
    sub.addRow(row, -1);
    QVERIFY(show(&sub));
    auto* combo = qobject_cast<QComboBox*>(openEditor(sub.grid, 0, Book::LineUnit));
    QVERIFY(combo);
    QTest::keyClicks(combo->lineEdit(), "bucket");
    pressEnter(combo->lineEdit());
    QCOMPARE(sub.grid->item(0, Book::LineUnit)->text(), QString("bucket"));
    QCOMPARE(_document->getIDByName(Book::Units, "bucket"), -1); // nothing stored yet
}

void TestDelegates::textDelegateKeepsTextWhenEmptied()
{
    QTableWidget grid(1, 1);
    auto* delegate = new TextDelegate(&grid);
    grid.setItemDelegateForColumn(0, delegate);
    grid.setItem(0, 0, new QTableWidgetItem("Pizza"));
    grid.show();
    grid.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&grid));
    grid.editItem(grid.item(0, 0));
    auto* edit = qobject_cast<QLineEdit*>(QApplication::focusWidget());
    QVERIFY(edit);
    edit->selectAll();
    QTest::keyClick(edit, Qt::Key_Delete);
    pressEnter(edit);
    QCOMPARE(grid.item(0, 0)->text(), QString("Pizza"));

    grid.editItem(grid.item(0, 0));
    edit = qobject_cast<QLineEdit*>(QApplication::focusWidget());
    QVERIFY(edit);
    edit->selectAll();
    QTest::keyClicks(edit, "Pasta");
    pressEnter(edit);
    QCOMPARE(grid.item(0, 0)->text(), QString("Pasta"));
}

void TestDelegates::delegatesDieWithTheirGrid()
{
    QPointer<QAbstractItemDelegate> delegate;
    {
        EditableDataTable editor(_document.get(), Book::Ingredients);
        delegate = editor.grid->itemDelegateForColumn(Book::IngredientUnit);
        QVERIFY(delegate);
        QCOMPARE(delegate->parent(), editor.grid);
        _window.reset(new QWidget);
        _window->setLayout(editor.layout);
    }
    QVERIFY(delegate); // the editor object is gone, its grid still shows
    _window.reset();
    QVERIFY(!delegate);
}

QTEST_MAIN(TestDelegates)
#include "tst_delegates.moc"
