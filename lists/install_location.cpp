#include "lists/install_location.h"

#include <cstdio>

#include "lists/list_line.h"

namespace zavel {
namespace {

// The folder named by the first line of a "dir.lst", or nullopt when there is none.
std::optional<std::string> FolderNamedIn(const std::string& path) {
    std::optional<std::string> folder = ReadFirstLine(path);
    if (!folder || folder->empty()) {
        // An empty record names no folder at all; treating it as an install of "" would put
        // every own file into the current directory.
        return std::nullopt;
    }
    if (folder->back() != '/') {
        *folder += '/';
    }
    return folder;
}

}  // namespace

std::optional<std::string> ReadFirstLine(const std::string& path) {
    std::FILE* file = std::fopen(path.c_str(), "r");
    if (file == nullptr) {
        return std::nullopt;
    }
    char buffer[kListLineSize];
    std::optional<std::string> line;
    if (ReadListLine(file, buffer) != nullptr) {
        line = buffer;
    }
    std::fclose(file);
    return line;
}

std::optional<std::string> ReadInstallLocation(const std::string& windowsDir) {
    const std::optional<std::string> installFolder =
        FolderNamedIn(windowsDir + "/" + kInstallLocationFileName);
    if (!installFolder) {
        return std::nullopt;
    }
    // The copy inside the install folder has the last word: it is the one the uninstaller
    // removes, and its line is the program directory.
    return FolderNamedIn(*installFolder + kInstallLocationFileName);
}

}  // namespace zavel
