// The grid machinery shared by every editor: columns, delegates, row-action
// buttons, and the cell editors as a user opens and closes them.
#include "data/recipebook.h"
#include "editing/editabledatatable.h"
#include "editing/editablesubtable.h"
#include "editing/floatdelegate.h"
#include "editing/rangeintdelegate.h"
#include "editing/seldelegate.h"
#include "editing/spinboxes.h"
#include "editing/textdelegate.h"
#include "support/editingfixture.h"

#include <QApplication>
#include <QDoubleSpinBox>
#include <QPushButton>
#include <QSignalSpy>
#include <QSpinBox>

class TestDelegates : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup() { _book.close(); }

    void columnsOfTable_data();
    void columnsOfTable();
    void addRowChecksSize();
    void baseRowEditActionOnlyReports();

    void spinCellSteps_data();
    void spinCellSteps();
    void floatCellText_data();
    void floatCellText();
    void floatEditorUsesPointInAnyLocale();
    void selectionComboListsNamesAndKeepsTypedName();
    void selectionComboFilling_data();
    void selectionComboFilling();
    void textDelegateKeepsTextWhenEmptied();
    void delegatesDieWithTheirGrid();

private:
    SampleBook _book;
};

void TestDelegates::init()
{
    qRegisterMetaType<QComboBox*>();
    QVERIFY(_book.open());
}

// "" for none, "Sel:<table>", "Range:<min>-<max>", or the delegate's class.
static QString describe(QAbstractItemDelegate* delegate)
{
    if (!delegate)
        return QString();
    if (auto* selection = qobject_cast<SelDelegate*>(delegate))
        return "Sel:" + selection->table;
    if (auto* range = qobject_cast<RangeIntDelegate*>(delegate))
        return QString("Range:%1-%2").arg(range->minimum).arg(range->maximum);
    return delegate->metaObject()->className();
}

void TestDelegates::columnsOfTable_data()
{
    QTest::addColumn<QString>("table");
    QTest::addColumn<int>("link"); // the hidden link column of a detail grid; -1: whole table
    QTest::addColumn<QStringList>("captions");
    QTest::addColumn<QStringList>("delegates");
    QTest::addColumn<int>("unexpected"); // "Unexpected metadata" reports

    QTest::newRow("ingredients") << Book::Ingredients << -1
                                 << QStringList{"Name", "Measure", "Unit cost", "Quantity"}
                                 << QStringList{"", "Sel:" + Book::Units, "FloatDelegate",
                                                "FloatDelegate"}
                                 << 0;
    QTest::newRow("cooking plans")
        << Book::CookingPlans << -1
        << QStringList{"Name", "Notes", "Number of dishes", "Number of persons"}
        << QStringList{"", "", "IntDelegate", "IntDelegate"} << 0;
    QTest::newRow("recipe tags") << Book::RecipeTags << -1 << QStringList{"Recipe", "Tag"}
                                 << QStringList{"Sel:" + Book::Recipes, "Sel:" + Book::Tags} << 0;
    QTest::newRow("recipes: money and picture have none")
        << Book::Recipes << -1
        << QStringList{"Title", "Photo", "Description", "Rating", "Complexity", "Expenses"}
        << QStringList{"", "", "", "Range:0-10", "Range:0-10", ""} << 2;
    QTest::newRow("recipe lines hide the link")
        << Book::RecipeIngredients << int(Book::LineRecipe)
        << QStringList{"Recipe", "Ingredient", "Quantity", "Measure"}
        << QStringList{"", "Sel:" + Book::Ingredients, "FloatDelegate", "Sel:" + Book::Units} << 0;
}

void TestDelegates::columnsOfTable()
{
    QFETCH(QString, table);
    QFETCH(int, link);
    QFETCH(QStringList, captions);
    QFETCH(QStringList, delegates);
    QFETCH(int, unexpected);

    MessageCapture messages;
    std::unique_ptr<EditableTable> editor;
    if (link < 0) {
        editor.reset(new EditableDataTable(_book.document.get(), table));
    } else {
        auto* sub = new EditableSubTable(_book.document.get(), table, link);
        editor.reset(sub);
        QVERIFY(sub->valid);
        QCOMPARE(sub->linkFieldName, QString("id_rec"));
    }
    QWidget holder;
    holder.setLayout(editor->layout);
    QCOMPARE(messages.count("Unexpected metadata"), unexpected);
    QTableWidget* grid = editor->grid;
    QCOMPARE(grid->columnCount(), captions.size());
    for (int c = 0; c < captions.size(); ++c) {
        QCOMPARE(grid->horizontalHeaderItem(c)->text(), captions[c]);
        QCOMPARE(describe(grid->itemDelegateForColumn(c)), delegates[c]);
        QCOMPARE(grid->isColumnHidden(c), c == link);
        if (c != link)
            QVERIFY2(grid->columnWidth(c) >= 100, qPrintable(captions[c]));
    }
    QCOMPARE(grid->selectionMode(), QAbstractItemView::SingleSelection);
    QCOMPARE(grid->selectionBehavior(), QAbstractItemView::SelectRows);
}

void TestDelegates::addRowChecksSize()
{
    EditableDataTable editor(_book.document.get(), Book::Ingredients);
    QWidget holder;
    holder.setLayout(editor.layout);
    MessageCapture messages;
    std::vector<QVariant> row{"Salt", "g", 1.5};
    QCOMPARE(editor.addRow(row, 3), -1);
    QCOMPARE(editor.grid->rowCount(), 0);
    QVERIFY(messages.contains(
        "Vector size and column count don't match: vector size 3 table columns 4"));
}

void TestDelegates::baseRowEditActionOnlyReports()
{
    EditableSubTable sub(_book.document.get(), Book::RecipeTags, Book::TagLineRecipe);
    QWidget holder;
    holder.setLayout(sub.layout);
    std::vector<QVariant> row{1, "Italian"};
    sub.addRow(row, -1);
    MessageCapture messages;
    sub.EditableTable::onRowEditAction(sub.grid->item(0, 1));
    QVERIFY(messages.contains("Base class function called with arg(0,1)"));
    QTableWidgetItem loose("x");
    sub.EditableTable::onRowEditAction(&loose);
    QVERIFY(messages.contains("Base class function called with arg(-1,-1)"));
}

// Opening an editor on a stored value must never cut it down; a rating
// stops at ten.
void TestDelegates::spinCellSteps_data()
{
    QTest::addColumn<QString>("table");
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("column");
    QTest::addColumn<int>("value");
    QTest::addColumn<int>("ups");
    QTest::addColumn<int>("result");
    QTest::newRow("large person count")
        << Book::CookingPlans << "Wedding" << int(Book::PlanPersonCount) << 1200 << 1 << 1201;
    QTest::newRow("rating") << Book::Recipes << "Pizza" << int(Book::RecipeRating) << 9 << 4 << 10;
}

void TestDelegates::spinCellSteps()
{
    QFETCH(QString, table);
    QFETCH(QString, name);
    QFETCH(int, column);
    QFETCH(int, value);
    QFETCH(int, ups);
    QFETCH(int, result);
    const int id = _book.document->getIDByName(table, name);
    _book.document->updateItem(table, id, column, value);
    auto* editor = new EditableDataTable(_book.document.get(), table);
    _book.editor.reset(editor);
    editor->synchronize();
    QVERIFY(_book.show(editor->layout));
    const int row = rowWithText(editor->grid, 0, name);
    QCOMPARE(editor->grid->item(row, column)->text(), QString::number(value));
    auto* spin = qobject_cast<QSpinBox*>(openCellEditor(editor->grid, row, column));
    QVERIFY(spin);
    QCOMPARE(spin->minimum(), 0);
    QCOMPARE(spin->value(), value);
    for (int i = 0; i < ups; ++i)
        QTest::keyClick(spin, Qt::Key_Up);
    QVERIFY(typeIntoCell(spin, QString(), false));
    QCOMPARE(editor->grid->item(row, column)->text(), QString::number(result));
    QCOMPARE(_book.row(table, id)[column].toInt(), result);
}

void TestDelegates::floatCellText_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("shown");
    QTest::newRow("two and a half") << "2.5"
                                    << "2.5";
    QTest::newRow("ten with decimals") << "10.00"
                                       << "10";
    QTest::newRow("smallest step") << "0.01"
                                   << "0.01";
    QTest::newRow("large unit cost") << "1250.5"
                                     << "1250.5";
    // Every digit typed is kept, and shown no longer than it was typed.
    QTest::newRow("seven digits") << "12345.67"
                                  << "12345.67";
    QTest::newRow("just below a power of ten") << "99999.99"
                                               << "99999.99";
    QTest::newRow("a million and more") << "1234567"
                                        << "1234567";
    QTest::newRow("ten digits") << "1234567.89"
                                << "1234567.89";
}

void TestDelegates::floatCellText()
{
    QFETCH(QString, typed);
    QFETCH(QString, shown);
    auto* editor = new EditableDataTable(_book.document.get(), Book::Ingredients);
    _book.editor.reset(editor);
    editor->synchronize();
    QVERIFY(_book.show(editor->layout));
    auto* spin =
        qobject_cast<QDoubleSpinBox*>(openCellEditor(editor->grid, 0, Book::IngredientCost));
    QVERIFY(spin);
    QCOMPARE(spin->maximum(), SpinBoxes::MaxAmount);
    QVERIFY(typeIntoCell(spin, typed));
    QCOMPARE(editor->grid->item(0, Book::IngredientCost)->text(), shown);
    const int id = editor->grid->item(0, 0)->data(Qt::UserRole + 1).toInt();
    QCOMPARE(_book.row(Book::Ingredients, id)[Book::IngredientCost].toDouble(), typed.toDouble());
}

void TestDelegates::floatEditorUsesPointInAnyLocale()
{
    const QLocale previous;
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    FloatDelegate delegate;
    QWidget parent;
    std::unique_ptr<QWidget> editor(
        delegate.createEditor(&parent, QStyleOptionViewItem(), QModelIndex()));
    QLocale::setDefault(previous);
    auto* spin = qobject_cast<QDoubleSpinBox*>(editor.get());
    QVERIFY(spin);
    spin->setValue(2.5);
    QCOMPARE(spin->text(), QString("2.5"));
}

// The combo lists the names of the linked table with the cell's selected; in
// a detail grid a typed new name is kept and nothing is stored before Save.
void TestDelegates::selectionComboListsNamesAndKeepsTypedName()
{
    auto* sub =
        new EditableSubTable(_book.document.get(), Book::RecipeIngredients, Book::LineRecipe);
    _book.editor.reset(sub);
    std::vector<QVariant> row{1, "Dough", 1, "g"};
    sub->addRow(row, -1);
    QVERIFY(_book.show(sub->layout));
    QSignalSpy spy(qobject_cast<SelDelegate*>(sub->grid->itemDelegateForColumn(Book::LineUnit)),
                   &SelDelegate::populateCombo);
    auto* combo = qobject_cast<QComboBox*>(openCellEditor(sub->grid, 0, Book::LineUnit));
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

    QVERIFY(typeIntoCell(combo, "bucket"));
    QCOMPARE(sub->grid->item(0, Book::LineUnit)->text(), QString("bucket"));
    QCOMPARE(_book.document->getIDByName(Book::Units, "bucket"), -1);
}

void TestDelegates::selectionComboFilling_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("twin"); // a second unit named "g"
    QTest::addColumn<int>("count");
    QTest::addColumn<int>("current");
    QTest::newRow("unknown text kept") << "bucket" << false << 5 << -2;
    QTest::newRow("last equal name") << "g" << true << 6 << 5;
}

void TestDelegates::selectionComboFilling()
{
    QFETCH(QString, text);
    QFETCH(bool, twin);
    QFETCH(int, count);
    QFETCH(int, current);
    const QVariant unit[] = {QString("g")};
    if (twin)
        QVERIFY(_book.document->addRow(Book::Units, unit, 1) != -1);
    EditableSubTable sub(_book.document.get(), Book::RecipeIngredients, Book::LineRecipe);
    QWidget holder;
    holder.setLayout(sub.layout);
    QComboBox combo;
    combo.setLineEdit(new QLineEdit);
    sub.onComboPopulateRequested(&combo, text, Book::Units);
    QCOMPARE(combo.count(), count);
    if (current != -2)
        QCOMPARE(combo.currentIndex(), current);
    QCOMPARE(combo.lineEdit()->text(), text);
    QCOMPARE(combo.lineEdit()->selectedText(), text);
}

void TestDelegates::textDelegateKeepsTextWhenEmptied()
{
    QTableWidget grid(1, 1);
    grid.setItemDelegateForColumn(0, new TextDelegate(&grid));
    grid.setItem(0, 0, new QTableWidgetItem("Pizza"));
    grid.show();
    grid.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&grid));
    for (const QString& typed : {QString(), QString("Pasta")}) {
        grid.editItem(grid.item(0, 0));
        auto* edit = qobject_cast<QLineEdit*>(QApplication::focusWidget());
        QVERIFY(edit);
        edit->selectAll();
        QTest::keyClick(edit, Qt::Key_Delete);
        QVERIFY(typeIntoCell(edit, typed, false));
        QCOMPARE(grid.item(0, 0)->text(), typed.isEmpty() ? QString("Pizza") : typed);
    }
}

void TestDelegates::delegatesDieWithTheirGrid()
{
    QPointer<QAbstractItemDelegate> delegate;
    {
        EditableDataTable editor(_book.document.get(), Book::Ingredients);
        delegate = editor.grid->itemDelegateForColumn(Book::IngredientUnit);
        QCOMPARE(delegate->parent(), editor.grid);
        _book.window.reset(new QWidget);
        _book.window->setLayout(editor.layout);
    }
    QVERIFY(delegate); // the editor object is gone, its grid still shows
    _book.window.reset();
    QVERIFY(!delegate);
}

QTEST_MAIN(TestDelegates)
#include "tst_delegates.moc"
