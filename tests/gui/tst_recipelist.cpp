// The Recipes tab: photo icons in three sizes, the recipe page beside the
// editor panel, printing it, and what a book from someone else may put in it.
#include "data/recipe.h"
#include "data/recipebook.h"
#include "images/dropimagelabel.h"
#include "images/pictures.h"
#include "lang/langmodel.h"
#include "support/guisupport.h"
#include "views/editablerecipelist.h"

#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QSplitter>
#include <QTabWidget>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QWebSettings>
#include <QtTest>

#include <memory>

namespace {

const int IdRole = Qt::UserRole + 1;

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
    QWidget* changeViewButton()
    {
        return _list->buttonBar->itemAt(_list->buttonBar->count() - 1)->widget(); // the last one
    }

private slots:
    void initTestCase() { useTemporarySettings(_settingsDir.path()); }
    void init()
    {
        _view.reset(new ListWindow<EditableRecipeList>);
        QVERIFY(_view->book.ready);
    }
    void cleanup() { _view.reset(); }

    void tabsTranslated()
    {
        LangModel german(3, QDir::currentPath() + "/languages/");
        setAppLangModel(&german);
        build();
        auto* tabs = qobject_cast<QTabWidget*>(_list->splitter->widget(1));
        QVERIFY(tabs);
        QCOMPARE(tabs->tabText(0), QString("Ansicht"));
        QCOMPARE(tabs->tabText(1), QString("Bearbeiten"));
        QVERIFY(tabs->widget(0)->isAncestorOf(_list->view));
        QCOMPARE(_list->printButton->text(), QString("Seite drucken"));
        QCOMPARE(changeViewButton()->toolTip(), QString("Ansicht wechseln"));
        // The page's labels and the word for None follow the language; "of" stays English.
        const QString page = EditableRecipeList::recipePageHtml(Recipe());
        for (const QString piece :
             {"<b>Schlagwörter</b>: Keine<br />", "<b>Bewertung</b>: 0 of 10",
              "<b>Schwierigkeit</b>: 0 of 10", "<h2>Zutaten</h2><ul><li>Keine"})
            QVERIFY2(page.contains(piece), qPrintable(piece));
        QVERIFY(!_list->view->settings()->testAttribute(QWebSettings::PluginsEnabled));
    }

    void recipePage_data()
    {
        QTest::addColumn<QStringList>("tags");
        QTest::addColumn<double>("quantity");
        QTest::addColumn<int>("rating");
        QTest::addColumn<QByteArray>("photo"); // none that reads: the default picture
        QTest::addColumn<QString>("tagText");
        QTest::addColumn<QString>("itemText");
        QTest::newRow("no tags") << QStringList() << 0.25 << 7 << QByteArray("0") << "None"
                                 << "<li>Flour: 0.25 kg</li>";
        QTest::newRow("two tags, broken photo")
            << QStringList{"a", "b"} << 2.0 << 0 << QByteArray("123456789") << "a, b."
            << "<li>Flour: 2 kg</li>";
        QTest::newRow("one tag, no photo, large quantity")
            << QStringList{"a"} << 2500000.0 << 10 << QByteArray() << "a."
            << "<li>Flour: 2.5e+06 kg</li>";
    }

    void recipePage()
    {
        QFETCH(QStringList, tags);
        QFETCH(double, quantity);
        QFETCH(int, rating);
        QFETCH(QByteArray, photo);
        Recipe recipe{"Bread", "<p>Bake <b>well</b>.</p>", uchar(rating), 4, photo, {}, {}};
        recipe.ingredients.push_back({"Flour", quantity, "kg"});
        recipe.tags.assign(tags.begin(), tags.end());
        const QString box =
            "<div style=\"float: left; margin: 10px; padding: 10px;\"><div style=\"";
        const QString photoHtml =
            pictureToHtml(QImage(QDir::currentPath() + "/media/defphoto.png"));
        QFETCH(QString, tagText);
        QFETCH(QString, itemText);
        comparePieces(
            EditableRecipeList::recipePageHtml(recipe),
            {"<h1>Bread</h1>", box + "padding: 10px;\">" + photoHtml + "</div></div>",
             "<div><b>Tags</b>: " + tagText + "<br />",
             "<b>Rating</b>: " + QString::number(rating) + " of 10<br />",
             "<b>Complexity</b>: 4 of 10</div>", "<div style=\"clear: left;\"></div>",
             box +
                 "width: 200px; padding: 10px; border: 1px solid gray; border-radius: 10px; "
                 "background-color: orange; \"><h2>Ingredients</h2><ul>" +
                 itemText + "</ul>",
             "</div></div><div><i>" + recipe.description + "</i></div>"});
    }

    void pageFollowsClicksAndSavedEdits()
    {
        build();
        activate("Hamburger");
        QVERIFY(_list->page.startsWith("<h1>Hamburger</h1>"));
        QVERIFY(_list->page.contains(imageVarToHtml(storedPhoto("Hamburger"))));
        QCOMPARE(nameShown(), QString("Hamburger"));
        // An item without an id is reported and changes nothing.
        MessageCapture messages;
        _list->list->addItem("Stray");
        _list->onListItemActivated(item("Stray"));
        QCOMPARE(messages.diagnostics("Unknown Recipe index"), 1);
        QVERIFY(_list->page.startsWith("<h1>Hamburger</h1>"));

        QListWidgetItem* pizza = item("Pizza");
        activate("Pizza");
        // A name and a photo saved from the panel: the item, its icon and the page follow.
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
    }

    // "Print page" opens the print dialog for the page shown; once no recipe
    // is left, neither its page nor its panel stays, and nothing can be printed.
    void printOnlyWhileARecipeIsShown()
    {
        build();
        activate("Shawarma");
        PrintVisit visit;
        answerPrintDialog(_view->book.dir.filePath("page.pdf"), &visit, PrintAnswer::Cancel);
        QTest::mouseClick(_list->printButton, Qt::LeftButton);
        QCOMPARE(visit.documentName, QCoreApplication::applicationName());
        QVERIFY(QDir(_view->book.dir.path()).entryList({"*.pdf"}).isEmpty());

        deleteEveryItem(_list);
        QCOMPARE(_list->list->count(), 0);
        QVERIFY(_list->page.isEmpty());
        QVERIFY(_list->view->page()->mainFrame()->toPlainText().trimmed().isEmpty());
        QVERIFY(!_list->printButton->isEnabled());
        QCOMPARE(nameShown(), QString());
        QCOMPARE(_list->form.subTables.at(0)->grid->rowCount(), 0);
    }

    // Names holding HTML are escaped and shown as text, wherever the page shows them.
    void namesShownAsText()
    {
        const QStringList names[] = {
            {Book::Recipes, "<img src=x onerror=\"document.title='ran'\">"},
            {Book::Tags, "<script>document.title='ran'</script>"},
            {Book::Ingredients, "Fish & <Chips>"},
            {Book::Units, "<b>kg</b> & more"}};
        for (const QStringList& name : names)
            renameRow(name[0], 1, name[1]); // Pizza, its first tag, ingredient and unit
        build();
        QSignalSpy loaded(_list->view, &QWebView::loadFinished);
        clickItem(_list->list, _list->list->item(0));
        QVERIFY(waitForLoad(loaded));
        for (const QStringList& name : names)
            verifyShownAsText(name[1], _list->page, _list->view, 1); // the photo only
    }

    void descriptionLoadsNothingElse_data()
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
        // It runs in a view that allows scripts (checked below), so its check can fail.
        QTest::newRow("script") << "<p>Stir</p><script>document.title='ran'</script>"
                                   "<img src=\"nowhere:x\" onerror=\"document.title='ran'\">"
                                << 0;
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
            QSignalSpy permissiveLoaded(&permissive, &QWebView::loadFinished);
            permissive.setHtml(html, QUrl());
            QVERIFY(waitForLoad(permissiveLoaded));
            QCOMPARE(permissive.title(), QString("ran"));
        }
        QImage green(60, 40, QImage::Format_RGB32);
        green.fill(Qt::green);
        html.replace("%1", "http://127.0.0.1:" + QString::number(server.serverPort()));
        html.replace("%2", QDir::currentPath());
        html += pictureToHtml(green).replace("<img", "<img id=\"shown\"");
        std::vector<TableFieldUpdate> description{{html, Book::RecipeDescription}};
        _view->book.document.updateTable(Book::Recipes, 1, description); // Pizza's
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
        QCOMPARE(loaded.filter(QRegularExpression("^(?!data$)")), QStringList());
        QCOMPARE(frame->url(), QUrl()); // as the page was set, with no address
        QVERIFY(frame->toPlainText().contains("Pizza"));
        QVERIFY(_list->view->title().isEmpty());
        QTEST(linkClicks.count(), "linkClicks");
        QVERIFY(frame->findFirstElement("#shown").geometry().width() >= 60); // not a stub
    }

    void iconSizeFollowsViewMode_data()
    {
        QTest::addColumn<QVariant>("stored");
        QTest::addColumn<int>("side");
        QTest::addColumn<int>("next"); // after a press of the change-view button
        QTest::newRow("absent") << QVariant() << 20 << 100;
        QTest::newRow("large") << QVariant(1) << 100 << 1;
        QTest::newRow("hidden") << QVariant(2) << 1 << 20;
        QTest::newRow("unknown") << QVariant(7) << 1 << 20;
    }

    void iconSizeFollowsViewMode()
    {
        QFETCH(QVariant, stored);
        if (stored.isValid())
            QSettings().setValue("recipe_icons", stored);
        build();
        QFETCH(int, side);
        QCOMPARE(_list->list->iconSize(), QSize(side, side));
        QTest::mouseClick(changeViewButton(), Qt::LeftButton);
        QFETCH(int, next);
        QCOMPARE(_list->list->iconSize(), QSize(next, next));
        build(); // as after a restart: the mode chosen last
        QCOMPARE(_list->list->iconSize(), QSize(next, next));
    }

    void photoIconsAndCopies()
    {
        build();
        QImage stored;
        QVERIFY(stored.loadFromData(storedPhoto("Shawarma").toByteArray()));
        QCOMPARE(iconImage(item("Shawarma")->icon()),
                 stored.convertToFormat(QImage::Format_ARGB32));
        // A copy made with the copy button keeps the photo icon, and joins none
        // of the original's plans.
        activate("Shawarma");
        QTest::mouseClick(_list->list->parentWidget()->findChild<QPushButton*>("c"),
                          Qt::LeftButton);
        QListWidgetItem* copy = _list->list->item(_list->list->count() - 1);
        QCOMPARE(iconImage(copy->icon()), iconImage(item("Shawarma")->icon()));
        QCOMPARE(queryRows("SELECT COUNT(*) FROM CookingPlanRecipes WHERE id_rec=" +
                           copy->data(IdRole).toString()),
                 QStringList{"0"});
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

    void missingImageFieldIsReported()
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
};

QTEST_MAIN(TestRecipeList)
#include "tst_recipelist.moc"
