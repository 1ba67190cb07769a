// The Recipes tab: photo icons in three sizes, the recipe page beside the
// editor panel, printing it, and names that hold HTML.
#include "data/document.h"
#include "data/recipe.h"
#include "data/recipebook.h"
#include "editing/verticalscrollarea.h"
#include "images/dropimagelabel.h"
#include "images/pictures.h"
#include "lang/langmodel.h"
#include "pdfprinting.h"
#include "support/testsupport.h"
#include "views/editablerecipelist.h"

#include <QListWidget>
#include <QPushButton>
#include <QSettings>
#include <QSignalSpy>
#include <QSplitter>
#include <QSqlQuery>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QWebElement>
#include <QWebFrame>
#include <QWebPage>
#include <QWebSettings>
#include <QWebView>
#include <QtTest>

#include <memory>

namespace {

const int IdRole = Qt::UserRole + 1;

// The pieces of a recipe page in the order they are written.
QStringList pagePieces(const QString& name, const QString& photo, const QString& tags,
                       const QString& rating, const QString& complexity, const QString& items,
                       const QString& description)
{
    return {
        "<h1>" + name + "</h1>",
        "<div style=\"float: left; margin: 10px; padding: 10px;\"><div style=\"padding: 10px;\">"
            + photo + "</div></div>",
        "<div><b>" + translate("Tags") + "</b>: ",
        tags,
        "<br />",
        "<b>" + translate("Rating") + "</b>: " + rating + "<br />",
        "<b>" + translate("Complexity") + "</b>: " + complexity + "</div>",
        "<div style=\"clear: left;\"></div>",
        "<div style=\"float: left; margin: 10px; padding: 10px;\"><div style=\"width: 200px; "
        "padding: 10px; border: 1px solid gray; border-radius: 10px; background-color: orange; "
        "\"><h2>" + translate("Ingredients") + "</h2><ul>",
        items,
        "</ul>",
        "</div></div><div><i>" + description + "</i></div>",
    };
}

// Compares a page with its expected pieces one by one, so that a failure
// names the piece that differs.
void comparePieces(const QString& page, const QStringList& pieces)
{
    int position = 0;
    for (const QString& piece : pieces) {
        QCOMPARE(page.mid(position, piece.size()), piece);
        position += piece.size();
    }
    QCOMPARE(position, page.size());
}

QString defaultPhotoHtml()
{
    return pictureToHtml(QImage(QDir::currentPath() + "/media/defphoto.png"));
}

QImage iconImage(const QIcon& icon)
{
    return icon.pixmap(QSize(1000, 1000)).toImage().convertToFormat(QImage::Format_ARGB32);
}

void waitForPage(QWebView* view, QSignalSpy& loaded)
{
    QVERIFY(loaded.count() > 0 || loaded.wait(10000));
    QTest::qWait(50); // time for anything the page might still run
    Q_UNUSED(view);
}

} // namespace

class TestRecipeList : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void tabsViewAndEdit();
    void samplePages_data();
    void samplePages();
    void edgeCasePages_data();
    void edgeCasePages();
    void pageTextsTranslatedButOf();
    void recipeMissingGivesEmptyPage();
    void itemWithoutIdKeepsPage();
    void renameMakesPageFollow();
    void htmlInNamesShownAsText_data();
    void htmlInNamesShownAsText();
    void descriptionScriptDoesNotRun();
    void iconSizesPerViewMode_data();
    void iconSizesPerViewMode();
    void threePressesReturnAndSurviveRestart();
    void listItemsCarryPhotos();
    void saveUpdatesIcon();
    void copyKeepsIcon_data();
    void copyKeepsIcon();
    void copyButtonKeepsIcon();
    void missingImageFieldIsReported();
    void printPageToPdf();

private:
    void build(const QString& table = Book::Recipes);
    QListWidgetItem* item(const QString& text);
    void activate(QListWidgetItem* item);
    int addRecipe(const QString& name, const QVariant& photo = QByteArray("0"));
    QPushButton* buttonWithTip(const QString& tip);
    QPushButton* buttonWithText(const QString& text);

    QTemporaryDir _settingsDir;
    std::unique_ptr<ScratchDir> _dir;
    std::unique_ptr<Document> _document;
    std::unique_ptr<QWidget> _window;
    EditableRecipeList* _list = nullptr;
};

void TestRecipeList::initTestCase()
{
    QStandardPaths::setTestModeEnabled(true);
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, _settingsDir.path());
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, _settingsDir.path());
}

void TestRecipeList::init()
{
    QSettings().clear();
    _dir.reset(new ScratchDir);
    _document.reset(new Document);
    QVERIFY(_document->setDataStructure());
    _document->fillSampleBook();
}

void TestRecipeList::cleanup()
{
    setAppLangModel(nullptr);
    _window.reset();
    delete _list;
    _list = nullptr;
    _document.reset();
    QSqlDatabase::removeDatabase(QSqlDatabase::defaultConnection);
    _dir.reset();
}

void TestRecipeList::build(const QString& table)
{
    delete _list;
    _list = new EditableRecipeList(_document.get(), table, {Book::CookingPlanRecipes});
    _window.reset(new QWidget);
    _window->setLayout(_list->layout);
    _window->resize(1100, 800);
    _window->show();
    _list->synchronize();
}

QListWidgetItem* TestRecipeList::item(const QString& text)
{
    const auto found = _list->list->findItems(text, Qt::MatchExactly);
    return found.isEmpty() ? nullptr : found.first();
}

void TestRecipeList::activate(QListWidgetItem* item)
{
    QVERIFY(item);
    const QRect area = _list->list->visualItemRect(item);
    QTest::mouseClick(_list->list->viewport(), Qt::LeftButton, {}, area.center());
}

int TestRecipeList::addRecipe(const QString& name, const QVariant& photo)
{
    const QVariant values[] = {name, photo, QString(), 0, 0, 0.0};
    return _document->addRow(Book::Recipes, values, Book::RecipeFieldCount);
}

QPushButton* TestRecipeList::buttonWithTip(const QString& tip)
{
    for (QPushButton* button : _window->findChildren<QPushButton*>())
        if (button->toolTip() == tip)
            return button;
    return nullptr;
}

QPushButton* TestRecipeList::buttonWithText(const QString& text)
{
    for (QPushButton* button : _window->findChildren<QPushButton*>())
        if (button->text() == text)
            return button;
    return nullptr;
}

void TestRecipeList::tabsViewAndEdit()
{
    LangModel german(3, QDir::currentPath() + "/languages/");
    setAppLangModel(&german);
    build();
    QCOMPARE(_list->splitter->count(), 2);
    auto* tabs = qobject_cast<QTabWidget*>(_list->splitter->widget(1));
    QVERIFY(tabs);
    QCOMPARE(tabs->count(), 2);
    QCOMPARE(tabs->tabText(0), QString("Ansicht"));
    QCOMPARE(tabs->tabText(1), QString("Bearbeiten"));
    QCOMPARE(tabs->widget(1), static_cast<QWidget*>(_list->scrollArea));
    QCOMPARE(tabs->widget(0)->property("class").toString(), QString("viewDisplay"));
    QVERIFY(tabs->widget(0)->isAncestorOf(_list->view));
    QVERIFY(buttonWithText("Seite drucken"));
    QPushButton* change = buttonWithTip("Ansicht wechseln");
    QVERIFY(change);
    QCOMPARE(change->whatsThis(), QString("Ansicht wechseln"));
    QVERIFY(change->text().isEmpty());
    // The change-view button comes last in the row of list buttons.
    QCOMPARE(_list->buttonBar->itemAt(_list->buttonBar->count() - 1)->widget(),
             static_cast<QWidget*>(change));
    QVERIFY(_list->photoLabel);
}

void TestRecipeList::samplePages_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("tags");
    QTest::addColumn<QString>("rating");
    QTest::addColumn<QString>("complexity");
    QTest::addColumn<QString>("items");
    QTest::addColumn<QString>("description");

    QTest::newRow("Pizza") << "Pizza" << "Italian." << "10 of 10" << "5 of 10"
                           << "<li>Dough: 1 kg</li><li>Sauce: 0.1 litre</li>"
                              "<li>Tomato: 2 pcs.</li>"
                           << "Famous Italian food don't need a special introduction.";
    QTest::newRow("Hamburger") << "Hamburger" << "American, Fast-food." << "10 of 10" << "5 of 10"
                               << "<li>Cutlet: 1 pcs.</li><li>Sauce: 0.05 litre</li>"
                                  "<li>Cucumber: 1 pcs.</li><li>Salad: 0.05 kg</li>"
                                  "<li>Onion: 0.5 pcs.</li>"
                               << "Fast and tasty!";
    QTest::newRow("Shawarma") << "Shawarma" << "Oriental, Fast-food." << "10 of 10" << "3 of 10"
                              << "<li>Pita: 1 pcs.</li><li>Chicken fillet: 400 g</li>"
                                 "<li>Sauce: 0.07 litre</li><li>Mayonnaise: 0.07 litre</li>"
                                 "<li>Garlic: 3 clove</li><li>Cucumber: 1 pcs.</li>"
                                 "<li>Tomato: 1 pcs.</li><li>Cabbage: 0.1 pcs.</li>"
                                 "<li>Onion: 0.5 pcs.</li>"
                              << "Tasty oriental food!";
}

void TestRecipeList::samplePages()
{
    QFETCH(QString, name);
    QFETCH(QString, tags);
    QFETCH(QString, rating);
    QFETCH(QString, complexity);
    QFETCH(QString, items);
    QFETCH(QString, description);
    build();
    QSqlQuery photo(QString("SELECT photo FROM Recipes WHERE name='%1'").arg(name));
    QVERIFY(photo.next());
    const QString photoHtml = imageVarToHtml(photo.value(0));
    QVERIFY(photoHtml.startsWith("<img src=\"data:image/"));
    QVERIFY(photoHtml != defaultPhotoHtml());

    QSignalSpy loaded(_list->view, &QWebView::loadFinished);
    activate(item(name));
    comparePieces(_list->page,
                  pagePieces(name, photoHtml, tags, rating, complexity, items, description));
    waitForPage(_list->view, loaded);
    const QString shown = _list->view->page()->mainFrame()->toPlainText();
    QVERIFY(shown.contains(name));
    QVERIFY(shown.contains(description));
    // The panel shows the same recipe.
    QCOMPARE(static_cast<QLineEdit*>(_list->nameEditor)->text(), name);
}

void TestRecipeList::edgeCasePages_data()
{
    QTest::addColumn<QStringList>("tags");
    QTest::addColumn<float>("quantity");
    QTest::addColumn<int>("rating");
    QTest::addColumn<QByteArray>("photo");
    QTest::addColumn<QString>("tagText");
    QTest::addColumn<QString>("itemText");
    QTest::addColumn<QString>("ratingText");

    QTest::newRow("no tags") << QStringList() << 0.25f << 7 << QByteArray("0") << "None"
                             << "<li>Flour: 0.25 kg</li>" << "7 of 10";
    QTest::newRow("two tags") << QStringList{"a", "b"} << 2.0f << 0 << QByteArray("0") << "a, b."
                              << "<li>Flour: 2 kg</li>" << "0 of 10";
    QTest::newRow("one tag") << QStringList{"a"} << 0.5f << 10 << QByteArray() << "a."
                             << "<li>Flour: 0.5 kg</li>" << "10 of 10";
    QTest::newRow("large quantity") << QStringList{"a"} << 2500000.0f << 1 << QByteArray("0")
                                    << "a." << "<li>Flour: 2.5e+06 kg</li>" << "1 of 10";
    QTest::newRow("broken photo bytes") << QStringList() << 1.0f << 3 << QByteArray("123456789")
                                        << "None" << "<li>Flour: 1 kg</li>" << "3 of 10";
}

void TestRecipeList::edgeCasePages()
{
    QFETCH(QStringList, tags);
    QFETCH(float, quantity);
    QFETCH(int, rating);
    QFETCH(QByteArray, photo);
    QFETCH(QString, tagText);
    QFETCH(QString, itemText);
    QFETCH(QString, ratingText);

    Recipe recipe;
    recipe.name = "Bread";
    recipe.description = "<p>Bake <b>well</b>.</p>";
    recipe.rating = uchar(rating);
    recipe.complexity = 4;
    recipe.photo = photo;
    recipe.ingredients.push_back({"Flour", quantity, "kg"});
    for (const QString& tag : tags)
        recipe.tags.push_back(tag);
    comparePieces(EditableRecipeList::recipePageHtml(recipe),
                  pagePieces("Bread", defaultPhotoHtml(), tagText, ratingText, "4 of 10", itemText,
                             "<p>Bake <b>well</b>.</p>"));
}

// Labels and the word for None follow the language; "of" stays English.
void TestRecipeList::pageTextsTranslatedButOf()
{
    LangModel russian(1, QDir::currentPath() + "/languages/");
    setAppLangModel(&russian);
    Recipe recipe;
    recipe.name = "Хлеб";
    recipe.rating = 7;
    recipe.complexity = 2;
    recipe.photo = QByteArray("0");
    const QString page = EditableRecipeList::recipePageHtml(recipe);
    comparePieces(page, pagePieces("Хлеб", defaultPhotoHtml(), "Нет", "7 of 10", "2 of 10",
                                   "<li>Нет</li>", ""));
    QVERIFY(page.contains("<b>Метки</b>: Нет<br />"));
    QVERIFY(page.contains("<b>Рейтинг</b>: 7 of 10<br />"));
    QVERIFY(page.contains("<b>Сложность</b>: 2 of 10</div>"));
    QVERIFY(page.contains("<h2>Ингредиенты</h2><ul><li>Нет</li></ul>"));
}

void TestRecipeList::recipeMissingGivesEmptyPage()
{
    build();
    auto* ghost = new QListWidgetItem("Ghost");
    ghost->setData(IdRole, 999);
    _list->list->addItem(ghost);
    _list->onListItemActivated(ghost);
    comparePieces(_list->page, pagePieces("", defaultPhotoHtml(), "None", "0 of 10", "0 of 10",
                                          "<li>None</li>", ""));
}

void TestRecipeList::itemWithoutIdKeepsPage()
{
    build();
    activate(item("Hamburger"));
    const QString before = _list->page;
    auto* stray = new QListWidgetItem("Stray");
    stray->setData(IdRole, "not a number");
    _list->list->addItem(stray);
    MessageCapture messages;
    _list->onListItemActivated(stray);
    QCOMPARE(messages.diagnostics("Unknown Recipe index"), 1);
    QCOMPARE(_list->page, before);
    QCOMPARE(static_cast<QLineEdit*>(_list->nameEditor)->text(), QString("Hamburger"));
}

void TestRecipeList::renameMakesPageFollow()
{
    build();
    QListWidgetItem* pizza = item("Pizza");
    activate(pizza);
    QSignalSpy loaded(_list->view, &QWebView::loadFinished);
    pizza->setText("Pizza Margherita"); // as an edit in place ends
    QVERIFY(_list->page.startsWith("<h1>Pizza Margherita</h1>"));
    waitForPage(_list->view, loaded);
    QVERIFY(_list->view->page()->mainFrame()->toPlainText().startsWith("Pizza Margherita"));

    // Renamed in the panel and saved: the page follows too.
    loaded.clear();
    auto* nameEdit = static_cast<QLineEdit*>(_list->nameEditor);
    nameEdit->clear();
    QTest::keyClicks(nameEdit, "Calzone");
    QTest::mouseClick(buttonWithText("Save"), Qt::LeftButton);
    QCOMPARE(pizza->text(), QString("Calzone"));
    QVERIFY(_list->page.startsWith("<h1>Calzone</h1>"));
    waitForPage(_list->view, loaded);
    QVERIFY(_list->view->page()->mainFrame()->toPlainText().startsWith("Calzone"));
}

void TestRecipeList::htmlInNamesShownAsText_data()
{
    QTest::addColumn<QString>("table");
    QTest::addColumn<QString>("name");

    const QString image = "<img src=x onerror=\"document.title='ran'\">";
    const QString script = "<script>document.title='ran'</script>";
    QTest::newRow("recipe image") << Book::Recipes << image;
    QTest::newRow("recipe script") << Book::Recipes << script;
    QTest::newRow("recipe ampersand") << Book::Recipes << QString("Fish & <Chips>");
    QTest::newRow("tag") << Book::Tags << image;
    QTest::newRow("ingredient") << Book::Ingredients << script;
    QTest::newRow("unit") << Book::Units << QString("<b>kg</b> & more");
}

void TestRecipeList::htmlInNamesShownAsText()
{
    QFETCH(QString, table);
    QFETCH(QString, name);
    // Pizza's first tag, ingredient and unit have the id 1.
    QSqlQuery rename;
    rename.prepare("UPDATE " + table + " SET name=:name WHERE id=1");
    rename.bindValue(":name", name);
    QVERIFY(rename.exec());
    build();
    QSignalSpy loaded(_list->view, &QWebView::loadFinished);
    activate(_list->list->item(0));
    QVERIFY(_list->page.contains(name.toHtmlEscaped()));
    QVERIFY(!_list->page.contains(name));
    waitForPage(_list->view, loaded);

    QWebFrame* frame = _list->view->page()->mainFrame();
    QVERIFY(frame->toPlainText().contains(name));
    QCOMPARE(frame->findAllElements("img").count(), 1); // the photo only
    QCOMPARE(frame->findAllElements("script").count(), 0);
    QCOMPARE(frame->findAllElements("li b").count(), 0);
    QVERIFY(_list->view->title().isEmpty());
}

// The description is rich text and goes in unchanged; whatever script a
// book file smuggles into it does not run.
void TestRecipeList::descriptionScriptDoesNotRun()
{
    const QString description = "<p>Stir</p><script>document.title='ran'</script>"
                                "<img src=\"nowhere:x\" onerror=\"document.title='ran'\">";
    // The same page does run its script in a web view that allows it.
    QWebView permissive;
    permissive.settings()->setAttribute(QWebSettings::JavascriptEnabled, true);
    QSignalSpy permissiveLoaded(&permissive, &QWebView::loadFinished);
    permissive.setHtml(description, QUrl());
    waitForPage(&permissive, permissiveLoaded);
    QCOMPARE(permissive.title(), QString("ran"));

    QSqlQuery update;
    update.prepare("UPDATE Recipes SET description=:text WHERE id=1");
    update.bindValue(":text", description);
    QVERIFY(update.exec());
    build();
    QSignalSpy loaded(_list->view, &QWebView::loadFinished);
    activate(_list->list->item(0));
    QVERIFY(_list->page.contains("<div><i>" + description + "</i></div>"));
    waitForPage(_list->view, loaded);
    QWebFrame* frame = _list->view->page()->mainFrame();
    QCOMPARE(frame->findAllElements("script").count(), 1);
    QVERIFY(_list->view->title().isEmpty());
    QWebSettings* settings = _list->view->settings();
    QVERIFY(!settings->testAttribute(QWebSettings::JavascriptEnabled));
    QVERIFY(!settings->testAttribute(QWebSettings::PluginsEnabled));
}

void TestRecipeList::iconSizesPerViewMode_data()
{
    QTest::addColumn<QVariant>("stored");
    QTest::addColumn<int>("side");
    QTest::newRow("absent") << QVariant() << 20;
    QTest::newRow("small") << QVariant(0) << 20;
    QTest::newRow("large") << QVariant(1) << 100;
    QTest::newRow("hidden") << QVariant(2) << 1;
    QTest::newRow("unknown") << QVariant(7) << 1;
}

void TestRecipeList::iconSizesPerViewMode()
{
    QFETCH(QVariant, stored);
    QFETCH(int, side);
    if (stored.isValid())
        QSettings().setValue("recipe_icons", stored);
    build();
    QCOMPARE(_list->list->iconSize(), QSize(side, side));
}

void TestRecipeList::threePressesReturnAndSurviveRestart()
{
    build();
    QPushButton* change = buttonWithTip("Change view");
    QVERIFY(change);
    const QList<int> sides = {100, 1, 20};
    for (int press = 0; press < 3; ++press) {
        QTest::mouseClick(change, Qt::LeftButton);
        QCOMPARE(_list->list->iconSize(), QSize(sides[press], sides[press]));
        QCOMPARE(QSettings().value("recipe_icons").toInt(), (press + 1) % 3);
    }
    QTest::mouseClick(change, Qt::LeftButton);
    QCOMPARE(QSettings().value("recipe_icons").toInt(), 1);

    // A new list (as after a restart) starts in the mode chosen last.
    build();
    QCOMPARE(_list->viewMode, short(1));
    QCOMPARE(_list->list->iconSize(), QSize(100, 100));
    QTest::mouseClick(buttonWithTip("Change view"), Qt::LeftButton);
    QCOMPARE(_list->list->iconSize(), QSize(1, 1));
}

void TestRecipeList::listItemsCarryPhotos()
{
    addRecipe("Plain", QByteArray("0"));
    build();
    QCOMPARE(_list->_listFields(), QString("id,name,photo"));
    QCOMPARE(_list->list->count(), 4);
    const QImage fallback =
        QImage(QDir::currentPath() + "/media/defphoto.png").convertToFormat(QImage::Format_ARGB32);
    QVERIFY(!fallback.isNull());
    for (const QString name : {"Pizza", "Hamburger", "Shawarma"}) {
        QSqlQuery photo(QString("SELECT photo FROM Recipes WHERE name='%1'").arg(name));
        QVERIFY(photo.next());
        QImage stored;
        QVERIFY(stored.loadFromData(photo.value(0).toByteArray()));
        QCOMPARE(iconImage(item(name)->icon()), stored.convertToFormat(QImage::Format_ARGB32));
    }
    QCOMPARE(iconImage(item("Plain")->icon()), fallback);
    // A row read without its photo gets the default picture.
    std::vector<QVariant> row{42, QString("Short row")};
    _list->_addListItem(row);
    QCOMPARE(iconImage(item("Short row")->icon()), fallback);
    QCOMPARE(item("Short row")->data(IdRole), QVariant(42));
    QVERIFY(item("Short row")->flags() & Qt::ItemIsEditable);
}

void TestRecipeList::saveUpdatesIcon()
{
    build();
    QListWidgetItem* pizza = item("Pizza");
    activate(pizza);
    QImage red(40, 30, QImage::Format_RGB32);
    red.fill(Qt::red);
    _list->photoLabel->setImage(QPixmap::fromImage(red), false);
    int renamed = 0;
    connect(_list->list, &QListWidget::itemChanged, this, [&renamed] { ++renamed; });
    QTest::mouseClick(buttonWithText("Save"), Qt::LeftButton);
    QCOMPARE(renamed, 0); // the icon change is no rename
    QCOMPARE(iconImage(pizza->icon()).pixelColor(20, 15), QColor(Qt::red));
    QCOMPARE(iconImage(pizza->icon()).size(), QSize(40, 30));
}

void TestRecipeList::copyKeepsIcon_data()
{
    QTest::addColumn<QVariant>("decoration");
    QTest::addColumn<bool>("empty");
    QPixmap blue(10, 10);
    blue.fill(Qt::blue);
    QTest::newRow("icon") << QVariant::fromValue(QIcon(blue)) << false;
    QTest::newRow("pixmap") << QVariant::fromValue(blue) << false;
    QTest::newRow("image") << QVariant::fromValue(blue.toImage()) << false;
    QTest::newRow("none") << QVariant() << true;
    QTest::newRow("text") << QVariant("blue") << true;
}

void TestRecipeList::copyKeepsIcon()
{
    QFETCH(QVariant, decoration);
    QFETCH(bool, empty);
    build();
    QListWidgetItem source("Source");
    source.setData(Qt::DecorationRole, decoration);
    const int before = _list->list->count();
    _list->_addListItemCopy(77, &source);
    QCOMPARE(_list->list->count(), before + 1);
    QListWidgetItem* copy = _list->list->item(before);
    QCOMPARE(copy->text(), QString("Source"));
    QCOMPARE(copy->data(IdRole), QVariant(77));
    QCOMPARE(copy->icon().isNull(), empty);
    if (!empty)
        QCOMPARE(iconImage(copy->icon()).pixelColor(5, 5), QColor(Qt::blue));
}

void TestRecipeList::copyButtonKeepsIcon()
{
    build();
    activate(item("Shawarma"));
    auto* copyButton = _list->list->parentWidget()->findChild<QPushButton*>("c");
    QVERIFY(copyButton);
    QTest::mouseClick(copyButton, Qt::LeftButton);
    QListWidgetItem* copy = _list->list->item(_list->list->count() - 1);
    QCOMPARE(copy->text(), QString("Shawarma"));
    QVERIFY(copy->data(IdRole).toInt() != item("Shawarma")->data(IdRole).toInt());
    QCOMPARE(iconImage(copy->icon()), iconImage(item("Shawarma")->icon()));
}

void TestRecipeList::missingImageFieldIsReported()
{
    MessageCapture messages;
    build(Book::CookingPlans);
    QCOMPARE(messages.diagnostics("Image field not found!"), 1);
    QVERIFY(!_list->photoLabel);
    // The item still takes the edited name; there is no photo to put into it.
    QListWidgetItem entry("Wedding");
    static_cast<QLineEdit*>(_list->nameEditor)->setText("Anniversary");
    _list->_modifyListItem(&entry);
    QCOMPARE(entry.text(), QString("Anniversary"));
    QVERIFY(entry.icon().isNull());
}

void TestRecipeList::printPageToPdf()
{
    if (pdfToolMissing())
        QSKIP("pdftotext is not installed");
    build();
    QSignalSpy loaded(_list->view, &QWebView::loadFinished);
    activate(item("Hamburger"));
    waitForPage(_list->view, loaded);
    const QString pdf = _dir->filePath("hamburger.pdf");
    bool seen = false;
    printNextDialogToPdf(pdf, &seen);
    QTest::mouseClick(buttonWithText("Print page"), Qt::LeftButton);
    QVERIFY(seen);
    QVERIFY(QFile::exists(pdf));
    const QString text = pdfText(pdf);
    for (const QString piece : {"Hamburger", "Cutlet: 1 pcs.", "American, Fast-food.",
                                 "Fast and tasty!"})
        QVERIFY2(text.contains(piece), qPrintable(piece + " not in: " + text));
}

QTEST_MAIN(TestRecipeList)
#include "tst_recipelist.moc"
