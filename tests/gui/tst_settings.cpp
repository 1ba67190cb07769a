// The settings store (defaults written once, missing keys reported) and the
// Options dialog, alone and run from the main window's menu.
#include "shellfixture.h"

#include "app/colourtheme.h"
#include "app/setdial.h"
#include "settings/settings.h"
#include "lang/langmodel.h"

#include <QComboBox>
#include <QLabel>
#include <QTemporaryDir>

namespace {

QStringList items(QComboBox* box)
{
    QStringList texts;
    for (int i = 0; i < box->count(); ++i)
        texts << box->itemText(i);
    return texts;
}

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

// Types a currency over the editable currency box's text; nothing leaves it alone.
void typeCurrency(QComboBox* box, const QString& text)
{
    if (text.isEmpty())
        return;
    box->lineEdit()->selectAll();
    QTest::keyClick(box->lineEdit(), Qt::Key_Delete);
    QTest::keyClicks(box->lineEdit(), text);
}

} // namespace

class TestSettings : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void defaultsOnlyForMissingKeys();
    void missingKeyIsReported();
    void dialog_data();
    void dialog();
    void dialogTranslated();
    void optionsFromTheWindow_data();
    void optionsFromTheWindow();

private:
    QString _stored() const { return storedSettings(_settings.path()); }

    QTemporaryDir _settings;
    std::unique_ptr<ScratchDir> _scratch;
    std::unique_ptr<WindowFixture> _fixture;
};

void TestSettings::initTestCase()
{
    useTemporarySettingsStore(_settings.path());
    QCoreApplication::setOrganizationName(QStringLiteral("Ostrel software"));
    QCoreApplication::setApplicationName(QStringLiteral("Culinor"));
}

void TestSettings::init()
{
    _scratch.reset(new ScratchDir);
    QSettings().clear();
}

void TestSettings::cleanup()
{
    _fixture.reset();
    _scratch.reset();
    qApp->setStyleSheet(QString());
}

void TestSettings::defaultsOnlyForMissingKeys()
{
    storeSettings(_settings.path(), QStringLiteral("currency= style=3"));
    Settings settings(Settings::defaults(1));
    QCOMPARE(_stored(),
             QStringLiteral(
                 "autosave_seconds=120 currency= language=1 recipe_icons=0 style=3")); // at once
}

void TestSettings::missingKeyIsReported()
{
    Settings settings(Settings::defaults(0));
    MessageCapture messages;
    QCOMPARE(settings.value(SettingKey::Style).toInt(), 1);
    QVERIFY(messages.messages().isEmpty());
    QVERIFY(!settings.value(QStringLiteral("colour")).isValid());
    QCOMPARE(settings.value(QStringLiteral("colour"), 7).toInt(), 7);
    QCOMPARE(messages.count(QStringLiteral("No such setting value: colour")), 2);
    QVERIFY(messages.messages().first().startsWith(QLatin1String("dialogs ")));
    QVERIFY(!settings.contains(QStringLiteral("colour"))); // reading stores nothing
}

void TestSettings::dialog_data()
{
    QTest::addColumn<QString>("before");
    QTest::addColumn<QString>("shown"); // language and style index, currency text
    QTest::addColumn<int>("language");  // picked; -1: left alone
    QTest::addColumn<int>("style");
    QTest::addColumn<QString>("currency"); // typed
    QTest::addColumn<bool>("ok");
    QTest::addColumn<QString>("after");
    const QString defaults =
        QStringLiteral("autosave_seconds=120 currency=USD language=0 recipe_icons=0 style=1");
    QTest::newRow("defaults") << defaults << "0 1 USD" << -1 << -1 << "" << true << defaults;
    const QString chosen =
        QStringLiteral("autosave_seconds=120 currency=RUB language=3 recipe_icons=2 style=0");
    QTest::newRow("stored choices") << chosen << "3 0 RUB" << -1 << -1 << "" << true << chosen;
    const QString own =
        QStringLiteral("autosave_seconds=120 currency=Zł language=0 recipe_icons=0 style=1");
    QTest::newRow("a currency of the user's own")
        << own << "0 1 Zł" << -1 << -1 << "" << true << own;
    QTest::newRow("empty currency shows the first")
        << "currency= language=0 recipe_icons=0 style=1"
        << "0 1 USD" << -1 << -1 << "" << true << defaults;
    QTest::newRow("OK stores the picks and the typed currency")
        << "currency=USD language=0 recipe_icons=2 style=1"
        << "0 1 USD" << 3 << 2 << "NOK" << true
        << "autosave_seconds=120 currency=NOK language=3 recipe_icons=2 style=2";
    const QString swiss =
        QStringLiteral("autosave_seconds=120 currency=CHF language=1 recipe_icons=2 style=2");
    QTest::newRow("Cancel stores nothing")
        << swiss << "1 2 CHF" << 0 << 0 << "XYZ" << false << swiss;
    const QString byHand =
        QStringLiteral("autosave_seconds=120 currency=EUR language=9 recipe_icons=0 style=7");
    QTest::newRow("values stored by hand outside the lists are kept")
        << byHand << "-1 -1 EUR" << -1 << -1 << "" << true << byHand;
}

void TestSettings::dialog()
{
    QFETCH(QString, before);
    QFETCH(QString, shown);
    QFETCH(int, language);
    QFETCH(int, style);
    QFETCH(QString, currency);
    QFETCH(bool, ok);
    QFETCH(QString, after);
    storeSettings(_settings.path(), before);
    Settings settings(Settings::defaults(0));
    SetDial dialog(&settings, nullptr, nullptr);
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    QCOMPARE(QStringLiteral("%1 %2 %3")
                 .arg(box(&dialog, 0)->currentIndex())
                 .arg(box(&dialog, 2)->currentIndex())
                 .arg(box(&dialog, 1)->currentText()),
             shown);
    pick(box(&dialog, 0), language);
    pick(box(&dialog, 2), style);
    typeCurrency(box(&dialog, 1), currency);
    answerDialog(&dialog, QLatin1String(ok ? "Ok" : "Cancel"));
    QCOMPARE(dialog.result(), int(ok ? QDialog::Accepted : QDialog::Rejected));
    QCOMPARE(_stored(), after);
}

void TestSettings::dialogTranslated()
{
    Settings settings(Settings::defaults(0));
    LangModel german(3, QDir::currentPath() + QStringLiteral("/languages/"));
    SetDial dialog(&settings, &german, nullptr);
    QStringList shown = {dialog.windowTitle()};
    for (const char* label : {"label", "label_3", "label_4", "label_2"})
        shown << dialog.findChild<QLabel*>(QLatin1String(label))->text();
    QCOMPARE(shown + items(box(&dialog, 2)),
             QStringList({"Optionen", "<b>Sprache</b>", "<b>Währung</b>", "<b>Stil</b>",
                          "<i>Einige Einstellungen werden beim nächsten Start wirksam</i>",
                          "Standard", "Frische Limette", "Lavendelfelder", "Waldbeeren"}));
    QVERIFY(german.untranslated.empty());
    // A list's position is the stored value; language names stay as they are.
    QCOMPARE(items(box(&dialog, 0)), QStringList({"English", "Russian (Русский)",
                                                  "French (Français)", "German (Deutsch)"}));
    QCOMPARE(items(box(&dialog, 1)),
             QStringList({"USD", "EUR", "JPY", "GBP", "CHF", "CAD", "AUD", "CNY", "RUB"}));
    QVERIFY(box(&dialog, 1)->isEditable());
}

void TestSettings::optionsFromTheWindow_data()
{
    QTest::addColumn<int>("before");   // the stored style
    QTest::addColumn<int>("language"); // picked; -1: left alone
    QTest::addColumn<int>("style");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<QString>("after");
    QTest::addColumn<int>("sheet"); // the theme now applied; -1: none applied again
    const auto stored = [](int language, int style) {
        return QStringLiteral(
                   "autosave_seconds=120 currency=GBP language=%1 recipe_icons=0 style=%2")
            .arg(language)
            .arg(style);
    };
    QTest::newRow("lime to berries") << 1 << -1 << 3 << true << stored(0, 3) << 3;
    QTest::newRow("lavender to standard") << 2 << -1 << 0 << true << stored(0, 0) << 0;
    QTest::newRow("standard to lavender") << 0 << -1 << 2 << true << stored(0, 2) << 2;
    QTest::newRow("language only stored") << 1 << 2 << -1 << true << stored(2, 1) << -1;
    QTest::newRow("Cancel keeps all") << 1 << 1 << 3 << false << stored(0, 1) << -1;
}

void TestSettings::optionsFromTheWindow()
{
    QFETCH(int, before);
    QFETCH(int, language);
    QFETCH(int, style);
    QFETCH(bool, ok);
    QFETCH(QString, after);
    QFETCH(int, sheet);
    storeSettings(
        _settings.path(),
        QStringLiteral("autosave_seconds=120 currency=GBP language=0 recipe_icons=0 style=%1")
            .arg(before));
    _fixture.reset(new WindowFixture);
    MainWindow* window = _fixture->window;
    window->showMainWindow();
    QCOMPARE(qApp->styleSheet(), ColourTheme::styleSheet(before));
    const QString marker = QStringLiteral("QWidget {}");
    qApp->setStyleSheet(marker); // a theme applied again would replace it
    const QStringList script = {QLatin1String(ok ? "SetDial:Ok" : "SetDial:Cancel")};
    DialogLog dialogs;
    answerDialogs(script, &dialogs, [=](QWidget* dialog) {
        pick(box(dialog, 0), language);
        pick(box(dialog, 2), style);
    });
    trigger(window, "actionLanguage");
    QCOMPARE(dialogs.steps, script);
    QCOMPARE(_stored(), after);
    QCOMPARE(qApp->styleSheet(), sheet < 0 ? marker : ColourTheme::styleSheet(sheet));
    // The language changes at the next start only.
    QCOMPARE(window->langModel->languageIndex, 0);
    QCOMPARE(window->findChild<QAction*>(QStringLiteral("actionNew"))->text(),
             QStringLiteral("New"));
}

QTEST_MAIN(TestSettings)
#include "tst_settings.moc"
