// The settings store (defaults written once and at once, missing keys reported),
// the Options dialog run from the window's menu, and the colour theme chosen
// there as the window shows it.
#include "support/guisupport.h"

#include "app/setdial.h"
#include "lang/langmodel.h"
#include "settings/settings.h"

#include <QComboBox>
#include <QLabel>
#include <QTabWidget>
#include <QTemporaryDir>

namespace {

// Language, currency and style boxes of the Options dialog.
QComboBox* box(QWidget* dialog, int row)
{
    const char* names[] = {"comboBox", "comboBox_2", "comboBox_3"};
    return dialog->findChild<QComboBox*>(QLatin1String(names[row]));
}

// Picks an entry of a combo box with the keyboard; -1 leaves it alone.
void pick(QComboBox* box, int index)
{
    if (index < 0)
        return;
    box->setFocus();
    QTest::keyClick(box, Qt::Key_Home);
    for (int i = 0; i < index; ++i)
        QTest::keyClick(box, Qt::Key_Down);
}

bool near(QColor a, QColor b)
{
    return qAbs(a.red() - b.red()) < 8 && qAbs(a.green() - b.green()) < 8 &&
           qAbs(a.blue() - b.blue()) < 8;
}

} // namespace

class TestSettings : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init() { storeSettings(_settings.path(), QString()); }
    void cleanup() { qDeleteAll(modalWatchers().children()); }
    void cleanupTestCase() { _fixture.reset(); }

    void defaultsOnlyForMissingKeys();
    void missingKeyIsReported();
    void options_data();
    void options();
    void dialogTranslated();

private:
    QString _written();

    QTemporaryDir _settings;
    std::unique_ptr<WindowFixture> _fixture;
};

void TestSettings::initTestCase()
{
    useTemporarySettings(_settings.path());
    QCoreApplication::setOrganizationName(QStringLiteral("Ostrel software"));
    QCoreApplication::setApplicationName(QStringLiteral("Culinor"));
    _fixture.reset(new WindowFixture); // in English
}

// What the settings file holds, read from a fresh copy: another QSettings on the
// file itself would share, and write out, what the settings have not yet written.
QString TestSettings::_written()
{
    static int copies = 0;
    const QString copy = _settings.path() + QStringLiteral("/copy%1").arg(++copies);
    QDir().mkpath(QFileInfo(settingsFile(copy)).path());
    QFile::copy(settingsFile(_settings.path()), settingsFile(copy));
    return storedSettings(copy);
}

void TestSettings::defaultsOnlyForMissingKeys()
{
    storeSettings(_settings.path(), QStringLiteral("currency= style=3"));
    Settings settings(Settings::defaults(1));
    QCOMPARE(_written(), // at once
             QStringLiteral("autosave_seconds=120 currency= language=1 recipe_icons=0 style=3"));
}

void TestSettings::missingKeyIsReported()
{
    Settings settings(Settings::defaults(0));
    MessageCapture messages;
    QCOMPARE(settings.value(SettingKey::Style).toInt(), 1);
    QCOMPARE(settings.value(QStringLiteral("colour"), 7).toInt(), 7);
    QCOMPARE(messages.diagnostics(QStringLiteral("No such setting value: colour")), 1);
    QCOMPARE(messages.messages().size(), 1);               // a stored key is not reported
    QVERIFY(!settings.contains(QStringLiteral("colour"))); // reading stores nothing
}

void TestSettings::options_data()
{
    // The stored settings besides autosave_seconds, before and after ("": unchanged).
    QTest::addColumn<QString>("before");
    QTest::addColumn<QString>("shown"); // language and style index, currency text
    QTest::addColumn<int>("language");  // picked; -1: left alone
    QTest::addColumn<int>("style");
    QTest::addColumn<QString>("currency"); // typed
    QTest::addColumn<bool>("ok");
    QTest::addColumn<QString>("after");
    QTest::addColumn<QColor>("tabPage"); // as shown; none: the standard look
    const QColor lime("#549D0C"), lavender("#a958a7"), berries("#610b30"), standard;
    QTest::newRow("a currency of the user's own")
        << "currency=Zł language=0 recipe_icons=0 style=1"
        << "0 1 Zł" << -1 << -1 << "" << true << "" << lime;
    QTest::newRow("stored choices; the standard look after a theme")
        << "currency=RUB language=3 recipe_icons=2 style=0"
        << "3 0 RUB" << -1 << -1 << "" << true << "" << standard;
    QTest::newRow("empty currency shows the first")
        << "currency= language=0 recipe_icons=0 style=1"
        << "0 1 USD" << -1 << -1 << "" << true << "currency=USD language=0 recipe_icons=0 style=1"
        << lime;
    QTest::newRow("OK stores the picks and the typed currency: berries to standard")
        << "currency=USD language=3 recipe_icons=2 style=3"
        << "3 3 USD" << 0 << 0 << "NOK" << true << "currency=NOK language=0 recipe_icons=2 style=0"
        << standard;
    QTest::newRow("lime to berries, the language for the next start")
        << "currency=GBP language=0 recipe_icons=0 style=1"
        << "0 1 GBP" << 2 << 3 << "" << true << "currency=GBP language=2 recipe_icons=0 style=3"
        << berries;
    QTest::newRow("Cancel stores nothing and keeps lavender")
        << "currency=CHF language=1 recipe_icons=2 style=2"
        << "1 2 CHF" << 0 << 0 << "XYZ" << false << "" << lavender;
    QTest::newRow("values stored by hand outside the lists are kept and look standard")
        << "currency=EUR language=9 recipe_icons=0 style=7"
        << "-1 -1 EUR" << -1 << -1 << "" << true << "" << standard;
}

// Options from the window's menu, on a window started with the stored settings.
void TestSettings::options()
{
    QFETCH(QString, before);
    QFETCH(QString, shown);
    QFETCH(int, language);
    QFETCH(int, style);
    QFETCH(QString, currency);
    QFETCH(bool, ok);
    QFETCH(QString, after);
    QFETCH(QColor, tabPage);
    const QString autosave = QStringLiteral("autosave_seconds=120 ");
    storeSettings(_settings.path(), autosave + before);
    MainWindow* window = _fixture->window;
    window->showMainWindow(); // as at a start: the stored theme
    const QStringList script = {QLatin1String(ok ? "SetDial:Ok" : "SetDial:Cancel")};
    DialogLog dialogs;
    QString shownInDialog;
    answerDialogs(script, &dialogs, [&](QWidget* dialog) {
        shownInDialog = QStringLiteral("%1 %2 %3")
                            .arg(box(dialog, 0)->currentIndex())
                            .arg(box(dialog, 2)->currentIndex())
                            .arg(box(dialog, 1)->currentText());
        pick(box(dialog, 0), language);
        pick(box(dialog, 2), style);
        if (!currency.isEmpty()) {
            box(dialog, 1)->lineEdit()->selectAll();
            QTest::keyClicks(box(dialog, 1)->lineEdit(), currency);
        }
    });
    trigger(window, "actionLanguage");
    QCOMPARE(dialogs.steps, script);
    QCOMPARE(shownInDialog, shown);
    QCOMPARE(_written(), autosave + (after.isEmpty() ? before : after));
    QVERIFY(QTest::qWaitForWindowExposed(window));
    QWidget* page = window->findChild<QTabWidget*>()->widget(0);
    const QColor pixel = page->grab().toImage().pixelColor(1, 1); // gradients start there
    QCOMPARE(qApp->styleSheet().isEmpty(), !tabPage.isValid());
    QVERIFY2(near(pixel, tabPage.isValid() ? tabPage : qApp->palette().window().color()),
             qPrintable(pixel.name()));
    QCOMPARE(window->langModel->languageIndex, 0); // it changes at the next start
}

void TestSettings::dialogTranslated()
{
    Settings settings(Settings::defaults(0));
    LangModel german(3, QStringLiteral(CULINOR_SOURCE_DIR "/languages/"));
    SetDial dialog(&settings, &german, nullptr);
    QStringList shown = {dialog.windowTitle()};
    for (const char* label : {"label", "label_3", "label_4", "label_2"})
        shown << dialog.findChild<QLabel*>(QLatin1String(label))->text();
    for (int i = 0; i < box(&dialog, 2)->count(); ++i)
        shown << box(&dialog, 2)->itemText(i);
    QCOMPARE(shown, QStringList({"Optionen", "<b>Sprache</b>", "<b>Währung</b>", "<b>Stil</b>",
                                 "<i>Einige Einstellungen werden beim nächsten Start wirksam</i>",
                                 "Standard", "Frische Limette", "Lavendelfelder", "Waldbeeren"}));
}

QTEST_MAIN(TestSettings)
#include "tst_settings.moc"
