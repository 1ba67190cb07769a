// The settings store, the Options dialog and the colour theme chosen there.
#include "support/guisupport.h"

#include "app/setdial.h"
#include "lang/langmodel.h"
#include "settings/settings.h"

#include <QtWidgets>

class TestSettings : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        useTemporarySettings(_settings.path());
        _fixture.reset(new WindowFixture); // in English
    }
    void cleanup() { qDeleteAll(modalWatchers().children()); }
    void cleanupTestCase() { _fixture.reset(); }

    void storeAndGermanDialog();
    void options_data();
    void options();

private:
    // The settings file as written: a QSettings on the file itself would share the cache.
    QString _written()
    {
        const QString copy = _settings.path() + QStringLiteral("/copy%1").arg(++_copies);
        QDir().mkpath(QFileInfo(settingsFile(copy)).path());
        QFile::copy(settingsFile(_settings.path()), settingsFile(copy));
        return storedSettings(copy);
    }

    QTemporaryDir _settings;
    int _copies = 0;
    std::unique_ptr<WindowFixture> _fixture;
};

// Defaults are written at once, only for missing keys; reading a missing key is reported
// and stores nothing. The Options dialog speaks the language it is given.
void TestSettings::storeAndGermanDialog()
{
    storeSettings(_settings.path(), QStringLiteral("currency= style=3"));
    Settings settings(Settings::defaults(1));
    QCOMPARE(_written(),
             QStringLiteral("autosave_seconds=120 currency= language=1 recipe_icons=0 style=3"));
    MessageCapture messages;
    QCOMPARE(settings.value(QStringLiteral("colour"), 7).toInt(), 7);
    QCOMPARE(messages.diagnostics(QStringLiteral("No such setting value: colour")), 1);
    QVERIFY(!settings.contains(QStringLiteral("colour")));

    LangModel german(3, QStringLiteral(CULINOR_SOURCE_DIR "/languages/"));
    SetDial dialog(&settings, &german, nullptr);
    QStringList shown = {dialog.windowTitle(), dialog.findChildren<QComboBox*>()[2]->itemText(3)};
    for (const char* label : {"label", "label_2"})
        shown << dialog.findChild<QLabel*>(QLatin1String(label))->text();
    QCOMPARE(shown,
             QStringList({"Optionen", "Waldbeeren", "<b>Sprache</b>",
                          "<i>Einige Einstellungen werden beim nächsten Start wirksam</i>"}));
}

void TestSettings::options_data()
{
    // The stored settings besides autosave_seconds, before and after OK (none: Cancel).
    QTest::addColumn<QString>("before");
    // Language and style index and currency shown, then picked and typed; -1: left alone.
    QTest::addColumn<QStringList>("dialog");
    QTest::addColumn<QString>("after");
    QTest::addColumn<QColor>("tabPage"); // as shown; none: the standard look
    QTest::newRow("OK: lime to berries")
        << "currency=USD language=1 style=1" << QStringList{"1 1 USD", "2 3 NOK"}
        << "currency=NOK language=2 style=3" << QColor("#610b30");
    QTest::newRow("OK: back to standard")
        << "currency=GBP language=3 style=3" << QStringList{"3 3 GBP", "0 0"}
        << "currency=GBP language=0 style=0" << QColor();
    QTest::newRow("Cancel: a currency of the user's own")
        << "currency=Zł language=1 style=2" << QStringList{"1 2 Zł", "0 0 XYZ"} << ""
        << QColor("#a958a7");
    QTest::newRow("OK: an empty currency; values outside the lists stay and look standard")
        << "currency= language=9 style=7" << QStringList{"-1 -1 USD", "-1 -1"}
        << "currency=USD language=9 style=7" << QColor();
}

void TestSettings::options()
{
    QFETCH(QString, before);
    QFETCH(QStringList, dialog);
    const QString picks = dialog.last();
    QFETCH(QString, after);
    QFETCH(QColor, tabPage);
    const QString autosave = QStringLiteral("autosave_seconds=120 ");
    storeSettings(_settings.path(), autosave + before);
    MainWindow* window = _fixture->window;
    window->showMainWindow(); // as at a start: the stored theme
    DialogLog dialogs;
    QString shownInDialog;
    answerDialogs({after.isEmpty() ? "SetDial:Cancel" : "SetDial:Ok"}, &dialogs, [&](QWidget* d) {
        const QList<QComboBox*> boxes = d->findChildren<QComboBox*>(); // language, currency, style
        shownInDialog = QString::number(boxes[0]->currentIndex()) + ' ' +
                        QString::number(boxes[2]->currentIndex()) + ' ' + boxes[1]->currentText();
        for (int box : {0, 2}) { // picked with the keyboard
            for (int i = -1; i < picks.section(' ', box / 2, box / 2).toInt(); ++i)
                QTest::keyClick(boxes[box], i < 0 ? Qt::Key_Home : Qt::Key_Down);
        }
        boxes[1]->lineEdit()->selectAll();
        QTest::keyClicks(boxes[1]->lineEdit(), picks.section(' ', 2));
    });
    trigger(window, "actionLanguage");
    QCOMPARE(shownInDialog, dialog.first());
    QCOMPARE(_written(), autosave + (after.isEmpty() ? before : after));
    QWidget* page = window->findChild<QTabWidget*>()->widget(0);
    const QColor look = tabPage.isValid() ? tabPage : qApp->palette().window().color();
    QCOMPARE(page->grab().toImage().pixelColor(1, 1).name(), look.name()); // a gradient's start
    QCOMPARE(window->langModel->languageIndex, 0); // it changes at the next start
}

QTEST_MAIN(TestSettings)
#include "tst_settings.moc"
