#pragma once

#include <QString>
#include <QStringList>

// The program's colour themes: one application style sheet per theme index.
namespace ColourTheme {

// The colours of one theme, each a style-sheet colour or gradient.
struct Palette
{
    QString window;            // main window background
    QString tabPage;           // tab pages (class "childTab")
    QString panel;             // dialogs, message boxes, editor panels, view displays
    QString menu;              // menu bar, menus, unselected items and tabs
    QString highlight;         // selected tab, menu-bar item and menu item
    QString listSelectionText; // text of a selected list item
    QString listSelection;     // background of a selected list item
    QString button;            // push buttons
};

// The English names of the themes, by index ("Standard" first).
QStringList names();

// The style sheet of a theme; empty (Qt's own look) for 0 and any unknown index.
QString styleSheet(int index);

// The style sheet built from one palette.
QString styleSheet(const Palette& palette);

} // namespace ColourTheme
