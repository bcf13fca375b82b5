// Where the program's help file lies: beside the program file, named after it, with the
// extension ".hlp". The installed "zavel.exe" reads "zavel.hlp"; the built "bin/zavel" reads
// "bin/zavel.hlp", which the build puts there.
#pragma once

#include <string>

namespace zavel::platform {

// The help topic that the Help command and F1 open.
inline constexpr int kHelpContextTopic = 100;

// The running program's own file, from /proc/self/exe. A program file replaced while it runs
// (a rebuild) keeps its name: the kernel's " (deleted)" mark is dropped. Empty when the link
// cannot be read.
std::string ProgramFile();

// `programFile` with the extension of its file name replaced by ".hlp", or ".hlp" appended
// when the name has none. A dot in a folder's name is no extension.
std::string HelpFilePath(const std::string& programFile);

}  // namespace zavel::platform
