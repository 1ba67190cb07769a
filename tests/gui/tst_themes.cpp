// The colour themes: the style sheet of each palette, rule by rule, the
// standard look for every other index, and what the themes paint.
#include "shellfixture.h"

#include "app/colourtheme.h"
#include "app/setdial.h"
#include "app/settings.h"

#include <QRegularExpression>
#include <QTabWidget>
#include <QTemporaryDir>

namespace {

// The rules of a style sheet as (selector, declarations), in order.
QList<QPair<QString, QString> > rules(const QString& sheet)
{
    QList<QPair<QString, QString> > list;
    QRegularExpression rule(QStringLiteral("([^{}]+)\\{([^{}]*)\\}"));
    auto it = rule.globalMatch(sheet);
    while (it.hasNext()) {
        const auto match = it.next();
        list << qMakePair(match.captured(1).trimmed(), match.captured(2).trimmed());
    }
    return list;
}

// The rule texts, with the palette roles to fill in.
const QStringList& ruleTemplates()
{
    static const QStringList list = {
        "QTabWidget::tab-bar {left: 5px; background-color: rgba(0,0,0,0%);}",
        "QTabBar::tab:!selected {background-color: <menu>;}",
        "QTabBar::tab:selected {background-color: <highlight>;}",
        "QTabBar::tab { border: 1px solid gray; padding: 5px; border-top-left-radius: 8px; "
        "border-top-right-radius: 8px; }",
        "QTabWidget::pane { border: 1px solid gray; padding: 0px 0px; margin: 0px 0px; }",
        "QTabWidget { border: none; padding: 0px 0px; margin: 0px 0px; }",
        "QToolBar {border: none;}",
        "QMenu {background-color: <menu>}",
        "QMenuBar {background-color: <menu>;}",
        "QMenuBar::item:!selected {background-color: <menu>;}",
        "QMenuBar::item:selected {background-color: <highlight>;}",
        "QMenu::item:!selected {background-color: <menu>;}",
        "QMenu::item:selected {background-color: <highlight>; color: black;}",
        "QListWidget::item:selected {background-color: <list selection>; color: <list selection "
        "text>;}",
        "QMainWindow {background-color: <window>;}",
        "QSplitter::handle {background-color: rgba(0,0,0,0);}",
        "QPushButton {background-color: <button>;}",
        "QDialog {background-color: <panel>;}",
        "QMessageBox {background-color: <panel>;}",
        "*[class=editContainer]{background-color: <panel>;}",
        "QScrollArea {background-color: rgba(0,0,0,0);}",
        "*[class=childTab]{background-color: <tab page>; margin: 0px 0px; padding: 0px 0px; "
        "border: none;}",
        "*[class=viewDisplay]{background-color: <panel>; padding: 0px 0px;}",
    };
    return list;
}

QColor pixelAt(QWidget* widget, QPoint point)
{
    return widget->grab().toImage().pixelColor(point);
}

// Collects the warnings Qt writes while parsing style sheets.
QStringList warnings;
void warningHandler(QtMsgType type, const QMessageLogContext&, const QString& message)
{
    if (type == QtWarningMsg)
        warnings << message;
}

} // namespace

class TestThemes : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanup();

    void names();
    void paletteSheet_data();
    void paletteSheet();
    void standardLook_data();
    void standardLook();
    void applyThemeSetsApplicationSheet();
    void themesPaint_data();
    void themesPaint();
    void standardRemovesTheme();

private:
    QTemporaryDir _settings;
    std::unique_ptr<WindowFixture> _fixture;
};

void TestThemes::initTestCase()
{
    useTemporarySettingsStore(_settings.path());
}

void TestThemes::cleanup()
{
    _fixture.reset();
    qApp->setStyleSheet(QString());
}

void TestThemes::names()
{
    QCOMPARE(ColourTheme::names(),
             QStringList({"Standard", "Fresh lime", "Lavender fields", "Wild berries"}));
}

void TestThemes::paletteSheet_data()
{
    QTest::addColumn<int>("index");
    QTest::addColumn<QStringList>("palette"); // window, tab page, panel, menu, highlight,
                                              // list selection text, list selection, button
    QTest::newRow("Fresh lime")
        << 1
        << QStringList({"#385403",
                        "qlineargradient(x1: 0, y1: 0, x2: 1, y2: 1, stop: 0 #549D0C, stop: 1 #0F1E01)",
                        "#74ac06", "#fbd68f", "#fffaa6", "#5a454a", "#ebdbde", "#669999"});
    QTest::newRow("Lavender fields")
        << 2
        << QStringList({"#3e215b", "#a958a7",
                        "qlineargradient(x1: 0, x2: 1, stop: 0 #eac5df, stop: 1 #3e215b)",
                        "#e0dcec", "#fffaa6", "#a6614a", "#ebdbde", "#e2b536"});
    QTest::newRow("Wild berries")
        << 3
        << QStringList({"#d6cbc5", "#610b30", "#c64d5c", "#9aad40", "#fffaa6", "#bd7b4a",
                        "#ebdbde", "#e29083"});
}

void TestThemes::paletteSheet()
{
    QFETCH(int, index);
    QFETCH(QStringList, palette);
    const QStringList roles = {"<window>",    "<tab page>",            "<panel>",
                               "<menu>",      "<highlight>",           "<list selection text>",
                               "<list selection>", "<button>"};
    QString expected;
    for (QString rule : ruleTemplates()) {
        for (int role = 0; role < roles.size(); ++role)
            rule.replace(roles[role], palette[role]);
        expected += rule;
    }
    const QString sheet = ColourTheme::styleSheet(index);
    QCOMPARE(sheet, expected);
    // 23 rules, one after the other with nothing between them.
    const auto parsed = rules(sheet);
    QCOMPARE(parsed.size(), 23);
    QCOMPARE(parsed[7].second, QStringLiteral("background-color: ") + palette[3]); // no ';'
    QCOMPARE(parsed[14].first, QStringLiteral("QMainWindow"));
    QCOMPARE(parsed[21].first, QStringLiteral("*[class=childTab]"));
}

void TestThemes::standardLook_data()
{
    QTest::addColumn<int>("index");
    QTest::newRow("Standard") << 0;
    QTest::newRow("negative") << -1;
    QTest::newRow("just past the last") << 4;
    QTest::newRow("stored by hand") << 42;
}

void TestThemes::standardLook()
{
    QFETCH(int, index);
    QCOMPARE(ColourTheme::styleSheet(index), QString());
}

void TestThemes::applyThemeSetsApplicationSheet()
{
    _fixture.reset(new WindowFixture);
    for (int index : {1, 2, 3, 0, 3, 17}) {
        _fixture->window->applyTheme(index);
        QCOMPARE(qApp->styleSheet(), ColourTheme::styleSheet(index));
    }
    // showMainWindow applies the stored theme.
    appSettings()->setValue(SettingKey::Style, 2);
    _fixture->window->showMainWindow();
    QVERIFY(_fixture->window->isVisible());
    QCOMPARE(qApp->styleSheet(), ColourTheme::styleSheet(2));
}

void TestThemes::themesPaint_data()
{
    QTest::addColumn<int>("index");
    QTest::addColumn<QColor>("tabPage");
    QTest::addColumn<QColor>("dialog");
    QTest::newRow("Fresh lime") << 1 << QColor("#549D0C") << QColor("#74ac06");
    QTest::newRow("Lavender fields") << 2 << QColor("#a958a7") << QColor("#eac5df");
    QTest::newRow("Wild berries") << 3 << QColor("#610b30") << QColor("#c64d5c");
}

void TestThemes::themesPaint()
{
    QFETCH(int, index);
    QFETCH(QColor, tabPage);
    QFETCH(QColor, dialog);
    _fixture.reset(new WindowFixture);
    warnings.clear();
    const QtMessageHandler previous = qInstallMessageHandler(warningHandler);
    _fixture->window->applyTheme(index);
    _fixture->window->show();
    QVERIFY(QTest::qWaitForWindowExposed(_fixture->window));
    auto* tabs = _fixture->window->findChild<QTabWidget*>();
    // Gradients start at the top left corner.
    const QColor page = pixelAt(tabs->widget(0), QPoint(1, 1));
    SetDial options(appSettings(), nullptr, nullptr);
    options.show();
    QVERIFY(QTest::qWaitForWindowExposed(&options));
    const QColor panel = pixelAt(&options, QPoint(1, 1));
    qInstallMessageHandler(previous);
    QVERIFY2(warnings.filter(QStringLiteral("style")).isEmpty(), qPrintable(warnings.join('\n')));
    QVERIFY2(qAbs(page.red() - tabPage.red()) < 8 && qAbs(page.green() - tabPage.green()) < 8
                 && qAbs(page.blue() - tabPage.blue()) < 8,
             qPrintable(page.name()));
    QVERIFY2(qAbs(panel.red() - dialog.red()) < 8 && qAbs(panel.green() - dialog.green()) < 8
                 && qAbs(panel.blue() - dialog.blue()) < 8,
             qPrintable(panel.name()));
}

void TestThemes::standardRemovesTheme()
{
    _fixture.reset(new WindowFixture);
    _fixture->window->show();
    QVERIFY(QTest::qWaitForWindowExposed(_fixture->window));
    auto* tabs = _fixture->window->findChild<QTabWidget*>();
    _fixture->window->applyTheme(3);
    QCOMPARE(pixelAt(tabs->widget(0), QPoint(5, 5)), QColor("#610b30"));
    _fixture->window->applyTheme(0);
    QVERIFY(pixelAt(tabs->widget(0), QPoint(5, 5)) != QColor("#610b30"));
    QCOMPARE(qApp->styleSheet(), QString());
}

QTEST_MAIN(TestThemes)
#include "tst_themes.moc"
