// The main window's menu (four pop-ups) and its keyboard shortcuts. Each item is an action that
// carries its command id; the commands' handlers and the rules that enable and check the items
// are attached by the command table.
#pragma once

#include <QAction>
#include <QMenuBar>

#include <map>

namespace zavel {

// Command ids of the menu.
enum CommandId : int {
    kCommandStop = 40006,
    kCommandAbout = 40007,
    kCommandAdd = 40009,
    kCommandRemove = 40010,
    kCommandExpand = 40011,
    kCommandSaveAs = 40012,
    kCommandCopyDirectory = 40013,
    kCommandShowExpanded = 40014,
    kCommandSort = 40015,
    kCommandStatusBar = 40016,
    kCommandRewrite = 40017,
    kCommandQuit = 40018,
    kCommandKeywords = 40019,
    kCommandExtensions = 40021,
    kCommandReservedWords = 40022,
    kCommandHelp = 40023,
    kCommandExplore = 40025,
    kCommandErrors = 40026,
    kCommandOfflineLinks = 40027,
    kCommandExport = 40031,
    kCommandProblems = 40032,
    // The submenu of the requests at once; its items are kCommandRequestsAtOnce + the number.
    kCommandRequestsAtOnce = 40100,
};

// The command of the item that sets `requests` requests at once, and the number of an item's
// command (0 for any other command).
inline constexpr int RequestsAtOnceCommand(int requests) {
    return kCommandRequestsAtOnce + requests;
}
int RequestsOfCommand(int id);

// Control ids of the status pane and the buttons.
inline constexpr int kStatusPaneId = 11;
inline constexpr int kSaveAsButtonId = 107;
inline constexpr int kAddButtonId = 108;
inline constexpr int kRemoveButtonId = 109;
inline constexpr int kExpandButtonId = 110;
inline constexpr int kStopButtonId = 111;
inline constexpr int kBrowseButtonId = 114;

struct MainMenu {
    std::map<int, QAction*> actions;  // by command id
    QAction* action(int id) const {
        auto found = actions.find(id);
        return found == actions.end() ? nullptr : found->second;
    }
};

// Fills the menu bar with the four pop-ups, their items in order, separators and shortcuts.
// No item starts out greyed or checked.
MainMenu BuildMainMenu(QMenuBar* bar);

}  // namespace zavel
