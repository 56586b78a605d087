// The main menu as data: every entry with its component name, which is also
// the Qt object name, so that the caption rule gives it its text (base 66).
#pragma once

#include <QString>

class QMainWindow;
class QMenu;

namespace vro::app {

enum class TMenuKind { Menu, Item, Separator, End };

struct TMenuEntry {
    int depth; // 0: menu bar, 1: in a menu, 2: in a group of the Graph menu
    TMenuKind kind;
    const char* name; // component name; empty for separators
};

// The entries in menu order (ends with a TMenuKind::End entry).
const TMenuEntry* MainMenuEntries();

// Builds the menu bar of `window`: QMenus and QActions named by their
// component names, the eight recent-file items (hidden) and the hidden merge
// item with its separator.
void BuildMainMenu(QMainWindow* window);

} // namespace vro::app
