// The list side of a data list: items, search, sort, row actions, renames,
// Save and Revert, and the panel following the current item.
#include "data/document.h"
#include "data/recipebook.h"
#include "editing/editabledatalist.h"
#include "lang/langmodel.h"
#include "support/testsupport.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QSignalSpy>
#include <QSqlQuery>
#include <QTimer>
#include <QtTest>

#include <memory>

class TestDataList : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void synchronizeShowsRowsAndFirstInPanel();
    void emptyTableLeavesPanelAsBuilt();
    void searchMatchesPrefixIgnoringCase_data();
    void searchMatchesPrefixIgnoringCase();
    void sortToggles();
    void addAppendsNewItem();
    void addAfterSortGoesToSortedPlace();
    void copyDuplicatesRowAndDetails();
    void copyWithoutCurrentItem();
    void deleteAnsweredNoKeepsEverything();
    void deleteAnsweredYesShowsNextItem();
    void renameInPlaceWritesAtOnce();
    void revertDiscardsPanelEdits();
    void saveWithoutCurrentItem();
    void saveWritesShownRowAndReportsProgress();
    void keyboardMovesPanelWithCurrentItem();
    void keyboardThenSaveKeepsOtherRows();
    void searchHidingCurrentItemKeepsPanelPaired();
    void unreadableRowCannotBeSavedOver();
    void nameEditorOfOtherClassIsReported();
    void oneLoadPerClick();
    void textsAreTranslated();

private:
    void build(const QString& table = Book::Recipes);
    void answerNextQuestion(QMessageBox::StandardButton answer);
    QPushButton* findButton(const QString& name);
    QPushButton* toolButton(const QString& tip);
    QListWidgetItem* item(const QString& text);
    QStringList visibleTexts();
    QStringList texts();
    QString panelName();
    void setPanelName(const QString& name);
    QString storedName(int id);
    int countRows(const QString& table, const QString& where = QString());
    int idOf(QListWidgetItem* item);

    std::unique_ptr<ScratchDir> _dir;
    std::unique_ptr<Document> _document;
    std::unique_ptr<QWidget> _window;
    EditableDataList* _list = nullptr;
};

void TestDataList::initTestCase()
{
    QStandardPaths::setTestModeEnabled(true);
}

void TestDataList::init()
{
    _dir.reset(new ScratchDir);
    _document.reset(new Document);
    QVERIFY(_document->setDataStructure());
    _document->fillSampleBook();
}

void TestDataList::cleanup()
{
    _window.reset();
    delete _list;
    _list = nullptr;
    _document.reset();
    QSqlDatabase::removeDatabase(QSqlDatabase::defaultConnection);
    _dir.reset();
}

void TestDataList::build(const QString& table)
{
    _list = new EditableDataList(_document.get(), table, {Book::CookingPlanRecipes});
    _window.reset(new QWidget);
    _window->setLayout(_list->layout);
    _window->resize(1000, 700);
    _window->show();
    _window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(_window.get()));
    _list->synchronize();
}

void TestDataList::answerNextQuestion(QMessageBox::StandardButton answer)
{
    QTimer::singleShot(0, this, [answer]() {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        QVERIFY(box);
        QCOMPARE(box->text(), QString("Confirm deletion"));
        QCOMPARE(box->informativeText(), QString("Do you really want to delete this item?"));
        QCOMPARE(box->defaultButton(), box->button(QMessageBox::No));
        QTest::mouseClick(box->button(answer), Qt::LeftButton);
    });
}

QPushButton* TestDataList::findButton(const QString& name)
{
    // The list side's own buttons, not those of the detail grids.
    return _list->list->parentWidget()->findChild<QPushButton*>(name);
}

QPushButton* TestDataList::toolButton(const QString& tip)
{
    for (QPushButton* button : _window->findChildren<QPushButton*>())
        if (button->toolTip() == tip || (tip.isEmpty() ? false : button->text() == tip))
            return button;
    return nullptr;
}

QListWidgetItem* TestDataList::item(const QString& text)
{
    const auto found = _list->list->findItems(text, Qt::MatchExactly);
    return found.isEmpty() ? nullptr : found.first();
}

QStringList TestDataList::visibleTexts()
{
    QStringList result;
    for (int i = 0; i < _list->list->count(); ++i)
        if (!_list->list->item(i)->isHidden())
            result << _list->list->item(i)->text();
    return result;
}

QStringList TestDataList::texts()
{
    QStringList result;
    for (int i = 0; i < _list->list->count(); ++i)
        result << _list->list->item(i)->text();
    return result;
}

QString TestDataList::panelName()
{
    return static_cast<QLineEdit*>(_list->nameEditor)->text();
}

void TestDataList::setPanelName(const QString& name)
{
    auto* edit = static_cast<QLineEdit*>(_list->nameEditor);
    edit->setFocus();
    edit->selectAll();
    QTest::keyClicks(edit, name);
}

QString TestDataList::storedName(int id)
{
    return _document->getNameByID(_list->table, id);
}

int TestDataList::countRows(const QString& table, const QString& where)
{
    QSqlQuery query(QStringLiteral("SELECT COUNT(*) FROM ") + table +
                    (where.isEmpty() ? QString() : QStringLiteral(" WHERE ") + where));
    return query.next() ? query.value(0).toInt() : -1;
}

int TestDataList::idOf(QListWidgetItem* item)
{
    return item->data(Qt::UserRole + 1).toInt();
}

void TestDataList::synchronizeShowsRowsAndFirstInPanel()
{
    build();
    QCOMPARE(texts(), (QStringList{"Pizza", "Hamburger", "Shawarma"}));
    QCOMPARE(_list->list->currentRow(), 0);
    QCOMPARE(panelName(), QString("Pizza"));
    QCOMPARE(idOf(_list->list->item(1)), _document->getIDByName(Book::Recipes, "Hamburger"));
    QVERIFY(_list->list->item(0)->flags() & Qt::ItemIsEditable);
    QCOMPARE(_list->_currentItemID(), _document->getIDByName(Book::Recipes, "Pizza"));
}

void TestDataList::emptyTableLeavesPanelAsBuilt()
{
    _document->Clear();
    build();
    QCOMPARE(_list->list->count(), 0);
    QVERIFY(panelName().isEmpty());
    QCOMPARE(_list->_currentItemID(), -1);
    QVERIFY(!_list->_currentItem());
}

void TestDataList::searchMatchesPrefixIgnoringCase_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QStringList>("visible");
    QTest::newRow("to") << "to" << QStringList{"Tomato soup", "tofu"};
    QTest::newRow("capital P") << "P" << QStringList{"Pizza", "Potato"};
    QTest::newRow("inside a name") << "ato" << QStringList{};
    QTest::newRow("nothing typed")
        << "" << QStringList{"Pizza", "Hamburger", "Shawarma", "Tomato soup", "tofu", "Potato"};
}

void TestDataList::searchMatchesPrefixIgnoringCase()
{
    QFETCH(QString, typed);
    QFETCH(QStringList, visible);
    for (const char* name : {"Tomato soup", "tofu", "Potato"}) {
        const QVariant value(QString::fromLatin1(name));
        _document->addRow(Book::Recipes, &value, 1);
    }
    build();
    QTest::keyClicks(_list->searchEdit, "xyz");
    QCOMPARE(visibleTexts(), QStringList{});
    _list->searchEdit->selectAll();
    if (typed.isEmpty())
        QTest::keyClick(_list->searchEdit, Qt::Key_Delete);
    else
        QTest::keyClicks(_list->searchEdit, typed);
    QCOMPARE(visibleTexts(), visible);
}

void TestDataList::sortToggles()
{
    build();
    QPushButton* sort = toolButton("Sort");
    QVERIFY(sort);
    QVERIFY(sort->text().isEmpty());
    QTest::mouseClick(sort, Qt::LeftButton);
    QVERIFY(_list->sortAscending);
    QCOMPARE(texts(), (QStringList{"Hamburger", "Pizza", "Shawarma"}));
    QTest::mouseClick(sort, Qt::LeftButton);
    QCOMPARE(texts(), (QStringList{"Shawarma", "Pizza", "Hamburger"}));
    QTest::mouseClick(sort, Qt::LeftButton);
    QCOMPARE(texts(), (QStringList{"Hamburger", "Pizza", "Shawarma"}));
}

void TestDataList::addAppendsNewItem()
{
    build();
    QSignalSpy changed(_list, &EditableEntity::documentChanged);
    QTest::mouseClick(findButton("a"), Qt::LeftButton);
    QCOMPARE(changed.count(), 1);
    QCOMPARE(texts(), (QStringList{"Pizza", "Hamburger", "Shawarma", "NewItem"}));
    const int id = idOf(_list->list->item(3));
    QCOMPARE(storedName(id), QString("NewItem"));
    std::vector<QVariant> row;
    QVERIFY(_document->getRowByID(Book::Recipes, id, row));
    QCOMPARE(row[Book::RecipeRating].toInt(), 5);
    QCOMPARE(_list->list->currentRow(), 0);
    QCOMPARE(panelName(), QString("Pizza"));
}

void TestDataList::addAfterSortGoesToSortedPlace()
{
    build();
    QTest::mouseClick(toolButton("Sort"), Qt::LeftButton);
    QTest::mouseClick(findButton("a"), Qt::LeftButton);
    QCOMPARE(texts(), (QStringList{"Hamburger", "NewItem", "Pizza", "Shawarma"}));
}

void TestDataList::copyDuplicatesRowAndDetails()
{
    build();
    QListWidgetItem* shawarma = item("Shawarma");
    QTest::mouseClick(_list->list->viewport(), Qt::LeftButton, Qt::NoModifier,
                      _list->list->visualItemRect(shawarma).center());
    QCOMPARE(panelName(), QString("Shawarma"));
    QSignalSpy changed(_list, &EditableEntity::documentChanged);
    QTest::mouseClick(findButton("c"), Qt::LeftButton);
    QCOMPARE(changed.count(), 1);
    QCOMPARE(texts(), (QStringList{"Pizza", "Hamburger", "Shawarma", "Shawarma"}));
    const int copy = idOf(_list->list->item(3));
    QVERIFY(copy != idOf(shawarma));
    QCOMPARE(countRows(Book::RecipeIngredients, "id_rec=" + QString::number(copy)), 9);
    QCOMPARE(countRows(Book::RecipeTags, "id_rec=" + QString::number(copy)), 2);
}

void TestDataList::copyWithoutCurrentItem()
{
    _document->Clear();
    build();
    MessageCapture messages;
    QSignalSpy changed(_list, &EditableEntity::documentChanged);
    QTest::mouseClick(findButton("c"), Qt::LeftButton);
    QVERIFY(messages.contains("No current item"));
    QCOMPARE(changed.count(), 0);
    QCOMPARE(countRows(Book::Recipes), 0);
}

void TestDataList::deleteAnsweredNoKeepsEverything()
{
    build();
    QSignalSpy changed(_list, &EditableEntity::documentChanged);
    answerNextQuestion(QMessageBox::No);
    QTest::mouseClick(findButton("d"), Qt::LeftButton);
    QCOMPARE(changed.count(), 0);
    QCOMPARE(texts(), (QStringList{"Pizza", "Hamburger", "Shawarma"}));
    QCOMPARE(countRows(Book::Recipes), 3);
    QCOMPARE(panelName(), QString("Pizza"));
}

void TestDataList::deleteAnsweredYesShowsNextItem()
{
    build();
    const int pizza = idOf(item("Pizza"));
    QSignalSpy changed(_list, &EditableEntity::documentChanged);
    answerNextQuestion(QMessageBox::Yes);
    QTest::mouseClick(findButton("d"), Qt::LeftButton);
    QCOMPARE(changed.count(), 1);
    QCOMPARE(texts(), (QStringList{"Hamburger", "Shawarma"}));
    QCOMPARE(countRows(Book::Recipes), 2);
    QCOMPARE(countRows(Book::RecipeIngredients, "id_rec=" + QString::number(pizza)), 0);
    QCOMPARE(_list->list->currentRow(), 0);
    QCOMPARE(panelName(), QString("Hamburger"));

    // Deleting a later item shows the one before it.
    QTest::mouseClick(_list->list->viewport(), Qt::LeftButton, Qt::NoModifier,
                      _list->list->visualItemRect(item("Shawarma")).center());
    answerNextQuestion(QMessageBox::Yes);
    QTest::mouseClick(findButton("d"), Qt::LeftButton);
    QCOMPARE(texts(), QStringList{"Hamburger"});
    QCOMPARE(panelName(), QString("Hamburger"));
    QCOMPARE(_list->_currentItemID(), _document->getIDByName(Book::Recipes, "Hamburger"));
}

void TestDataList::renameInPlaceWritesAtOnce()
{
    build();
    QListWidgetItem* burger = item("Hamburger");
    const int id = idOf(burger);
    QSignalSpy changed(_list, &EditableEntity::documentChanged);
    const QPoint centre = _list->list->visualItemRect(burger).center();
    QTest::mouseClick(_list->list->viewport(), Qt::LeftButton, Qt::NoModifier, centre);
    QTest::mouseDClick(_list->list->viewport(), Qt::LeftButton, Qt::NoModifier, centre);
    auto* edit = qobject_cast<QLineEdit*>(QApplication::focusWidget());
    QVERIFY(edit);
    edit->selectAll();
    QTest::keyClicks(edit, "Cheeseburger");
    QTest::keyClick(edit, Qt::Key_Enter);
    QTRY_COMPARE(storedName(id), QString("Cheeseburger"));
    QCOMPARE(changed.count(), 1);
    QCOMPARE(panelName(), QString("Cheeseburger"));
    QCOMPARE(burger->text(), QString("Cheeseburger"));
}

void TestDataList::revertDiscardsPanelEdits()
{
    build();
    setPanelName("Calzone");
    QTest::mouseClick(toolButton("Revert"), Qt::LeftButton);
    QCOMPARE(panelName(), QString("Pizza"));
    QCOMPARE(item("Pizza")->text(), QString("Pizza"));
}

void TestDataList::saveWithoutCurrentItem()
{
    _document->Clear();
    build();
    MessageCapture messages;
    QSignalSpy informed(_list, &EditableEntity::informUser);
    QSignalSpy changed(_list, &EditableEntity::documentChanged);
    QTest::mouseClick(toolButton("Save"), Qt::LeftButton);
    QVERIFY(messages.contains("Cannot get list item"));
    QCOMPARE(informed.count(), 2);
    QCOMPARE(informed[0][0].toString(), QString("Saving..."));
    QCOMPARE(informed[0][1].toInt(), -1);
    QCOMPARE(informed[1][0].toString(), QString("Saved"));
    QCOMPARE(informed[1][1].toInt(), 500);
    QCOMPARE(changed.count(), 0);

    messages.clear();
    QTest::mouseClick(toolButton("Revert"), Qt::LeftButton);
    QVERIFY(messages.contains("Cannot get list item"));
}

void TestDataList::saveWritesShownRowAndReportsProgress()
{
    build();
    const int pizza = idOf(item("Pizza"));
    setPanelName("Pizza Margherita");
    QSignalSpy informed(_list, &EditableEntity::informUser);
    QSignalSpy changed(_list, &EditableEntity::documentChanged);
    QTest::mouseClick(toolButton("Save"), Qt::LeftButton);
    QCOMPARE(changed.count(), 1);
    QCOMPARE(informed.count(), 2);
    QCOMPARE(storedName(pizza), QString("Pizza Margherita"));
    QCOMPARE(_list->list->item(0)->text(), QString("Pizza Margherita"));
    QCOMPARE(panelName(), QString("Pizza Margherita"));
}

void TestDataList::keyboardMovesPanelWithCurrentItem()
{
    build();
    _list->list->setFocus();
    QTest::keyClick(_list->list, Qt::Key_Down);
    QCOMPARE(_list->list->currentRow(), 1);
    QCOMPARE(panelName(), QString("Hamburger"));
    QTest::keyClick(_list->list, Qt::Key_End);
    QCOMPARE(panelName(), QString("Shawarma"));
    QTest::keyClick(_list->list, Qt::Key_Home);
    QCOMPARE(panelName(), QString("Pizza"));
}

void TestDataList::keyboardThenSaveKeepsOtherRows()
{
    build();
    const int pizza = idOf(item("Pizza"));
    const int burger = idOf(item("Hamburger"));
    std::vector<QVariant> pizzaBefore, burgerBefore;
    QVERIFY(_document->getRowByID(Book::Recipes, pizza, pizzaBefore));
    QVERIFY(_document->getRowByID(Book::Recipes, burger, burgerBefore));

    // Edits made for Pizza, then the user walks to Hamburger and saves.
    setPanelName("Pizza Margherita");
    _list->list->setFocus();
    QTest::keyClick(_list->list, Qt::Key_Down);
    QTest::mouseClick(toolButton("Save"), Qt::LeftButton);

    std::vector<QVariant> pizzaAfter, burgerAfter;
    QVERIFY(_document->getRowByID(Book::Recipes, pizza, pizzaAfter));
    QVERIFY(_document->getRowByID(Book::Recipes, burger, burgerAfter));
    QCOMPARE(pizzaAfter[Book::RecipeName].toString(), QString("Pizza"));
    QCOMPARE(burgerAfter[Book::RecipeName].toString(), QString("Hamburger"));
    QCOMPARE(burgerAfter[Book::RecipeRating], burgerBefore[Book::RecipeRating]);
    QCOMPARE(countRows(Book::RecipeIngredients, "id_rec=" + QString::number(burger)), 5);
    QCOMPARE(countRows(Book::RecipeIngredients, "id_rec=" + QString::number(pizza)), 3);

    // Now an edit of Hamburger's panel goes to Hamburger.
    setPanelName("Burger");
    QTest::mouseClick(toolButton("Save"), Qt::LeftButton);
    QCOMPARE(storedName(burger), QString("Burger"));
    QCOMPARE(storedName(pizza), QString("Pizza"));
}

void TestDataList::searchHidingCurrentItemKeepsPanelPaired()
{
    build();
    QTest::mouseClick(_list->list->viewport(), Qt::LeftButton, Qt::NoModifier,
                      _list->list->visualItemRect(item("Hamburger")).center());
    QTest::keyClicks(_list->searchEdit, "Sh");
    QCOMPARE(visibleTexts(), QStringList{"Shawarma"});
    setPanelName("Big burger");
    QTest::mouseClick(toolButton("Save"), Qt::LeftButton);
    QCOMPARE(storedName(idOf(item("Big burger"))), QString("Big burger"));
    QCOMPARE(_document->getIDByName(Book::Recipes, "Shawarma"), idOf(item("Shawarma")));
}

void TestDataList::unreadableRowCannotBeSavedOver()
{
    build();
    auto* ghost = new QListWidgetItem("Ghost");
    ghost->setData(Qt::UserRole + 1, 9999);
    _list->list->addItem(ghost);
    MessageCapture messages;
    QTest::mouseClick(_list->list->viewport(), Qt::LeftButton, Qt::NoModifier,
                      _list->list->visualItemRect(ghost).center());
    QCOMPARE(_list->list->currentItem(), ghost);
    QSignalSpy changed(_list, &EditableEntity::documentChanged);
    QSignalSpy told(_list, &EditableEntity::informUser);
    QTest::mouseClick(toolButton("Save"), Qt::LeftButton);
    QCOMPARE(changed.count(), 0);
    QCOMPARE(told.count(), 2);
    QCOMPARE(told.last().at(0).toString(), QString("Nothing was saved"));
    QCOMPARE(countRows(Book::Recipes, "id=9999"), 0);
    QCOMPARE(storedName(idOf(item("Pizza"))), QString("Pizza"));
    QCOMPARE(countRows(Book::RecipeIngredients), 17);
}

void TestDataList::nameEditorOfOtherClassIsReported()
{
    build();
    QWidget* previous = _list->nameEditor;
    QLabel other;
    _list->nameEditor = &other;
    MessageCapture messages;
    _list->_modifyListItem(_list->list->item(0));
    _list->nameEditor = previous;
    QVERIFY(messages.contains("Error: unexpected editor class \\\"QLabel\\\" for recipe name") ||
            messages.contains("Error: unexpected editor class \"QLabel\" for recipe name"));
    QCOMPARE(_list->list->item(0)->text(), QString("Pizza"));
}

void TestDataList::textsAreTranslated()
{
    LangModel russian(1, QDir::currentPath() + "/languages/");
    setAppLangModel(&russian);
    build();
    setAppLangModel(nullptr);
    QVERIFY(toolButton("Сохранить"));
    QVERIFY(toolButton("Отменить изменения"));
    QVERIFY(toolButton("Сортировать"));
    QCOMPARE(findButton("a")->toolTip(), QString("Добавить строку"));
    QCOMPARE(findButton("d")->toolTip(), QString("Удалить строку"));
    bool searchLabel = false;
    for (QLabel* label : _window->findChildren<QLabel*>())
        searchLabel = searchLabel || label->text() == "Поиск";
    QVERIFY(searchLabel);
    bool photoButton = false;
    for (QPushButton* button : _window->findChildren<QPushButton*>())
        photoButton = photoButton || button->text() == "Выбрать изображение";
    QVERIFY(photoButton);
}

// Counts how often the panel is loaded.
class CountingList : public EditableDataList
{
public:
    using EditableDataList::EditableDataList;
    int loads = 0;
    void onListItemActivated(QListWidgetItem* item) override
    {
        ++loads;
        EditableDataList::onListItemActivated(item);
    }
};

void TestDataList::oneLoadPerClick()
{
    auto* list = new CountingList(_document.get(), Book::Recipes, {Book::CookingPlanRecipes});
    _list = list;
    _window.reset(new QWidget);
    _window->setLayout(_list->layout);
    _window->show();
    QVERIFY(QTest::qWaitForWindowExposed(_window.get()));
    _list->synchronize();
    const auto click = [this](int row) {
        QTest::mouseClick(_list->list->viewport(), Qt::LeftButton, Qt::NoModifier,
                          _list->list->visualItemRect(_list->list->item(row)).center());
    };
    list->loads = 0;
    click(1);
    QCOMPARE(list->loads, 1);
    QCOMPARE(_list->list->currentRow(), 1);
    click(1); // the current item again: it is reloaded
    QCOMPARE(list->loads, 2);
    QTest::keyClick(_list->list, Qt::Key_Down);
    QCOMPARE(list->loads, 3);
}

QTEST_MAIN(TestDataList)
#include "tst_datalist.moc"
