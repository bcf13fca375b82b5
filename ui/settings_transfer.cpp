// The settings between the settings file, the settings record and the window's controls.
#include "lists/settings_file.h"
#include "platform/system_directories.h"
#include "ui/control_text.h"
#include "ui/main_frame.h"

namespace zavel {

void MainFrame::LoadSettings() {
    SettingsValues builtIn = BuiltInSettings(platform::HomeDirectory());
    const SettingsFile file = ReadSettingsFile(programDir + kSettingsFileName, builtIn);
    const SettingsValues& v = file.values;
    destinationText = std::make_shared<SharedText>(v.destDir);
    fileTypeText = std::make_shared<const std::string>(v.fileTypes);
    requestsAtOnce = v.requestsAtOnce;
    engine->SetRequestsAtOnce(requestsAtOnce);
    if (file.address) {
        addressEdit->SetBytes(*file.address);
    }

    LinkArgs args;
    args.tempPath = kSettingsHolderPath;  // keeps the record out of the table and the tree
    args.settings.mode = v.mode;
    args.settings.otherServerLevel = v.otherServerLevel;
    args.settings.maxLevel = v.maxLevel;
    args.settings.destDir = destinationText;
    args.settings.fileTypes = fileTypeText;
    args.settings.copyDirectory = v.copyDirectory;
    args.settings.rewrite = v.rewrite;
    args.settings.sort = v.sort;
    args.settings.showExpanded = v.showExpanded;
    args.settings.offlineLinks = v.offlineLinks;
    args.label = "A";
    settingsRecord = LinkTable::Build(std::move(args));
    ShowSettings(settingsRecord.get());
}

void MainFrame::ShowSettings(const LinkRecord* record) {
    if (record == nullptr) {
        return;
    }
    getRadio->setChecked(record->mode == kModeGet);
    copyRadio->setChecked(record->mode != kModeGet);
    copyDirectoryCheck->setChecked(record->copyDirectory != 0);
    rewriteCheck->setChecked(record->rewrite != 0);
    sortCheck->setChecked(record->sort != 0);
    showExpandedCheck->setChecked(record->showExpanded != 0);
    offlineLinksOn = record->offlineLinks != 0 ? 1 : 0;
    foreignLevelEdit->SetBytes(std::to_string(record->otherServerLevel));
    maxLevelEdit->SetBytes(std::to_string(record->maxLevel));
    fileTypeEdit->SetBytes(*record->fileTypes);
    destinationEdit->SetBytes(record->destDir->Get());
}

void MainFrame::SaveSettings(const LinkRecord* record) {
    if (record == nullptr) {
        return;
    }
    SettingsValues values;
    values.mode = record->mode;
    values.otherServerLevel = record->otherServerLevel;
    values.maxLevel = record->maxLevel;
    values.destDir = record->destDir->Get();
    values.fileTypes = *record->fileTypes;
    values.copyDirectory = record->copyDirectory;
    values.rewrite = record->rewrite;
    values.sort = record->sort;
    values.showExpanded = record->showExpanded;
    values.offlineLinks = record->offlineLinks;
    values.requestsAtOnce = requestsAtOnce;
    const std::string address = addressEdit->Bytes(kSettingsTextBytes);
    // A file that cannot be written keeps its old contents; there is nobody left to tell.
    WriteSettingsFile(programDir + kSettingsFileName, values, address);
}

}  // namespace zavel
