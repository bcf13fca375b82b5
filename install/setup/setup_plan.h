// What one section of a setup-information file asks for, worked out completely before anything
// is changed: the files to copy and to delete, the program-group items to add and remove, and
// the registry values to add and the keys to delete. A file the engine cannot understand gives
// no plan at all, only the reason.
//
// The directives understood in the section: CopyFiles, DelFiles, UpdateInis, AddReg, DelReg and
// Uninstall (which names the section that undoes this one). Directory ids: 10 the Windows
// directory, 17 its "inf" folder, 24 the root "/". A backslash in a path is this system's "/";
// a group item's path that is not absolute starts at the root, as directory id 24 does.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "install/setup/inf_file.h"

namespace zavel::setup {

struct SetupPlaces {
    std::string windowsDir;       // directory id 10, no trailing "/"
    std::string applicationsDir;  // where the desktop's menu entries lie
    std::string sourceFolder;     // the folder that holds the .inf, no trailing "/"
};

struct FileCopy {
    std::string source;  // full path
    std::string folder;  // destination folder, no trailing "/" (but "/" itself)
    std::string name;
};

struct FileDeletion {
    std::string folder;
    std::string name;
};

// One item of a program group; without a target it is to be removed.
struct GroupItem {
    std::string group;
    std::string name;
    std::string target;
};

struct RegistryValue {
    std::string key;   // root and subkey, joined by "\"
    std::string name;  // "" for the key's default value
    std::string value;
};

struct RegistryDeletion {
    std::string key;
    std::optional<std::string> name;  // nullopt: the whole key
};

struct SetupPlan {
    std::vector<FileCopy> copies;
    std::vector<FileDeletion> deletions;
    std::vector<GroupItem> items;
    std::vector<RegistryValue> registryValues;
    std::vector<RegistryDeletion> registryDeletions;
};

// The plan of `section`, or nullopt with the reason in `error`. Checks the [version] signature,
// every directive, every referenced section and every string reference.
std::optional<SetupPlan> PlanSection(const InfFile& inf, std::string_view section,
                                     const SetupPlaces& places, std::string& error);

// A path with "\" made "/" and repeated separators made one.
std::string NormalPath(std::string_view path);

}  // namespace zavel::setup
