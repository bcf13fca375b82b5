// The directory chooser's view of the file system: the process's current directory, the lines
// of a directory's listing and the directory each line leads to. Standard library only.
//
// Listing lines, in the notation of the chooser's list:
//   [..]     the parent directory (absent at the root "/")
//   [name]   a subdirectory
//   [-c-]    a drive; this platform has no drives, so its listings never hold such a line
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zavel {

inline constexpr char kPathSeparator = '/';

// Whether this platform's listings hold drive lines.
inline constexpr bool kListingHasDrives = false;

// Makes `directory` the process's current directory (chdir); false when it cannot be entered.
bool EnterDirectory(const std::string& directory);

// The process's current directory as the system spells it (getcwd), whatever its length;
// nullopt when it has none, as when the folder was removed while it was current.
std::optional<std::string> CurrentDirectory();

// The listing of `directory`: [..] first unless it is the root, then [name] for every
// subdirectory (a link to a directory counts as one), ignoring case in their order. Names
// beginning with "." are hidden folders and are left out; plain files never appear. A folder
// that can be entered but not read lists only its [..].
std::vector<std::string> DirectoryListingLines(const std::string& directory);

// The directory that a listing line leads to from `currentDirectory`:
// - a drive line [-c-] (only where listingHasDrives): "c:";
// - [name]: currentDirectory, a separator unless it ends with one, and name;
// - [..]: currentDirectory up to its last separator; a separator after a drive's colon, or the
//   root's own separator, is kept ("c:/" and "/"); with no separator, currentDirectory itself.
// Without listingHasDrives a folder named like a drive ("-c-") is a subdirectory like any other.
std::string TargetOfLine(std::string_view line, std::string_view currentDirectory,
                         bool listingHasDrives = kListingHasDrives);

}  // namespace zavel
