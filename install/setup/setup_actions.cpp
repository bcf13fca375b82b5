#include "install/setup/setup_actions.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
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

// The program that opens `target` from the menu; "" when the target is a program itself. A help
// file opens in the help engine, which here is the program the file belongs to (zavel.hlp
// beside zavel.exe, as the program finds its help): it shows the file in its help window. The
// desktop's opener would go by the name and take a ".hlp" file for a WinHelp file.
std::string OpenerOf(const std::string& target) {
    if (IsRunnableFile(target)) {
        return {};
    }
    const fs::path path(target);
    std::string extension = path.extension().string();
    for (char& c : extension) {
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    if (extension == ".hlp") {
        for (const char* programExtension : {".exe", ""}) {
            const std::string program = fs::path(path).replace_extension(programExtension).string();
            if (IsRunnableFile(program)) {
                return program;
            }
        }
    }
    return "xdg-open";
}

bool Items(const SetupPlan& plan, const SetupPlaces& places, std::string& error,
           std::ostream& notes) {
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
        // Only an entry of ours is replaced or removed, never one the user made (or a link
        // put) under the same name.
        const std::string path = places.applicationsDir + "/" + *name;
        struct stat existing {};
        const bool taken = lstat(path.c_str(), &existing) == 0;
        const bool ours = folder->HasPlainFile(*name) && IsOwnMenuEntry(ReadWhole(path));
        if (item.target.empty()) {
            if (ours && !folder->RemoveFile(*name)) {
                error = "cannot remove the menu entry " + *name;
                return false;
            }
            continue;
        }
        if (taken && !ours) {
            notes << "zavel-setup: " << path
                  << ": a menu entry this engine did not write; it is left as it is\n";
            continue;
        }
        if (!folder->WriteFile(
                *name, MenuEntryText(item.group, item.name, item.target, OpenerOf(item.target)))) {
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

bool CarryOut(const SetupPlan& plan, const SetupPlaces& places, std::string& error,
              std::ostream& notes) {
    for (const FileCopy& copy : plan.copies) {
        if (!Copy(copy, error)) {
            return false;
        }
    }
    return Delete(plan, places, error) && Items(plan, places, error, notes) &&
           Registry(plan, places, error);
}

}  // namespace zavel::setup
