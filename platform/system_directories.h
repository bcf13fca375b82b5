// The directories the program asks the system for: the "Windows directory" where the install
// record lies, the user's home and the current directory.
#pragma once

#include <string>

namespace zavel::platform {

// $XDG_DATA_HOME, or ~/.local/share when XDG_DATA_HOME is unset, empty or not an absolute
// path. No trailing "/" (the root is ""). The desktop's menu entries lie in its "applications".
std::string DataHomeDirectory();

// DataHomeDirectory() + "/zavel". No trailing "/". Only named here; CreateWindowsDirectory
// makes it.
std::string WindowsDirectory();

// Makes the Windows directory and its parents when missing. False when it cannot be made.
bool CreateWindowsDirectory();

// The user's home directory followed by "/": $HOME, or the password database's entry when HOME
// is unset or empty; "/" when neither names one.
std::string HomeDirectory();

// The process's current directory, or "" when it cannot be read (it was removed, or its path
// is too long).
std::string CurrentDirectory();

}  // namespace zavel::platform
