// The Recipes tab: photo icons, the recipe page and what a book from someone
// else may put in it.
#include "data/recipe.h"
#include "data/recipebook.h"
#include "images/dropimagelabel.h"
#include "images/pictures.h"
#include "viewtesting.h"
#include "views/editablerecipelist.h"

#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QWebSettings>
#include <QtTest>

#include <memory>

namespace {

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

    QTemporaryDir _settingsDir;
    std::unique_ptr<ListWindow<EditableRecipeList>> _view;
    EditableRecipeList* _list = nullptr;

    void build(const QString& table = Book::Recipes)
    {
        _list = _view->show(
            new EditableRecipeList(&_view->book.document, table, {Book::CookingPlanRecipes}));
    }
    QListWidgetItem* item(const QString& text) { return findItem(_list->list, text); }
    void activate(const QString& text) { clickItem(_list->list, item(text)); }
    QString nameShown() { return static_cast<QLineEdit*>(_list->nameEditor)->text(); }

private slots:
    void initTestCase() { useTemporarySettings(_settingsDir.path()); }
    void init()
    {
        _view.reset(new ListWindow<EditableRecipeList>);
        QVERIFY(_view->book.ready);
    }
    void cleanup() { _view.reset(); }

    void recipePage_data()
    {
        QTest::addColumn<QStringList>("tags");
        QTest::addColumn<double>("quantity"); // below zero: no ingredient line
        QTest::addColumn<QString>("shown");   // the tags, then the ingredient lines
        QTest::newRow("none") << QStringList() << -1.0 << "None<br />|<li>None</li>";
        QTest::newRow("two tags")
            << QStringList{"a", "b"} << 0.25 << "a, b.<br />|<li>Flour: 0.25 kg</li>";
        QTest::newRow("one tag, large quantity")
            << QStringList{"a"} << 2500000.0 << "a.<br />|<li>Flour: 2.5e+06 kg</li>";
    }

    void recipePage()
    {
        QFETCH(QStringList, tags);
        QFETCH(double, quantity);
        QFETCH(QString, shown);
        // A photo that does not read shows the default picture.
        Recipe recipe{"Bread", "<p>Bake <b>well</b>.</p>", 7, 4, "123456789", {}, {}};
        if (quantity >= 0)
            recipe.ingredients.push_back({"Flour", quantity, "kg"});
        recipe.tags.assign(tags.begin(), tags.end());
        const QString page = EditableRecipeList::recipePageHtml(recipe);
        for (const QString& piece :
             {QString("<h1>Bread</h1>"),
              pictureToHtml(QImage(QDir::currentPath() + "/media/defphoto.png")),
              "<b>Tags</b>: " + shown.section('|', 0, 0),
              QString("<b>Rating</b>: 7 of 10<br /><b>Complexity</b>: 4 of 10"),
              "<ul>" + shown.section('|', 1) + "</ul>",
              "<div><i>" + recipe.description + "</i></div>"})
            QVERIFY2(page.contains(piece), qPrintable(piece));
    }

    // The page and the panel follow the item clicked, with names holding HTML
    // shown as text; a save from the panel renames the item and gives it the
    // new photo; printing works while a page is shown, and once no recipe is
    // left neither its page nor its panel stays.
    void pageFollowsClicksSavesAndDeletion()
    {
        const QStringList names[] = {
            {Book::Recipes, "<img src=x onerror=\"document.title='ran'\">"},
            {Book::Tags, "<script>document.title='ran'</script>"},
            {Book::Ingredients, "Fish & <Chips>"},
            {Book::Units, "<b>kg</b> & more"}};
        for (const QStringList& name : names)
            renameRow(name[0], 1, name[1]); // Pizza, its first tag, ingredient and unit
        build();
        activate("Hamburger");
        QVERIFY(_list->page.startsWith("<h1>Hamburger</h1>"));
        QVERIFY(_list->page.contains(imageVarToHtml(storedPhoto("Hamburger"))));
        QCOMPARE(nameShown(), QString("Hamburger"));
        MessageCapture messages; // an item without an id is reported and changes nothing
        QListWidgetItem stray("Stray");
        _list->onListItemActivated(&stray);
        QCOMPARE(messages.diagnostics("Unknown Recipe index"), 1);
        QVERIFY(_list->page.startsWith("<h1>Hamburger</h1>"));
        PrintVisit visit;
        answerPrintDialog(QString(), &visit, PrintAnswer::Cancel);
        QTest::mouseClick(_list->printButton, Qt::LeftButton);
        QVERIFY(visit.seen);

        QListWidgetItem* pizza = item(names[0][1]);
        QSignalSpy loaded(_list->view, &QWebView::loadFinished);
        clickItem(_list->list, pizza);
        QVERIFY(waitForLoad(loaded));
        for (const QStringList& name : names)
            verifyShownAsText(name[1], _list->page, _list->view, 1); // the photo only
        QImage red(40, 30, QImage::Format_RGB32);
        red.fill(Qt::red);
        _list->photoLabel->setImage(QPixmap::fromImage(red), false);
        static_cast<QLineEdit*>(_list->nameEditor)->setText("Calzone");
        QSignalSpy itemChanged(_list->list, &QListWidget::itemChanged);
        QTest::mouseClick(buttonWithText(_view->window.get(), "Save"), Qt::LeftButton);
        QCOMPARE(itemChanged.count(), 0); // no rename in place on top of the save
        QCOMPARE(pizza->text(), QString("Calzone"));
        QCOMPARE(iconImage(pizza->icon()).pixelColor(20, 15), QColor(Qt::red));
        QVERIFY(_list->page.startsWith("<h1>Calzone</h1>"));
        // A recipe gone from the book shows an empty page.
        QVERIFY(QSqlQuery().exec("DELETE FROM Recipes WHERE name='Calzone'"));
        _list->onListItemActivated(pizza);
        QCOMPARE(_list->page, EditableRecipeList::recipePageHtml(Recipe()));

        deleteEveryItem(_list);
        QVERIFY(_list->page.isEmpty());
        QVERIFY(_list->view->page()->mainFrame()->toPlainText().trimmed().isEmpty());
        QVERIFY(!_list->printButton->isEnabled());
        QCOMPARE(nameShown(), QString());
        QCOMPARE(_list->form.subTables.at(0)->grid->rowCount(), 0);
    }

    void descriptionLoadsNothingElse_data()
    {
        QTest::addColumn<QString>("html"); // %1: a local server, %2: the working directory
        QTest::newRow("picture") << "<img src=\"%1/pixel.png\">";
        QTest::newRow("frame") << "<iframe src=\"%1/frame.html\"></iframe>";
        QTest::newRow("base address") << "<base href=\"%1/\"><img src=\"relative.png\">";
        QTest::newRow("refresh") << "<meta http-equiv=\"refresh\" content=\"0;url=%1/away\">";
        QTest::newRow("form") << "<form action=\"%1/form\"><input name=\"q\" value=\"secret\">"
                                 "<input type=\"submit\" id=\"go\" value=\"Go\"></form>";
        QTest::newRow("link") << "<a id=\"go\" href=\"%1/link\">link</a>";
        QTest::newRow("local file") << "<img src=\"file://%2/media/view.png\">";
        // It runs in a view that allows scripts (checked below), so its check can fail.
        QTest::newRow("script") << "<p>Stir</p><script>document.title='ran'</script>"
                                   "<img src=\"nowhere:x\" onerror=\"document.title='ran'\">";
    }

    // A description from someone else's book is rich text that reaches neither
    // the network nor the disk, runs nothing and stays where it is; only the
    // pictures the book holds show.
    void descriptionLoadsNothingElse()
    {
        QFETCH(QString, html);
        QTcpServer server;
        QVERIFY(server.listen(QHostAddress::LocalHost));
        QSignalSpy connections(&server, &QTcpServer::newConnection);
        if (html.contains("<script")) {
            QWebView permissive;
            permissive.settings()->setAttribute(QWebSettings::JavascriptEnabled, true);
            permissive.setHtml(html, QUrl());
            QTRY_COMPARE(permissive.title(), QString("ran"));
        }
        QImage green(60, 40, QImage::Format_RGB32);
        green.fill(Qt::green);
        html.replace("%1", "http://127.0.0.1:" + QString::number(server.serverPort()));
        html.replace("%2", QDir::currentPath());
        html += pictureToHtml(green).replace("<img", "<img id=\"shown\"");
        std::vector<TableFieldUpdate> description{{html, Book::RecipeDescription}};
        _view->book.document.updateTable(Book::Recipes, 1, description); // Pizza's
        build();
        QStringList loaded; // what the page was given from anywhere but itself
        connect(_list->view->page()->networkAccessManager(), &QNetworkAccessManager::finished, this,
                [&](QNetworkReply* reply) {
                    if (reply->error() == QNetworkReply::NoError && reply->url().scheme() != "data")
                        loaded << reply->url().toString();
                });
        QSignalSpy linkClicks(_list->view, &QWebView::linkClicked);
        QSignalSpy pageLoaded(_list->view, &QWebView::loadFinished);
        activate("Pizza");
        QVERIFY(_list->page.contains("<div><i>" + html + "</i></div>"));
        QVERIFY(waitForLoad(pageLoaded));
        QWebFrame* frame = _list->view->page()->mainFrame();
        const QWebElement go = frame->findFirstElement("#go");
        if (!go.isNull()) {
            frame->setScrollPosition(go.geometry().topLeft());
            QTest::mouseClick(_list->view, Qt::LeftButton, {},
                              go.geometry().center() - frame->scrollPosition());
        }
        QTest::qWait(100); // time for a refresh or a submitted form to go out

        QCOMPARE(connections.count(), 0);
        QCOMPARE(loaded, QStringList());
        QCOMPARE(frame->url(), QUrl()); // as the page was set, with no address
        QVERIFY(_list->view->title().isEmpty());
        QCOMPARE(linkClicks.count(), html.contains("<a ") ? 1 : 0);
        QVERIFY(frame->findFirstElement("#shown").geometry().width() >= 60); // not a stub
    }

    // The change-view button cycles the icons through 20, 100 and 1 pixels,
    // and the mode chosen last comes back after a restart.
    void iconSizeFollowsViewMode()
    {
        build();
        QCOMPARE(_list->list->iconSize(), QSize(20, 20));
        for (int side : {100, 1, 20}) {
            QTest::mouseClick(_list->buttonBar->itemAt(_list->buttonBar->count() - 1)->widget(),
                              Qt::LeftButton);
            QCOMPARE(_list->list->iconSize(), QSize(side, side));
            build();
            QCOMPARE(_list->list->iconSize(), QSize(side, side));
        }
        QSettings().setValue("recipe_icons", 7); // unknown: the smallest
        build();
        QCOMPARE(_list->list->iconSize(), QSize(1, 1));
    }

    // Icons show the stored photo; a copy keeps it and joins none of the
    // original's plans.
    void photoIconsAndCopies()
    {
        build();
        QImage stored;
        QVERIFY(stored.loadFromData(storedPhoto("Shawarma").toByteArray()));
        QCOMPARE(iconImage(item("Shawarma")->icon()),
                 stored.convertToFormat(QImage::Format_ARGB32));
        activate("Shawarma");
        QTest::mouseClick(_list->list->parentWidget()->findChild<QPushButton*>("c"),
                          Qt::LeftButton);
        QListWidgetItem* copy = _list->list->item(_list->list->count() - 1);
        QCOMPARE(iconImage(copy->icon()), iconImage(item("Shawarma")->icon()));
        QCOMPARE(queryRows("SELECT COUNT(*) FROM CookingPlanRecipes WHERE id_rec=" +
                           copy->data(Qt::UserRole + 1).toString()),
                 QStringList{"0"});
    }

    // A list without a photo field says so, and has no photo to put into an item.
    void missingImageFieldIsReported()
    {
        MessageCapture messages;
        build(Book::CookingPlans);
        QCOMPARE(messages.diagnostics("Image field not found!"), 1);
        QListWidgetItem entry("Wedding");
        _list->_modifyListItem(&entry);
        QVERIFY(entry.icon().isNull());
    }
};

QTEST_MAIN(TestRecipeList)
#include "tst_recipelist.moc"
