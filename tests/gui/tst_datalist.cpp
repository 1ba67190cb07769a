// The list side of a data list: items, search, sort, row actions, renames,
// Save and Revert, and the panel following the current item.
#include "data/recipebook.h"
#include "editing/editabledatalist.h"
#include "editing/editablesubtable.h"
#include "lang/langmodel.h"
#include "support/editingfixture.h"

#include <QApplication>
#include <QLabel>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QSignalSpy>
#include <QTimer>

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

class TestDataList : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }
    void init() { QVERIFY(_book.open()); }
    void cleanup() { _book.close(); }

    void emptyListHasNothingToCopyOrSave();
    void searchMatchesPrefixIgnoringCase_data();
    void searchMatchesPrefixIgnoringCase();
    void sortTogglesAndPlacesNewItems();
    void rowActions_data();
    void rowActions();
    void renameInPlaceWritesAtOnce();
    void saveOrRevertPanelEdits_data();
    void saveOrRevertPanelEdits();
    void leavingChangedPanelAsks_data();
    void leavingChangedPanelAsks();
    void panelChangeSeesEveryEditor_data();
    void panelChangeSeesEveryEditor();
    void searchHidingCurrentItemKeepsPanelPaired();
    void unreadableRowCannotBeSavedOver();
    void nameEditorOfOtherClassIsReported();
    void oneLoadPerClick();
    void textsAreTranslated();

private:
    void build();
    void answerNextQuestion(QMessageBox::StandardButton answer);
    // The list side's own row-action buttons, not those of the detail grids.
    QPushButton* action(const QString& code)
    {
        return _list->list->parentWidget()->findChild<QPushButton*>(code);
    }
    // A button by its tool tip or its text.
    QPushButton* button(const QString& label);
    void click(const QString& label) { QTest::mouseClick(button(label), Qt::LeftButton); }
    void clickItem(QListWidgetItem* item);
    QListWidgetItem* item(const QString& text);
    QStringList texts(bool visibleOnly = false);
    QString panelName() { return static_cast<QLineEdit*>(_list->nameEditor)->text(); }
    void setPanelName(const QString& name);
    QString storedName(int id) { return _book.document->getNameByID(_list->table, id); }
    int idOf(QListWidgetItem* item) { return item->data(Qt::UserRole + 1).toInt(); }

    SampleBook _book;
    EditableDataList* _list = nullptr;
};

void TestDataList::build()
{
    _list = new CountingList(_book.document.get(), Book::Recipes, {Book::CookingPlanRecipes});
    _book.editor.reset(_list);
    QVERIFY(_book.show(_list->layout, QSize(1000, 700)));
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

QPushButton* TestDataList::button(const QString& label)
{
    for (QPushButton* candidate : _book.window->findChildren<QPushButton*>())
        if (candidate->toolTip() == label || candidate->text() == label)
            return candidate;
    return nullptr;
}

void TestDataList::clickItem(QListWidgetItem* item)
{
    QTest::mouseClick(_list->list->viewport(), Qt::LeftButton, Qt::NoModifier,
                      _list->list->visualItemRect(item).center());
}

QListWidgetItem* TestDataList::item(const QString& text)
{
    const auto found = _list->list->findItems(text, Qt::MatchExactly);
    return found.isEmpty() ? nullptr : found.first();
}

QStringList TestDataList::texts(bool visibleOnly)
{
    QStringList result;
    for (int i = 0; i < _list->list->count(); ++i)
        if (!visibleOnly || !_list->list->item(i)->isHidden())
            result << _list->list->item(i)->text();
    return result;
}

void TestDataList::setPanelName(const QString& name)
{
    auto* edit = static_cast<QLineEdit*>(_list->nameEditor);
    edit->setFocus();
    edit->selectAll();
    QTest::keyClicks(edit, name);
}

void TestDataList::emptyListHasNothingToCopyOrSave()
{
    _book.document->Clear();
    build();
    QVERIFY(panelName().isEmpty());
    QCOMPARE(_list->_currentItemID(), -1);
    MessageCapture messages;
    QSignalSpy informed(_list, &EditableEntity::informUser);
    QSignalSpy changed(_list, &EditableEntity::documentChanged);
    QTest::mouseClick(action("c"), Qt::LeftButton);
    QVERIFY(messages.contains("No current item"));
    QCOMPARE(countRows(Book::Recipes), 0);

    click("Save");
    QVERIFY(messages.contains("Cannot get list item"));
    QCOMPARE(informed.count(), 2);
    QCOMPARE(informed[0][0].toString(), QString("Saving..."));
    QCOMPARE(informed[0][1].toInt(), -1);
    QCOMPARE(informed[1][0].toString(), QString("Saved"));
    QCOMPARE(informed[1][1].toInt(), 500);
    QCOMPARE(changed.count(), 0);

    messages.clear();
    click("Revert");
    QVERIFY(messages.contains("Cannot get list item"));
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
        _book.document->addRow(Book::Recipes, &value, 1);
    }
    build();
    QTest::keyClicks(_list->searchEdit, "xyz");
    QCOMPARE(texts(true), QStringList{});
    _list->searchEdit->selectAll();
    if (typed.isEmpty())
        QTest::keyClick(_list->searchEdit, Qt::Key_Delete);
    else
        QTest::keyClicks(_list->searchEdit, typed);
    QCOMPARE(texts(true), visible);
}

void TestDataList::sortTogglesAndPlacesNewItems()
{
    build();
    QVERIFY(button("Sort")->text().isEmpty());
    click("Sort");
    QCOMPARE(texts(), (QStringList{"Hamburger", "Pizza", "Shawarma"}));
    click("Sort");
    QCOMPARE(texts(), (QStringList{"Shawarma", "Pizza", "Hamburger"}));
    click("Sort");
    QTest::mouseClick(action("a"), Qt::LeftButton);
    QCOMPARE(texts(), (QStringList{"Hamburger", "NewItem", "Pizza", "Shawarma"}));
}

void TestDataList::rowActions_data()
{
    QTest::addColumn<QString>("code");
    QTest::addColumn<QString>("selected"); // empty: the first item, current after filling
    QTest::addColumn<int>("answer");       // to the deletion question
    QTest::addColumn<QStringList>("left");
    QTest::addColumn<QString>("shown");
    QTest::addColumn<int>("lines"); // ingredient lines of the copy or the deleted row
    const int no = QMessageBox::No, yes = QMessageBox::Yes;
    QTest::newRow("add appends") << "a"
                                 << "" << 0
                                 << QStringList{"Pizza", "Hamburger", "Shawarma", "NewItem"}
                                 << "Pizza" << 0;
    QTest::newRow("copy with details")
        << "c"
        << "Shawarma" << 0 << QStringList{"Pizza", "Hamburger", "Shawarma", "Shawarma"}
        << "Shawarma" << 9;
    QTest::newRow("delete answered no")
        << "d"
        << "" << no << QStringList{"Pizza", "Hamburger", "Shawarma"} << "Pizza" << 3;
    QTest::newRow("delete shows the next item")
        << "d"
        << "" << yes << QStringList{"Hamburger", "Shawarma"} << "Hamburger" << 0;
    QTest::newRow("delete of the last shows the one before")
        << "d"
        << "Shawarma" << yes << QStringList{"Pizza", "Hamburger"} << "Hamburger" << 0;
}

void TestDataList::rowActions()
{
    QFETCH(QString, code);
    QFETCH(QString, selected);
    QFETCH(int, answer);
    QFETCH(QStringList, left);
    QFETCH(QString, shown);
    QFETCH(int, lines);
    build();
    if (!selected.isEmpty())
        clickItem(item(selected));
    const int selectedId = _list->_currentItemID();
    QSignalSpy changed(_list, &EditableEntity::documentChanged);
    if (answer)
        answerNextQuestion(QMessageBox::StandardButton(answer));
    QTest::mouseClick(action(code), Qt::LeftButton);

    QCOMPARE(changed.count(), answer == QMessageBox::No ? 0 : 1);
    QCOMPARE(texts(), left);
    QCOMPARE(countRows(Book::Recipes), left.size());
    QCOMPARE(panelName(), shown);
    QCOMPARE(_list->_currentItemID(), _book.document->getIDByName(Book::Recipes, shown));
    const int last = idOf(_list->list->item(_list->list->count() - 1));
    const QString details = "id_rec=" + QString::number(code == "d" ? selectedId : last);
    QCOMPARE(countRows(Book::RecipeIngredients, details), lines);
    QCOMPARE(storedName(last), left.last());
    if (code == "a")
        QCOMPARE(_book.row(Book::Recipes, last)[Book::RecipeRating].toInt(), 5);
    if (code == "c") {
        QVERIFY(last != selectedId);
        QCOMPARE(countRows(Book::RecipeTags, details), 2);
    }
}

void TestDataList::renameInPlaceWritesAtOnce()
{
    build();
    QListWidgetItem* burger = item("Hamburger");
    const int id = idOf(burger);
    QSignalSpy changed(_list, &EditableEntity::documentChanged);
    clickItem(burger);
    QTest::mouseDClick(_list->list->viewport(), Qt::LeftButton, Qt::NoModifier,
                       _list->list->visualItemRect(burger).center());
    auto* edit = qobject_cast<QLineEdit*>(QApplication::focusWidget());
    QVERIFY(edit);
    edit->selectAll();
    QTest::keyClicks(edit, "Cheeseburger");
    QTest::keyClick(edit, Qt::Key_Enter);
    QTRY_COMPARE(storedName(id), QString("Cheeseburger"));
    QCOMPARE(changed.count(), 1);
    QCOMPARE(panelName(), QString("Cheeseburger"));
}

void TestDataList::saveOrRevertPanelEdits_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<QString>("name");
    QTest::newRow("save writes the shown row") << "Save"
                                               << "Pizza Margherita";
    QTest::newRow("revert discards the edits") << "Revert"
                                               << "Pizza";
}

void TestDataList::saveOrRevertPanelEdits()
{
    QFETCH(QString, button);
    QFETCH(QString, name);
    build();
    const int pizza = idOf(item("Pizza"));
    setPanelName("Pizza Margherita");
    QVERIFY(_list->isPanelChanged());
    QSignalSpy informed(_list, &EditableEntity::informUser);
    QSignalSpy changed(_list, &EditableEntity::documentChanged);
    click(button);
    QVERIFY(!_list->isPanelChanged());
    QCOMPARE(changed.count(), button == "Save" ? 1 : 0);
    QCOMPARE(informed.count(), button == "Save" ? 2 : 0);
    QCOMPARE(storedName(pizza), name);
    QCOMPARE(_list->list->item(0)->text(), name);
    QCOMPARE(panelName(), name);
}

void TestDataList::panelChangeSeesEveryEditor_data()
{
    QTest::addColumn<QString>("edit");
    QTest::addColumn<bool>("changed");
    QTest::newRow("nothing") << "" << false;
    QTest::newRow("name") << "name" << true;
    QTest::newRow("name typed back") << "name back" << false;
    QTest::newRow("detail grid row added") << "grid" << true;
    QTest::newRow("picture cleared") << "picture" << true;
}

void TestDataList::panelChangeSeesEveryEditor()
{
    QFETCH(QString, edit);
    build();
    if (edit.startsWith("name"))
        setPanelName("Pizza Margherita");
    if (edit == "name back")
        setPanelName("Pizza");
    if (edit == "grid") {
        QWidget* grid = _list->form.subTables.front()->grid->parentWidget();
        QTest::mouseClick(grid->findChild<QPushButton*>("a"), Qt::LeftButton);
    }
    if (edit == "picture")
        click("Clear image");
    QTEST(_list->isPanelChanged(), "changed");
}

void TestDataList::leavingChangedPanelAsks_data()
{
    QTest::addColumn<bool>("byKey"); // else by a click on the item
    QTest::addColumn<QString>("answer");
    QTest::addColumn<QString>("stored"); // Pizza's name afterwards
    QTest::addColumn<QString>("shown");  // the panel's name afterwards
    QTest::newRow("key, Yes saves, then moves") << true << "Yes" << "Pizza Margherita"
                                                << "Hamburger";
    QTest::newRow("key, No drops the edits") << true << "No" << "Pizza" << "Hamburger";
    QTest::newRow("key, Escape stays") << true << "Escape" << "Pizza" << "Pizza Margherita";
    QTest::newRow("click, Yes saves, then moves") << false << "Yes" << "Pizza Margherita"
                                                  << "Hamburger";
    QTest::newRow("click, Cancel stays") << false << "Cancel" << "Pizza" << "Pizza Margherita";
}

// Edits made for Pizza, then the user goes to Hamburger: the edits are saved,
// dropped or kept as answered, and Save always writes the row shown.
void TestDataList::leavingChangedPanelAsks()
{
    QFETCH(bool, byKey);
    QFETCH(QString, answer);
    QFETCH(QString, stored);
    QFETCH(QString, shown);
    build();
    const int pizza = idOf(item("Pizza"));
    const int burger = idOf(item("Hamburger"));
    const std::vector<QVariant> burgerBefore = _book.row(Book::Recipes, burger);
    QStringList asked;
    QTimer answering;
    connect(&answering, &QTimer::timeout, [&]() {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box || !box->isVisible())
            return;
        const bool yesByDefault = box->defaultButton() == box->button(QMessageBox::Yes);
        asked << box->text() + (yesByDefault ? " Yes*" : "");
        if (answer == "Escape")
            QTest::keyClick(box, Qt::Key_Escape);
        else
            box->button(answer == "Yes"  ? QMessageBox::Yes
                        : answer == "No" ? QMessageBox::No
                                         : QMessageBox::Cancel)
                ->click();
    });
    answering.start(10);
    setPanelName("Pizza Margherita");
    if (byKey) {
        _list->list->setFocus();
        QTest::keyClick(_list->list, Qt::Key_Down);
    } else {
        clickItem(item("Hamburger"));
    }
    QCoreApplication::processEvents();
    QCOMPARE(asked, QStringList{"Save changes to \"Pizza\"? Yes*"});
    QCOMPARE(storedName(pizza), stored);
    QCOMPARE(panelName(), shown);
    const int shownId = shown == "Hamburger" ? burger : pizza;
    QCOMPARE(idOf(_list->list->currentItem()), shownId);
    QCOMPARE(_list->list->selectedItems(), QList<QListWidgetItem*>{_list->list->currentItem()});

    setPanelName("Burger");
    click("Save");
    QCOMPARE(storedName(shownId), QString("Burger"));
    QCOMPARE(storedName(shownId == pizza ? burger : pizza),
             shownId == pizza ? QString("Hamburger") : stored);
    const std::vector<QVariant> burgerAfter = _book.row(Book::Recipes, burger);
    for (int f : {int(Book::RecipeRating), int(Book::RecipeComplexity)})
        QCOMPARE(burgerAfter[f], burgerBefore[f]);
    QCOMPARE(countRows(Book::RecipeIngredients, "id_rec=" + QString::number(burger)), 5);
    QCOMPARE(countRows(Book::RecipeIngredients, "id_rec=" + QString::number(pizza)), 3);
    // A panel nobody touched is left without a question.
    QTest::keyClick(_list->list, Qt::Key_End);
    QCOMPARE(panelName(), QString("Shawarma"));
    QCOMPARE(asked.size(), 1);
}

void TestDataList::searchHidingCurrentItemKeepsPanelPaired()
{
    build();
    clickItem(item("Hamburger"));
    QTest::keyClicks(_list->searchEdit, "Sh");
    QCOMPARE(texts(true), QStringList{"Shawarma"});
    setPanelName("Big burger");
    click("Save");
    QCOMPARE(storedName(idOf(item("Big burger"))), QString("Big burger"));
    QCOMPARE(_book.document->getIDByName(Book::Recipes, "Shawarma"), idOf(item("Shawarma")));
}

void TestDataList::unreadableRowCannotBeSavedOver()
{
    build();
    auto* ghost = new QListWidgetItem("Ghost");
    ghost->setData(Qt::UserRole + 1, 9999);
    _list->list->addItem(ghost);
    clickItem(ghost);
    QCOMPARE(_list->list->currentItem(), ghost);
    QSignalSpy changed(_list, &EditableEntity::documentChanged);
    QSignalSpy told(_list, &EditableEntity::informUser);
    click("Save");
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

void TestDataList::oneLoadPerClick()
{
    build();
    auto* list = static_cast<CountingList*>(_list);
    list->loads = 0;
    clickItem(_list->list->item(1));
    QCOMPARE(list->loads, 1);
    QCOMPARE(_list->list->currentRow(), 1);
    clickItem(_list->list->item(1)); // the current item again: it is reloaded
    QCOMPARE(list->loads, 2);
    QTest::keyClick(_list->list, Qt::Key_Down);
    QCOMPARE(list->loads, 3);
}

void TestDataList::textsAreTranslated()
{
    LangModel russian(1, QDir::currentPath() + "/languages/");
    setAppLangModel(&russian);
    build();
    setAppLangModel(nullptr);
    for (const char* label :
         {"Сохранить", "Отменить изменения", "Сортировать", "Выбрать изображение"})
        QVERIFY2(button(QString::fromUtf8(label)), label);
    QCOMPARE(action("a")->toolTip(), QString("Добавить строку"));
    QCOMPARE(action("d")->toolTip(), QString("Удалить строку"));
    QStringList labels;
    for (QLabel* label : _book.window->findChildren<QLabel*>())
        labels << label->text();
    QVERIFY(labels.contains("Поиск"));
}

QTEST_MAIN(TestDataList)
#include "tst_datalist.moc"
