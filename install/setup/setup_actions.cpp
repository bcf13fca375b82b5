#include "install/setup/setup_actions.h"

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <system_error>

#include "install/folder_writer.h"
#include "install/setup/desktop_entry.h"
#include "install/setup/registry_file.h"

namespace zavel::setup {
namespace {

namespace fs = std::filesystem;

std::string ReadWhole(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// The nearest part of `folder` that exists must be a folder; the rest can then be made.
bool FolderCanBeMade(const std::string& folder) {
    std::error_code error;
    for (fs::path part = folder; !part.empty(); part = part.parent_path()) {
        const fs::file_status status = fs::status(part, error);
        if (status.type() != fs::file_type::not_found) {
            return status.type() == fs::file_type::directory;
        }
        if (part == part.parent_path()) {
            break;
        }
    }
    return false;
}

bool Copy(const FileCopy& copy, std::string& error) {
    struct stat source {};
    const mode_t mode = stat(copy.source.c_str(), &source) == 0 ? source.st_mode & 0777 : 0644;
    if (!MakeFolders(copy.folder)) {
        error = "cannot make the folder " + copy.folder;
        return false;
    }
    const std::optional<VerifiedFolder> folder =
        VerifiedFolder::Open(copy.folder, FolderCheck::kAsNamed);
    if (!folder || !folder->CopyFile(copy.name, copy.source, mode | 0600)) {
        error = "cannot copy " + copy.source + " to " + copy.folder;
        return false;
    }
    return true;
}

bool Delete(const SetupPlan& plan, const SetupPlaces& places, std::string& error) {
    std::set<std::string> touched;
    for (const FileDeletion& deletion : plan.deletions) {
        const std::optional<VerifiedFolder> folder =
            VerifiedFolder::Open(deletion.folder, FolderCheck::kAsNamed);
        if (!folder) {
            continue;  // no folder, nothing to delete
        }
        if (!folder->RemoveFile(deletion.name)) {
            error = "cannot delete " + deletion.folder + "/" + deletion.name;
            return false;
        }
        touched.insert(deletion.folder);
    }
    // The folders the install made go too, once nothing else is in them.
    for (auto it = touched.rbegin(); it != touched.rend(); ++it) {
        if (*it != "/" && *it != places.windowsDir) {
            rmdir(it->c_str());
        }
    }
    return true;
}

bool Items(const SetupPlan& plan, const SetupPlaces& places, std::string& error) {
    if (plan.items.empty()) {
        return true;
    }
    if (!MakeFolders(places.applicationsDir)) {
        error = "cannot make the folder " + places.applicationsDir;
        return false;
    }
    const std::optional<VerifiedFolder> folder =
        VerifiedFolder::Open(places.applicationsDir, FolderCheck::kAsNamed);
    if (!folder) {
        error = "cannot open the folder " + places.applicationsDir;
        return false;
    }
    for (const GroupItem& item : plan.items) {
        const std::optional<std::string> name = MenuEntryFileName(item.group, item.name);
        if (!name) {
            error = "the item " + item.name + " cannot be named as a menu entry";
            return false;
        }
        if (item.target.empty()) {
            // Only an entry of ours is removed, never one the user made under the same name.
            if (folder->HasPlainFile(*name) &&
                IsOwnMenuEntry(ReadWhole(places.applicationsDir + "/" + *name)) &&
                !folder->RemoveFile(*name)) {
                error = "cannot remove the menu entry " + *name;
                return false;
            }
            continue;
        }
        struct stat target {};
        const bool runnable = stat(item.target.c_str(), &target) == 0 && S_ISREG(target.st_mode) &&
                              access(item.target.c_str(), X_OK) == 0;
        if (!folder->WriteFile(*name,
                               MenuEntryText(item.group, item.name, item.target, runnable))) {
            error = "cannot write the menu entry " + *name;
            return false;
        }
    }
    return true;
}

bool Registry(const SetupPlan& plan, const SetupPlaces& places, std::string& error) {
    if (plan.registryValues.empty() && plan.registryDeletions.empty()) {
        return true;
    }
    if (!MakeFolders(places.windowsDir)) {
        error = "cannot make the folder " + places.windowsDir;
        return false;
    }
    const std::optional<VerifiedFolder> folder =
        VerifiedFolder::Open(places.windowsDir, FolderCheck::kAsNamed);
    if (!folder) {
        error = "cannot open the folder " + places.windowsDir;
        return false;
    }
    RegistryFile registry =
        RegistryFile::Parse(ReadWhole(places.windowsDir + "/" + kRegistryFileName));
    for (const RegistryValue& value : plan.registryValues) {
        registry.Set(value.key, value.name, value.value);
    }
    for (const RegistryDeletion& deletion : plan.registryDeletions) {
        if (deletion.name) {
            registry.DeleteValue(deletion.key, *deletion.name);
        } else {
            registry.DeleteKey(deletion.key);
        }
    }
    const bool ok = registry.Empty() ? folder->RemoveFile(kRegistryFileName)
                                     : folder->WriteFile(kRegistryFileName, registry.Text());
    if (!ok) {
        error = "cannot write " + places.windowsDir + "/" + kRegistryFileName;
    }
    return ok;
}

}  // namespace

bool CheckPlan(const SetupPlan& plan, std::string& error) {
    for (const FileCopy& copy : plan.copies) {
        std::error_code ignored;
        if (!fs::is_regular_file(copy.source, ignored) || access(copy.source.c_str(), R_OK) != 0) {
            error = copy.source + " is missing or cannot be read";
            return false;
        }
        if (!FolderCanBeMade(copy.folder)) {
            error = "the folder " + copy.folder + " cannot be made: a file stands in its way";
            return false;
        }
    }
    return true;
}

bool CarryOut(const SetupPlan& plan, const SetupPlaces& places, std::string& error) {
    for (const FileCopy& copy : plan.copies) {
        if (!Copy(copy, error)) {
            return false;
        }
    }
    return Delete(plan, places, error) && Items(plan, places, error) &&
           Registry(plan, places, error);
}

}  // namespace zavel::setup
