// The settings file "status.lst" in the program directory: ten lines, the crawl settings shown
// in the main window's controls and the address that was in the address field at the end of
// the last run.
//
//   1 mode (1 get, anything else copy)   6 copy directory (0 or 1)
//   2 different-servers level            7 rewrite (0 or 1)
//   3 maximum level                      8 sort (0 or 1)
//   4 destination directory              9 show expanded (0 or 1)
//   5 file types ("*.*;")               10 address
//
// Lines after the tenth hold settings a ten-line file leaves at their built-in values:
//
//  11 requests at once (1, 2, 4, 6, 8 or 16; anything else 6)
//  12 offline links of the root being set up (0 or 1; anything else 0)
#pragma once

#include <cstdio>
#include <optional>
#include <string>
#include <string_view>

namespace zavel {

inline constexpr const char* kSettingsFileName = "status.lst";
inline constexpr int kSettingsResourceId = 904;
inline constexpr int kSettingsLineCount = 10;
// The lines written: the ten documented ones and those after them.
inline constexpr int kSettingsWrittenLineCount = 12;

// The choices of "Requests at Once"; a line 11 that names none of them gives the default.
inline constexpr int kRequestsAtOnceChoices[] = {1, 2, 4, 6, 8, 16};
inline constexpr int kDefaultRequestsAtOnce = 6;

// Lines 1 to 9, 11 and 12. The member initialisers are the built-in values that stand in for a
// missing file or a missing line; the built-in destination is the system's and is given by the
// caller.
struct SettingsValues {
    int mode = 1;
    int otherServerLevel = 0;
    int maxLevel = 100;
    std::string destDir;
    std::string fileTypes = "*.*";
    int copyDirectory = 1;
    int rewrite = 0;
    int sort = 1;
    int showExpanded = 1;
    int requestsAtOnce = kDefaultRequestsAtOnce;
    int offlineLinks = 0;
};

struct SettingsFile {
    SettingsValues values;
    // Line 10, when the file has one; otherwise the address field keeps its text.
    std::optional<std::string> address;
};

// The built-in values with the given destination.
SettingsValues BuiltInSettings(std::string destination);

// Reads the file with the line reader, line by line: each line present replaces its built-in
// value, each missing line keeps it. The file is opened for update, so a write-protected file
// counts as missing; a missing or unreadable file gives the built-in values and no address.
SettingsFile ReadSettingsFile(const std::string& path, const SettingsValues& builtIn);

// The same reading from an open file, from where it stands.
SettingsFile ReadSettingsFrom(std::FILE* file, const SettingsValues& builtIn);

// The integer of a numeric line: leading blanks skipped, an optional sign, then decimal digits
// up to the first other character. A line that does not start with a number gives 0; a number
// beyond the range of int gives the nearest value in range.
int ReadSettingsInteger(std::string_view line);

// The twelve lines, each ended by LF. A text value is cut at a line break it may contain, so the
// file always keeps its lines in their places.
std::string FormatSettingsFile(const SettingsValues& values, std::string_view address);

// Replaces the file as a whole (see ReplaceFileContents). False when nothing was written; the
// old file then stays as it was. A write-protected file (see WriteProtected) is never replaced.
bool WriteSettingsFile(const std::string& path, const SettingsValues& values,
                       std::string_view address);

// The default settings file the installer writes: resource 904, byte for byte (CR LF).
std::string_view DefaultSettingsFile();

}  // namespace zavel
