// The Recipes tab: photo icons in three sizes, the recipe page beside the
// editor panel, printing it, and names that hold HTML.
#include "data/recipe.h"
#include "data/recipebook.h"
#include "images/dropimagelabel.h"
#include "images/pictures.h"
#include "lang/langmodel.h"
#include "viewtesting.h"
#include "views/editablerecipelist.h"

#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QPainter>
#include <QSplitter>
#include <QSqlQuery>
#include <QTabWidget>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QWebElement>
#include <QWebFrame>
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
        "<div><b>" + translate("Tags") + "</b>: " + tags + "<br />",
        "<b>" + translate("Rating") + "</b>: " + rating + "<br />",
        "<b>" + translate("Complexity") + "</b>: " + complexity + "</div>",
        "<div style=\"clear: left;\"></div>",
        "<div style=\"float: left; margin: 10px; padding: 10px;\"><div style=\"width: 200px; "
        "padding: 10px; border: 1px solid gray; border-radius: 10px; background-color: orange; "
        "\"><h2>" + translate("Ingredients") + "</h2><ul>" + items + "</ul>",
        "</div></div><div><i>" + description + "</i></div>",
    };
}

QImage defaultPhoto()
{
    return QImage(QDir::currentPath() + "/media/defphoto.png");
}

QString defaultPhotoHtml()
{
    return pictureToHtml(defaultPhoto());
}

QImage iconImage(const QIcon& icon)
{
    return icon.pixmap(QSize(1000, 1000)).toImage().convertToFormat(QImage::Format_ARGB32);
}

QVariant storedPhoto(const QString& recipe)
{
    QSqlQuery photo(QString("SELECT photo FROM Recipes WHERE name='%1'").arg(recipe));
    return photo.next() ? photo.value(0) : QVariant();
}

} // namespace

class TestRecipeList : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { useTemporarySettings(_settingsDir.path()); }
    void init();
    void cleanup() { _view.reset(); }

    void tabsTranslated();
    void samplePages_data();
    void samplePages();
    void edgeCasePages_data();
    void edgeCasePages();
    void unusableItems();
    void renameMakesPageFollow();
    void noRecipeLeftClearsPage();
    void htmlInNamesShownAsText_data();
    void htmlInNamesShownAsText();
    void descriptionScriptDoesNotRun();
    void descriptionLoadsNothingElse_data();
    void descriptionLoadsNothingElse();
    void iconSizesPerViewMode_data();
    void iconSizesPerViewMode();
    void threePressesReturnAndSurviveRestart();
    void photoIconsAndCopies();
    void saveUpdatesIcon();
    void missingImageFieldIsReported();
    void printPageToPdf();

private:
    void build(const QString& table = Book::Recipes);
    QListWidgetItem* item(const QString& text) { return findItem(_list->list, text); }
    void activate(const QString& text) { clickItem(_list->list, item(text)); }
    QListWidgetItem* addItem(const QString& text, const QVariant& id);
    QPushButton* button(const QString& text) { return buttonWithText(_view->window.get(), text); }
    QString nameShown() { return static_cast<QLineEdit*>(_list->nameEditor)->text(); }
    QString pageShown() { return _list->view->page()->mainFrame()->toPlainText(); }

    QTemporaryDir _settingsDir;
    std::unique_ptr<ListWindow<EditableRecipeList>> _view;
    EditableRecipeList* _list = nullptr;
};

void TestRecipeList::init()
{
    _view.reset(new ListWindow<EditableRecipeList>);
    QVERIFY(_view->book.ready);
}

void TestRecipeList::build(const QString& table)
{
    _list = _view->show(
        new EditableRecipeList(&_view->book.document, table, {Book::CookingPlanRecipes}));
}

QListWidgetItem* TestRecipeList::addItem(const QString& text, const QVariant& id)
{
    auto* added = new QListWidgetItem(text);
    added->setData(IdRole, id);
    _list->list->addItem(added);
    return added;
}

void TestRecipeList::tabsTranslated()
{
    LangModel german(3, QDir::currentPath() + "/languages/");
    setAppLangModel(&german);
    build();
    auto* tabs = qobject_cast<QTabWidget*>(_list->splitter->widget(1));
    QVERIFY(tabs);
    QCOMPARE(tabs->tabText(0), QString("Ansicht"));
    QCOMPARE(tabs->tabText(1), QString("Bearbeiten"));
    QVERIFY(tabs->widget(0)->isAncestorOf(_list->view));
    QVERIFY(button("Seite drucken"));
    // The icon-only change-view button comes last in the row of list buttons.
    QWidget* last = _list->buttonBar->itemAt(_list->buttonBar->count() - 1)->widget();
    QCOMPARE(last->toolTip(), QString("Ansicht wechseln"));
}

void TestRecipeList::samplePages_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("tags");
    QTest::addColumn<QString>("complexity");
    QTest::addColumn<QString>("items");
    QTest::addColumn<QString>("description");

    QTest::newRow("Pizza") << "Pizza" << "Italian." << "5 of 10"
                           << "<li>Dough: 1 kg</li><li>Sauce: 0.1 litre</li>"
                              "<li>Tomato: 2 pcs.</li>"
                           << "Famous Italian food don't need a special introduction.";
    QTest::newRow("Hamburger") << "Hamburger" << "American, Fast-food." << "5 of 10"
                               << "<li>Cutlet: 1 pcs.</li><li>Sauce: 0.05 litre</li>"
                                  "<li>Cucumber: 1 pcs.</li><li>Salad: 0.05 kg</li>"
                                  "<li>Onion: 0.5 pcs.</li>"
                               << "Fast and tasty!";
    QTest::newRow("Shawarma") << "Shawarma" << "Oriental, Fast-food." << "3 of 10"
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
    QFETCH(QString, complexity);
    QFETCH(QString, items);
    QFETCH(QString, description);
    build();
    const QString photo = imageVarToHtml(storedPhoto(name));
    QVERIFY(photo != defaultPhotoHtml());

    QSignalSpy loaded(_list->view, &QWebView::loadFinished);
    activate(name);
    comparePieces(_list->page,
                  pagePieces(name, photo, tags, "10 of 10", complexity, items, description));
    QVERIFY(waitForLoad(loaded));
    QVERIFY(pageShown().contains(name) && pageShown().contains(description));
    QCOMPARE(nameShown(), name); // the panel shows the same recipe
}

void TestRecipeList::edgeCasePages_data()
{
    QTest::addColumn<int>("language"); // 0: none installed
    QTest::addColumn<QStringList>("tags");
    QTest::addColumn<float>("quantity"); // below 0: no ingredient
    QTest::addColumn<int>("rating");
    QTest::addColumn<QByteArray>("photo");
    QTest::addColumn<QString>("tagText");
    QTest::addColumn<QString>("itemText");

    QTest::newRow("no tags") << 0 << QStringList() << 0.25f << 7 << QByteArray("0") << "None"
                             << "<li>Flour: 0.25 kg</li>";
    QTest::newRow("two tags") << 0 << QStringList{"a", "b"} << 2.0f << 0 << QByteArray("0")
                              << "a, b." << "<li>Flour: 2 kg</li>";
    QTest::newRow("one tag, no photo") << 0 << QStringList{"a"} << 0.5f << 10 << QByteArray()
                                       << "a." << "<li>Flour: 0.5 kg</li>";
    QTest::newRow("large quantity") << 0 << QStringList{"a"} << 2500000.0f << 1 << QByteArray("0")
                                    << "a." << "<li>Flour: 2.5e+06 kg</li>";
    QTest::newRow("broken photo bytes") << 0 << QStringList() << 1.0f << 3
                                        << QByteArray("123456789") << "None"
                                        << "<li>Flour: 1 kg</li>";
    // Labels and the word for None follow the language; "of" stays English.
    QTest::newRow("Russian, nothing") << 1 << QStringList() << -1.0f << 7 << QByteArray("0")
                                      << "Нет" << "<li>Нет</li>";
}

void TestRecipeList::edgeCasePages()
{
    QFETCH(int, language);
    QFETCH(QStringList, tags);
    QFETCH(float, quantity);
    QFETCH(int, rating);
    QFETCH(QByteArray, photo);
    QFETCH(QString, tagText);
    QFETCH(QString, itemText);
    LangModel model(language, QDir::currentPath() + "/languages/");
    if (language)
        setAppLangModel(&model);

    Recipe recipe;
    recipe.name = "Bread";
    recipe.description = "<p>Bake <b>well</b>.</p>";
    recipe.rating = uchar(rating);
    recipe.complexity = 4;
    recipe.photo = photo;
    if (quantity >= 0)
        recipe.ingredients.push_back({"Flour", quantity, "kg"});
    recipe.tags.assign(tags.begin(), tags.end());
    comparePieces(EditableRecipeList::recipePageHtml(recipe),
                  pagePieces("Bread", defaultPhotoHtml(), tagText,
                             QString::number(rating) + " of 10", "4 of 10", itemText,
                             recipe.description));
}

// An item without an id is reported and changes nothing; one whose recipe is
// gone shows an empty page.
void TestRecipeList::unusableItems()
{
    build();
    activate("Hamburger");
    const QString before = _list->page;
    MessageCapture messages;
    _list->onListItemActivated(addItem("Stray", "not a number"));
    QCOMPARE(messages.diagnostics("Unknown Recipe index"), 1);
    QCOMPARE(_list->page, before);
    QCOMPARE(nameShown(), QString("Hamburger"));

    _list->onListItemActivated(addItem("Ghost", 999));
    comparePieces(_list->page, pagePieces("", defaultPhotoHtml(), "None", "0 of 10",
                                          "0 of 10", "<li>None</li>", ""));
}

void TestRecipeList::renameMakesPageFollow()
{
    build();
    QListWidgetItem* pizza = item("Pizza");
    activate("Pizza");
    pizza->setText("Pizza Margherita"); // as an edit in place ends
    QVERIFY(_list->page.startsWith("<h1>Pizza Margherita</h1>"));

    // Renamed in the panel and saved: the item and the shown page follow.
    QSignalSpy loaded(_list->view, &QWebView::loadFinished);
    auto* nameEdit = static_cast<QLineEdit*>(_list->nameEditor);
    nameEdit->clear();
    QTest::keyClicks(nameEdit, "Calzone");
    QTest::mouseClick(button("Save"), Qt::LeftButton);
    QCOMPARE(pizza->text(), QString("Calzone"));
    QVERIFY(_list->page.startsWith("<h1>Calzone</h1>"));
    QVERIFY(waitForLoad(loaded));
    QVERIFY(pageShown().startsWith("Calzone"));
}

void TestRecipeList::noRecipeLeftClearsPage()
{
    // The page and panel of a recipe that is gone must not stay, nor be printable.
    build();
    activate("Shawarma");
    QVERIFY(_list->page.startsWith("<h1>Shawarma</h1>"));
    QVERIFY(_list->printButton->isEnabled());
    deleteEveryItem(_list);
    QCOMPARE(_list->list->count(), 0);
    QVERIFY(_list->page.isEmpty());
    QVERIFY(pageShown().trimmed().isEmpty());
    QVERIFY(!_list->printButton->isEnabled());
    QCOMPARE(static_cast<QLineEdit*>(_list->nameEditor)->text(), QString());
    QCOMPARE(_list->form.subTables.at(0)->grid->rowCount(), 0);
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
    renameRow(table, 1, name); // Pizza's first tag, ingredient and unit
    build();
    QSignalSpy loaded(_list->view, &QWebView::loadFinished);
    clickItem(_list->list, _list->list->item(0));
    QVERIFY(waitForLoad(loaded));
    verifyShownAsText(name, _list->page, _list->view, 1); // the photo only
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
    QVERIFY(waitForLoad(permissiveLoaded));
    QCOMPARE(permissive.title(), QString("ran"));

    QSqlQuery update;
    update.prepare("UPDATE Recipes SET description=:text WHERE id=1");
    update.bindValue(":text", description);
    QVERIFY(update.exec());
    build();
    QSignalSpy loaded(_list->view, &QWebView::loadFinished);
    clickItem(_list->list, _list->list->item(0));
    QVERIFY(_list->page.contains("<div><i>" + description + "</i></div>"));
    QVERIFY(waitForLoad(loaded));
    QCOMPARE(_list->view->page()->mainFrame()->findAllElements("script").count(), 1);
    QVERIFY(_list->view->title().isEmpty());
    QVERIFY(!_list->view->settings()->testAttribute(QWebSettings::JavascriptEnabled));
    QVERIFY(!_list->view->settings()->testAttribute(QWebSettings::PluginsEnabled));
}

void TestRecipeList::descriptionLoadsNothingElse_data()
{
    QTest::addColumn<QString>("html"); // %1: a local server, %2: the working directory
    QTest::addColumn<int>("linkClicks");
    QTest::newRow("picture") << "<img src=\"%1/pixel.png\">" << 0;
    QTest::newRow("CSS url()") << "<p style=\"background: url('%1/back.png')\">x</p>" << 0;
    QTest::newRow("style sheet") << "<link rel=\"stylesheet\" href=\"%1/style.css\">" << 0;
    QTest::newRow("frame") << "<iframe src=\"%1/frame.html\"></iframe>" << 0;
    QTest::newRow("video") << "<video src=\"%1/clip.mp4\" autoplay></video>" << 0;
    QTest::newRow("audio") << "<audio src=\"%1/sound.ogg\" autoplay></audio>" << 0;
    QTest::newRow("base address") << "<base href=\"%1/\"><img src=\"relative.png\">" << 0;
    QTest::newRow("refresh") << "<meta http-equiv=\"refresh\" content=\"0;url=%1/away\">" << 0;
    QTest::newRow("refresh to data")
        << "<meta http-equiv=\"refresh\" content=\"0;url=data:text/html,away\">" << 0;
    QTest::newRow("form") << "<form action=\"%1/form\"><input name=\"q\" value=\"secret\">"
                             "<input type=\"submit\" id=\"go\" value=\"Go\"></form>"
                          << 0;
    QTest::newRow("link") << "<a id=\"go\" href=\"%1/link\">link</a>" << 1;
    QTest::newRow("local file") << "<img src=\"file://%2/media/view.png\">" << 0;
}

// A description from someone else's book reaches neither the network nor the
// disk, and the page stays; only the pictures the book holds show.
void TestRecipeList::descriptionLoadsNothingElse()
{
    QFETCH(QString, html);
    QTcpServer server;
    QVERIFY(server.listen(QHostAddress::LocalHost));
    int connections = 0;
    connect(&server, &QTcpServer::newConnection, this, [&]() {
        while (QTcpSocket* socket = server.nextPendingConnection()) {
            ++connections;
            socket->close();
        }
    });
    QImage green(20, 20, QImage::Format_ARGB32); // kept as PNG, without loss
    green.fill(Qt::green);
    QSqlQuery update;
    update.prepare("UPDATE Recipes SET description=:text WHERE id=1");
    html.replace("%1", "http://127.0.0.1:" + QString::number(server.serverPort()));
    html.replace("%2", QDir::currentPath());
    update.bindValue(":text", html + pictureToHtml(green).replace("<img", "<img id=\"shown\""));
    QVERIFY(update.exec());
    build();
    QStringList loaded; // what the page was given, by address
    connect(_list->view->page()->networkAccessManager(), &QNetworkAccessManager::finished, this,
            [&](QNetworkReply* reply) {
                if (reply->error() == QNetworkReply::NoError)
                    loaded << reply->url().scheme();
            });
    QSignalSpy linkClicks(_list->view, &QWebView::linkClicked);
    QSignalSpy pageLoaded(_list->view, &QWebView::loadFinished);
    activate("Pizza");
    QVERIFY(waitForLoad(pageLoaded));
    QWebFrame* frame = _list->view->page()->mainFrame();
    const QWebElement go = frame->findFirstElement("#go");
    if (!go.isNull()) {
        frame->setScrollPosition(go.geometry().topLeft());
        QTest::mouseClick(_list->view, Qt::LeftButton, {},
                          go.geometry().center() - frame->scrollPosition());
    }
    QTest::qWait(300); // time for a refresh or a submitted form to go out

    QCOMPARE(connections, 0);
    QCOMPARE(loaded.filter(QRegularExpression("^(?!data$)")), QStringList());
    QCOMPARE(frame->url(), QUrl()); // as the page was set, with no address
    QVERIFY(frame->toPlainText().contains("Pizza"));
    QTEST(linkClicks.count(), "linkClicks");
    QWebElement shown = frame->findFirstElement("#shown");
    QImage picture(shown.geometry().size(), QImage::Format_RGB32);
    picture.fill(Qt::white);
    QPainter painter(&picture);
    shown.render(&painter);
    painter.end();
    QCOMPARE(picture.pixelColor(picture.rect().center()), QColor(Qt::green));
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
    QWidget* change = _list->buttonBar->itemAt(_list->buttonBar->count() - 1)->widget();
    for (int side : {100, 1, 20, 100}) {
        QTest::mouseClick(change, Qt::LeftButton);
        QCOMPARE(_list->list->iconSize(), QSize(side, side));
    }
    // A new list (as after a restart) starts in the mode chosen last.
    build();
    QCOMPARE(_list->list->iconSize(), QSize(100, 100));
    QTest::mouseClick(_list->buttonBar->itemAt(_list->buttonBar->count() - 1)->widget(),
                      Qt::LeftButton);
    QCOMPARE(_list->list->iconSize(), QSize(1, 1));
}

void TestRecipeList::photoIconsAndCopies()
{
    const QVariant plain[] = {"Plain", QByteArray("0"), QString(), 0, 0, 0.0};
    _view->book.document.addRow(Book::Recipes, plain, Book::RecipeFieldCount);
    build();
    for (const QString name : {"Pizza", "Hamburger", "Shawarma"}) {
        QImage stored;
        QVERIFY(stored.loadFromData(storedPhoto(name).toByteArray()));
        QCOMPARE(iconImage(item(name)->icon()), stored.convertToFormat(QImage::Format_ARGB32));
    }
    const QImage fallback = defaultPhoto().convertToFormat(QImage::Format_ARGB32);
    QCOMPARE(iconImage(item("Plain")->icon()), fallback);
    // A row read without its photo gets the default picture.
    std::vector<QVariant> row{42, QString("Short row")};
    _list->_addListItem(row);
    QCOMPARE(iconImage(item("Short row")->icon()), fallback);
    QCOMPARE(item("Short row")->data(IdRole), QVariant(42));

    // A copy made with the copy button keeps the photo icon.
    activate("Shawarma");
    auto* copyButton = _list->list->parentWidget()->findChild<QPushButton*>("c");
    QVERIFY(copyButton);
    QTest::mouseClick(copyButton, Qt::LeftButton);
    QListWidgetItem* copy = _list->list->item(_list->list->count() - 1);
    QCOMPARE(copy->text(), QString("Shawarma"));
    QVERIFY(copy->data(IdRole).toInt() != item("Shawarma")->data(IdRole).toInt());
    QCOMPARE(iconImage(copy->icon()), iconImage(item("Shawarma")->icon()));
    // The copy has its own lines and tags, and joins none of the original's plans.
    const QString copied = " WHERE id_rec=" + copy->data(IdRole).toString();
    QCOMPARE(queryRows("SELECT COUNT(*) FROM RecipeIngredients" + copied), QStringList{"9"});
    QCOMPARE(queryRows("SELECT COUNT(*) FROM RecipeTags" + copied), QStringList{"2"});
    QCOMPARE(queryRows("SELECT COUNT(*) FROM CookingPlanRecipes" + copied), QStringList{"0"});

    // Whatever form the source's picture takes.
    QPixmap blue(10, 10);
    blue.fill(Qt::blue);
    for (const QVariant& picture : {QVariant(blue), QVariant(blue.toImage())}) {
        QListWidgetItem source("Source");
        source.setData(Qt::DecorationRole, picture);
        _list->_addListItemCopy(77, &source);
        copy = _list->list->item(_list->list->count() - 1);
        QVERIFY2(iconImage(copy->icon()).pixelColor(5, 5) == Qt::blue, picture.typeName());
    }
}

void TestRecipeList::saveUpdatesIcon()
{
    build();
    QListWidgetItem* pizza = item("Pizza");
    activate("Pizza");
    QImage red(40, 30, QImage::Format_RGB32);
    red.fill(Qt::red);
    _list->photoLabel->setImage(QPixmap::fromImage(red), false);
    int renamed = 0;
    connect(_list->list, &QListWidget::itemChanged, this, [&renamed] { ++renamed; });
    QTest::mouseClick(button("Save"), Qt::LeftButton);
    QCOMPARE(renamed, 0); // the icon change is no rename
    QCOMPARE(iconImage(pizza->icon()).pixelColor(20, 15), QColor(Qt::red));
}

void TestRecipeList::missingImageFieldIsReported()
{
    MessageCapture messages;
    build(Book::CookingPlans);
    QCOMPARE(messages.diagnostics("Image field not found!"), 1);
    // The item still takes the edited name; there is no photo to put into it.
    QListWidgetItem entry("Wedding");
    static_cast<QLineEdit*>(_list->nameEditor)->setText("Anniversary");
    _list->_modifyListItem(&entry);
    QCOMPARE(entry.text(), QString("Anniversary"));
    QVERIFY(entry.icon().isNull());
}

void TestRecipeList::printPageToPdf()
{
    if (toolMissing("pdftotext"))
        QSKIP("pdftotext is not installed");
    build();
    QSignalSpy loaded(_list->view, &QWebView::loadFinished);
    activate("Hamburger");
    QVERIFY(waitForLoad(loaded));
    const QString pdf = _view->book.dir.filePath("hamburger.pdf");
    PrintVisit visit;
    answerPrintDialog(pdf, &visit);
    QTest::mouseClick(button("Print page"), Qt::LeftButton);
    QVERIFY(visit.seen);
    QVERIFY(QFile::exists(pdf));
    const QString text = pdfText(pdf);
    for (const QString piece : {"Hamburger", "Cutlet: 1 pcs.", "American, Fast-food.",
                                 "Fast and tasty!"})
        QVERIFY2(text.contains(piece), qPrintable(piece + " not in: " + text));
}

QTEST_MAIN(TestRecipeList)
#include "tst_recipelist.moc"
