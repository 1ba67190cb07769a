// The main window: start-up (settings, language, locale, first book), menus,
// pictures, translations, tabs, the title, the splash messages, the About box,
// Visit website, the Yes/No question and the handling of a close.
#include "shellfixture.h"

#include "app/appinfo.h"
#include "settings/settings.h"
#include "data/recipebook.h"
#include "editing/askyesno.h"
#include "editing/editabledatatable.h"
#include "editing/editablesubtable.h"
#include "lang/langmodel.h"
#include "views/editablecookingplanlist.h"
#include "views/editablerecipelist.h"

#include <QDesktopServices>
#include <QImage>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QProcess>
#include <QSignalSpy>
#include <QSplashScreen>
#include <QTabBar>
#include <QTabWidget>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QToolBar>
#include <QUrl>

namespace {

// A start-up in a child process is given "settings folder|language|book title",
// percent-encoded, in this environment variable.
const char* Child = "CULINOR_CHILD";

QStringList childTask()
{
    return QString::fromUtf8(QByteArray::fromPercentEncoding(qgetenv(Child)))
        .split(QLatin1Char('|'));
}

// "title: action shortcut, ..." of a menu or tool bar.
QString describeActions(const QString& title, const QList<QAction*>& actions)
{
    QStringList entries;
    for (QAction* action : actions)
        entries << (action->text() + QLatin1Char(' ') + action->shortcut().toString()).trimmed();
    return title + QStringLiteral(": ") + entries.join(QStringLiteral(", "));
}

} // namespace

class TestMainWindow : public QObject
{
    Q_OBJECT

public slots:
    void recordUrl(const QUrl& url) { _openedUrls << url; }

private slots:
    void initTestCase();
    void cleanup();

    void startupChild();
    void startup_data();
    void startup();
    void startupStateAndTabs();
    void menusAndToolBar();
    void pictures();
    void translatedInterface_data();
    void translatedInterface();
    void fitsSmallScreens_data();
    void fitsSmallScreens();
    void otherTabsRefreshAfterAnEdit();
    void editsMarkTheBookModified();
    void splash_data();
    void splash();
    void helpMenu();
    void askYesNo_data();
    void askYesNo();
    void closeHandling_data();
    void closeHandling();

private:
    void _start(std::function<void(const ScratchDir&)> prepare = nullptr)
    {
        _fixture.reset(new WindowFixture(prepare));
    }
    MainWindow* _window() const { return _fixture->window; }

    QTemporaryDir _settings;
    std::unique_ptr<WindowFixture> _fixture;
    QList<QUrl> _openedUrls;
};

void TestMainWindow::initTestCase()
{
    useTemporarySettingsStore(qEnvironmentVariableIsSet(Child) ? childTask()[0] : _settings.path());
}

void TestMainWindow::cleanup()
{
    _fixture.reset();
    qDeleteAll(modalWatchers().children());
    if (appSettings())
        appSettings()->setValue(SettingKey::Language, 0);
}

// Runs as a child process with a given system locale and settings store.
void TestMainWindow::startupChild()
{
    if (!qEnvironmentVariableIsSet(Child))
        QSKIP("runs only as a child process of startup");
    _start();
    const int expected = childTask()[1].toInt();
    QCOMPARE(appSettings()->value(SettingKey::Language).toInt(), expected);
    QCOMPARE(_window()->langModel->languageIndex, expected);
    QCOMPARE(appLangModel(), _window()->langModel);
    QCOMPARE(AppInfo::instance()->title, childTask()[2]);
    // Numbers keep a decimal point whatever the system's language is.
    QCOMPARE(QLocale().toString(1.5), QStringLiteral("1.5"));
    QCOMPARE(QLocale().toDouble(QStringLiteral("2.25")), 2.25);
}

void TestMainWindow::startup_data()
{
    QTest::addColumn<QString>("locale");
    QTest::addColumn<QString>("before"); // the settings stored before the start
    QTest::addColumn<int>("language");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("after");
    const auto defaults = [](int language) {
        return QStringLiteral(
                   "autosave_seconds=120 currency=USD language=%1 recipe_icons=0 style=1")
            .arg(language);
    };
    QTest::newRow("first start, German system") << "de_DE.UTF-8"
                                                << "" << 3 << "Rezeptbuch" << defaults(3);
    QTest::newRow("first start, Russian system") << "ru_RU.UTF-8"
                                                 << "" << 1 << "Книга рецептов" << defaults(1);
    QTest::newRow("first start, French system") << "fr_FR.UTF-8"
                                                << "" << 2 << "Livre de recettes" << defaults(2);
    QTest::newRow("first start, Japanese system gives English")
        << "ja_JP.UTF-8"
        << "" << 0 << "Recipe book" << defaults(0);
    QTest::newRow("stored English wins over a German system")
        << "de_DE.UTF-8"
        << "language=0" << 0 << "Recipe book" << defaults(0);
    QTest::newRow("stored French wins over a Russian system")
        << "ru_RU.UTF-8"
        << "language=2" << 2 << "Livre de recettes" << defaults(2);
    const QString stored =
        QStringLiteral("autosave_seconds=120 currency=EUR language=3 recipe_icons=0 style=3");
    QTest::newRow("second start writes nothing")
        << "fr_FR.UTF-8" << stored << 3 << "Rezeptbuch" << stored;
}

void TestMainWindow::startup()
{
    QFETCH(QString, locale);
    QFETCH(QString, before);
    QFETCH(int, language);
    QFETCH(QString, title);
    QFETCH(QString, after);
    if (qEnvironmentVariableIsSet(Child))
        QSKIP("start-up run of a child process");
    QTemporaryDir store;
    storeSettings(store.path(), before);
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    environment.insert(QStringLiteral("LC_ALL"), locale);
    environment.insert(QStringLiteral("LANG"), locale);
    const QString task =
        store.path() + QLatin1Char('|') + QString::number(language) + QLatin1Char('|') + title;
    environment.insert(QLatin1String(Child),
                       QString::fromLatin1(task.toUtf8().toPercentEncoding()));
    QProcess child;
    child.setProcessEnvironment(environment);
    child.setProcessChannelMode(QProcess::MergedChannels);
    child.start(QCoreApplication::applicationFilePath(), {QStringLiteral("startupChild")});
    QVERIFY(child.waitForFinished(120000));
    const QByteArray output = child.readAll();
    QVERIFY2(child.exitCode() == 0 && output.contains("PASS   : TestMainWindow::startupChild()"),
             output.constData());
    QCOMPARE(storedSettings(store.path()), after);
}

void TestMainWindow::startupStateAndTabs()
{
    _start();
    QCOMPARE(QLocale().language(), QLocale::C);
    QCOMPARE(_window()->windowTitle(), QStringLiteral("Culinor - NewBook"));
    QCOMPARE(_window()->document.fileName, QStringLiteral("NewBook"));
    QVERIFY(!_window()->document.modified);
    // The sample book is in.
    QCOMPARE(rowCount(_window(), QStringLiteral("Recipes")), 3);
    QVERIFY(rowCount(_window(), QStringLiteral("Ingredients")) > 0);
    QVERIFY(rowCount(_window(), QStringLiteral("CookingPlans")) > 0);
    QVERIFY(!_window()->splash->isVisible());
    // The tabs and their editors.
    auto* tabWidget = _window()->findChild<QTabWidget*>();
    const std::vector<EditableData*>& editors = _window()->editors;
    QCOMPARE(tabWidget->count(), 4); // three tabs and the probe
    QVERIFY(qobject_cast<EditableRecipeList*>(editors[0]));
    QVERIFY(qobject_cast<EditableDataTable*>(editors[1]));
    QVERIFY(qobject_cast<EditableCookingPlanList*>(editors[2]));
    const QStringList titles = {"Recipes", "Ingredients", "Cooking plans"};
    const QStringList tables = {"Recipes", "Ingredients", "CookingPlans"};
    for (int i = 0; i < 3; ++i) {
        QCOMPARE(tabWidget->tabText(i), titles[i]);
        QCOMPARE(editors[i]->table, tables[i]);
        QCOMPARE(tabWidget->widget(i)->layout(), editors[i]->layout);
        // The themes paint the pages by this class.
        QCOMPARE(tabWidget->widget(i)->property("class").toString(), QStringLiteral("childTab"));
    }
}

void TestMainWindow::menusAndToolBar()
{
    _start();
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
    const QStringList actions = {"actionNew",           "actionSave",    "actionSave_as",
                                 "actionOpen",          "actionExit",    "actionAbout",
                                 "actionVisit_website", "actionLanguage"};
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
    for (int i = 0; i < actions.size(); ++i)
        QCOMPARE(iconColour(_window()->findChild<QAction*>(actions[i])->icon()), colour(i));
    QCOMPARE(iconColour(_window()->windowIcon()), colour(8));
    // The splash picture is scaled to fit 100 x 100, keeping its shape.
    QCOMPARE(_window()->splash->pixmap().size(), QSize(100, 50));
}

void TestMainWindow::translatedInterface_data()
{
    QTest::addColumn<int>("language");
    // Menus, recent books, tabs, book title, Qt's Cancel button.
    QTest::addColumn<QStringList>("texts");
    QTest::newRow("Russian") << 1
                             << QStringList({"Файл", "Параметры", "Справка", "Недавние книги",
                                             "Рецепты", "Ингредиенты", "Планы готовки",
                                             "Книга рецептов", "Отмена"});
    QTest::newRow("French") << 2
                            << QStringList({"Fichier", "Paramètres", "Aide", "Livres récents",
                                            "Recettes", "Ingrédients", "Plans de repas",
                                            "Livre de recettes", "Annuler"});
    QTest::newRow("German") << 3
                            << QStringList({"Datei", "Einstellungen", "Hilfe",
                                            "Zuletzt verwendete Bücher", "Rezepte", "Zutaten",
                                            "Kochpläne", "Rezeptbuch", "Abbrechen"});
}

void TestMainWindow::translatedInterface()
{
    QFETCH(int, language);
    QFETCH(QStringList, texts);
    if (!appSettings())
        _start(); // the first window makes the settings; the next one reads them
    appSettings()->setValue(SettingKey::Language, language);
    _start();
    QStringList shown;
    for (QAction* menu : _window()->menuBar()->actions())
        shown << menu->text();
    shown << _window()->findChild<QMenu*>(QStringLiteral("menuRecent_books"))->title();
    for (int i = 0; i < 3; ++i)
        shown << _window()->findChild<QTabWidget*>()->tabText(i);
    QMessageBox box;
    box.setStandardButtons(QMessageBox::Cancel);
    shown << AppInfo::instance()->title << box.button(QMessageBox::Cancel)->text();
    QCOMPARE(shown, texts);
    // Every text the window showed had a translation.
    QVERIFY(_window()->langModel->untranslated.empty());
}

void TestMainWindow::fitsSmallScreens_data()
{
    QTest::addColumn<int>("language");
    for (int language = 0; language < 4; ++language)
        QTest::addRow("%s", qPrintable(LangModel::languageCodes().at(language))) << language;
}

// On a 1024 x 768 screen, every tab, with the plan report shown, fits with
// all its buttons inside the window.
void TestMainWindow::fitsSmallScreens()
{
    QFETCH(int, language);
    if (!appSettings())
        _start();
    appSettings()->setValue(SettingKey::Language, language);
    _start();
    _window()->show();
    _window()->resize(1024, 768);
    auto* tabs = _window()->findChild<QTabWidget*>();
    for (int tab = 0; tab < 3; ++tab) {
        QTest::mouseClick(tabs->tabBar(), Qt::LeftButton, {},
                          tabs->tabBar()->tabRect(tab).center());
        QCOMPARE(tabs->currentIndex(), tab);
        for (QPushButton* button : tabs->currentWidget()->findChildren<QPushButton*>()) {
            if (button->text() == translate(QStringLiteral("Show/hide details")))
                QTest::mouseClick(button, Qt::LeftButton);
        }
        QApplication::processEvents();
        const QSize least = _window()->minimumSizeHint().expandedTo(_window()->minimumSize());
        QVERIFY2(least.width() <= 1024 && least.height() <= 768,
                 qPrintable(tabs->tabText(tab) + QString(": %1 x %2").arg(least.width())
                                                     .arg(least.height())));
        QCOMPARE(_window()->size(), QSize(1024, 768));
        for (QPushButton* button : tabs->currentWidget()->findChildren<QPushButton*>()) {
            if (button->isVisible())
                QVERIFY2(button->mapTo(_window(), QPoint(button->width(), 0)).x() <= 1024,
                         qPrintable(button->text()));
        }
    }
}

void TestMainWindow::otherTabsRefreshAfterAnEdit()
{
    // A recipe renamed in its tab must not come back from a plan saved later.
    _start();
    auto* recipes = qobject_cast<EditableDataList*>(_window()->editors[0]);
    auto* plans = qobject_cast<EditableDataList*>(_window()->editors[2]);
    plans->selectItem(1); // Wedding: Pizza and Shawarma
    recipes->list->item(0)->setText(QStringLiteral("Pizza Napoletana"));
    _window()->findChild<QTabWidget*>()->setCurrentIndex(2);
    QCOMPARE(plans->_currentItemID(), 1);
    EditableSubTable* dishes = plans->form.subTables.at(0);
    QCOMPARE(dishes->grid->item(0, Book::DishRecipe)->text(), QStringLiteral("Pizza Napoletana"));
    plans->onAcceptClicked();
    QCOMPARE(rowCount(_window(), QStringLiteral("Recipes")), 3);
}

void TestMainWindow::editsMarkTheBookModified()
{
    _start();
    QSignalSpy titles(_window(), &QWidget::windowTitleChanged);
    auto* ingredients = qobject_cast<EditableDataTable*>(_window()->editors[1]);
    ingredients->grid->item(0, Book::IngredientName)->setText(QStringLiteral("Bread dough"));
    QVERIFY(_window()->document.modified);
    QCOMPARE(_window()->windowTitle(), QStringLiteral("Culinor* - NewBook"));
    QCOMPARE(_window()->document.getNameByID(Book::Ingredients, 1), QStringLiteral("Bread dough"));
    emit _fixture->probe->documentChanged();
    QCOMPARE(titles.count(), 1); // set only when it changes
    _window()->document.fileName.clear();
    emit _fixture->probe->documentChanged();
    QCOMPARE(_window()->windowTitle(), QStringLiteral("Culinor* - NewBook"));
}

void TestMainWindow::splash_data()
{
    QTest::addColumn<QList<int>>("timeouts"); // of the messages shown one after another
    QTest::addColumn<bool>("hides");
    QTest::newRow("no timeout stays") << QList<int>{0} << false;
    QTest::newRow("negative timeout stays") << QList<int>{-5} << false;
    QTest::newRow("timeout hides") << QList<int>{100} << true;
    QTest::newRow("a pending timer hides a later message") << QList<int>{200, 10000} << true;
}

void TestMainWindow::splash()
{
    QFETCH(QList<int>, timeouts);
    QFETCH(bool, hides);
    _start();
    for (int i = 0; i < timeouts.size(); ++i)
        emit _fixture->probe->informUser(QStringLiteral("message %1").arg(i), timeouts[i]);
    QSplashScreen* splash = _window()->splash;
    QVERIFY(splash->isVisible());
    QVERIFY(splash->message().startsWith(QLatin1String("<p style=\"font-size: 20px;")));
    QVERIFY(splash->message().endsWith(QStringLiteral(">message %1</p>").arg(timeouts.size() - 1)));
    if (hides) {
        QTRY_VERIFY_WITH_TIMEOUT(!splash->isVisible(), 3000);
    } else {
        QTest::qWait(300);
        QVERIFY(splash->isVisible());
    }
}

void TestMainWindow::helpMenu()
{
    _start();
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
}

void TestMainWindow::askYesNo_data()
{
    QTest::addColumn<QString>("answer");
    QTest::addColumn<bool>("yes");
    QTest::newRow("Yes clicked") << "Yes" << true;
    QTest::newRow("No clicked") << "No" << false;
    QTest::newRow("Return takes the default") << "Return" << false;
    QTest::newRow("Escape") << "Escape" << false;
}

void TestMainWindow::askYesNo()
{
    QFETCH(QString, answer);
    QFETCH(bool, yes);
    ScratchDir scratch;
    DialogLog dialogs;
    answerDialogs({"Delete it?:" + answer}, &dialogs);
    QCOMPARE(::askYesNo(QStringLiteral("Delete it?"), QStringLiteral("It cannot be undone.")), yes);
    QCOMPARE(dialogs.details, QStringList{"Delete it? / It cannot be undone. / Yes No*"});
}

void TestMainWindow::closeHandling_data()
{
    QTest::addColumn<QString>("setup");      // as WindowFixture::prepareBook takes it
    QTest::addColumn<bool>("exit");          // through the Exit action, not close()
    QTest::addColumn<QStringList>("script"); // none: the book is not modified
    QTest::addColumn<bool>("closes");
    QTest::addColumn<QStringList>("files");
    const QStringList none;
    QTest::newRow("unmodified asks nothing") << "" << false << none << true << none;
    QTest::newRow("No closes without saving")
        << "" << false << QStringList{"modified:No"} << true << none;
    QTest::newRow("Cancel stays") << "" << false << QStringList{"modified:Cancel"} << false << none;
    QTest::newRow("Escape stays") << "" << false << QStringList{"modified:Escape"} << false << none;
    QTest::newRow("Yes saves a new book")
        << "" << false << QStringList{"modified:Yes", "save:closing.carb"} << true
        << QStringList{"closing.carb:empty"};
    QTest::newRow("Yes and a cancelled Save as stays")
        << "" << false << QStringList{"modified:Yes", "save:"} << false << none;
    QTest::newRow("Yes saves to the book's file") << "saved" << false << QStringList{"modified:Yes"}
                                                  << true << QStringList{"book.carb:empty"};
    QTest::newRow("Yes and a failed save stays")
        << "folder" << false << QStringList{"modified:Yes"} << false << none;
    QTest::newRow("Exit, Cancel stays")
        << "" << true << QStringList{"modified:Cancel"} << false << none;
    QTest::newRow("Exit, No closes") << "" << true << QStringList{"modified:No"} << true << none;
}

void TestMainWindow::closeHandling()
{
    QFETCH(QString, setup);
    QFETCH(bool, exit);
    QFETCH(QStringList, script);
    QFETCH(bool, closes);
    QFETCH(QStringList, files);
    _start();
    _window()->show();
    QVERIFY(_fixture->prepareBook(setup, !script.isEmpty()));
    DialogLog dialogs;
    answerDialogs(script, &dialogs);
    MessageCapture messages;
    if (exit)
        trigger(_window(), "actionExit");
    else
        QCOMPARE(_window()->close(), closes);
    QCOMPARE(dialogs.steps, script);
    if (!script.isEmpty())
        QCOMPARE(dialogs.details.first(),
                 QStringLiteral("Document has been modified! / Do you want "
                                "to save changes? / Yes No Cancel"));
    QCOMPARE(_window()->isVisible(), !closes);
    // Closed after Yes only when the save completed.
    QCOMPARE(_window()->document.modified,
             !script.isEmpty() && !(closes && script.contains(QStringLiteral("modified:Yes"))));
    QCOMPARE(filesIn(_fixture->scratch.path()), files);
    QCOMPARE(messages.contains(QStringLiteral("Saving error")), setup == QLatin1String("folder"));
}

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
