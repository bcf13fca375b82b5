#include "ui/directory_listing.h"

#include <unistd.h>

#include <strings.h>
#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <system_error>

namespace zavel {

bool EnterDirectory(const std::string& directory) {
    return chdir(directory.c_str()) == 0;
}

std::optional<std::string> CurrentDirectory() {
    std::string buffer(256, '\0');
    for (;;) {
        if (getcwd(buffer.data(), buffer.size()) != nullptr) {
            buffer.resize(buffer.find('\0'));
            return buffer;
        }
        if (errno != ERANGE) {
            return std::nullopt;
        }
        buffer.resize(buffer.size() * 2);
    }
}

std::vector<std::string> DirectoryListingLines(const std::string& directory) {
    std::vector<std::string> names;
    std::error_code error;
    std::filesystem::directory_iterator it(directory, error);
    for (; !error && it != std::filesystem::directory_iterator(); it.increment(error)) {
        std::string name = it->path().filename().string();
        std::error_code typeError;
        if (name.empty() || name[0] == '.' || !it->is_directory(typeError)) {
            continue;
        }
        names.push_back(std::move(name));
    }
    std::sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
        const int folded = strcasecmp(a.c_str(), b.c_str());
        return folded != 0 ? folded < 0 : a < b;
    });

    std::vector<std::string> lines;
    if (directory != std::string(1, kPathSeparator)) {
        lines.emplace_back("[..]");
    }
    for (const std::string& name : names) {
        lines.push_back("[" + name + "]");
    }
    return lines;
}

std::string TargetOfLine(std::string_view line, std::string_view currentDirectory,
                         bool listingHasDrives) {
    // Both brackets off; a line too short to have them leads nowhere new.
    if (line.size() < 2) {
        return std::string(currentDirectory);
    }
    const std::string_view inner = line.substr(1, line.size() - 2);

    if (listingHasDrives && inner.size() >= 3 && inner[0] == '-' && inner[2] == '-') {
        return std::string(1, inner[1]) + ":";
    }
    if (inner != "..") {
        std::string target(currentDirectory);
        if (target.empty() || target.back() != kPathSeparator) {
            target += kPathSeparator;
        }
        target += inner;
        return target;
    }

    // The parent. The search stops short of the first character only where that character
    // can be a drive letter; here the root's separator is the first character itself.
    const std::size_t lowest = listingHasDrives ? 1 : 0;
    for (std::size_t i = currentDirectory.size(); i-- > lowest;) {
        if (currentDirectory[i] != kPathSeparator) {
            continue;
        }
        if (i == 0 || currentDirectory[i - 1] == ':') {
            return std::string(currentDirectory.substr(0, i + 1));  // a root keeps its separator
        }
        return std::string(currentDirectory.substr(0, i));
    }
    return std::string(currentDirectory);
}

}  // namespace zavel
