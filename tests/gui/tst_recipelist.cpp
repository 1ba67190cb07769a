// The Recipes tab: its icons, the recipe page and what a foreign book may put in it.
#include "data/recipe.h"
#include "data/recipebook.h"
#include "images/dropimagelabel.h"
#include "images/pictures.h"
#include "support/guisupport.h"
#include "views/editablerecipelist.h"

#include <QNetworkReply>
#include <QTcpServer>
#include <QtTest>

class TestRecipeList : public QObject
{
    Q_OBJECT

    static QImage iconImage(const QIcon& icon)
    {
        return icon.pixmap(QSize(1000, 1000)).toImage().convertToFormat(QImage::Format_ARGB32);
    }
    static QByteArray storedPhoto(int recipe)
    {
        QSqlQuery photo(QString("SELECT photo FROM Recipes WHERE id=%1").arg(recipe));
        return photo.next() ? photo.value(0).toByteArray() : QByteArray();
    }

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
        QTest::addColumn<QString>("shown");   // the tags | the ingredient lines
        QTest::newRow("none") << QStringList() << -1.0 << "None|None";
        QTest::newRow("two tags") << QStringList{"a", "b"} << 0.25 << "a, b.|Flour: 0.25 kg";
        QTest::newRow("one tag, large") << QStringList{"a"} << 2.5e6 << "a.|Flour: 2.5e+06 kg";
    }

    void recipePage()
    {
        QFETCH(QStringList, tags);
        QFETCH(double, quantity);
        QFETCH(QString, shown);
        Recipe recipe{"Bread", "", 7, 4, {}, {}, {}};
        if (quantity >= 0)
            recipe.ingredients.push_back({"Flour", quantity, "kg"});
        recipe.tags.assign(tags.begin(), tags.end());
        // The page after its title and photo.
        const QString page = EditableRecipeList::recipePageHtml(recipe).section("</div></div>", 1);
        QVERIFY2(page.contains("<b>Tags</b>: " + shown.section('|', 0, 0) +
                               "<br /><b>Rating</b>: 7 of 10<br /><b>Complexity</b>: 4 of 10"),
                 qPrintable(page));
        QVERIFY2(page.contains("<ul><li>" + shown.section('|', 1) + "</li></ul>"),
                 qPrintable(page));
    }

    // The page follows clicks and saves, shows names as text, prints, and goes with the last.
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
        QListWidgetItem* pizza = item(names[0][1]);
        QSignalSpy loaded(_list->view, &QWebView::loadFinished);
        clickItem(_list->list, pizza);
        QVERIFY(waitForLoad(loaded));
        for (const QStringList& name : names)
            verifyShownAsText(name[1], _list->page, _list->view, 1); // the photo only
        QVERIFY(_list->page.contains(imageVarToHtml(storedPhoto(1))));
        PrintVisit visit;
        answerPrintDialog(QString(), &visit, PrintAnswer::Cancel);
        QVERIFY(_list->printButton->isVisible()); // above the page
        QTest::mouseClick(_list->printButton, Qt::LeftButton);
        QVERIFY(visit.seen);
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
        activate("Hamburger");
        QVERIFY(_list->page.startsWith("<h1>Hamburger</h1>"));

        deleteEveryItem(_list);
        QVERIFY(_list->page.isEmpty());
        QVERIFY(_list->view->page()->mainFrame()->toPlainText().trimmed().isEmpty());
        QVERIFY(!_list->printButton->isEnabled());
    }

    void descriptionLoadsNothingElse_data()
    {
        QTest::addColumn<QString>("html"); // %1: a local server
        QTest::newRow("picture") << "<img src=\"%1/pixel.png\">";
        QTest::newRow("frame") << "<iframe src=\"%1/frame.html\"></iframe>";
        QTest::newRow("base address") << "<base href=\"%1/\"><img src=\"relative.png\">";
        QTest::newRow("refresh") << "<meta http-equiv=\"refresh\" content=\"0;url=%1/away\">";
        QTest::newRow("form") << "<form action=\"%1/form\"><input name=\"q\" value=\"secret\">"
                                 "<input type=\"submit\" id=\"go\" value=\"Go\"></form>";
        QTest::newRow("link") << "<a id=\"go\" href=\"%1/link\">link</a>";
        QTest::newRow("local file")
            << "<img src=\"file://" + QDir::currentPath() + "/media/view.png\">";
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

    // Icons show the stored photo, and a copy keeps it; the change-view button
    // cycles them through 20, 100 and 1 pixels, and the last mode comes back
    // after a restart. A list without a photo field says so.
    void photoIcons()
    {
        build();
        QCOMPARE(iconImage(item("Shawarma")->icon()),
                 QImage::fromData(storedPhoto(3)).convertToFormat(QImage::Format_ARGB32));
        activate("Shawarma");
        QTest::mouseClick(_list->list->parentWidget()->findChild<QPushButton*>("c"),
                          Qt::LeftButton);
        QCOMPARE(iconImage(_list->list->item(3)->icon()), iconImage(item("Shawarma")->icon()));
        QCOMPARE(_list->list->iconSize(), QSize(20, 20));
        for (int side : {100, 1, 20}) {
            QTest::mouseClick(_list->buttonBar->itemAt(_list->buttonBar->count() - 1)->widget(),
                              Qt::LeftButton);
            QCOMPARE(_list->list->iconSize(), QSize(side, side));
            build();
            QCOMPARE(_list->list->iconSize(), QSize(side, side));
        }
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
