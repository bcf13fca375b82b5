// The install record "dir.lst": one line naming the install folder, kept twice, in the Windows
// directory and in the install folder itself. The uninstaller removes the second copy, so a
// program whose install folder has lost its copy counts as not installed.
#pragma once

#include <optional>
#include <string>

namespace zavel {

inline constexpr const char* kInstallLocationFileName = "dir.lst";

// Reads windowsDir + "/dir.lst", whose first line names the install folder, then that folder's
// own "dir.lst", whose first line becomes the program directory. Returns the program directory
// (ending with "/"), or nullopt when the program is not installed: either file cannot be
// opened, or its first line is missing or empty. A folder line without a trailing "/" gets one,
// so a hand-edited record still names its folder.
std::optional<std::string> ReadInstallLocation(const std::string& windowsDir);

// The first line of an own text file as the line reader gives it, or nullopt when the file
// cannot be opened for reading or has no line at all.
std::optional<std::string> ReadFirstLine(const std::string& path);

}  // namespace zavel
