// Detail grids: filled for a master row, edited only in the grid.
#include "data/document.h"
#include "data/recipebook.h"
#include "editing/editablesubtable.h"
#include "support/testsupport.h"

#include <QPushButton>
#include <QSignalSpy>
#include <QSqlQuery>
#include <QTableWidget>
#include <QtTest>

#include <memory>

class TestSubTable : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void fillShowsDetailRowsWithNames();
    void addShowsDefaultsAndTouchesNothing();
    void copyNeedsCurrentRow();
    void copyDuplicatesCurrentRow();
    void deleteRemovesCurrentRowOnly();
    void tableDataHoldsEveryColumn();
    void linkFieldOutOfRangeIsInvalid();
    void unknownActionIsReported();

private:
    QPushButton* button(const QString& code);
    void selectRow(int row);
    int countRows(const QString& table);
    QStringList column(int c);

    std::unique_ptr<ScratchDir> _dir;
    std::unique_ptr<Document> _document;
    std::unique_ptr<QWidget> _window;
    EditableSubTable* _sub = nullptr;
    int _pizza = -1;
};

void TestSubTable::init()
{
    _dir.reset(new ScratchDir);
    _document.reset(new Document);
    QVERIFY(_document->setDataStructure());
    _document->fillSampleBook();
    _pizza = _document->getIDByName(Book::Recipes, "Pizza");
    _sub = new EditableSubTable(_document.get(), Book::RecipeIngredients, Book::LineRecipe);
    _window.reset(new QWidget);
    _window->setLayout(_sub->layout);
    _window->resize(600, 400);
    _window->show();
    QVERIFY(QTest::qWaitForWindowExposed(_window.get()));
    _sub->fill(_pizza);
}

void TestSubTable::cleanup()
{
    _window.reset();
    delete _sub;
    _document.reset();
    QSqlDatabase::removeDatabase(QSqlDatabase::defaultConnection);
    _dir.reset();
}

QPushButton* TestSubTable::button(const QString& code)
{
    return _window->findChild<QPushButton*>(code);
}

void TestSubTable::selectRow(int row)
{
    QTableWidget* grid = _sub->grid;
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, Qt::NoModifier,
                      grid->visualItemRect(grid->item(row, Book::LineQuantity)).center());
}

int TestSubTable::countRows(const QString& table)
{
    QSqlQuery query(QStringLiteral("SELECT COUNT(*) FROM ") + table);
    return query.next() ? query.value(0).toInt() : -1;
}

QStringList TestSubTable::column(int c)
{
    QStringList texts;
    for (int r = 0; r < _sub->grid->rowCount(); ++r)
        texts << _sub->grid->item(r, c)->text();
    texts.sort();
    return texts;
}

void TestSubTable::fillShowsDetailRowsWithNames()
{
    QCOMPARE(_sub->grid->rowCount(), 3);
    QCOMPARE(column(Book::LineIngredient), (QStringList{"Dough", "Sauce", "Tomato"}));
    QCOMPARE(column(Book::LineUnit), (QStringList{"kg", "litre", "pcs."}));
    QCOMPARE(column(Book::LineRecipe), (QStringList{"Pizza", "Pizza", "Pizza"}));
    for (int r = 0; r < 3; ++r)
        QVERIFY(!_sub->grid->item(r, 0)->data(Qt::UserRole + 1).isValid());
    _sub->fill(_document->getIDByName(Book::Recipes, "Shawarma"));
    QCOMPARE(_sub->grid->rowCount(), 9);
}

void TestSubTable::addShowsDefaultsAndTouchesNothing()
{
    const int lines = countRows(Book::RecipeIngredients);
    QSignalSpy changed(_sub, &EditableEntity::documentChanged);
    QTest::mouseClick(button("a"), Qt::LeftButton);
    QCOMPARE(_sub->grid->rowCount(), 4);
    int added = -1;
    for (int r = 0; r < 4; ++r)
        if (_sub->grid->item(r, Book::LineIngredient)->text() == "-----")
            added = r;
    QVERIFY(added >= 0);
    QCOMPARE(_sub->grid->item(added, Book::LineRecipe)->text(), QString("-----"));
    QCOMPARE(_sub->grid->item(added, Book::LineUnit)->text(), QString("-----"));
    QCOMPARE(_sub->grid->item(added, Book::LineQuantity)->text(), QString("0"));
    QCOMPARE(countRows(Book::RecipeIngredients), lines);
    QCOMPARE(changed.count(), 0);
}

void TestSubTable::copyNeedsCurrentRow()
{
    _sub->grid->setCurrentCell(-1, -1);
    QTest::mouseClick(button("c"), Qt::LeftButton);
    QTest::mouseClick(button("d"), Qt::LeftButton);
    QCOMPARE(_sub->grid->rowCount(), 3);
}

void TestSubTable::copyDuplicatesCurrentRow()
{
    const int lines = countRows(Book::RecipeIngredients);
    int dough = -1;
    for (int r = 0; r < 3; ++r)
        if (_sub->grid->item(r, Book::LineIngredient)->text() == "Dough")
            dough = r;
    selectRow(dough);
    QTest::mouseClick(button("c"), Qt::LeftButton);
    QCOMPARE(_sub->grid->rowCount(), 4);
    QCOMPARE(column(Book::LineIngredient), (QStringList{"Dough", "Dough", "Sauce", "Tomato"}));
    QCOMPARE(column(Book::LineUnit), (QStringList{"kg", "kg", "litre", "pcs."}));
    QCOMPARE(countRows(Book::RecipeIngredients), lines);
}

void TestSubTable::deleteRemovesCurrentRowOnly()
{
    const int lines = countRows(Book::RecipeIngredients);
    int sauce = -1;
    for (int r = 0; r < 3; ++r)
        if (_sub->grid->item(r, Book::LineIngredient)->text() == "Sauce")
            sauce = r;
    selectRow(sauce);
    QTest::mouseClick(button("d"), Qt::LeftButton);
    QCOMPARE(column(Book::LineIngredient), (QStringList{"Dough", "Tomato"}));
    QCOMPARE(countRows(Book::RecipeIngredients), lines);
}

void TestSubTable::tableDataHoldsEveryColumn()
{
    std::vector<std::vector<QVariant>> data;
    _sub->getTableData(data);
    QCOMPARE(data.size(), size_t(3));
    QStringList ingredients;
    for (const auto& row : data) {
        QCOMPARE(row.size(), size_t(4));
        QCOMPARE(row[Book::LineRecipe].toString(), QString("Pizza"));
        ingredients << row[Book::LineIngredient].toString();
    }
    ingredients.sort();
    QCOMPARE(ingredients, (QStringList{"Dough", "Sauce", "Tomato"}));
}

void TestSubTable::linkFieldOutOfRangeIsInvalid()
{
    MessageCapture messages;
    EditableSubTable broken(_document.get(), Book::RecipeTags, Book::TagLineFieldCount);
    QVERIFY(!broken.valid);
    QVERIFY(broken.linkFieldName.isEmpty());
    QVERIFY(messages.contains("Error: link field not found!"));
    QWidget holder;
    holder.setLayout(broken.layout);
}

void TestSubTable::unknownActionIsReported()
{
    MessageCapture messages;
    QPushButton stray;
    stray.setObjectName("z");
    connect(&stray, &QPushButton::clicked, _sub, &EditableSubTable::onEditButtonClicked);
    QTest::mouseClick(&stray, Qt::LeftButton);
    QVERIFY(messages.contains("Unknown action: z"));
    QCOMPARE(_sub->grid->rowCount(), 3);
}

QTEST_MAIN(TestSubTable)
#include "tst_subtable.moc"
