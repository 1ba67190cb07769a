// The colour themes: the style sheet of each palette, rule by rule and in
// order, the standard look for every other index, and what the themes paint.
#include "shellfixture.h"

#include "app/colourtheme.h"
#include "app/setdial.h"
#include "settings/settings.h"

#include <QTabWidget>
#include <QTemporaryDir>

namespace {

// The rules in their order, with the palette roles to fill in.
const char* const RuleTemplates[] = {
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
    "*[class=childTab]{background-color: <tab page>; margin: 0px 0px; padding: 0px 0px; border: "
    "none;}",
    "*[class=viewDisplay]{background-color: <panel>; padding: 0px 0px;}",
};

QColor pixelAt(QWidget* widget)
{
    return widget->grab().toImage().pixelColor(1, 1); // gradients start at the top left
}

bool near(QColor a, QColor b)
{
    return qAbs(a.red() - b.red()) < 8 && qAbs(a.green() - b.green()) < 8
           && qAbs(a.blue() - b.blue()) < 8;
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
    void initTestCase() { useTemporarySettingsStore(_settings.path()); }
    void cleanup();

    void styleSheet_data();
    void styleSheet();
    void themesPaint_data();
    void themesPaint();

private:
    QTemporaryDir _settings;
    std::unique_ptr<WindowFixture> _fixture;
};

void TestThemes::cleanup()
{
    _fixture.reset();
    qApp->setStyleSheet(QString());
}

void TestThemes::styleSheet_data()
{
    QTest::addColumn<int>("index");
    // window, tab page, panel, menu, highlight, list selection text, list selection, button;
    // none: the standard look, no sheet at all
    QTest::addColumn<QStringList>("palette");
    QTest::newRow("Fresh lime")
        << 1
        << QStringList(
               {"#385403",
                "qlineargradient(x1: 0, y1: 0, x2: 1, y2: 1, stop: 0 #549D0C, stop: 1 #0F1E01)",
                "#74ac06", "#fbd68f", "#fffaa6", "#5a454a", "#ebdbde", "#669999"});
    QTest::newRow("Lavender fields")
        << 2
        << QStringList({"#3e215b", "#a958a7",
                        "qlineargradient(x1: 0, x2: 1, stop: 0 #eac5df, stop: 1 #3e215b)",
                        "#e0dcec", "#fffaa6", "#a6614a", "#ebdbde", "#e2b536"});
    QTest::newRow("Wild berries") << 3
                                  << QStringList({"#d6cbc5", "#610b30", "#c64d5c", "#9aad40",
                                                  "#fffaa6", "#bd7b4a", "#ebdbde", "#e29083"});
    QTest::newRow("Standard") << 0 << QStringList();
    QTest::newRow("negative") << -1 << QStringList();
    QTest::newRow("just past the last") << 4 << QStringList();
}

void TestThemes::styleSheet()
{
    QFETCH(int, index);
    QFETCH(QStringList, palette);
    const QStringList roles = {"<window>",         "<tab page>",  "<panel>",
                               "<menu>",           "<highlight>", "<list selection text>",
                               "<list selection>", "<button>"};
    QString expected;
    for (int rule = 0; !palette.isEmpty() && rule < int(std::size(RuleTemplates)); ++rule) {
        QString text = QLatin1String(RuleTemplates[rule]);
        for (int role = 0; role < roles.size(); ++role)
            text.replace(roles[role], palette[role]);
        expected += text;
    }
    QCOMPARE(ColourTheme::styleSheet(index), expected);
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
    MainWindow* window = _fixture->window;
    warnings.clear();
    const QtMessageHandler previous = qInstallMessageHandler(warningHandler);
    window->applyTheme(index);
    window->show();
    QVERIFY(QTest::qWaitForWindowExposed(window));
    QWidget* page = window->findChild<QTabWidget*>()->widget(0);
    const QColor pagePixel = pixelAt(page);
    SetDial options(appSettings(), nullptr, nullptr);
    options.show();
    QVERIFY(QTest::qWaitForWindowExposed(&options));
    const QColor panelPixel = pixelAt(&options);
    qInstallMessageHandler(previous);
    QVERIFY2(warnings.filter(QStringLiteral("style")).isEmpty(), qPrintable(warnings.join('\n')));
    QVERIFY2(near(pagePixel, tabPage), qPrintable(pagePixel.name()));
    QVERIFY2(near(panelPixel, dialog), qPrintable(panelPixel.name()));
    // The standard look takes the theme away again.
    window->applyTheme(0);
    QCOMPARE(qApp->styleSheet(), QString());
    QVERIFY(!near(pixelAt(page), tabPage));
}

QTEST_MAIN(TestThemes)
#include "tst_themes.moc"
