// The window's half of the link commands: each acts on the subtree of the tree's selected item
// and shows the command states that result on the buttons and the menu's flags.
#include "ui/main_frame.h"

namespace zavel {

void MainFrame::OnRemove() {
    QTreeWidgetItem* item = tree != nullptr ? tree->SelectedItem() : nullptr;
    if (item == nullptr || !engine) {
        return;
    }
    if (const auto states = engine->Remove(TreePresenter::IdOf(item), treePresenter.get())) {
        ApplyCommandStates(*states);
    }
}

void MainFrame::OnExpand() {
    QTreeWidgetItem* item = tree != nullptr ? tree->SelectedItem() : nullptr;
    if (item == nullptr || !engine) {
        return;
    }
    const TreeItemId id = TreePresenter::IdOf(item);
    if (engine->table().FindByTreeItem(id) == nullptr) {
        return;
    }
    if (const auto states = engine->Expand(id)) {
        ApplyCommandStates(*states);
    }
    tree->SetDropHighlight(item);
}

void MainFrame::OnStop() {
    QTreeWidgetItem* item = tree != nullptr ? tree->SelectedItem() : nullptr;
    if (item == nullptr || !engine) {
        return;
    }
    const TreeItemId id = TreePresenter::IdOf(item);
    // Only Remove takes records away, so the record found now is the one Stop will find.
    const bool known = engine->table().FindByTreeItem(id) != nullptr;
    if (const auto states = engine->Stop(id)) {
        ApplyCommandStates(*states);
    }
    if (known) {
        tree->SetDropHighlight(item);
    }
}

void MainFrame::ApplyCommandStates(const CommandStates& states) {
    canAdd = states.add ? 1 : 0;
    canRemove = states.remove ? 1 : 0;
    canExpand = states.expand ? 1 : 0;
    canStop = states.stop ? 1 : 0;
    canSaveAs = states.saveAs ? 1 : 0;
    // A button that goes grey while it has the focus (the one just clicked) hands the focus to
    // the window, not to the next control, which would select its text.
    const std::pair<PictureButton*, bool> buttons[] = {{addButton, states.add},
                                                       {removeButton, states.remove},
                                                       {expandButton, states.expand},
                                                       {stopButton, states.stop},
                                                       {saveAsButton, states.saveAs}};
    for (const auto& [button, enabled] : buttons) {
        if (!enabled && button->hasFocus()) {
            clientArea->setFocus(Qt::OtherFocusReason);
        }
    }
    addButton->setEnabled(states.add);
    removeButton->setEnabled(states.remove);
    expandButton->setEnabled(states.expand);
    stopButton->setEnabled(states.stop);
    saveAsButton->setEnabled(states.saveAs);
}

}  // namespace zavel
