// The main window: the first start on a German system, menus, pictures, tabs
// left stale by another tab, the title, the splash messages, the About box,
// Visit website and the handling of a close. (Each language: tst_untranslated.)
#include "support/guisupport.h"

#include "app/appinfo.h"
#include "data/recipebook.h"
#include "editing/editabledatalist.h"
#include "editing/editablesubtable.h"
#include "lang/langmodel.h"
#include "settings/settings.h"

#include <QSignalSpy>
#include <QtWidgets>

class TestMainWindow : public QObject
{
    Q_OBJECT

public slots:
    void recordUrl(const QUrl& url) { _openedUrls << url; }

private slots:
    void initTestCase() { useTemporarySettings(_settings.path()); }
    void init() { _start(); }
    void cleanup() { _fixture.reset(); }

    void firstStartOnAGermanSystem();
    void menusAndToolBar();
    void pictures();
    void otherTabsRefreshAfterAnEdit();
    void title();
    void splash_data();
    void splash();
    void helpMenu();
    void closeHandling_data();
    void closeHandling();

private:
    void _start(std::function<void(const ScratchDir&)> prepare = nullptr)
    {
        _fixture.reset(); // first: its scratch folder gives back the working directory
        _fixture.reset(new WindowFixture(prepare));
    }
    MainWindow* _window() const { return _fixture->window; }
    QTabWidget* _tabs() const { return _window()->findChild<QTabWidget*>(); }

    QTemporaryDir _settings;
    std::unique_ptr<WindowFixture> _fixture;
    QList<QUrl> _openedUrls;
};

// Qt reads the system's language before main(), so this runs again in a child
// process with a German system.
void TestMainWindow::firstStartOnAGermanSystem()
{
    if (qgetenv("LC_ALL") != "de_DE.UTF-8") {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("LC_ALL"), QStringLiteral("de_DE.UTF-8"));
        QProcess child;
        child.setProcessEnvironment(environment);
        child.setProcessChannelMode(QProcess::MergedChannels);
        child.start(QCoreApplication::applicationFilePath(), {QTest::currentTestFunction()});
        QVERIFY(child.waitForFinished(120000));
        const QByteArray output = child.readAll();
        QVERIFY2(child.exitCode() == 0 && output.contains("PASS   : TestMainWindow::first"),
                 output.constData());
        return;
    }
    // init() made the first window: there were no settings yet.
    QCOMPARE(storedSettings(_settings.path()),
             QStringLiteral("autosave_seconds=120 currency=USD language=3 recipe_icons=0 style=1"));
    QCOMPARE(_window()->langModel->languageIndex, 3);
    QCOMPARE(appLangModel(), _window()->langModel);
    QCOMPARE(AppInfo::instance()->title, QStringLiteral("Rezeptbuch"));
    // The other system languages the interface speaks; any else gives English.
    QCOMPARE(Settings::languageIndexFor(QLocale::Russian), 1);
    QCOMPARE(Settings::languageIndexFor(QLocale::French), 2);
    QCOMPARE(Settings::languageIndexFor(QLocale::Japanese), 0);
    // Numbers keep a decimal point whatever the system's language is.
    QCOMPARE(QLocale().toString(1.5), QStringLiteral("1.5"));
    // A new book: the sample book, unmodified, each editor in its tab.
    QCOMPARE(_window()->windowTitle(), QStringLiteral("Culinor - NewBook"));
    QVERIFY(!_window()->document.modified);
    QCOMPARE(countRows(QStringLiteral("Recipes")), 3);
    for (int i = 0; i < 3; ++i)
        QCOMPARE(_tabs()->widget(i)->layout(), _window()->editors[i]->layout);
}

void TestMainWindow::menusAndToolBar()
{
    // "title: action shortcut, ..." of each menu and the tool bar.
    const auto describeActions = [](const QString& title, const QList<QAction*>& actions) {
        QStringList entries;
        for (QAction* action : actions)
            entries
                << (action->text() + QLatin1Char(' ') + action->shortcut().toString()).trimmed();
        return title + QStringLiteral(": ") + entries.join(QStringLiteral(", "));
    };
    QStringList bars;
    for (QAction* menu : _window()->menuBar()->actions())
        bars << describeActions(menu->text(), menu->menu()->actions());
    auto* toolBar = _window()->findChild<QToolBar*>();
    bars << describeActions(QStringLiteral("tool bar"), toolBar->actions());
    QCOMPARE(bars, QStringList({"File: New Ctrl+N, Open Ctrl+O, Recent books, Save Ctrl+S, "
                                "Save as, , Import recipe… Ctrl+I, Export recipes…, , Exit",
                                "Settings: Options Ctrl+L", "Help: About F1, Visit website F2",
                                "tool bar: New Ctrl+N, Save Ctrl+S, Open Ctrl+O"}));
}

void TestMainWindow::pictures()
{
    const char* actions[] = {"actionNew",  "actionSave",  "actionSave_as",       "actionOpen",
                             "actionExit", "actionAbout", "actionVisit_website", "actionLanguage"};
    const QStringList files = {"new.png",     "save.png",  "save_as.png", "open.png",
                               "quit.png",    "about.png", "website.png", "conf.png",
                               "favicon.png", "save.jpg"};
    const auto colour = [](int i) { return QColor::fromHsv(i * 36, 255, 255).rgb(); };
    _start([&](const ScratchDir& scratch) {
        for (int i = 0; i < files.size(); ++i) {
            QImage image(i == 9 ? QSize(200, 100) : QSize(32, 32), QImage::Format_RGB32);
            image.fill(colour(i));
            image.save(scratch.filePath(QStringLiteral("media/") + files[i]));
        }
    });
    const auto iconColour = [](const QIcon& icon) {
        return icon.pixmap(16, 16).toImage().pixel(8, 8);
    };
    for (int i = 0; i < 8; ++i)
        QCOMPARE(iconColour(_window()->findChild<QAction*>(actions[i])->icon()), colour(i));
    QCOMPARE(iconColour(_window()->windowIcon()), colour(8));
    // The splash picture is scaled to fit 100 x 100, keeping its shape.
    QCOMPARE(_window()->splash->pixmap().size(), QSize(100, 50));
}

void TestMainWindow::otherTabsRefreshAfterAnEdit()
{
    // A recipe renamed in its tab must not come back from a plan saved later.
    auto* recipes = qobject_cast<EditableDataList*>(_window()->editors[0]);
    auto* plans = qobject_cast<EditableDataList*>(_window()->editors[2]);
    plans->selectItem(1); // Wedding: Pizza and Shawarma
    recipes->list->item(0)->setText(QStringLiteral("Pizza Napoletana"));
    _tabs()->setCurrentIndex(2);
    QCOMPARE(plans->_currentItemID(), 1);
    EditableSubTable* dishes = plans->form.subTables.at(0);
    QCOMPARE(dishes->grid->item(0, Book::DishRecipe)->text(), QStringLiteral("Pizza Napoletana"));
    plans->onAcceptClicked();
    QCOMPARE(countRows(QStringLiteral("Recipes")), 3);
}

// The title is set only when it changes; a book without a file name is NewBook.
void TestMainWindow::title()
{
    QSignalSpy titles(_window(), &QWidget::windowTitleChanged);
    emit _fixture->probe->documentChanged();
    emit _fixture->probe->documentChanged();
    QCOMPARE(titles.count(), 1);
    _window()->document.fileName.clear();
    emit _fixture->probe->documentChanged();
    QCOMPARE(_window()->windowTitle(), QStringLiteral("Culinor* - NewBook"));
}

void TestMainWindow::splash_data()
{
    QTest::addColumn<QList<int>>("timeouts"); // of the messages shown one after another
    QTest::addColumn<bool>("hides");
    QTest::newRow("no timeout stays") << QList<int>{0} << false;
    QTest::newRow("timeout hides") << QList<int>{1} << true;
    QTest::newRow("a pending timer hides a later message") << QList<int>{20, 100000} << true;
}

void TestMainWindow::splash()
{
    QFETCH(QList<int>, timeouts);
    QFETCH(bool, hides);
    for (int i = 0; i < timeouts.size(); ++i)
        emit _fixture->probe->informUser(QStringLiteral("message %1").arg(i), timeouts[i]);
    QSplashScreen* splash = _window()->splash;
    QVERIFY(splash->isVisible());
    QVERIFY(splash->message().endsWith(QStringLiteral(">message %1</p>").arg(timeouts.size() - 1)));
    if (hides)
        QTRY_VERIFY(!splash->isVisible());
    QCoreApplication::processEvents(); // a timer of 0 would fire now
    QCOMPARE(splash->isVisible(), !hides);
}

void TestMainWindow::helpMenu()
{
    DialogLog dialogs;
    answerDialogs({"About Culinor:Return"}, &dialogs);
    trigger(_window(), "actionAbout");
    QCOMPARE(dialogs.steps, QStringList{"About Culinor:Return"});
    const AppInfo* info = AppInfo::instance();
    for (const QString& part : {info->title, info->name, info->version, info->author,
                                info->organization, QStringLiteral("<a href=\"") + info->domain})
        QVERIFY2(dialogs.details.first().contains(part), qPrintable(part));
    QVERIFY(dialogs.details.first().endsWith(QLatin1String("/ Ok*")));
    QDesktopServices::setUrlHandler(QStringLiteral("https"), this, "recordUrl");
    trigger(_window(), "actionVisit_website");
    QDesktopServices::unsetUrlHandler(QStringLiteral("https"));
    QCOMPARE(_openedUrls, QList<QUrl>{QUrl(info->domain)});
    QCOMPARE(_window()->statusBar()->currentMessage(), QString()); // no failure shown
}

void TestMainWindow::closeHandling_data()
{
    QTest::addColumn<QStringList>("script"); // none: the book is not modified
    QTest::addColumn<bool>("closes");
    QTest::addColumn<QStringList>("files");
    const QStringList none;
    QTest::newRow("unmodified asks nothing") << none << true << none;
    QTest::newRow("No closes without saving") << QStringList{"modified:No"} << true << none;
    QTest::newRow("Cancel stays") << QStringList{"modified:Cancel"} << false << none;
    QTest::newRow("Yes saves") << QStringList{"modified:Yes", "save:closing.carb"} << true
                               << QStringList{"closing.carb:empty"};
    // The window stays open unless the book really was saved.
    QTest::newRow("Yes and a cancelled save stays")
        << QStringList{"modified:Yes", "save:"} << false << none;
}

// Through File, Exit.
void TestMainWindow::closeHandling()
{
    QFETCH(QStringList, script);
    QFETCH(bool, closes);
    QFETCH(QStringList, files);
    _window()->show();
    QVERIFY(_fixture->prepareBook(QString(), !script.isEmpty()));
    DialogLog dialogs;
    answerDialogs(script, &dialogs);
    trigger(_window(), "actionExit");
    QCOMPARE(dialogs.steps, script);
    if (!script.isEmpty())
        QCOMPARE(dialogs.details.first(), QStringLiteral("Document has been modified! / Do you "
                                                         "want to save changes? / Yes No Cancel"));
    QCOMPARE(_window()->isVisible(), !closes);
    QCOMPARE(_window()->document.modified, // saved only after Yes
             !script.isEmpty() && !(closes && script.contains(QStringLiteral("modified:Yes"))));
    QCOMPARE(filesIn(_fixture->scratch.path()), files);
}

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
