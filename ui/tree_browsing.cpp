// The tree as the user works with it: adding a root, clicking an item to see and reuse its
// settings, and opening an item's address in the web browser.
#include "lists/settings_file.h"
#include "platform/shell.h"
#include "ui/control_text.h"
#include "ui/main_frame.h"

namespace zavel {
namespace {

// The address typed is cut to what its buffer keeps.
constexpr std::size_t kAddressBytes = 99;

// The destination without its one trailing "/"; the root "/" keeps it.
std::string DestinationFrom(const OwnEdit& edit) {
    std::string destination = edit.Bytes(kSettingsTextBytes);
    if (destination.size() > 1 && destination.back() == '/') {
        destination.pop_back();
    }
    return destination;
}

// The file types, always ending in ";" (an empty text gives ";" alone), within the buffer.
std::string FileTypesFrom(const OwnEdit& edit) {
    std::string types = edit.Bytes(kSettingsTextBytes);
    if (types.empty() || types.back() != ';') {
        types = edit.Bytes(kSettingsTextBytes - 1) + ';';
    }
    return types;
}

}  // namespace

void MainFrame::AddRoot() {
    if (!engine || !memoryDC) {
        return;
    }
    if (startScreenCleared == 0) {
        // Once per run, even when the address turns out to be empty.
        startScreenCleared = 1;
        ClearStartArea();
        // The contact lines are gone: no link cursor stays behind where one was.
        clientArea->setCursor(Qt::ArrowCursor);
    }

    CrawlSettings settings;
    settings.mode = getRadio->isChecked() ? kModeGet : kModeCopy;
    settings.otherServerLevel = ReadSettingsInteger(foreignLevelEdit->Bytes());
    settings.maxLevel = ReadSettingsInteger(maxLevelEdit->Bytes());
    // A new pair of texts for this root; the earlier pair stays with the records using it.
    destinationText = std::make_shared<SharedText>(DestinationFrom(*destinationEdit));
    fileTypeText = std::make_shared<const std::string>(FileTypesFrom(*fileTypeEdit));
    settings.destDir = destinationText;
    settings.fileTypes = fileTypeText;
    settings.copyDirectory = copyDirectoryCheck->isChecked() ? 1 : 0;
    settings.rewrite = rewriteCheck->isChecked() ? 1 : 0;
    settings.sort = sortCheck->isChecked() ? 1 : 0;
    settings.showExpanded = showExpandedCheck->isChecked() ? 1 : 0;
    settings.offlineLinks = offlineLinksOn;

    std::string address = addressEdit->Bytes(kAddressBytes);
    if (address.empty()) {
        return;
    }

    LinkArgs args;
    args.linkText = std::move(address);
    args.tempPath = programDir + "data";
    args.tree = treePresenter.get();
    args.parentItem = kNoTreeItem;
    args.settings = settings;
    // The label counts the root, admitted or not: the next Add takes the next letter.
    args.label = engine->table().NextRootLabel();
    // A root is never refused as a duplicate; the worker finds it by itself.
    engine->table().Construct(std::move(args));
    CopyToSettingsRecord(settings);
}

void MainFrame::OnTreeClick() {
    QTreeWidgetItem* item = nullptr;
    const LinkRecord* record = SelectedRecord(&item);
    if (record == nullptr) {
        return;
    }
    CopyToSettingsRecord(record->Settings());

    bool someHeld = false;
    bool someNotHeld = false;
    for (const LinkRecord* member : engine->table().Subtree(record->label)) {
        (member->held.load() == 1 ? someHeld : someNotHeld) = true;
    }
    // The record's own bytes: the item's text may show them as Latin-1.
    addressEdit->SetBytes(record->DisplayText());
    ApplyCommandStates(CommandStates{true, true, someHeld, someNotHeld, true});
    ShowSettings(record);
    tree->SetDropHighlight(item);
}

void MainFrame::OpenInBrowser() {
    const LinkRecord* record = SelectedRecord();
    if (record == nullptr) {
        return;
    }
    // Without a browser, or when it cannot be started, nothing happens and nothing is said.
    platform::OpenInWebBrowser(record->DisplayText(), record->secure);
}

LinkRecord* MainFrame::SelectedRecord(QTreeWidgetItem** item) const {
    if (!engine || tree == nullptr) {
        return nullptr;
    }
    QTreeWidgetItem* selected = tree->SelectedItem();
    if (item != nullptr) {
        *item = selected;
    }
    if (selected == nullptr) {
        return nullptr;
    }
    return engine->table().FindByTreeItem(TreePresenter::IdOf(selected));
}

void MainFrame::CopyToSettingsRecord(const CrawlSettings& settings) {
    if (settingsRecord) {
        static_cast<CrawlSettings&>(*settingsRecord) = settings;
    }
}

}  // namespace zavel
