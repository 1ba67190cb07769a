// The main window: the first start on a German system, pictures, stale tabs, the splash,
// Help and closing. (Each language: tst_untranslated.)
#include "support/guisupport.h"

#include "app/appinfo.h"
#include "data/recipebook.h"
#include "editing/editabledatalist.h"
#include "editing/editablesubtable.h"
#include "settings/settings.h"

#include <QtWidgets>

class TestMainWindow : public QObject
{
    Q_OBJECT

public slots:
    void recordUrl(const QUrl& url) { _openedUrls << url; }

private slots:
    void initTestCase() { useTemporarySettings(_settings.path()); }
    void init() { _fixture.reset(new WindowFixture); }
    void cleanup() { _fixture.reset(); }

    void firstStartOnAGermanSystem();
    void pictures();
    void otherTabsRefreshAfterAnEdit();
    void helpMenu();
    void splash();
    void closeHandling_data();
    void closeHandling();

private:
    MainWindow* _window() const { return _fixture->window; }

    QTemporaryDir _settings;
    std::unique_ptr<WindowFixture> _fixture;
    QList<QUrl> _openedUrls;
};

// Qt reads the system's language before main(), so this runs again in a child
// process with a German system.
void TestMainWindow::firstStartOnAGermanSystem()
{
    if (qgetenv("LC_ALL") != "de_DE.UTF-8") {
        QProcess child;
        child.setEnvironment(QProcess::systemEnvironment() << QStringLiteral("LC_ALL=de_DE.UTF-8"));
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
    QCOMPARE(Settings::languageIndexFor(QLocale::Japanese), 0); // any other gives English
    // Numbers keep a decimal point whatever the system's language is.
    QCOMPARE(QLocale().toString(1.5), QStringLiteral("1.5"));
}

void TestMainWindow::pictures()
{
    const auto colour = [](int i) { return QColor::fromHsv(i * 100, 255, 255).rgb(); };
    _fixture.reset(); // first: its scratch folder gives back the working directory
    _fixture.reset(new WindowFixture([&](const ScratchDir& scratch) {
        const QStringList files = {"new.png", "favicon.png", "save.jpg"};
        for (int i = 0; i < 3; ++i) {
            QImage image(i == 2 ? QSize(200, 100) : QSize(32, 32), QImage::Format_RGB32);
            image.fill(colour(i));
            image.save(scratch.filePath(QStringLiteral("media/") + files[i]));
        }
    }));
    const auto shown = [](const QIcon& icon) { return icon.pixmap(16, 16).toImage().pixel(8, 8); };
    QCOMPARE(shown(_window()->findChild<QAction*>("actionNew")->icon()), colour(0));
    QCOMPARE(shown(_window()->windowIcon()), colour(1));
    QCOMPARE(_window()->splash->pixmap().size(), QSize(100, 50)); // fits 100 x 100, same shape
}

void TestMainWindow::otherTabsRefreshAfterAnEdit()
{
    // A recipe renamed in its tab must not come back from a plan saved later.
    auto* recipes = qobject_cast<EditableDataList*>(_window()->editors[0]);
    auto* plans = qobject_cast<EditableDataList*>(_window()->editors[2]);
    plans->selectItem(1); // Wedding: Pizza and Shawarma
    recipes->list->item(0)->setText(QStringLiteral("Pizza Napoletana"));
    _window()->findChild<QTabWidget*>()->setCurrentIndex(2);
    QCOMPARE(plans->_currentItemID(), 1);
    EditableSubTable* dishes = plans->form.subTables.at(0);
    QCOMPARE(dishes->grid->item(0, Book::DishRecipe)->text(), QStringLiteral("Pizza Napoletana"));
    plans->onAcceptClicked();
    QCOMPARE(countRows(QStringLiteral("Recipes")), 3);
}

void TestMainWindow::helpMenu()
{

    DialogLog dialogs;
    answerDialogs({"About Culinor:Return"}, &dialogs);
    trigger(_window(), "actionAbout");
    QCOMPARE(dialogs.steps, QStringList{"About Culinor:Return"});
    const AppInfo* info = AppInfo::instance();
    for (const QString& text : {info->title, info->version, "<a href=\"" + info->domain})
        QVERIFY2(dialogs.details.first().contains(text), qPrintable(text));
    QDesktopServices::setUrlHandler(QStringLiteral("https"), this, "recordUrl");
    trigger(_window(), "actionVisit_website");
    QDesktopServices::unsetUrlHandler(QStringLiteral("https"));
    QCOMPARE(_openedUrls, QList<QUrl>{QUrl(info->domain)});
    QCOMPARE(_window()->statusBar()->currentMessage(), QString()); // no failure shown
}

// A message without a timeout stays; a pending timer hides a later message.
void TestMainWindow::splash()
{
    QSplashScreen* splash = _window()->splash;
    emit _fixture->probe->informUser(QStringLiteral("first"), 0);
    QCoreApplication::processEvents(); // a timer of 0 would fire now
    QVERIFY(splash->isVisible());
    emit _fixture->probe->informUser(QStringLiteral("second"), 20);
    emit _fixture->probe->informUser(QStringLiteral("third"), 100000);
    QVERIFY(splash->message().endsWith(QStringLiteral(">third</p>")));
    QTRY_VERIFY(!splash->isVisible());
}

void TestMainWindow::closeHandling_data()
{
    QTest::addColumn<QStringList>("script");
    QTest::addColumn<bool>("closes");
    QTest::newRow("Yes saves") << QStringList{"modified:Yes", "save:closing.carb"} << true;
    QTest::newRow("No closes without saving") << QStringList{"modified:No"} << true;
    QTest::newRow("Cancel stays") << QStringList{"modified:Cancel"} << false;
    QTest::newRow("Escape stays") << QStringList{"modified:Escape"} << false;
    QTest::newRow("Yes and a cancelled save stays")
        << QStringList{"modified:Yes", "save:"} << false;
}

void TestMainWindow::closeHandling()
{
    QFETCH(QStringList, script);
    QFETCH(bool, closes);
    const bool saves = closes && script.size() > 1;
    _window()->show();
    QVERIFY(_fixture->prepareBook(QString(), true));
    DialogLog dialogs;
    answerDialogs(script, &dialogs);
    trigger(_window(), "actionExit");
    QCOMPARE(dialogs.steps, script);
    QCOMPARE(_window()->isVisible(), !closes);
    QCOMPARE(_window()->document.modified, !saves);
    QCOMPARE(filesIn(_fixture->scratch.path()),
             saves ? QStringList{"closing.carb:empty"} : QStringList());
}

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
