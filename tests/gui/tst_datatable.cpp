// The whole-table grid: every cell edit and row action goes to the book at once.
#include "data/document.h"
#include "data/recipebook.h"
#include "editing/editabledatatable.h"
#include "support/testsupport.h"

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QSignalSpy>
#include <QSqlQuery>
#include <QTableWidget>
#include <QtTest>

#include <memory>

class TestDataTable : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void synchronizeShowsNamesOfSelections();
    void editingNameWritesOneFieldOnce();
    void editingCostWritesNumberText();
    void selectionCellStoresId_data();
    void selectionCellStoresId();
    void selectionCellOfNewNameCreatesRow();
    void cellWithoutIdWritesNothing();
    void addAppendsDefaultRow();
    void addSignalsEvenWhenInsertFails();
    void copyDuplicatesSelectedRow();
    void copyAndDeleteNeedSelectedRow();
    void deleteRemovesAtOnce();
    void unknownActionIsReported();

private:
    void showEditor();
    QWidget* openEditor(int row, int column);
    void commit(QWidget* editor);
    int rowOf(const QString& name);
    int countRows(const QString& table);
    QPushButton* button(const QString& code);

    std::unique_ptr<ScratchDir> _dir;
    std::unique_ptr<Document> _document;
    std::unique_ptr<QWidget> _window;
    EditableDataTable* _editor = nullptr;
};

void TestDataTable::init()
{
    _dir.reset(new ScratchDir);
    _document.reset(new Document);
    QVERIFY(_document->setDataStructure());
    _document->fillSampleBook();
    _editor = new EditableDataTable(_document.get(), Book::Ingredients);
    _editor->synchronize();
    showEditor();
}

void TestDataTable::cleanup()
{
    _window.reset();
    delete _editor;
    _editor = nullptr;
    _document.reset();
    QSqlDatabase::removeDatabase(QSqlDatabase::defaultConnection);
    _dir.reset();
}

void TestDataTable::showEditor()
{
    _window.reset(new QWidget);
    _window->setLayout(_editor->layout);
    _window->resize(800, 600);
    _window->show();
    _window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(_window.get()));
}

QWidget* TestDataTable::openEditor(int row, int column)
{
    QTableWidget* grid = _editor->grid;
    QTableWidgetItem* item = grid->item(row, column);
    if (!item)
        return nullptr;
    grid->scrollToItem(item);
    const QRect cell = grid->visualItemRect(item);
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, Qt::NoModifier, cell.center());
    QTest::mouseDClick(grid->viewport(), Qt::LeftButton, Qt::NoModifier, cell.center());
    for (QWidget* child :
         grid->viewport()->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly))
        if (child->isVisible())
            return child;
    return nullptr;
}

// Enter commits the editor's value through a queued call.
void TestDataTable::commit(QWidget* editor)
{
    QPointer<QWidget> open(editor);
    QWidget* target = editor;
    if (auto* combo = qobject_cast<QComboBox*>(editor))
        target = combo->lineEdit();
    QTest::keyClick(target, Qt::Key_Enter);
    QTRY_VERIFY(!open || !open->isVisible());
}

int TestDataTable::rowOf(const QString& name)
{
    for (int r = 0; r < _editor->grid->rowCount(); ++r)
        if (_editor->grid->item(r, 0)->text() == name)
            return r;
    return -1;
}

int TestDataTable::countRows(const QString& table)
{
    QSqlQuery query(QStringLiteral("SELECT COUNT(*) FROM ") + table);
    return query.next() ? query.value(0).toInt() : -1;
}

QPushButton* TestDataTable::button(const QString& code)
{
    for (QPushButton* candidate : _editor->buttons)
        if (candidate->objectName() == code)
            return candidate;
    return nullptr;
}

void TestDataTable::synchronizeShowsNamesOfSelections()
{
    const QVariant loose[] = {QString("Salt"), -1, 0.3, 0.0};
    const int saltId = _document->addRow(Book::Ingredients, loose, 4);
    _editor->synchronize();
    QCOMPARE(_editor->grid->rowCount(), countRows(Book::Ingredients));
    const int salt = rowOf("Salt");
    QVERIFY(salt >= 0);
    QCOMPARE(_editor->grid->item(salt, Book::IngredientUnit)->text(), QString("-----"));
    QCOMPARE(_editor->grid->item(salt, Book::IngredientCost)->text(), QString("0.3"));
    for (int c = 0; c < 4; ++c)
        QCOMPARE(_editor->grid->item(salt, c)->data(Qt::UserRole + 1).toInt(), saltId);
    QCOMPARE(_editor->grid->item(rowOf("Chicken fillet"), Book::IngredientUnit)->text(),
             QString("g"));
    QCOMPARE(_editor->grid->item(rowOf("Garlic"), Book::IngredientUnit)->text(), QString("clove"));
}

void TestDataTable::editingNameWritesOneFieldOnce()
{
    const int id = _document->getIDByName(Book::Ingredients, "Onion");
    std::vector<QVariant> before;
    QVERIFY(_document->getRowByID(Book::Ingredients, id, before));
    QSignalSpy changed(_editor, &EditableEntity::documentChanged);

    auto* edit = qobject_cast<QLineEdit*>(openEditor(rowOf("Onion"), Book::IngredientName));
    QVERIFY(edit);
    edit->selectAll();
    QTest::keyClicks(edit, "Red onion");
    commit(edit);

    QCOMPARE(changed.count(), 1);
    std::vector<QVariant> after;
    QVERIFY(_document->getRowByID(Book::Ingredients, id, after));
    QCOMPARE(after[Book::IngredientName].toString(), QString("Red onion"));
    for (int f = 1; f < Book::IngredientFieldCount; ++f)
        QCOMPARE(after[f], before[f]);
    QCOMPARE(_document->getIDByName(Book::Ingredients, "Onion"), -1);
}

void TestDataTable::editingCostWritesNumberText()
{
    const int id = _document->getIDByName(Book::Ingredients, "Tomato");
    auto* spin = openEditor(rowOf("Tomato"), Book::IngredientCost);
    QVERIFY(qobject_cast<QAbstractSpinBox*>(spin));
    static_cast<QAbstractSpinBox*>(spin)->selectAll();
    QTest::keyClicks(spin, "2.5");
    commit(spin);
    std::vector<QVariant> after;
    QVERIFY(_document->getRowByID(Book::Ingredients, id, after));
    QCOMPARE(after[Book::IngredientCost].toDouble(), 2.5);
}

void TestDataTable::selectionCellStoresId_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<int>("expected"); // -2: the id of the unit of that name
    QTest::newRow("known unit") << "kg" << -2;
    QTest::newRow("no selection") << "-----" << -1;
}

void TestDataTable::selectionCellStoresId()
{
    QFETCH(QString, typed);
    QFETCH(int, expected);
    if (expected == -2)
        expected = _document->getIDByName(Book::Units, typed);
    const int units = countRows(Book::Units);
    const int id = _document->getIDByName(Book::Ingredients, "Garlic");
    QSignalSpy changed(_editor, &EditableEntity::documentChanged);

    auto* combo = qobject_cast<QComboBox*>(openEditor(rowOf("Garlic"), Book::IngredientUnit));
    QVERIFY(combo);
    combo->lineEdit()->selectAll();
    QTest::keyClicks(combo->lineEdit(), typed);
    commit(combo);

    QCOMPARE(changed.count(), 1);
    std::vector<QVariant> after;
    QVERIFY(_document->getRowByID(Book::Ingredients, id, after));
    QCOMPARE(after[Book::IngredientUnit].toInt(), expected);
    QCOMPARE(countRows(Book::Units), units);
    QCOMPARE(_editor->grid->item(rowOf("Garlic"), Book::IngredientUnit)->text(), typed);
}

void TestDataTable::selectionCellOfNewNameCreatesRow()
{
    const int units = countRows(Book::Units);
    const int id = _document->getIDByName(Book::Ingredients, "Sauce");
    auto* combo = qobject_cast<QComboBox*>(openEditor(rowOf("Sauce"), Book::IngredientUnit));
    QVERIFY(combo);
    combo->lineEdit()->selectAll();
    QTest::keyClicks(combo->lineEdit(), "bucket");
    commit(combo);

    QCOMPARE(countRows(Book::Units), units + 1);
    const int bucket = _document->getIDByName(Book::Units, "bucket");
    QVERIFY(bucket != -1);
    std::vector<QVariant> after;
    QVERIFY(_document->getRowByID(Book::Ingredients, id, after));
    bool isNumber = false;
    QCOMPARE(after[Book::IngredientUnit].toInt(&isNumber), bucket);
    QVERIFY(isNumber);
    QCOMPARE(_editor->grid->item(rowOf("Sauce"), Book::IngredientUnit)->text(), QString("bucket"));

    // A second ingredient given the same new name shares the row made for the first.
    combo = qobject_cast<QComboBox*>(openEditor(rowOf("Pita"), Book::IngredientUnit));
    QVERIFY(combo);
    combo->lineEdit()->selectAll();
    QTest::keyClicks(combo->lineEdit(), "bucket");
    commit(combo);
    QCOMPARE(countRows(Book::Units), units + 1);
    QVERIFY(_document->getRowByID(Book::Ingredients,
                                  _document->getIDByName(Book::Ingredients, "Pita"), after));
    QCOMPARE(after[Book::IngredientUnit].toInt(), bucket);
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
    QCOMPARE(_document->getIDByName(Book::Ingredients, "Ghost"), -1);
}

void TestDataTable::addAppendsDefaultRow()
{
    const int rows = countRows(Book::Ingredients);
    QSignalSpy changed(_editor, &EditableEntity::documentChanged);
    QTest::mouseClick(button("a"), Qt::LeftButton);
    QCOMPARE(changed.count(), 1);
    QCOMPARE(countRows(Book::Ingredients), rows + 1);
    QCOMPARE(_editor->grid->rowCount(), rows + 1);
    const int r = rowOf("");
    QVERIFY(r >= 0);
    QCOMPARE(_editor->grid->item(r, Book::IngredientUnit)->text(), QString("-----"));
    QCOMPARE(_editor->grid->item(r, Book::IngredientCost)->text(), QString("0"));
    const int id = _editor->grid->item(r, 0)->data(Qt::UserRole + 1).toInt();
    std::vector<QVariant> stored;
    QVERIFY(_document->getRowByID(Book::Ingredients, id, stored));
    QCOMPARE(stored[Book::IngredientUnit].toInt(), -1);
    QCOMPARE(changed.count(), 1); // filling the new row wrote nothing back
}

void TestDataTable::addSignalsEvenWhenInsertFails()
{
    MessageCapture messages;
    EditableDataTable broken(_document.get(), "NoSuchTable");
    QSignalSpy changed(&broken, &EditableEntity::documentChanged);
    QTest::mouseClick(broken.buttons[0], Qt::LeftButton);
    QCOMPARE(changed.count(), 1);
    QVERIFY(messages.contains("Row not added"));
    QCOMPARE(broken.grid->rowCount(), 0);
    delete broken.layout;
    delete broken.grid;
    for (QPushButton* b : broken.buttons)
        delete b;
}

void TestDataTable::copyDuplicatesSelectedRow()
{
    const int rows = countRows(Book::Ingredients);
    const int r = rowOf("Chicken fillet");
    QTest::mouseClick(_editor->grid->viewport(), Qt::LeftButton, Qt::NoModifier,
                      _editor->grid->visualItemRect(_editor->grid->item(r, 2)).center());
    QCOMPARE(_editor->grid->currentRow(), r);
    QTest::mouseClick(button("c"), Qt::LeftButton);
    QCOMPARE(countRows(Book::Ingredients), rows + 1);
    QCOMPARE(_editor->grid->rowCount(), rows + 1);
    QList<int> ids;
    for (int row = 0; row < _editor->grid->rowCount(); ++row)
        if (_editor->grid->item(row, 0)->text() == "Chicken fillet") {
            ids << _editor->grid->item(row, 0)->data(Qt::UserRole + 1).toInt();
            QCOMPARE(_editor->grid->item(row, Book::IngredientUnit)->text(), QString("g"));
        }
    QCOMPARE(ids.size(), 2);
    QVERIFY(ids[0] != ids[1]);
    std::vector<QVariant> first, second;
    QVERIFY(_document->getRowByID(Book::Ingredients, ids[0], first));
    QVERIFY(_document->getRowByID(Book::Ingredients, ids[1], second));
    QCOMPARE(first, second);
}

void TestDataTable::copyAndDeleteNeedSelectedRow()
{
    const int rows = countRows(Book::Ingredients);
    _editor->grid->setCurrentCell(-1, -1);
    QSignalSpy changed(_editor, &EditableEntity::documentChanged);
    QTest::mouseClick(button("c"), Qt::LeftButton);
    QTest::mouseClick(button("d"), Qt::LeftButton);
    QCOMPARE(countRows(Book::Ingredients), rows);
    QCOMPARE(_editor->grid->rowCount(), rows);
    QCOMPARE(changed.count(), 2); // every press marks the book, as the window expects
}

void TestDataTable::deleteRemovesAtOnce()
{
    const int rows = countRows(Book::Ingredients);
    const int r = rowOf("Cabbage");
    QTest::mouseClick(_editor->grid->viewport(), Qt::LeftButton, Qt::NoModifier,
                      _editor->grid->visualItemRect(_editor->grid->item(r, 0)).center());
    QTest::mouseClick(button("d"), Qt::LeftButton);
    QVERIFY(!QApplication::activeModalWidget());
    QCOMPARE(countRows(Book::Ingredients), rows - 1);
    QCOMPARE(_document->getIDByName(Book::Ingredients, "Cabbage"), -1);
    QCOMPARE(rowOf("Cabbage"), -1);
    QCOMPARE(_editor->grid->rowCount(), rows - 1);
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
