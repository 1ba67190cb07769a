// The main window: start-up (settings, language, locale, first book), its
// form, the title, the splash messages, the About box, Visit website, the
// Yes/No question and the handling of a close with unsaved changes.
#include "shellfixture.h"

#include "app/appinfo.h"
#include "app/settings.h"
#include "data/recipebook.h"
#include "editing/editabledatatable.h"
#include "editing/editablesubtable.h"
#include "lang/langmodel.h"
#include "views/editablecookingplanlist.h"
#include "views/editablerecipelist.h"

#include <QDesktopServices>
#include <QDir>
#include <QElapsedTimer>
#include <QImage>
#include <QListWidget>
#include <QLocale>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QProcess>
#include <QPushButton>
#include <QSignalSpy>
#include <QSplashScreen>
#include <QSqlQuery>
#include <QTabWidget>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QToolBar>
#include <QUrl>

namespace {

// Environment of a start-up run in a child process.
const char* ChildSettings = "CULINOR_CHILD_SETTINGS";
const char* ChildExpectedLanguage = "CULINOR_CHILD_LANGUAGE";
const char* ChildExpectedTitle = "CULINOR_CHILD_TITLE";

// The pictures the window loads, each drawn in its own colour.
const QList<QPair<QString, QColor> >& pictures()
{
    static const QList<QPair<QString, QColor> > list = {
        {QStringLiteral("favicon.png"), QColor(10, 20, 30)},
        {QStringLiteral("new.png"), QColor(200, 0, 0)},
        {QStringLiteral("save.png"), QColor(0, 200, 0)},
        {QStringLiteral("save_as.png"), QColor(0, 0, 200)},
        {QStringLiteral("open.png"), QColor(200, 200, 0)},
        {QStringLiteral("quit.png"), QColor(0, 200, 200)},
        {QStringLiteral("about.png"), QColor(200, 0, 200)},
        {QStringLiteral("website.png"), QColor(100, 50, 0)},
        {QStringLiteral("conf.png"), QColor(0, 50, 100)},
    };
    return list;
}

void drawPictures(const ScratchDir& scratch)
{
    for (const auto& picture : pictures()) {
        QImage image(32, 32, QImage::Format_RGB32);
        image.fill(picture.second);
        image.save(scratch.filePath(QStringLiteral("media/") + picture.first));
    }
    QImage splash(200, 100, QImage::Format_RGB32);
    splash.fill(Qt::white);
    splash.save(scratch.filePath(QStringLiteral("media/save.jpg")));
}

QColor iconColour(const QIcon& icon)
{
    return icon.pixmap(16, 16).toImage().pixelColor(8, 8);
}

QStringList actionNames(const QList<QAction*>& actions)
{
    QStringList names;
    for (QAction* action : actions)
        names << (action->menu() ? action->menu()->objectName() : action->objectName());
    return names;
}

QString settingsFile(const QString& folder)
{
    return folder + QStringLiteral("/Ostrel software/Culinor.conf");
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

    void firstStartWritesDefaults();
    void startupChild();
    void systemLanguage_data();
    void systemLanguage();
    void secondStartKeepsSettings();
    void startupState();
    void actions_data();
    void actions();
    void menusAndToolBar();
    void pictures();
    void translatedInterface_data();
    void translatedInterface();
    void tabs();
    void titleStar();
    void realEditorsMarkTheBookModified();
    void otherTabsRefreshAfterAnEdit();
    void titleWithoutFileName();
    void splashStaysWithoutTimeout();
    void splashHidesAfterTimeout();
    void splashPendingTimerHidesLaterMessage();
    void aboutBox();
    void visitWebsite();
    void askYesNo_data();
    void askYesNo();
    void closeUnmodifiedAsksNothing();
    void closeModifiedAnswer_data();
    void closeModifiedAnswer();
    void closeYesSavesNewBook();
    void closeYesSaveAsCancelledStaysOpen();
    void closeYesSaveFailedStaysOpen();
    void closeYesSavesToCurrentFile();
    void exitGoesThroughCloseHandling();

private:
    void _start(std::function<void(const ScratchDir&)> prepare = nullptr)
    {
        _fixture.reset(new WindowFixture(prepare));
    }
    MainWindow* _window() const { return _fixture->window; }
    bool _runChild(const QString& settings, const QString& locale, int language,
                   const QString& title);

    QTemporaryDir _settings;
    std::unique_ptr<WindowFixture> _fixture;
    QList<QUrl> _openedUrls;
};

void TestMainWindow::initTestCase()
{
    const QString childSettings = qEnvironmentVariable(ChildSettings);
    useTemporarySettingsStore(childSettings.isEmpty() ? _settings.path() : childSettings);
}

void TestMainWindow::cleanup()
{
    _fixture.reset();
    if (appSettings())
        appSettings()->setValue(SettingKey::Language, 0);
}

void TestMainWindow::firstStartWritesDefaults()
{
    if (!qEnvironmentVariableIsEmpty(ChildSettings))
        QSKIP("start-up run of a child process");
    QVERIFY(!appSettings());
    QVERIFY(!QFile::exists(settingsFile(_settings.path())));
    _start();
    QSettings stored(settingsFile(_settings.path()), QSettings::IniFormat);
    QCOMPARE(stored.allKeys().size(), 4);
    QCOMPARE(stored.value(QStringLiteral("language")).toInt(),
             Settings::languageIndexFor(QLocale::system().language()));
    QCOMPARE(stored.value(QStringLiteral("currency")).toString(), QStringLiteral("USD"));
    QCOMPARE(stored.value(QStringLiteral("style")).toInt(), 1);
    QCOMPARE(stored.value(QStringLiteral("recipe_icons")).toInt(), 0);
}

// Runs as a child process with a given system locale and settings store.
void TestMainWindow::startupChild()
{
    if (qEnvironmentVariableIsEmpty(ChildSettings))
        QSKIP("runs only as a child process of systemLanguage");
    _start();
    const int expected = qEnvironmentVariableIntValue(ChildExpectedLanguage);
    QCOMPARE(appSettings()->value(SettingKey::Language).toInt(), expected);
    QCOMPARE(_window()->langModel->languageIndex, expected);
    QCOMPARE(appLangModel(), _window()->langModel);
    QCOMPARE(AppInfo::instance()->title,
             QString::fromUtf8(QByteArray::fromPercentEncoding(qgetenv(ChildExpectedTitle))));
    // Numbers keep a decimal point whatever the system's language is.
    QCOMPARE(QLocale().toString(1.5), QStringLiteral("1.5"));
    QCOMPARE(QLocale().toDouble(QStringLiteral("2.25")), 2.25);
}

bool TestMainWindow::_runChild(const QString& settings, const QString& locale, int language,
                               const QString& title)
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    environment.insert(QStringLiteral("LC_ALL"), locale);
    environment.insert(QStringLiteral("LANG"), locale);
    environment.insert(QString::fromLatin1(ChildSettings), settings);
    environment.insert(QString::fromLatin1(ChildExpectedLanguage), QString::number(language));
    environment.insert(QString::fromLatin1(ChildExpectedTitle),
                       QString::fromLatin1(title.toUtf8().toPercentEncoding()));
    QProcess child;
    child.setProcessEnvironment(environment);
    child.setProcessChannelMode(QProcess::MergedChannels);
    child.start(QCoreApplication::applicationFilePath(), {QStringLiteral("startupChild")});
    if (!child.waitForFinished(120000))
        return false;
    const QByteArray output = child.readAll();
    const bool passed = child.exitStatus() == QProcess::NormalExit && child.exitCode() == 0
                        && output.contains("PASS   : TestMainWindow::startupChild()");
    if (!passed)
        qWarning("%s", output.constData());
    return passed;
}

void TestMainWindow::systemLanguage_data()
{
    QTest::addColumn<QString>("locale");
    QTest::addColumn<int>("stored");
    QTest::addColumn<int>("language");
    QTest::addColumn<QString>("title");
    QTest::newRow("German system") << "de_DE.UTF-8" << -1 << 3 << QStringLiteral("Rezeptbuch");
    QTest::newRow("Russian system") << "ru_RU.UTF-8" << -1 << 1 << QStringLiteral("Книга рецептов");
    QTest::newRow("French system") << "fr_FR.UTF-8" << -1 << 2 << QStringLiteral("Livre de recettes");
    QTest::newRow("English system") << "en_GB.UTF-8" << -1 << 0 << QStringLiteral("Recipe book");
    QTest::newRow("Japanese system") << "ja_JP.UTF-8" << -1 << 0 << QStringLiteral("Recipe book");
    QTest::newRow("stored English, German system")
        << "de_DE.UTF-8" << 0 << 0 << QStringLiteral("Recipe book");
    QTest::newRow("stored French, Russian system")
        << "ru_RU.UTF-8" << 2 << 2 << QStringLiteral("Livre de recettes");
}

void TestMainWindow::systemLanguage()
{
    QFETCH(QString, locale);
    QFETCH(int, stored);
    QFETCH(int, language);
    QFETCH(QString, title);
    if (!qEnvironmentVariableIsEmpty(ChildSettings))
        QSKIP("start-up run of a child process");
    QTemporaryDir store;
    if (stored >= 0) {
        QDir().mkpath(store.path() + QStringLiteral("/Ostrel software"));
        QSettings preset(settingsFile(store.path()), QSettings::IniFormat);
        preset.setValue(QStringLiteral("language"), stored);
    }
    QVERIFY(_runChild(store.path(), locale, language, title));
    QSettings written(settingsFile(store.path()), QSettings::IniFormat);
    QCOMPARE(written.allKeys().size(), 4);
    QCOMPARE(written.value(QStringLiteral("language")).toInt(), language);
    QCOMPARE(written.value(QStringLiteral("currency")).toString(), QStringLiteral("USD"));
    QCOMPARE(written.value(QStringLiteral("style")).toInt(), 1);
    QCOMPARE(written.value(QStringLiteral("recipe_icons")).toInt(), 0);
}

void TestMainWindow::secondStartKeepsSettings()
{
    if (!qEnvironmentVariableIsEmpty(ChildSettings))
        QSKIP("start-up run of a child process");
    QTemporaryDir store;
    QVERIFY(_runChild(store.path(), QStringLiteral("de_DE.UTF-8"), 3, QStringLiteral("Rezeptbuch")));
    {
        QSettings user(settingsFile(store.path()), QSettings::IniFormat);
        user.setValue(QStringLiteral("currency"), QStringLiteral("EUR"));
        user.setValue(QStringLiteral("style"), 3);
    }
    // Another system language at the second start changes nothing stored.
    QVERIFY(_runChild(store.path(), QStringLiteral("fr_FR.UTF-8"), 3, QStringLiteral("Rezeptbuch")));
    QSettings written(settingsFile(store.path()), QSettings::IniFormat);
    QCOMPARE(written.value(QStringLiteral("language")).toInt(), 3);
    QCOMPARE(written.value(QStringLiteral("currency")).toString(), QStringLiteral("EUR"));
    QCOMPARE(written.value(QStringLiteral("style")).toInt(), 3);
    QCOMPARE(written.value(QStringLiteral("recipe_icons")).toInt(), 0);
}

void TestMainWindow::startupState()
{
    _start();
    QCOMPARE(QLocale().language(), QLocale::C);
    QCOMPARE(QLocale().decimalPoint(), QLatin1Char('.'));
    QCOMPARE(QCoreApplication::organizationName(), QStringLiteral("Ostrel software"));
    QCOMPARE(QCoreApplication::applicationName(), QStringLiteral("Culinor"));
    QCOMPARE(QCoreApplication::organizationDomain(), AppInfo::instance()->domain);
    QCOMPARE(_window()->windowTitle(), QStringLiteral("Culinor - NewBook"));
    QCOMPARE(_window()->document.fileName, QStringLiteral("NewBook"));
    QVERIFY(!_window()->document.modified);
    // The sample book is in.
    QCOMPARE(rowCount(_window(), QStringLiteral("Recipes")), 3);
    QVERIFY(rowCount(_window(), QStringLiteral("Ingredients")) > 0);
    QVERIFY(rowCount(_window(), QStringLiteral("CookingPlans")) > 0);
    QVERIFY(!_window()->isVisible());
    QVERIFY(_window()->splash);
    QVERIFY(!_window()->splash->isVisible());
    QCOMPARE(_window()->splash->parent(), _window());

    AppInfo* info = AppInfo::instance();
    QCOMPARE(info->name, QStringLiteral("Culinor"));
    QCOMPARE(info->version, QStringLiteral("1.0"));
    QCOMPARE(info->organization, QStringLiteral("Ostrel software"));
    QCOMPARE(info->title, QStringLiteral("Recipe book"));
    QVERIFY(QUrl(info->domain).host().endsWith(QLatin1String("example.org")));
    QVERIFY(!info->author.isEmpty());
}

void TestMainWindow::actions_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QKeySequence>("shortcut");
    QTest::newRow("New") << "actionNew" << "New" << QKeySequence(QStringLiteral("Ctrl+N"));
    QTest::newRow("Save") << "actionSave" << "Save" << QKeySequence(QStringLiteral("Ctrl+S"));
    QTest::newRow("Save as") << "actionSave_as" << "Save as" << QKeySequence();
    QTest::newRow("Open") << "actionOpen" << "Open" << QKeySequence(QStringLiteral("Ctrl+O"));
    QTest::newRow("Exit") << "actionExit" << "Exit" << QKeySequence();
    QTest::newRow("About") << "actionAbout" << "About" << QKeySequence(QStringLiteral("F1"));
    QTest::newRow("Visit website")
        << "actionVisit_website" << "Visit website" << QKeySequence(QStringLiteral("F2"));
    QTest::newRow("Options") << "actionLanguage" << "Options" << QKeySequence(QStringLiteral("Ctrl+L"));
}

void TestMainWindow::actions()
{
    QFETCH(QString, name);
    QFETCH(QString, text);
    QFETCH(QKeySequence, shortcut);
    _start();
    auto* action = _window()->findChild<QAction*>(name);
    QVERIFY(action);
    QCOMPARE(action->text(), text);
    QCOMPARE(action->shortcut(), shortcut);
}

void TestMainWindow::menusAndToolBar()
{
    _start();
    MainWindow* window = _window();
    QCOMPARE(window->objectName(), QStringLiteral("MainWindow"));
    QCOMPARE(window->size(), QSize(914, 596));
    QCOMPARE(window->centralWidget()->objectName(), QStringLiteral("centralWidget"));
    QCOMPARE(window->statusBar()->objectName(), QStringLiteral("statusBar"));
    QCOMPARE(window->menuBar()->objectName(), QStringLiteral("menuBar"));

    QCOMPARE(actionNames(window->menuBar()->actions()),
             QStringList({"menuFile", "menuSettings", "menuHelp"}));
    QStringList titles;
    for (QAction* menu : window->menuBar()->actions())
        titles << menu->text();
    QCOMPARE(titles, QStringList({"File", "Settings", "Help"}));
    auto menu = [window](const char* name) { return window->findChild<QMenu*>(QLatin1String(name)); };
    QCOMPARE(actionNames(menu("menuFile")->actions()),
             QStringList({"actionNew", "actionOpen", "actionSave", "actionSave_as", "actionExit"}));
    QCOMPARE(actionNames(menu("menuSettings")->actions()), QStringList({"actionLanguage"}));
    QCOMPARE(actionNames(menu("menuHelp")->actions()),
             QStringList({"actionAbout", "actionVisit_website"}));

    auto* toolBar = window->findChild<QToolBar*>(QStringLiteral("mainToolBar"));
    QVERIFY(toolBar);
    QCOMPARE(window->toolBarArea(toolBar), Qt::TopToolBarArea);
    QCOMPARE(toolBar->iconSize(), QSize(20, 20));
    QCOMPARE(actionNames(toolBar->actions()), QStringList({"actionNew", "actionSave", "actionOpen"}));
}

void TestMainWindow::pictures()
{
    _start(drawPictures);
    const QStringList actions = {"actionNew",  "actionSave",  "actionSave_as",       "actionOpen",
                                 "actionExit", "actionAbout", "actionVisit_website", "actionLanguage"};
    const QStringList files = {"new.png",  "save.png",  "save_as.png", "open.png",
                               "quit.png", "about.png", "website.png", "conf.png"};
    for (int i = 0; i < actions.size(); ++i) {
        QColor expected;
        for (const auto& picture : ::pictures()) {
            if (picture.first == files[i])
                expected = picture.second;
        }
        QCOMPARE(iconColour(_window()->findChild<QAction*>(actions[i])->icon()), expected);
    }
    QCOMPARE(iconColour(_window()->windowIcon()), QColor(10, 20, 30));
    QCOMPARE(iconColour(_window()->icon), QColor(10, 20, 30));
    // The splash picture is scaled to fit 100 x 100, keeping its shape.
    QCOMPARE(_window()->splash->pixmap().size(), QSize(100, 50));
}

void TestMainWindow::translatedInterface_data()
{
    QTest::addColumn<int>("language");
    QTest::addColumn<QStringList>("menus");
    QTest::addColumn<QStringList>("tabs");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("cancel");
    QTest::newRow("Russian") << 1 << QStringList({"Файл", "Параметры", "Справка"})
                             << QStringList({"Рецепты", "Ингредиенты", "Планы готовки"})
                             << "Книга рецептов" << "Отмена";
    QTest::newRow("French") << 2 << QStringList({"Fichier", "Paramètres", "Aide"})
                            << QStringList({"Recettes", "Ingrédients", "Plans de cuisine"})
                            << "Livre de recettes" << "Annuler";
    QTest::newRow("German") << 3 << QStringList({"Datei", "Einstellungen", "Hilfe"})
                            << QStringList({"Rezepte", "Zutaten", "Kochpläne"}) << "Rezeptbuch"
                            << "Abbrechen";
}

void TestMainWindow::translatedInterface()
{
    QFETCH(int, language);
    QFETCH(QStringList, menus);
    QFETCH(QStringList, tabs);
    QFETCH(QString, title);
    QFETCH(QString, cancel);
    _start();
    _fixture.reset(); // the first window made the settings; the next one reads them
    appSettings()->setValue(SettingKey::Language, language);
    _start();
    QStringList menuTitles;
    for (QAction* menu : _window()->menuBar()->actions())
        menuTitles << menu->text();
    QCOMPARE(menuTitles, menus);
    auto* tabWidget = _window()->findChild<QTabWidget*>();
    QStringList tabTitles;
    for (int i = 0; i < 3; ++i)
        tabTitles << tabWidget->tabText(i);
    QCOMPARE(tabTitles, tabs);
    QCOMPARE(AppInfo::instance()->title, title);
    // Qt's own dialogs and buttons speak the same language.
    QMessageBox box;
    box.setStandardButtons(QMessageBox::Cancel);
    QCOMPARE(box.button(QMessageBox::Cancel)->text(), cancel);
    // Every text the window showed had a translation.
    QStringList untranslated;
    for (const QString& text : _window()->langModel->untranslated)
        untranslated << text;
    QCOMPARE(untranslated, QStringList());
}

void TestMainWindow::tabs()
{
    _start();
    auto* tabWidget = _window()->findChild<QTabWidget*>();
    QVERIFY(tabWidget);
    QVERIFY(_window()->centralWidget()->layout()->indexOf(tabWidget) >= 0);
    QCOMPARE(tabWidget->count(), 4); // three tabs and the probe
    QCOMPARE(tabWidget->tabText(0), QStringLiteral("Recipes"));
    QCOMPARE(tabWidget->tabText(1), QStringLiteral("Ingredients"));
    QCOMPARE(tabWidget->tabText(2), QStringLiteral("Cooking plans"));
    for (int i = 0; i < tabWidget->count(); ++i)
        QCOMPARE(tabWidget->widget(i)->property("class").toString(), QStringLiteral("childTab"));
    const std::vector<EditableData*>& editors = _window()->editors;
    QCOMPARE(editors.size(), size_t(4));
    QVERIFY(qobject_cast<EditableRecipeList*>(editors[0]));
    QCOMPARE(editors[0]->table, QStringLiteral("Recipes"));
    QVERIFY(qobject_cast<EditableDataTable*>(editors[1]));
    QCOMPARE(editors[1]->table, QStringLiteral("Ingredients"));
    QVERIFY(qobject_cast<EditableCookingPlanList*>(editors[2]));
    QCOMPARE(editors[2]->table, QStringLiteral("CookingPlans"));
    for (int i = 0; i < 3; ++i)
        QCOMPARE(tabWidget->widget(i)->layout(), editors[i]->layout);
    QCOMPARE(editors[3], static_cast<EditableData*>(_fixture->probe));
    QCOMPARE(tabWidget->widget(3)->layout(), _fixture->probe->layout);
}

void TestMainWindow::realEditorsMarkTheBookModified()
{
    _start();
    auto* ingredients = qobject_cast<EditableDataTable*>(_window()->editors[1]);
    QVERIFY(ingredients);
    ingredients->grid->item(0, Book::IngredientName)->setText(QStringLiteral("Bread dough"));
    QVERIFY(_window()->document.modified);
    QCOMPARE(_window()->windowTitle(), QStringLiteral("Culinor* - NewBook"));
    QCOMPARE(_window()->document.getNameByID(Book::Ingredients, 1), QStringLiteral("Bread dough"));
}

void TestMainWindow::otherTabsRefreshAfterAnEdit()
{
    // A recipe renamed in its tab must not come back from a plan saved later.
    _start();
    auto* recipes = qobject_cast<EditableDataList*>(_window()->editors[0]);
    auto* plans = qobject_cast<EditableDataList*>(_window()->editors[2]);
    auto* tabWidget = _window()->findChild<QTabWidget*>();
    QVERIFY(recipes && plans && tabWidget);
    plans->selectItem(1); // Wedding: Pizza and Shawarma
    recipes->list->item(0)->setText(QStringLiteral("Pizza Napoletana"));
    tabWidget->setCurrentIndex(2);
    QCOMPARE(plans->_currentItemID(), 1);
    EditableSubTable* dishes = plans->form.subTables.at(0);
    QCOMPARE(dishes->grid->item(0, Book::DishRecipe)->text(), QStringLiteral("Pizza Napoletana"));
    plans->onAcceptClicked();
    QSqlQuery count(QStringLiteral("SELECT COUNT(*) FROM Recipes"));
    QVERIFY(count.next());
    QCOMPARE(count.value(0).toInt(), 3);
}

void TestMainWindow::titleStar()
{
    _start();
    QSignalSpy titles(_window(), &QWidget::windowTitleChanged);
    emit _fixture->probe->documentChanged();
    QVERIFY(_window()->document.modified);
    QCOMPARE(_window()->windowTitle(), QStringLiteral("Culinor* - NewBook"));
    emit _fixture->probe->documentChanged();
    QCOMPARE(titles.count(), 1); // set only when it changes
}

void TestMainWindow::titleWithoutFileName()
{
    _start();
    _window()->document.fileName.clear();
    emit _fixture->probe->documentChanged();
    QCOMPARE(_window()->windowTitle(), QStringLiteral("Culinor* - NewBook"));
}

void TestMainWindow::splashStaysWithoutTimeout()
{
    _start();
    emit _fixture->probe->informUser(QStringLiteral("Saving..."), 0);
    QSplashScreen* splash = _window()->splash;
    QVERIFY(splash->isVisible());
    QVERIFY(splash->message().contains(QLatin1String(">Saving...</p>")));
    QVERIFY(splash->message().startsWith(QLatin1String("<p style=\"font-size: 20px;")));
    QTest::qWait(300);
    QVERIFY(splash->isVisible());
    _window()->showSplash(QStringLiteral("Negative"), -5);
    QTest::qWait(100);
    QVERIFY(splash->isVisible());
}

void TestMainWindow::splashHidesAfterTimeout()
{
    _start();
    emit _fixture->probe->informUser(QStringLiteral("Saved"), 100);
    QVERIFY(_window()->splash->isVisible());
    QTRY_VERIFY_WITH_TIMEOUT(!_window()->splash->isVisible(), 2000);
}

void TestMainWindow::splashPendingTimerHidesLaterMessage()
{
    _start();
    QElapsedTimer clock;
    clock.start();
    _window()->showSplash(QStringLiteral("first"), 200);
    _window()->showSplash(QStringLiteral("second"), 10000);
    QVERIFY(_window()->splash->message().contains(QLatin1String("second")));
    QTRY_VERIFY_WITH_TIMEOUT(!_window()->splash->isVisible(), 3000);
    QVERIFY(clock.elapsed() < 5000);
}

void TestMainWindow::aboutBox()
{
    _start(drawPictures);
    QString title;
    QString text;
    bool modal = false;
    bool okIsDefault = false;
    bool hasIcon = false;
    QMessageBox::StandardButtons buttons;
    whenModal<QMessageBox>([&](QMessageBox* box) {
        title = box->windowTitle();
        text = box->text();
        modal = box->isModal();
        buttons = box->standardButtons();
        okIsDefault = box->defaultButton() == box->button(QMessageBox::Ok);
        hasIcon = !box->windowIcon().isNull() && !box->iconPixmap().isNull();
        QTest::keyClick(box, Qt::Key_Return);
    });
    trigger(_window(), "actionAbout");
    const AppInfo* info = AppInfo::instance();
    QCOMPARE(title, QStringLiteral("About Culinor"));
    QVERIFY(modal);
    QCOMPARE(buttons, QMessageBox::Ok);
    QVERIFY(okIsDefault);
    QVERIFY(hasIcon);
    for (const QString& part : {info->title, info->name, info->version, info->author,
                                info->organization})
        QVERIFY2(text.contains(part), qPrintable(part));
    QVERIFY(text.contains(QStringLiteral("<a href=\"") + info->domain + QStringLiteral("\">")));
}

void TestMainWindow::visitWebsite()
{
    _start();
    _openedUrls.clear();
    QDesktopServices::setUrlHandler(QStringLiteral("https"), this, "recordUrl");
    trigger(_window(), "actionVisit_website");
    QDesktopServices::unsetUrlHandler(QStringLiteral("https"));
    QCOMPARE(_openedUrls, QList<QUrl>{QUrl(AppInfo::instance()->domain)});
}

void TestMainWindow::askYesNo_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("button");
    QTest::addColumn<bool>("answer");
    QTest::newRow("Yes clicked") << 0 << int(QMessageBox::Yes) << true;
    QTest::newRow("No clicked") << 0 << int(QMessageBox::No) << false;
    QTest::newRow("Return takes the default") << int(Qt::Key_Return) << 0 << false;
    QTest::newRow("Escape") << int(Qt::Key_Escape) << 0 << false;
}

void TestMainWindow::askYesNo()
{
    QFETCH(int, key);
    QFETCH(int, button);
    QFETCH(bool, answer);
    ScratchDir scratch;
    QString text;
    QString informative;
    QMessageBox::StandardButtons buttons;
    whenModal<QMessageBox>([&](QMessageBox* box) {
        text = box->text();
        informative = box->informativeText();
        buttons = box->standardButtons();
        if (key)
            QTest::keyClick(box, Qt::Key(key));
        else
            QTest::mouseClick(box->button(QMessageBox::StandardButton(button)), Qt::LeftButton);
    });
    QCOMPARE(::askYesNo(QStringLiteral("Delete it?"), QStringLiteral("It cannot be undone.")), answer);
    QCOMPARE(text, QStringLiteral("Delete it?"));
    QCOMPARE(informative, QStringLiteral("It cannot be undone."));
    QCOMPARE(buttons, QMessageBox::Yes | QMessageBox::No);
}

void TestMainWindow::closeUnmodifiedAsksNothing()
{
    _start();
    _window()->show();
    bool asked = false;
    whenModal<QDialog>([&](QDialog* dialog) {
        asked = true;
        dialog->reject();
    });
    QVERIFY(_window()->close());
    QVERIFY(!asked);
}

void TestMainWindow::closeModifiedAnswer_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("button");
    QTest::addColumn<bool>("closes");
    QTest::newRow("No closes without saving") << 0 << int(QMessageBox::No) << true;
    QTest::newRow("Cancel stays") << 0 << int(QMessageBox::Cancel) << false;
    QTest::newRow("Escape stays") << int(Qt::Key_Escape) << 0 << false;
}

void TestMainWindow::closeModifiedAnswer()
{
    QFETCH(int, key);
    QFETCH(int, button);
    QFETCH(bool, closes);
    _start();
    _window()->show();
    emit _fixture->probe->documentChanged();
    QString text;
    QString informative;
    QMessageBox::StandardButtons buttons;
    whenModal<QMessageBox>([&](QMessageBox* box) {
        text = box->text();
        informative = box->informativeText();
        buttons = box->standardButtons();
        if (key)
            QTest::keyClick(box, Qt::Key(key));
        else
            QTest::mouseClick(box->button(QMessageBox::StandardButton(button)), Qt::LeftButton);
    });
    QCOMPARE(_window()->close(), closes);
    QCOMPARE(text, QStringLiteral("Document has been modified!"));
    QCOMPARE(informative, QStringLiteral("Do you want to save changes?"));
    QCOMPARE(buttons, QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
    QCOMPARE(_window()->isVisible(), !closes);
    QVERIFY(_window()->document.modified);
    QVERIFY(QDir(_fixture->scratch.path()).entryList(QDir::Files).isEmpty());
}

void TestMainWindow::closeYesSavesNewBook()
{
    _start();
    _window()->show();
    emit _fixture->probe->documentChanged();
    const QString file = _fixture->scratch.filePath(QStringLiteral("closing.carb"));
    answerMessageBox(QMessageBox::Yes, nullptr, [file]() { answerFileDialog(file); });
    QVERIFY(_window()->close());
    QVERIFY(QFile::exists(file));
    QVERIFY(!_window()->document.modified);
}

void TestMainWindow::closeYesSaveAsCancelledStaysOpen()
{
    _start();
    _window()->show();
    emit _fixture->probe->documentChanged();
    FileDialogSeen seen;
    answerMessageBox(QMessageBox::Yes, nullptr, [&seen]() { answerFileDialog(QString(), &seen); });
    QVERIFY(!_window()->close());
    QVERIFY(seen.shown);
    QVERIFY(_window()->isVisible());
    QVERIFY(_window()->document.modified);
}

void TestMainWindow::closeYesSaveFailedStaysOpen()
{
    _start();
    _window()->show();
    const QString target = _fixture->scratch.filePath(QStringLiteral("folder.carb"));
    QVERIFY(QDir().mkdir(target));
    _window()->document.fileName = target;
    emit _fixture->probe->documentChanged();
    answerMessageBox(QMessageBox::Yes);
    MessageCapture messages;
    QVERIFY(!_window()->close());
    QVERIFY(messages.contains(QStringLiteral("Saving error")));
    QVERIFY(_window()->isVisible());
    QVERIFY(_window()->document.modified);
}

void TestMainWindow::closeYesSavesToCurrentFile()
{
    _start();
    _window()->show();
    const QString file = _fixture->scratch.filePath(QStringLiteral("current.carb"));
    QVERIFY(_window()->document.SaveDocument(file));
    _window()->document.Clear();
    emit _fixture->probe->documentChanged();
    answerMessageBox(QMessageBox::Yes);
    QVERIFY(_window()->close());
    QCOMPARE(QFileInfo(file).size(), qint64(248)); // the emptied book
}

void TestMainWindow::exitGoesThroughCloseHandling()
{
    _start();
    _window()->show();
    emit _fixture->probe->documentChanged();
    answerMessageBox(QMessageBox::Cancel);
    trigger(_window(), "actionExit");
    QVERIFY(_window()->isVisible());
    answerMessageBox(QMessageBox::No);
    trigger(_window(), "actionExit");
    QVERIFY(!_window()->isVisible());
}

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
