// The settings store (defaults written once, missing keys reported) and the
// Options dialog, alone and run from the main window's menu.
#include "shellfixture.h"

#include "app/colourtheme.h"
#include "app/setdial.h"
#include "app/settings.h"
#include "lang/langmodel.h"

#include <QComboBox>
#include <QDir>
#include <QImage>
#include <QLabel>
#include <QTemporaryDir>

namespace {

QString settingsFile(const QString& folder)
{
    return folder + QStringLiteral("/Ostrel software/Culinor.conf");
}

QComboBox* combo(QWidget* dialog, const char* name)
{
    return dialog->findChild<QComboBox*>(QLatin1String(name));
}

QString labelText(QWidget* dialog, const char* name)
{
    return dialog->findChild<QLabel*>(QLatin1String(name))->text();
}

QStringList items(QComboBox* box)
{
    QStringList texts;
    for (int i = 0; i < box->count(); ++i)
        texts << box->itemText(i);
    return texts;
}

// Picks an entry of a combo box from its list with the keyboard.
void pick(QComboBox* box, int index)
{
    box->setFocus();
    QTest::keyClick(box, Qt::Key_Home);
    for (int i = 0; i < index; ++i)
        QTest::keyClick(box, Qt::Key_Down);
}

// Types a currency over the editable currency box's text.
void typeCurrency(QComboBox* box, const QString& text)
{
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

    void defaultsWrittenOnce();
    void defaultsKeepStoredValues();
    void missingKeyIsReported();
    void languageIndexFor_data();
    void languageIndexFor();

    void dialogForm();
    void dialogShowsStoredChoices_data();
    void dialogShowsStoredChoices();
    void dialogKeepsTypedCurrency();
    void dialogEmptyCurrencyShowsFirst();
    void dialogOkStoresChoices();
    void dialogCancelStoresNothing();
    void dialogKeepsValuesOutsideItsLists();
    void dialogTranslated();

    void optionsAppliesThemeAtOnce_data();
    void optionsAppliesThemeAtOnce();
    void optionsLanguageOnlyStored();
    void optionsCancelKeepsTheme();

private:
    void _store(int language, const QString& currency, int style, int icons = 0);
    void _runOptions(std::function<void(SetDial*)> choose, bool ok);

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
    QSettings store;
    store.clear();
    store.sync();
}

void TestSettings::cleanup()
{
    _fixture.reset();
    _scratch.reset();
    qApp->setStyleSheet(QString());
}

void TestSettings::_store(int language, const QString& currency, int style, int icons)
{
    QSettings store;
    store.setValue(QStringLiteral("language"), language);
    store.setValue(QStringLiteral("currency"), currency);
    store.setValue(QStringLiteral("style"), style);
    store.setValue(QStringLiteral("recipe_icons"), icons);
    store.sync();
}

void TestSettings::defaultsWrittenOnce()
{
    Settings first(Settings::defaults(2));
    QSettings onDisk(settingsFile(_settings.path()), QSettings::IniFormat);
    QCOMPARE(onDisk.allKeys().size(), 4);
    QCOMPARE(onDisk.value(QStringLiteral("language")).toInt(), 2);
    QCOMPARE(onDisk.value(QStringLiteral("currency")).toString(), QStringLiteral("USD"));
    QCOMPARE(onDisk.value(QStringLiteral("style")).toInt(), 1);
    QCOMPARE(onDisk.value(QStringLiteral("recipe_icons")).toInt(), 0);

    // A second start with another system language writes nothing.
    first.setValue(SettingKey::Currency, QStringLiteral("EUR"));
    first.sync();
    Settings second(Settings::defaults(3));
    QCOMPARE(second.value(SettingKey::Language).toInt(), 2);
    QCOMPARE(second.value(SettingKey::Currency).toString(), QStringLiteral("EUR"));
}

void TestSettings::defaultsKeepStoredValues()
{
    {
        QSettings store;
        store.setValue(QStringLiteral("style"), 3);
        store.setValue(QStringLiteral("currency"), QString());
    }
    Settings settings(Settings::defaults(1));
    QCOMPARE(settings.value(SettingKey::Style).toInt(), 3);
    QCOMPARE(settings.value(SettingKey::Currency).toString(), QString()); // stored, though empty
    QCOMPARE(settings.value(SettingKey::Language).toInt(), 1);           // missing: written
    QCOMPARE(settings.value(SettingKey::RecipeIcons).toInt(), 0);
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

void TestSettings::languageIndexFor_data()
{
    QTest::addColumn<int>("language");
    QTest::addColumn<int>("index");
    QTest::newRow("German") << int(QLocale::German) << 3;
    QTest::newRow("Russian") << int(QLocale::Russian) << 1;
    QTest::newRow("French") << int(QLocale::French) << 2;
    QTest::newRow("English") << int(QLocale::English) << 0;
    QTest::newRow("Spanish") << int(QLocale::Spanish) << 0;
    QTest::newRow("C") << int(QLocale::C) << 0;
}

void TestSettings::languageIndexFor()
{
    QFETCH(int, language);
    QFETCH(int, index);
    QCOMPARE(Settings::languageIndexFor(QLocale::Language(language)), index);
}

void TestSettings::dialogForm()
{
    QImage picture(16, 16, QImage::Format_RGB32);
    picture.fill(QColor(1, 2, 3));
    picture.save(_scratch->filePath(QStringLiteral("media/conf.png")));
    Settings settings(Settings::defaults(0));
    SetDial dialog(&settings, nullptr, nullptr);
    QCOMPARE(dialog.objectName(), QStringLiteral("LangDial"));
    QCOMPARE(dialog.size(), QSize(329, 166));
    QCOMPARE(dialog.windowTitle(), QStringLiteral("Options"));
    QCOMPARE(dialog.windowIcon().pixmap(16, 16).toImage().pixelColor(8, 8), QColor(1, 2, 3));
    QCOMPARE(items(combo(&dialog, "comboBox")),
             QStringList({"English", "Russian (Русский)", "French (Français)", "German (Deutsch)"}));
    QCOMPARE(items(combo(&dialog, "comboBox_2")),
             QStringList({"USD", "EUR", "JPY", "GBP", "CHF", "CAD", "AUD", "CNY", "RUB"}));
    QVERIFY(combo(&dialog, "comboBox_2")->isEditable());
    QVERIFY(!combo(&dialog, "comboBox")->isEditable());
    QCOMPARE(items(combo(&dialog, "comboBox_3")),
             QStringList({"Standard", "Fresh lime", "Lavender fields", "Wild berries"}));
    QCOMPARE(labelText(&dialog, "label"), QStringLiteral("<b>Language</b>"));
    QCOMPARE(labelText(&dialog, "label_3"), QStringLiteral("<b>Currency</b>"));
    QCOMPARE(labelText(&dialog, "label_4"), QStringLiteral("<b>Style</b>"));
    QCOMPARE(labelText(&dialog, "label_2"),
             QStringLiteral("<i>Some settings will change on next launch</i>"));
    auto* buttons = dialog.findChild<QDialogButtonBox*>(QStringLiteral("buttonBox"));
    QCOMPARE(buttons->standardButtons(), QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    QCOMPARE(buttons->orientation(), Qt::Horizontal);
    // Rows top to bottom: language, currency, style, note, buttons.
    auto* rows = qobject_cast<QVBoxLayout*>(dialog.layout());
    QVERIFY(rows);
    QCOMPARE(rows->objectName(), QStringLiteral("verticalLayout"));
    QCOMPARE(rows->count(), 5);
    QCOMPARE(rows->itemAt(0)->layout()->objectName(), QStringLiteral("horizontalLayout"));
    QCOMPARE(rows->itemAt(1)->layout()->objectName(), QStringLiteral("horizontalLayout_2"));
    QCOMPARE(rows->itemAt(2)->layout()->objectName(), QStringLiteral("horizontalLayout_3"));
    QCOMPARE(rows->itemAt(3)->widget()->objectName(), QStringLiteral("label_2"));
    QCOMPARE(rows->itemAt(4)->widget(), static_cast<QWidget*>(buttons));
}

void TestSettings::dialogShowsStoredChoices_data()
{
    QTest::addColumn<int>("language");
    QTest::addColumn<QString>("currency");
    QTest::addColumn<int>("style");
    QTest::addColumn<int>("currencyIndex");
    QTest::newRow("defaults") << 0 << "USD" << 1 << 0;
    QTest::newRow("French, euro, berries") << 2 << "EUR" << 3 << 1;
    QTest::newRow("German, rouble, standard") << 3 << "RUB" << 0 << 8;
}

void TestSettings::dialogShowsStoredChoices()
{
    QFETCH(int, language);
    QFETCH(QString, currency);
    QFETCH(int, style);
    QFETCH(int, currencyIndex);
    _store(language, currency, style);
    Settings settings(Settings::defaults(0));
    SetDial dialog(&settings, nullptr, nullptr);
    QCOMPARE(combo(&dialog, "comboBox")->currentIndex(), language);
    QCOMPARE(combo(&dialog, "comboBox_2")->currentIndex(), currencyIndex);
    QCOMPARE(combo(&dialog, "comboBox_2")->currentText(), currency);
    QCOMPARE(combo(&dialog, "comboBox_3")->currentIndex(), style);
}

void TestSettings::dialogKeepsTypedCurrency()
{
    _store(0, QStringLiteral("Zł"), 1);
    Settings settings(Settings::defaults(0));
    SetDial dialog(&settings, nullptr, nullptr);
    QCOMPARE(combo(&dialog, "comboBox_2")->currentText(), QStringLiteral("Zł"));
    QCOMPARE(combo(&dialog, "comboBox_2")->count(), 9);
    dialog.show();
    QTest::mouseClick(buttonWithRole(&dialog, QDialogButtonBox::AcceptRole), Qt::LeftButton);
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
    QCOMPARE(settings.value(SettingKey::Currency).toString(), QStringLiteral("Zł"));
}

void TestSettings::dialogEmptyCurrencyShowsFirst()
{
    _store(0, QString(), 1);
    Settings settings(Settings::defaults(0));
    SetDial dialog(&settings, nullptr, nullptr);
    QCOMPARE(combo(&dialog, "comboBox_2")->currentIndex(), 0);
    QCOMPARE(combo(&dialog, "comboBox_2")->currentText(), QStringLiteral("USD"));
    dialog.show();
    QTest::mouseClick(buttonWithRole(&dialog, QDialogButtonBox::AcceptRole), Qt::LeftButton);
    QCOMPARE(settings.value(SettingKey::Currency).toString(), QStringLiteral("USD"));
}

void TestSettings::dialogOkStoresChoices()
{
    _store(0, QStringLiteral("USD"), 1, 2);
    Settings settings(Settings::defaults(0));
    SetDial dialog(&settings, nullptr, nullptr);
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    pick(combo(&dialog, "comboBox"), 3);
    pick(combo(&dialog, "comboBox_3"), 2);
    typeCurrency(combo(&dialog, "comboBox_2"), QStringLiteral("NOK"));
    QTest::mouseClick(buttonWithRole(&dialog, QDialogButtonBox::AcceptRole), Qt::LeftButton);
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
    QSettings onDisk(settingsFile(_settings.path()), QSettings::IniFormat);
    QCOMPARE(onDisk.value(QStringLiteral("language")).toInt(), 3);
    QCOMPARE(onDisk.value(QStringLiteral("currency")).toString(), QStringLiteral("NOK"));
    QCOMPARE(onDisk.value(QStringLiteral("style")).toInt(), 2);
    QCOMPARE(onDisk.value(QStringLiteral("recipe_icons")).toInt(), 2); // not the dialog's
}

void TestSettings::dialogCancelStoresNothing()
{
    _store(1, QStringLiteral("CHF"), 2, 2);
    Settings settings(Settings::defaults(0));
    SetDial dialog(&settings, nullptr, nullptr);
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    pick(combo(&dialog, "comboBox"), 0);
    pick(combo(&dialog, "comboBox_3"), 0);
    typeCurrency(combo(&dialog, "comboBox_2"), QStringLiteral("XYZ"));
    QTest::mouseClick(buttonWithRole(&dialog, QDialogButtonBox::RejectRole), Qt::LeftButton);
    QCOMPARE(dialog.result(), int(QDialog::Rejected));
    QCOMPARE(settings.value(SettingKey::Language).toInt(), 1);
    QCOMPARE(settings.value(SettingKey::Currency).toString(), QStringLiteral("CHF"));
    QCOMPARE(settings.value(SettingKey::Style).toInt(), 2);
    QCOMPARE(settings.value(SettingKey::RecipeIcons).toInt(), 2);
}

void TestSettings::dialogKeepsValuesOutsideItsLists()
{
    // Values stored by hand that no list item shows are kept by OK.
    _store(9, QStringLiteral("EUR"), 7);
    Settings settings(Settings::defaults(0));
    SetDial dialog(&settings, nullptr, nullptr);
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    QTest::mouseClick(buttonWithRole(&dialog, QDialogButtonBox::AcceptRole), Qt::LeftButton);
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
    QCOMPARE(settings.value(SettingKey::Language).toInt(), 9);
    QCOMPARE(settings.value(SettingKey::Style).toInt(), 7);
}

void TestSettings::dialogTranslated()
{
    Settings settings(Settings::defaults(0));
    LangModel german(3, QDir::currentPath() + QStringLiteral("/languages/"));
    SetDial dialog(&settings, &german, nullptr);
    QCOMPARE(dialog.windowTitle(), QStringLiteral("Optionen"));
    QCOMPARE(labelText(&dialog, "label"), QStringLiteral("<b>Sprache</b>"));
    QCOMPARE(labelText(&dialog, "label_3"), QStringLiteral("<b>Währung</b>"));
    QCOMPARE(labelText(&dialog, "label_4"), QStringLiteral("<b>Stil</b>"));
    QCOMPARE(labelText(&dialog, "label_2"),
             QStringLiteral("<i>Einige Einstellungen werden beim nächsten Start wirksam</i>"));
    QCOMPARE(items(combo(&dialog, "comboBox_3")),
             QStringList({"Standard", "Frische Limette", "Lavendelfelder", "Waldbeeren"}));
    // Language names stay as they are.
    QCOMPARE(combo(&dialog, "comboBox")->itemText(1), QStringLiteral("Russian (Русский)"));
    QVERIFY(german.untranslated.empty());
}

void TestSettings::_runOptions(std::function<void(SetDial*)> choose, bool ok)
{
    whenModal<SetDial>([=](SetDial* dialog) {
        choose(dialog);
        QTest::mouseClick(buttonWithRole(dialog, ok ? QDialogButtonBox::AcceptRole
                                                    : QDialogButtonBox::RejectRole),
                          Qt::LeftButton);
    });
    trigger(_fixture->window, "actionLanguage");
}

void TestSettings::optionsAppliesThemeAtOnce_data()
{
    QTest::addColumn<int>("from");
    QTest::addColumn<int>("to");
    QTest::newRow("lime to berries") << 1 << 3;
    QTest::newRow("lavender to standard") << 2 << 0;
    QTest::newRow("standard to lavender") << 0 << 2;
}

void TestSettings::optionsAppliesThemeAtOnce()
{
    QFETCH(int, from);
    QFETCH(int, to);
    _store(0, QStringLiteral("USD"), from);
    _fixture.reset(new WindowFixture);
    _fixture->window->showMainWindow();
    QCOMPARE(qApp->styleSheet(), ColourTheme::styleSheet(from));
    _runOptions([to](SetDial* dialog) { pick(combo(dialog, "comboBox_3"), to); }, true);
    QCOMPARE(appSettings()->value(SettingKey::Style).toInt(), to);
    QCOMPARE(qApp->styleSheet(), ColourTheme::styleSheet(to));
    QVERIFY(!QApplication::activeModalWidget()); // the dialog is gone
}

void TestSettings::optionsLanguageOnlyStored()
{
    _store(0, QStringLiteral("USD"), 1);
    _fixture.reset(new WindowFixture);
    MainWindow* window = _fixture->window;
    window->showMainWindow();
    const QString marker = QStringLiteral("QWidget {}");
    qApp->setStyleSheet(marker); // a theme applied again would replace it
    LangModel* model = window->langModel;
    _runOptions([](SetDial* dialog) { pick(combo(dialog, "comboBox"), 2); }, true);
    QCOMPARE(appSettings()->value(SettingKey::Language).toInt(), 2);
    QCOMPARE(window->langModel, model);
    QCOMPARE(window->langModel->languageIndex, 0);
    QCOMPARE(window->findChild<QAction*>(QStringLiteral("actionNew"))->text(), QStringLiteral("New"));
    QCOMPARE(qApp->styleSheet(), marker);
}

void TestSettings::optionsCancelKeepsTheme()
{
    _store(2, QStringLiteral("GBP"), 1);
    _fixture.reset(new WindowFixture);
    _fixture->window->showMainWindow();
    _runOptions(
        [](SetDial* dialog) {
            pick(combo(dialog, "comboBox_3"), 3);
            pick(combo(dialog, "comboBox"), 1);
        },
        false);
    QCOMPARE(qApp->styleSheet(), ColourTheme::styleSheet(1));
    QCOMPARE(appSettings()->value(SettingKey::Style).toInt(), 1);
    QCOMPARE(appSettings()->value(SettingKey::Language).toInt(), 2);
    QCOMPARE(appSettings()->value(SettingKey::Currency).toString(), QStringLiteral("GBP"));
}

QTEST_MAIN(TestSettings)
#include "tst_settings.moc"
