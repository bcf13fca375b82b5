// Save As: one page of the tree fetched again from its server into a file the user names with
// the standard save dialog. The fetch runs on the calling (user-interface) thread.
#pragma once

#include <QStringList>
#include <QWidget>

#include <cstddef>
#include <functional>
#include <optional>
#include <string>

#include "engine/link_record.h"

namespace zavel {

// What the save dialog is asked to show.
struct SaveDialogSettings {
    std::string proposedName;     // the initial file name
    QStringList fileTypeChoices;  // name filters, the first one selected
    int* chosenChoice = nullptr;  // when set, receives the index of the choice selected at the end
};

// Shows the save dialog owned by `owner` and waits for the user: the full path of the chosen
// file, or nullopt when the user cancelled. Asking before an existing file is replaced is the
// dialog's part. Tests put their own in its place.
using SaveDialog =
    std::function<std::optional<std::string>(QWidget* owner, const SaveDialogSettings& settings)>;

// The platform's standard save dialog (save_dialog.cpp): no default extension, no read-only
// option, the process's current directory left as it is.
std::optional<std::string> StandardSaveDialog(QWidget* owner, const SaveDialogSettings& settings);

// The three file-type choices: html files, graphic files, all files.
QStringList SaveFileTypeChoices();

// The name the dialog proposes for a record: its file without the leading "/", at most
// kProposedNameBytes of it, or "index.html" for a directory address.
inline constexpr std::size_t kProposedNameBytes = 199;
std::string ProposedSaveName(const LinkRecord& record);

struct SaveAsContext {
    QWidget* owner = nullptr;  // owns the dialog; repainted once the dialog is gone
    SaveDialog saveDialog = StandardSaveDialog;
    // Marks the item worked on with the tree's drop-target highlight.
    std::function<void()> markItem;
};

// The Save As command for the selected item's record (null when the item has none: then only
// the mark is set). Cancelling fetches nothing. A fetch that fails shows "Internal Error" once
// and leaves an existing file of the chosen name as it was; the record's image and state never
// change. The item is marked in every case.
void SaveSelectedAs(const LinkRecord* record, const SaveAsContext& context);

}  // namespace zavel
