// The main window's commands: the menu items, the accelerators and the buttons routed to their
// handlers, the rules that enable and check each item, and the commands that are only switches
// (the option toggles, the Status Bar switch and Quit).
#include "ui/command_table.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMenu>

#include "ui/main_frame.h"

namespace zavel {
namespace {

void Toggle(QAbstractButton* box) {
    box->setChecked(!box->isChecked());
}

bool IsCheckCommand(int id) {
    switch (id) {
        case kCommandCopyDirectory:
        case kCommandRewrite:
        case kCommandOfflineLinks:
        case kCommandShowExpanded:
        case kCommandSort:
        case kCommandStatusBar:
            return true;
        default:
            return RequestsOfCommand(id) != 0;
    }
}

}  // namespace

const std::array<Accelerator, 10>& AcceleratorTable() {
    static const std::array<Accelerator, 10> table{{
        {Qt::CTRL | Qt::Key_A, kCommandAdd},
        {Qt::CTRL | Qt::Key_C, kCommandCopyDirectory},
        {Qt::CTRL | Qt::Key_E, kCommandExpand},
        {Qt::CTRL | Qt::Key_K, kCommandKeywords},
        {Qt::CTRL | Qt::Key_R, kCommandRewrite},
        {Qt::CTRL | Qt::Key_S, kCommandShowExpanded},
        {Qt::CTRL | Qt::Key_T, kCommandSort},
        {QKeyCombination(Qt::Key_F1), kCommandHelp},
        {Qt::CTRL | Qt::Key_X, kCommandExplore},
        {Qt::CTRL | Qt::Key_P, kCommandProblems},
    }};
    return table;
}

int AcceleratorCommand(QKeyCombination key) {
    // The keypad flag does not make another key; the other modifiers must match exactly.
    const QKeyCombination plain(key.keyboardModifiers() & ~Qt::KeypadModifier, key.key());
    for (const Accelerator& accelerator : AcceleratorTable()) {
        if (accelerator.key == plain) {
            return accelerator.command;
        }
    }
    return 0;
}

AcceleratorFilter::AcceleratorFilter(MainFrame* frame) : QObject(frame), frame_(frame) {
    qApp->installEventFilter(this);
}

bool AcceleratorFilter::eventFilter(QObject* watched, QEvent* event) {
    const QEvent::Type type = event->type();
    if (type != QEvent::ShortcutOverride && type != QEvent::KeyPress) {
        return false;
    }
    // Only keys typed into the main window; its menus and other windows keep theirs.
    auto* widget = qobject_cast<QWidget*>(watched);
    if (widget == nullptr || widget->window() != frame_) {
        return false;
    }
    auto* key = static_cast<QKeyEvent*>(event);
    const int command = AcceleratorCommand(key->keyCombination());
    if (command == 0) {
        return false;
    }
    if (type == QEvent::ShortcutOverride) {
        // Claimed before the control can claim it, and before any shortcut of the menu items:
        // the key press itself comes here next.
        key->accept();
        return true;
    }
    key->accept();
    frame_->RunCommand(command);
    return true;
}

void MainFrame::ConnectCommands() {
    for (const auto& [id, action] : menu.actions) {
        action->setCheckable(IsCheckCommand(id));
        connect(action, &QAction::triggered, this, [this, id = id] { RunCommand(id); });
    }
    // The rules are asked whenever a pop-up opens.
    for (QAction* popUp : menuBar()->actions()) {
        if (QMenu* items = popUp->menu()) {
            connect(items, &QMenu::aboutToShow, this, &MainFrame::UpdateCommandStates);
        }
    }
    // A button that is disabled cannot send its command, so the buttons go straight to it.
    connect(addButton, &QAbstractButton::clicked, this, &MainFrame::AddRoot);
    connect(removeButton, &QAbstractButton::clicked, this, &MainFrame::OnRemove);
    connect(expandButton, &QAbstractButton::clicked, this, &MainFrame::OnExpand);
    connect(stopButton, &QAbstractButton::clicked, this, &MainFrame::OnStop);
    connect(saveAsButton, &QAbstractButton::clicked, this, &MainFrame::OnSaveAs);
    connect(browseButton, &QAbstractButton::clicked, this, &MainFrame::OnBrowse);
    new AcceleratorFilter(this);
    UpdateCommandStates();
}

bool MainFrame::CommandEnabled(int id) const {
    switch (id) {
        case kCommandAdd:
            return canAdd == 1;
        case kCommandRemove:
        case kCommandExplore:  // Explore follows Remove
            return canRemove == 1;
        case kCommandExpand:
            return canExpand == 1;
        case kCommandStop:
            return canStop == 1;
        case kCommandSaveAs:
            return canSaveAs == 1;
        case kCommandKeywords:
        case kCommandExtensions:
        case kCommandReservedWords:
        case kCommandErrors:
            return toolWindowOpen == 0;  // one word-list editor or directory chooser at a time
        case kCommandExport:
            return engine && engine->table().Count() > 0;  // something to export
        default:
            return true;
    }
}

bool MainFrame::CommandChecked(int id) const {
    switch (id) {
        case kCommandCopyDirectory:
            return copyDirectoryCheck->isChecked();
        case kCommandRewrite:
            return rewriteCheck->isChecked();
        case kCommandOfflineLinks:
            return offlineLinksOn == 1;
        case kCommandShowExpanded:
            return showExpandedCheck->isChecked();
        case kCommandSort:
            return sortCheck->isChecked();
        case kCommandStatusBar:
            return statusBarOn == 1;
        default:
            return RequestsOfCommand(id) != 0 && RequestsOfCommand(id) == requestsAtOnce;
    }
}

void MainFrame::UpdateCommandStates() {
    if (!memoryDC) {
        return;
    }
    for (const auto& [id, action] : menu.actions) {
        action->setEnabled(CommandEnabled(id));
        if (action->isCheckable()) {
            action->setChecked(CommandChecked(id));
        }
    }
}

void MainFrame::RunCommand(int id) {
    if (!memoryDC) {
        return;
    }
    // The rule is asked again now: a command that is disabled at this moment does nothing.
    UpdateCommandStates();
    if (!CommandEnabled(id)) {
        return;
    }
    switch (id) {
        case kCommandAdd:
            AddRoot();
            break;
        case kCommandRemove:
            OnRemove();
            break;
        case kCommandExpand:
            OnExpand();
            break;
        case kCommandStop:
            OnStop();
            break;
        case kCommandCopyDirectory:
            Toggle(copyDirectoryCheck);
            break;
        case kCommandRewrite:
            Toggle(rewriteCheck);
            break;
        case kCommandOfflineLinks:
            offlineLinksOn = offlineLinksOn == 1 ? 0 : 1;
            break;
        case kCommandShowExpanded:
            Toggle(showExpandedCheck);
            break;
        case kCommandSort:
            Toggle(sortCheck);
            break;
        case kCommandStatusBar:
            statusBarOn = statusBarOn == 1 ? 0 : 1;
            OnUpdateStatusPane();
            break;
        case kCommandSaveAs:
            OnSaveAs();
            break;
        case kCommandExplore:
            OpenInBrowser();
            break;
        case kCommandExport:
            OnExport();
            break;
        case kCommandProblems:
            OnProblems();
            break;
        case kCommandQuit:
            DestroyWindow();
            return;
        case kCommandKeywords:
        case kCommandExtensions:
        case kCommandReservedWords:
        case kCommandErrors:
            OnWordListCommand(id);
            break;
        case kCommandHelp:
            OnHelp();
            break;
        case kCommandAbout:
            OnAbout();
            break;
        default:
            if (const int requests = RequestsOfCommand(id); requests != 0) {
                // Program-wide, and taken by the running crawl before its next record.
                requestsAtOnce = requests;
                engine->SetRequestsAtOnce(requests);
            }
            break;
    }
    // The check marks follow the boxes at once, not only at the next pop-up.
    UpdateCommandStates();
}

}  // namespace zavel
