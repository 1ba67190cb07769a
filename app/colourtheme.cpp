#include "app/colourtheme.h"

namespace ColourTheme {

namespace {

const Palette FreshLime = {
    QStringLiteral("#385403"),
    QStringLiteral("qlineargradient(x1: 0, y1: 0, x2: 1, y2: 1, stop: 0 #549D0C, stop: 1 #0F1E01)"),
    QStringLiteral("#74ac06"),
    QStringLiteral("#fbd68f"),
    QStringLiteral("#fffaa6"),
    QStringLiteral("#5a454a"),
    QStringLiteral("#ebdbde"),
    QStringLiteral("#669999"),
};

const Palette LavenderFields = {
    QStringLiteral("#3e215b"),
    QStringLiteral("#a958a7"),
    QStringLiteral("qlineargradient(x1: 0, x2: 1, stop: 0 #eac5df, stop: 1 #3e215b)"),
    QStringLiteral("#e0dcec"),
    QStringLiteral("#fffaa6"),
    QStringLiteral("#a6614a"),
    QStringLiteral("#ebdbde"),
    QStringLiteral("#e2b536"),
};

const Palette WildBerries = {
    QStringLiteral("#d6cbc5"),
    QStringLiteral("#610b30"),
    QStringLiteral("#c64d5c"),
    QStringLiteral("#9aad40"),
    QStringLiteral("#fffaa6"),
    QStringLiteral("#bd7b4a"),
    QStringLiteral("#ebdbde"),
    QStringLiteral("#e29083"),
};

} // namespace

QStringList names()
{
    return {QStringLiteral("Standard"), QStringLiteral("Fresh lime"),
            QStringLiteral("Lavender fields"), QStringLiteral("Wild berries")};
}

QString styleSheet(int index)
{
    switch (index) {
    case 1:
        return styleSheet(FreshLime);
    case 2:
        return styleSheet(LavenderFields);
    case 3:
        return styleSheet(WildBerries);
    default:
        return QString();
    }
}

QString styleSheet(const Palette& p)
{
    // The rules follow one another without separators; later rules refine
    // earlier ones, so their order matters.
    return QStringLiteral("QTabWidget::tab-bar {left: 5px; background-color: rgba(0,0,0,0%);}")
           + QStringLiteral("QTabBar::tab:!selected {background-color: ") + p.menu + QStringLiteral(";}")
           + QStringLiteral("QTabBar::tab:selected {background-color: ") + p.highlight
           + QStringLiteral(";}")
           + QStringLiteral("QTabBar::tab { border: 1px solid gray; padding: 5px; "
                            "border-top-left-radius: 8px; border-top-right-radius: 8px; }")
           + QStringLiteral("QTabWidget::pane { border: 1px solid gray; padding: 0px 0px; "
                            "margin: 0px 0px; }")
           + QStringLiteral("QTabWidget { border: none; padding: 0px 0px; margin: 0px 0px; }")
           + QStringLiteral("QToolBar {border: none;}")
           + QStringLiteral("QMenu {background-color: ") + p.menu + QStringLiteral("}")
           + QStringLiteral("QMenuBar {background-color: ") + p.menu + QStringLiteral(";}")
           + QStringLiteral("QMenuBar::item:!selected {background-color: ") + p.menu
           + QStringLiteral(";}")
           + QStringLiteral("QMenuBar::item:selected {background-color: ") + p.highlight
           + QStringLiteral(";}")
           + QStringLiteral("QMenu::item:!selected {background-color: ") + p.menu
           + QStringLiteral(";}")
           + QStringLiteral("QMenu::item:selected {background-color: ") + p.highlight
           + QStringLiteral("; color: black;}")
           + QStringLiteral("QListWidget::item:selected {background-color: ") + p.listSelection
           + QStringLiteral("; color: ") + p.listSelectionText + QStringLiteral(";}")
           + QStringLiteral("QMainWindow {background-color: ") + p.window + QStringLiteral(";}")
           + QStringLiteral("QSplitter::handle {background-color: rgba(0,0,0,0);}")
           + QStringLiteral("QPushButton {background-color: ") + p.button + QStringLiteral(";}")
           + QStringLiteral("QDialog {background-color: ") + p.panel + QStringLiteral(";}")
           + QStringLiteral("QMessageBox {background-color: ") + p.panel + QStringLiteral(";}")
           + QStringLiteral("*[class=editContainer]{background-color: ") + p.panel
           + QStringLiteral(";}")
           + QStringLiteral("QScrollArea {background-color: rgba(0,0,0,0);}")
           + QStringLiteral("*[class=childTab]{background-color: ") + p.tabPage
           + QStringLiteral("; margin: 0px 0px; padding: 0px 0px; border: none;}")
           + QStringLiteral("*[class=viewDisplay]{background-color: ") + p.panel
           + QStringLiteral("; padding: 0px 0px;}");
}

} // namespace ColourTheme
