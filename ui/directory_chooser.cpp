// The directory mode of the tool window: the directory chooser. It walks the directory tree by
// changing the process's current directory, which stays where the user left it (Cancel does
// not undo): every directory entered is at once the owner's destinationText.
#include <QString>

#include <optional>
#include <string>

#include "platform/message_box.h"
#include "ui/directory_listing.h"
#include "ui/list_editor_window.h"
#include "ui/own_controls.h"

namespace zavel {
namespace {

// The current directory; when the process has none left (its folder was removed meanwhile),
// the nearest folder above `lastKnown` that can still be entered becomes current.
std::string CurrentDirectoryOr(const std::string& lastKnown) {
    if (std::optional<std::string> current = CurrentDirectory()) {
        return *current;
    }
    std::string candidate = lastKnown;
    for (;;) {
        const std::string parent = TargetOfLine("[..]", candidate);
        if (parent == candidate || parent.empty()) {
            break;
        }
        candidate = parent;
        if (EnterDirectory(candidate)) {
            if (std::optional<std::string> current = CurrentDirectory()) {
                return *current;
            }
        }
    }
    EnterDirectory(std::string(1, kPathSeparator));
    return CurrentDirectory().value_or(std::string(1, kPathSeparator));
}

// The destination edit holds a path: an edit of the program's own gives back the very bytes it
// shows (a folder name that is not UTF-8 included).
std::string PathOfEdit(const QLineEdit& edit) {
    if (const auto* own = dynamic_cast<const OwnEdit*>(&edit)) {
        return own->Bytes();
    }
    return PathFromDisplay(edit.text());
}

void ShowPathInEdit(QLineEdit& edit, const std::string& path) {
    if (auto* own = dynamic_cast<OwnEdit*>(&edit)) {
        own->SetBytes(path);
    } else {
        edit.setText(PathToDisplay(path));
    }
}

}  // namespace

void ListEditorWindow::ChangeAndList(const std::string& directory) {
    if (!EnterDirectory(directory)) {
        platform::ShowErrorBox("Error accessing directory");
    }
    // The directory actually in force, as the system spells it; after a failure the earlier one.
    directoryText = CurrentDirectoryOr(directory);
    owner->SetDestinationText(directoryText);
    list->SetLines(DirectoryListingLines(directoryText));
    setWindowTitle(QStringLiteral("Change Directory [%1]").arg(PathToDisplay(directoryText)));
}

void ListEditorWindow::OnDirectoryClick() {
    const int index = list->SelectedIndex();
    if (index < 0) {
        return;
    }
    editField->setText(PathToDisplay(TargetOfLine(list->LineAt(index), directoryText)));
}

void ListEditorWindow::OnDirectoryDoubleClick() {
    const int index = list->SelectedIndex();
    if (index < 0) {
        return;
    }
    const std::string target = TargetOfLine(list->LineAt(index), directoryText);
    owner->SetDestinationText(target);
    // The edit field keeps what the first click of the double click put there.
    ChangeAndList(target);
}

void ListEditorWindow::OnDirectoryOk() {
    nameText = CurrentDirectoryOr(directoryText);
    owner->SetDestinationText(nameText);
    if (QLineEdit* destinationEdit = owner->DestinationEdit()) {
        ShowPathInEdit(*destinationEdit, nameText);
    }
    DestroyWindow();
}

ListEditorWindow* OpenDirectoryChooser(ToolWindowOwner* owner) {
    // While another tool window is open the browse button has no effect at all.
    if (owner->IsToolWindowOpen()) {
        return nullptr;
    }
    if (const QLineEdit* destinationEdit = owner->DestinationEdit()) {
        owner->SetDestinationText(PathOfEdit(*destinationEdit));
    }
    const QString title = owner->InInstallMode() ? QStringLiteral("Choose Directory")
                                                 : QStringLiteral("Change Directory");
    ListEditorWindow* window = ListEditorWindow::Create(title, owner, owner->DestinationText(),
                                                        ListEditorWindow::kDirectoryMode);
    if (window != nullptr) {
        window->show();
    }
    return window;
}

}  // namespace zavel
