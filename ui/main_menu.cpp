#include "ui/main_menu.h"

#include <QMenu>

#include "lists/settings_file.h"

namespace zavel {
namespace {

struct Item {
    const char* label;  // nullptr: a separator
    int id;
    QKeySequence shortcut;
};

struct PopUp {
    const char* label;
    std::vector<Item> items;
};

const Item kSeparator{nullptr, 0, {}};

std::vector<PopUp> MenuTable() {
    return {
        {"&File",
         {
             {"&Add", kCommandAdd, QKeySequence(Qt::CTRL | Qt::Key_A)},
             {"&Remove", kCommandRemove, {}},
             {"&Expand", kCommandExpand, QKeySequence(Qt::CTRL | Qt::Key_E)},
             {"&Stop", kCommandStop, {}},
             kSeparator,
             {"&Copy Directory", kCommandCopyDirectory, QKeySequence(Qt::CTRL | Qt::Key_C)},
             {"Re&write", kCommandRewrite, QKeySequence(Qt::CTRL | Qt::Key_R)},
             {"&Offline Links", kCommandOfflineLinks, {}},
             kSeparator,
             {"Sa&ve As...", kCommandSaveAs, {}},
             {"E&xplore", kCommandExplore, QKeySequence(Qt::CTRL | Qt::Key_X)},
             {"Ex&port...", kCommandExport, {}},
             kSeparator,
             {"&Quit", kCommandQuit, {}},
         }},
        {"&View",
         {
             {"Show Expanded", kCommandShowExpanded, QKeySequence(Qt::CTRL | Qt::Key_S)},
             {"Sort", kCommandSort, QKeySequence(Qt::CTRL | Qt::Key_T)},
             kSeparator,
             {"Status Bar", kCommandStatusBar, {}},
             kSeparator,
             {"&Problems", kCommandProblems, QKeySequence(Qt::CTRL | Qt::Key_P)},
         }},
        {"&Settings",
         {
             {"&Keywords", kCommandKeywords, QKeySequence(Qt::CTRL | Qt::Key_K)},
             kSeparator,
             {"&Extensions", kCommandExtensions, {}},
             {"&Reserved Words", kCommandReservedWords, {}},
             {"E&rrors", kCommandErrors, {}},
             kSeparator,
             {"Requests at &Once", kCommandRequestsAtOnce, {}},
         }},
        {"&Help",
         {
             {"&How to use ZAVEL", kCommandHelp, QKeySequence(Qt::Key_F1)},
             kSeparator,
             {"&About", kCommandAbout, {}},
         }},
    };
}

// The submenu's checkable items 1, 2, 4, 6, 8 and 16.
void AddRequestsAtOnce(QMenu* pop, MainMenu& menu) {
    QMenu* sub = pop->addMenu(QStringLiteral("Requests at &Once"));
    sub->menuAction()->setData(kCommandRequestsAtOnce);
    for (int requests : kRequestsAtOnceChoices) {
        QAction* action = sub->addAction(QString::number(requests));
        action->setData(RequestsAtOnceCommand(requests));
        menu.actions[RequestsAtOnceCommand(requests)] = action;
    }
}

}  // namespace

int RequestsOfCommand(int id) {
    for (int requests : kRequestsAtOnceChoices) {
        if (id == RequestsAtOnceCommand(requests)) {
            return requests;
        }
    }
    return 0;
}

MainMenu BuildMainMenu(QMenuBar* bar) {
    MainMenu menu;
    for (const PopUp& popUp : MenuTable()) {
        QMenu* pop = bar->addMenu(QString::fromLatin1(popUp.label));
        for (const Item& item : popUp.items) {
            if (item.label == nullptr) {
                pop->addSeparator();
                continue;
            }
            if (item.id == kCommandRequestsAtOnce) {
                AddRequestsAtOnce(pop, menu);
                continue;
            }
            QAction* action = pop->addAction(QString::fromLatin1(item.label));
            action->setData(item.id);
            action->setShortcut(item.shortcut);
            // The shortcuts are the window's, whichever control has the focus.
            action->setShortcutContext(Qt::WindowShortcut);
            menu.actions[item.id] = action;
        }
    }
    return menu;
}

}  // namespace zavel
