// The commands that open the program's other windows on the main window's behalf: the four
// word-list editors, the directory chooser and Save As.
#include "ui/list_editor_window.h"
#include "ui/main_frame.h"

namespace zavel {

void MainFrame::SetToolWindowOpen(bool open) {
    toolWindowOpen = open ? 1 : 0;
    // One word-list editor or directory chooser at a time. The browse button keeps its look
    // meanwhile and does nothing (OnBrowse); the list commands' rules read the flag.
    UpdateCommandStates();
}

std::string MainFrame::DestinationText() const {
    return destinationText != nullptr ? destinationText->Get() : std::string();
}

void MainFrame::SetDestinationText(const std::string& text) {
    if (destinationText == nullptr) {
        destinationText = std::make_shared<SharedText>(text);
    } else {
        // In place: the records of the latest root share this text, so their copies go there.
        destinationText->Set(text);
    }
}

void MainFrame::OnWordListCommand(int id) {
    if (toolWindowOpen != 0) {
        return;
    }
    WordListKind kind = WordListKind::kKeywords;
    switch (id) {
        case kCommandExtensions:
            kind = WordListKind::kExtensions;
            break;
        case kCommandReservedWords:
            kind = WordListKind::kReservedWords;
            break;
        case kCommandErrors:
            kind = WordListKind::kErrors;
            break;
        default:
            break;
    }
    OpenListEditor(this, kind);
}

void MainFrame::OnBrowse() {
    if (toolWindowOpen != 0) {
        return;
    }
    OpenDirectoryChooser(this);
}

void MainFrame::OnSaveAs() {
    QTreeWidgetItem* item = nullptr;
    const LinkRecord* record = SelectedRecord(&item);
    if (item == nullptr) {
        return;
    }
    SaveSelectedAs(record,
                   SaveAsContext{this, saveDialog, [this, item] { tree->SetDropHighlight(item); }});
}

}  // namespace zavel
