// A data list: the list side (items, search, sort, row actions, renames, Save and
// Revert) and the panel with its detail grids, which writes nothing before Save.
#include "support/guisupport.h"

#include "data/recipebook.h"
#include "editing/editabledatalist.h"
#include "editing/editablesubtable.h"

#include <QLabel>
#include <QListWidget>
#include <QSpinBox>

class TestDataList : public QObject
{
    Q_OBJECT

    ScratchDir _scratch; // one working folder: each test's book is in memory
    SampleBook _book;
    EditableDataList* _list = nullptr;
    MessageCapture* _messages = nullptr; // of the script being played
    QSignalSpy* _told = nullptr;

    void build(const QString& table = Book::Recipes)
    {
        _book.document.reset(new Document);
        QVERIFY(_book.document->setDataStructure());
        _book.document->fillSampleBook();
        _list = new EditableDataList(_book.document.get(), table,
                                     {table == Book::Recipes ? Book::CookingPlanRecipes : ""});
        _book.editor.reset(_list);
        QVERIFY(_book.show(_list->layout, QSize(1000, 900)));
        _list->synchronize();
    }
    QWidget* editor(int field) { return _list->form.widgets[size_t(field)].widget; }
    // A row action of a detail grid: "a" add, "c" copy, "d" delete.
    void press(QWidget* side, const char* action)
    {
        QTest::mouseClick(side->parentWidget()->findChild<QPushButton*>(action), Qt::LeftButton);
    }
    void click(QListWidgetItem* item, bool twice = false)
    {
        QVERIFY(item);
        const QPoint centre = _list->list->visualItemRect(item).center();
        QTest::mouseClick(_list->list->viewport(), Qt::LeftButton, Qt::NoModifier, centre);
        if (twice)
            QTest::mouseDClick(_list->list->viewport(), Qt::LeftButton, Qt::NoModifier, centre);
    }
    // Plays the steps of a script, as "verb argument" separated by "; ".
    void play(const QString& script)
    {
        for (const QString& step : script.split("; ")) {
            const QString verb = step.section(' ', 0, 0), argument = step.section(' ', 1);
            if (verb == "click") {
                click(_list->list->findItems(argument, Qt::MatchExactly).value(0));
            } else if (verb == "key") {
                QTest::keyClick(_list->list, argument == "Down" ? Qt::Key_Down : Qt::Key_End);
            } else if (verb == "press") { // a row action of the list, else a button's tip or text
                auto* button = _list->list->parentWidget()->findChild<QPushButton*>(argument);
                for (QPushButton* other : _book.window->findChildren<QPushButton*>())
                    if (!button && (other->toolTip() == argument || other->text() == argument))
                        button = other;
                QVERIFY2(button, qPrintable(argument));
                QTest::mouseClick(button, Qt::LeftButton);
            } else if (verb == "search") {
                _list->searchEdit->selectAll();
                QTest::keyClick(_list->searchEdit, Qt::Key_Delete);
                QTest::keyClicks(_list->searchEdit, argument);
            } else if (verb == "store") { // a rating into the shown row, behind the panel
                _book.document->updateItem(Book::Recipes, _list->_currentItemID(),
                                           Book::RecipeRating, argument);
            } else if (verb == "complexity") {
                static_cast<QSpinBox*>(editor(Book::RecipeComplexity))->setValue(argument.toInt());
            } else if (verb == "type" || verb == "rename") { // the panel's name, or in place
                if (verb == "rename")
                    click(_list->list->currentItem(), true);
                auto* edit = qobject_cast<QLineEdit*>(verb == "type" ? _list->nameEditor
                                                                     : QApplication::focusWidget());
                QVERIFY(edit);
                edit->selectAll();
                QTest::keyClicks(edit, argument);
                if (verb == "rename")
                    QTest::keyClick(edit, Qt::Key_Enter);
            } else if (verb == "grid") { // a row added to the first detail grid
                press(_list->form.subTables.front()->grid, "a");
            } else if (verb == "clear") { // the book
                _book.document->Clear();
                _list->synchronize();
            } else if (verb == "ghost") { // an item without a row, clicked, then hidden
                auto* ghost = new QListWidgetItem("Ghost");
                ghost->setData(Qt::UserRole + 1, 9999);
                _list->list->addItem(ghost);
                click(ghost);
                ghost->setHidden(true);
            } else if (verb == "told") { // the status texts so far, with their times
                QStringList told;
                for (const QList<QVariant>& call : *_told)
                    told << call[0].toString() + ' ' + call[1].toString();
                QCOMPARE(told.join(", "), argument);
            } else if (verb == "diagnosed") {
                QVERIFY2(_messages->contains(argument), qPrintable(argument));
            }
            QCoreApplication::processEvents();
        }
    }

private slots:
    void initTestCase()
    {
        QStandardPaths::setTestModeEnabled(true);
        QSettings().setValue("currency", "<b>EUR</b>");
    }
    void cleanup()
    {
        qDeleteAll(modalWatchers().children());
        _book.close();
    }

    void userScripts_data()
    {
        QTest::addColumn<QString>("script");
        QTest::addColumn<QStringList>("dialogs"); // "question:answer"
        QTest::addColumn<int>("changes");         // of the book, as signalled
        QTest::addColumn<QStringList>("items");   // shown: name, expenses, lines, tags, plans
        QTest::addColumn<QString>("panel");       // its name; "*": changed since loaded
        const QString p = "Pizza 5.4 3 1 1", h = "Hamburger 3.2 5 2 1", s = "Shawarma 2.5 9 2 2";
        const QStringList sample{p, h, s}, none, renamed{p, "Cheeseburger 3.2 5 2 1", s};
        const QString del = "Confirm deletion:", save = "Save changes to \"Pizza\"?:";
        // Pizza renamed in the panel, another item reached, then the panel renamed and saved.
        const QString leave = "type Pizza Margherita; ",
                      stay = "; type Burger; press Save; key End";
        const QStringList stayed{"Burger 5.4 3 1 1", h, s};
        QTest::newRow("prefix search") << "search sh" << none << 0 << QStringList{s} << "Pizza";
        QTest::newRow("search inside names") << "search amb" << none << 0 << none << "Pizza";
        QTest::newRow("sort up, down")
            << "press Sort; press Sort" << none << 0 << QStringList{s, p, h} << "Pizza";
        QTest::newRow("add lands sorted")
            << "press Sort; press Sort; press Sort; press a" << none << 1
            << QStringList{h, "NewItem 0 0 0 0", p, s} << "Pizza";
        QTest::newRow("add and copy append; a copy has own details, no plans")
            << "press a; click Shawarma; press c" << none << 2
            << QStringList{p, h, s, "NewItem 0 0 0 0", "Shawarma 2.5 9 2 0"} << "Shawarma";
        QTest::newRow("delete shows the next")
            << "press d" << QStringList{del + "Yes"} << 1 << QStringList{h, s} << "Hamburger";
        QTest::newRow("delete, No, then Yes of the last shows the one before")
            << "press d; click Shawarma; press d" << QStringList{del + "No", del + "Yes"} << 1
            << QStringList{p, h} << "Hamburger";
        QTest::newRow("delete of every item clears the panel")
            << "press d; press d; press d" << QStringList{del + "Yes", del + "Yes", del + "Yes"}
            << 3 << none << "";
        QTest::newRow("rename in place keeps panel edits")
            << "click Hamburger; complexity 9; rename Cheeseburger" << none << 1 << renamed
            << "Cheeseburger*";
        QTest::newRow("rename in place, edits undone")
            << "click Hamburger; complexity 9; rename Cheeseburger; complexity 5" << none << 1
            << renamed << "Cheeseburger";
        QTest::newRow("Revert") << leave + "press Revert" << none << 0 << sample << "Pizza";
        QTest::newRow("Save of an item the search hides")
            << "click Hamburger; search Sh; type Big burger; press Save; search " << none << 1
            << QStringList{p, "Big burger 3.2 5 2 1", s} << "Big burger";
        QTest::newRow("Save of an unreadable row")
            << "ghost; press Save; told Saving... -1, Nothing was saved 2000; "
               "diagnosed Error: the editor panel does not show this item; click Pizza"
            << none << 0 << sample << "Pizza";
        QTest::newRow("empty book, Save")
            << "clear; press Save; told Saving... -1, Saved 500; diagnosed Cannot get list item"
            << none << 0 << none << "";
        QTest::newRow("empty book, copy and Revert")
            << "clear; press c; diagnosed No current item; press Revert; told ; "
               "diagnosed Cannot get list item"
            << none << 0 << none << "";
        QTest::newRow("rating stored as text")
            << "store many; press Revert; diagnosed Conversion error of variant many" << none << 0
            << sample << "Pizza";
        QTest::newRow("name typed back")
            << "type Pizza Margherita; type Pizza" << none << 0 << sample << "Pizza";
        QTest::newRow("detail row added") << "grid" << none << 0 << sample << "Pizza*";
        QTest::newRow("picture cleared") << "press Clear image" << none << 0 << sample << "Pizza*";
        QTest::newRow("leave by key, Yes")
            << leave + "key Down" + stay << QStringList{save + "Yes"} << 2
            << QStringList{"Pizza Margherita 5.4 3 1 1", "Burger 3.2 5 2 1", s} << "Shawarma";
        QTest::newRow("leave by key, No")
            << leave + "key Down" + stay << QStringList{save + "No"} << 1
            << QStringList{p, "Burger 3.2 5 2 1", s} << "Shawarma";
        QTest::newRow("leave by key, Escape")
            << leave + "key Down" + stay << QStringList{save + "Escape"} << 1 << stayed
            << "Shawarma";
        QTest::newRow("leave by click, Cancel")
            << leave + "click Hamburger" + stay + "; told Saving... -1, Saved 500"
            << QStringList{save + "Cancel"} << 1 << stayed << "Shawarma";
        QTest::newRow("leave by click, Cancel keeps the edits")
            << leave + "click Hamburger" << QStringList{save + "Cancel"} << 0 << sample
            << "Pizza Margherita*";
    }

    void userScripts()
    {
        QFETCH(QStringList, dialogs);
        QFETCH(QString, panel);
        build();
        QSignalSpy signalled(_list, &EditableEntity::documentChanged),
            told(_list, &EditableEntity::informUser);
        MessageCapture messages;
        _messages = &messages;
        _told = &told;
        DialogLog log;
        answerDialogs(dialogs, &log);
        QFETCH(QString, script);
        play(script);

        QCOMPARE(log.steps, dialogs);
        for (const QString& asked : log.details)
            QVERIFY2(
                asked == "Confirm deletion / Do you really want to delete this item? / Yes No*" ||
                    asked == "Save changes to \"Pizza\"? /  / Yes* No Cancel",
                qPrintable(asked));
        QTEST(signalled.count(), "changes");
        QStringList items;
        for (int i = 0; i < _list->list->count(); ++i) {
            QListWidgetItem* item = _list->list->item(i);
            const QString id = item->data(Qt::UserRole + 1).toString();
            if (item->isHidden())
                continue;
            QCOMPARE(_book.document->getNameByID(Book::Recipes, id.toInt()), item->text());
            items << QString("%1 %2 %3 %4 %5")
                         .arg(item->text())
                         .arg(queryRows("SELECT expenses FROM Recipes WHERE id=" + id).value(0))
                         .arg(countRows(Book::RecipeIngredients, "id_rec=" + id))
                         .arg(countRows(Book::RecipeTags, "id_rec=" + id))
                         .arg(countRows(Book::CookingPlanRecipes, "id_rec=" + id));
        }
        QTEST(items, "items");
        const bool changed = panel.endsWith('*');
        QCOMPARE(_list->isPanelChanged(), changed);
        QCOMPARE(static_cast<QLineEdit*>(_list->nameEditor)->text(), panel.remove('*'));
        if (changed)
            return;
        QCOMPARE(_list->list->currentItem() ? _list->list->currentItem()->text() : QString(),
                 panel);
        QCOMPARE(_list->form.subTables.front()->grid->rowCount(),
                 countRows(Book::RecipeIngredients,
                           "id_rec=" + QString::number(_list->_currentItemID())));
    }

    // Each load refills the detail grids: a click loads the panel once.
    void oneLoadPerClick()
    {
        build();
        QSignalSpy loads(_list->form.subTables.front()->grid->model(),
                         &QAbstractItemModel::rowsRemoved);
        click(_list->list->item(1));
        click(_list->list->item(1)); // the current item again: it is reloaded
        QTest::keyClick(_list->list, Qt::Key_Down);
        QCOMPARE(loads.count(), 3);
    }

    // A stored count beyond the old limit of 99 survives loading the panel and saving it.
    void largePersonCountSurvivesSave()
    {
        build(Book::CookingPlans);
        _book.document->updateItem(Book::CookingPlans, 1, Book::PlanPersonCount, 1200);
        play("press Revert");
        QCOMPARE(static_cast<QSpinBox*>(editor(Book::PlanPersonCount))->value(), 1200);
        play("press Save");
        QCOMPARE(_book.row(Book::CookingPlans, 1)[Book::PlanPersonCount].toInt(), 1200);
    }

    // Detail rows edited as a user does reach the book only on Save, which replaces them.
    // Markup in the currency is the user's text, shown as typed.
    void saveReplacesDetailRows()
    {
        build();
        const auto labels = _book.window->findChildren<QLabel*>();
        QVERIFY(std::any_of(labels.begin(), labels.end(), [](QLabel* label) {
            return label->text() == "<b>EUR</b>" &&
                   label->sizeHint().width() >=
                       label->fontMetrics().horizontalAdvance("<b>EUR</b>");
        }));
        play("click Shawarma");
        QTableWidget* lines = _list->form.subTables.front()->grid;
        press(lines, "a");
        const int added = rowWithText(lines, Book::LineIngredient, "-----");
        QVERIFY(typeIntoCell(openCellEditor(lines, added, Book::LineIngredient), "Basil"));
        clickCell(lines, rowWithText(lines, Book::LineIngredient, "Pita"), Book::LineQuantity);
        press(lines, "c");
        lines->setCurrentCell(-1, -1); // copy and delete without a current row do nothing
        press(lines, "c");
        press(lines, "d");
        clickCell(lines, rowWithText(lines, Book::LineIngredient, "Garlic"), Book::LineQuantity);
        press(lines, "d");
        QCOMPARE(lines->rowCount(), 10);
        QCOMPARE(countRows(Book::Ingredients, "name='Basil'"), 0);

        play("press Save");
        QCOMPARE(queryRows("SELECT i.name, l.quant, l.id_unit=-1 FROM RecipeIngredients l JOIN "
                           "Ingredients i ON i.id=l.id_ing WHERE l.id_rec=3 AND "
                           "i.name IN ('Basil', 'Garlic', 'Pita') ORDER BY i.name"),
                 (QStringList{"Basil 0 1", "Pita 1 0", "Pita 1 0"}));
        QCOMPARE(countRows(Book::RecipeIngredients, "id_rec=3"), 10);
    }
};

QTEST_MAIN(TestDataList)
#include "tst_datalist.moc"
