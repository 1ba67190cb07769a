// Detail grids: filled for a master row, edited only in the grid until Save.
#include "data/recipebook.h"
#include "editing/editablesubtable.h"
#include "support/editingfixture.h"

#include <QPushButton>
#include <QSignalSpy>

class TestSubTable : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup() { _book.close(); }

    void fillShowsDetailRowsWithNames();
    void rowActionsTouchNothing_data();
    void rowActionsTouchNothing();
    void linkFieldOutOfRangeIsInvalid();
    void unknownActionIsReported();

private:
    QStringList column(int c);

    SampleBook _book;
    EditableSubTable* _sub = nullptr;
};

void TestSubTable::init()
{
    QVERIFY(_book.open());
    _sub = new EditableSubTable(_book.document.get(), Book::RecipeIngredients, Book::LineRecipe);
    _book.editor.reset(_sub);
    QVERIFY(_book.show(_sub->layout, QSize(600, 400)));
    _sub->fill(_book.document->getIDByName(Book::Recipes, "Pizza"));
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
    QCOMPARE(column(Book::LineIngredient), (QStringList{"Dough", "Sauce", "Tomato"}));
    QCOMPARE(column(Book::LineUnit), (QStringList{"kg", "litre", "pcs."}));
    QCOMPARE(column(Book::LineRecipe), (QStringList{"Pizza", "Pizza", "Pizza"}));
    // Detail rows carry no id: Save replaces them all.
    QVERIFY(!_sub->grid->item(0, 0)->data(Qt::UserRole + 1).isValid());
    std::vector<std::vector<QVariant>> data;
    _sub->getTableData(data);
    QCOMPARE(data.size(), size_t(3));
    QCOMPARE(data[0].size(), size_t(4));
    QCOMPARE(data[0][Book::LineRecipe].toString(), QString("Pizza"));

    _sub->fill(_book.document->getIDByName(Book::Recipes, "Shawarma"));
    QCOMPARE(_sub->grid->rowCount(), 9);
}

void TestSubTable::rowActionsTouchNothing_data()
{
    QTest::addColumn<QString>("action");
    QTest::addColumn<QString>("selected"); // empty: no current row
    QTest::addColumn<QStringList>("ingredients");
    QTest::addColumn<QStringList>("units");
    QTest::newRow("add") << "a"
                         << "" << QStringList{"-----", "Dough", "Sauce", "Tomato"}
                         << QStringList{"-----", "kg", "litre", "pcs."};
    QTest::newRow("copy") << "c"
                          << "Dough" << QStringList{"Dough", "Dough", "Sauce", "Tomato"}
                          << QStringList{"kg", "kg", "litre", "pcs."};
    QTest::newRow("delete") << "d"
                            << "Sauce" << QStringList{"Dough", "Tomato"}
                            << QStringList{"kg", "pcs."};
    QTest::newRow("copy without row")
        << "c"
        << "" << QStringList{"Dough", "Sauce", "Tomato"} << QStringList{"kg", "litre", "pcs."};
    QTest::newRow("delete without row")
        << "d"
        << "" << QStringList{"Dough", "Sauce", "Tomato"} << QStringList{"kg", "litre", "pcs."};
}

void TestSubTable::rowActionsTouchNothing()
{
    QFETCH(QString, action);
    QFETCH(QString, selected);
    QFETCH(QStringList, ingredients);
    QFETCH(QStringList, units);
    const int lines = countRows(Book::RecipeIngredients);
    QSignalSpy changed(_sub, &EditableEntity::documentChanged);
    if (selected.isEmpty())
        _sub->grid->setCurrentCell(-1, -1);
    else
        clickCell(_sub->grid, rowWithText(_sub->grid, Book::LineIngredient, selected),
                  Book::LineQuantity);
    QTest::mouseClick(_book.window->findChild<QPushButton*>(action), Qt::LeftButton);

    QCOMPARE(column(Book::LineIngredient), ingredients);
    QCOMPARE(column(Book::LineUnit), units);
    if (action == "a") {
        const int added = rowWithText(_sub->grid, Book::LineIngredient, "-----");
        QCOMPARE(_sub->grid->item(added, Book::LineRecipe)->text(), QString("-----"));
        QCOMPARE(_sub->grid->item(added, Book::LineQuantity)->text(), QString("0"));
    }
    QCOMPARE(countRows(Book::RecipeIngredients), lines);
    QCOMPARE(changed.count(), 0);
}

void TestSubTable::linkFieldOutOfRangeIsInvalid()
{
    MessageCapture messages;
    EditableSubTable broken(_book.document.get(), Book::RecipeTags, Book::TagLineFieldCount);
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
