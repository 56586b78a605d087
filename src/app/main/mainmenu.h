// The main menu as data. One table lists every entry in menu order with its
// component name, the member of TMainMenu that holds it and what the window
// needs to know about it (built yet, shown, checkable, the graphic pane's
// command it runs). BuildMainMenu creates the menus and actions from the
// table and hands them back as TMainMenu, which the main window uses
// directly. The component name becomes the Qt object name only so that the
// caption rule (base 66) gives the entry its text; nothing looks an entry up
// by its name.
#pragma once

#include <array>

class QAction;
class QMainWindow;
class QMenu;
class QMenuBar;

namespace vro::app {

// The menu bar's menus and actions; every member is set by BuildMainMenu.
struct TMainMenu {
    QMenuBar* bar = nullptr;

    QMenu* file = nullptr;
    QMenu* view = nullptr;
    QMenu* graphic = nullptr;
    QMenu* graphicView = nullptr;
    QMenu* graphicEvaluate = nullptr;
    QMenu* graphicMisc = nullptr;
    QMenu* edit = nullptr;
    QMenu* device = nullptr;
    QMenu* extras = nullptr;
    QMenu* help = nullptr;

    // File
    QAction* open = nullptr;
    QAction* import = nullptr;
    QAction* save = nullptr;
    QAction* saveAs = nullptr;
    QAction* saveAll = nullptr;
    QAction* exportOne = nullptr;
    QAction* exportAll = nullptr;
    QAction* merge = nullptr;
    QAction* mergeSeparator = nullptr;
    QAction* print = nullptr;
    QAction* close = nullptr;
    QAction* closeAll = nullptr;
    QAction* recentSeparator = nullptr;
    std::array<QAction*, 8> recentFiles{}; // hidden until the file menu fills them
    QAction* quit = nullptr;
    // View
    QAction* viewGraphic = nullptr;
    QAction* viewTable = nullptr;
    QAction* viewProperties = nullptr;
    QAction* viewDescription = nullptr;
    // Graph > View
    QAction* fullScale = nullptr;
    QAction* scale = nullptr;
    QAction* scaleSettings = nullptr;
    QAction* graphSettings = nullptr;
    QAction* magnifier = nullptr;
    QAction* inverseMagnifier = nullptr;
    QAction* hand = nullptr;
    QAction* navigation = nullptr;
    QAction* back = nullptr;
    QAction* forward = nullptr;
    QAction* snapshot = nullptr;
    QAction* snapshotList = nullptr;
    // Graph > Evaluate
    QAction* ruler = nullptr;
    QAction* caliper = nullptr;
    QAction* tracker = nullptr;
    QAction* deltaTracker = nullptr;
    // Graph > Miscellaneous
    QAction* remark = nullptr;
    QAction* remarkList = nullptr;
    QAction* takePicture = nullptr;
    QAction* reference = nullptr;
    // Edit
    QAction* extract = nullptr;
    QAction* curvesOverlay = nullptr;
    QAction* timeShift = nullptr;
    QAction* calcFormula = nullptr;
    QAction* calcFilter = nullptr;
    QAction* deleteChannel = nullptr;
    // Device
    QAction* connection = nullptr;
    QAction* deviceWindow = nullptr;
    // Extras
    QAction* options = nullptr;
    QAction* resetOptions = nullptr;
    // Help
    QAction* about = nullptr;
};

enum class TMenuKind { Menu, Item, RecentFile, Separator, End };

struct TMenuEntry {
    int depth; // 0: menu bar, 1: in a menu, 2: in a group of the Graph menu
    TMenuKind kind;
    const char* name;                      // component name (object name)
    QMenu* TMainMenu::*menu = nullptr;     // Menu entries
    QAction* TMainMenu::*action = nullptr; // Item entries and the separators the window shows and hides
    bool built = true;                     // false: the function comes with later work; the entry stays disabled
    bool hidden = false;                   // hidden as delivered
    bool checkable = false;                // shows a check mark (the View menu's panes)
    // The graphic pane's command label the entry runs, or nullptr.
    const char* paneCommand = nullptr;
    // Enabled as that label is (the history and view-list items), on every idle moment.
    bool followsPaneCommand = false;
};

// The entries in menu order (ends with a TMenuKind::End entry).
const TMenuEntry* MainMenuEntries();

// Builds the menu bar of `window` from the table: QMenus and QActions named by
// their component names, parented to `window`; entries not built yet are
// disabled and the hidden ones hidden.
TMainMenu BuildMainMenu(QMainWindow* window);

} // namespace vro::app
