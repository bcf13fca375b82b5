#include "platform/desktop_entry.h"

#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <set>
#include <sstream>
#include <string_view>

namespace zavel::platform {
namespace {

std::string Environment(const char* name) {
    const char* value = std::getenv(name);
    return value == nullptr ? std::string() : std::string(value);
}

std::vector<std::string> Split(const std::string& text, char separator) {
    std::vector<std::string> parts;
    std::string part;
    std::istringstream in(text);
    while (std::getline(in, part, separator)) {
        if (!part.empty()) {
            parts.push_back(part);
        }
    }
    return parts;
}

// An absolute directory from the environment, or the fallback.
std::string BaseDirectory(const char* variable, const std::string& fallback) {
    std::string value = Environment(variable);
    return !value.empty() && value.front() == '/' ? value : fallback;
}

std::vector<std::string> DirectoryList(const char* variable, const char* fallback) {
    std::vector<std::string> dirs;
    std::string value = Environment(variable);
    for (const std::string& dir : Split(value.empty() ? fallback : value, ':')) {
        if (dir.front() == '/') {
            dirs.push_back(dir);
        }
    }
    return dirs;
}

std::string Home() {
    return Environment("HOME");
}

std::string ConfigHome() {
    return BaseDirectory("XDG_CONFIG_HOME", Home() + "/.config");
}

std::string DataHome() {
    return BaseDirectory("XDG_DATA_HOME", Home() + "/.local/share");
}

// The applications directories, most important first.
std::vector<std::string> ApplicationDirectories() {
    std::vector<std::string> dirs{DataHome() + "/applications"};
    for (const std::string& dir : DirectoryList("XDG_DATA_DIRS", "/usr/local/share:/usr/share")) {
        dirs.push_back(dir + "/applications");
    }
    return dirs;
}

// The mimeapps.list files in order of precedence.
std::vector<std::string> AssociationFiles() {
    std::vector<std::string> desktops;
    for (std::string desktop : Split(Environment("XDG_CURRENT_DESKTOP"), ':')) {
        std::transform(desktop.begin(), desktop.end(), desktop.begin(),
                       [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
        desktops.push_back(desktop);
    }
    std::vector<std::string> dirs{ConfigHome()};
    for (const std::string& dir : DirectoryList("XDG_CONFIG_DIRS", "/etc/xdg")) {
        dirs.push_back(dir);
    }
    for (const std::string& dir : ApplicationDirectories()) {
        dirs.push_back(dir);
    }
    std::vector<std::string> files;
    for (const std::string& dir : dirs) {
        for (const std::string& desktop : desktops) {
            files.push_back(dir + "/" + desktop + "-mimeapps.list");
        }
        files.push_back(dir + "/mimeapps.list");
    }
    // The older name some systems still ship their defaults under.
    for (const std::string& dir : ApplicationDirectories()) {
        files.push_back(dir + "/defaults.list");
    }
    return files;
}

std::string Trim(const std::string& text) {
    const auto first = text.find_first_not_of(" \t\r");
    if (first == std::string::npos) {
        return {};
    }
    const auto last = text.find_last_not_of(" \t\r");
    return text.substr(first, last - first + 1);
}

// The value list of `key` in `group` of a key file ("a.desktop;b.desktop;"), or empty.
std::vector<std::string> GroupValues(const std::string& path, const std::string& group,
                                     const std::string& key) {
    std::ifstream in(path);
    std::string line;
    bool inGroup = false;
    while (std::getline(in, line)) {
        line = Trim(line);
        if (line.empty() || line.front() == '#') {
            continue;
        }
        if (line.front() == '[') {
            inGroup = line == "[" + group + "]";
            continue;
        }
        const auto equals = line.find('=');
        if (inGroup && equals != std::string::npos && Trim(line.substr(0, equals)) == key) {
            return Split(Trim(line.substr(equals + 1)), ';');
        }
    }
    return {};
}

// Resolves the string escapes of a key file value: \s \n \t \r \\.
std::string Unescape(const std::string& value) {
    std::string out;
    for (std::size_t i = 0; i < value.size(); ++i) {
        if (value[i] != '\\' || i + 1 == value.size()) {
            out += value[i];
            continue;
        }
        switch (value[++i]) {
            case 's':
                out += ' ';
                break;
            case 'n':
                out += '\n';
                break;
            case 't':
                out += '\t';
                break;
            case 'r':
                out += '\r';
                break;
            default:
                out += value[i];
        }
    }
    return out;
}

// The installed, usable entry of a desktop id, searched through the applications directories.
std::optional<DesktopEntry> InstalledEntry(const std::string& id) {
    for (const std::string& dir : ApplicationDirectories()) {
        // "vendor-app.desktop" may also lie in a subdirectory: vendor/app.desktop.
        std::vector<std::string> candidates{dir + "/" + id};
        if (const auto dash = id.find('-'); dash != std::string::npos) {
            candidates.push_back(dir + "/" + id.substr(0, dash) + "/" + id.substr(dash + 1));
        }
        for (const std::string& path : candidates) {
            if (access(path.c_str(), R_OK) == 0) {
                // The first file of an id hides those of less important directories.
                return ReadDesktopEntry(path, id);
            }
        }
    }
    return std::nullopt;
}

// Whether a word of an Exec line holds a field code other than "%%"; with `codes`, one of them.
bool HoldsFieldCode(const std::string& word, std::string_view codes = {}) {
    for (std::size_t i = 0; i + 1 < word.size(); ++i) {
        if (word[i] == '%') {
            if (word[i + 1] != '%' &&
                (codes.empty() || codes.find(word[i + 1]) != std::string_view::npos)) {
                return true;
            }
            ++i;
        }
    }
    return false;
}

// The field codes that stand for the argument.
constexpr std::string_view kArgumentCodes = "fFuU";

// Whether a quoted word would carry the argument inside other text. The argument, an address
// a web page chose, may hold anything; in a quoted word it would become part of a text that the
// program may read as a command (sh -c "browser %u"), which the desktop-entry rules forbid for
// that reason. A quoted code standing alone ("%u") is still a word of its own.
bool QuotesTheArgument(const std::string& word) {
    const bool alone = word.size() == 2 && word[0] == '%' &&
                       kArgumentCodes.find(word[1]) != std::string_view::npos;
    return !alone && HoldsFieldCode(word, kArgumentCodes);
}

}  // namespace

std::optional<DesktopEntry> ReadDesktopEntry(const std::string& path, const std::string& id) {
    std::ifstream in(path);
    if (!in) {
        return std::nullopt;
    }
    DesktopEntry entry;
    entry.id = id;
    entry.path = path;
    std::string line;
    std::string tryExec;
    bool inGroup = false;
    bool seenGroup = false;
    bool hidden = false;
    while (std::getline(in, line)) {
        line = Trim(line);
        if (line.empty() || line.front() == '#') {
            continue;
        }
        if (line.front() == '[') {
            inGroup = line == "[Desktop Entry]";
            seenGroup = seenGroup || inGroup;
            continue;
        }
        const auto equals = line.find('=');
        if (!inGroup || equals == std::string::npos) {
            continue;
        }
        const std::string key = Trim(line.substr(0, equals));
        const std::string value = Unescape(Trim(line.substr(equals + 1)));
        if (key == "Exec") {
            entry.exec = value;
        } else if (key == "Name") {
            entry.name = value;
        } else if (key == "Icon") {
            entry.icon = value;
        } else if (key == "TryExec") {
            tryExec = value;
        } else if (key == "Hidden") {
            hidden = value == "true";
        }
    }
    if (!seenGroup || hidden || entry.exec.empty() || (!tryExec.empty() && !FindProgram(tryExec))) {
        return std::nullopt;
    }
    return entry;
}

std::optional<DesktopEntry> DefaultHandler(const std::string& mimeType) {
    const std::vector<std::string> files = AssociationFiles();
    for (const std::string& file : files) {
        for (const std::string& id : GroupValues(file, "Default Applications", mimeType)) {
            if (auto entry = InstalledEntry(id)) {
                return entry;
            }
        }
    }
    // No usable default: the associations, the user's own first; a removal in a more important
    // file hides an association of a less important one.
    std::set<std::string> removed;
    std::vector<std::string> associated;
    for (const std::string& file : files) {
        for (const std::string& id : GroupValues(file, "Added Associations", mimeType)) {
            if (removed.count(id) == 0) {
                associated.push_back(id);
            }
        }
        for (const std::string& id : GroupValues(file, "Removed Associations", mimeType)) {
            removed.insert(id);
        }
    }
    for (const std::string& dir : ApplicationDirectories()) {
        for (const std::string& id : GroupValues(dir + "/mimeinfo.cache", "MIME Cache", mimeType)) {
            if (removed.count(id) == 0) {
                associated.push_back(id);
            }
        }
    }
    for (const std::string& id : associated) {
        if (auto entry = InstalledEntry(id)) {
            return entry;
        }
    }
    return std::nullopt;
}

std::vector<std::string> ExecArguments(const DesktopEntry& entry, const std::string& argument) {
    // Split into words: blanks separate, double quotes group, and inside quotes a backslash
    // makes the next of " ` $ \ literal.
    std::vector<std::string> words;
    std::vector<bool> quoted;
    std::string word;
    bool inWord = false;
    bool inQuotes = false;
    bool wasQuoted = false;
    const std::string& exec = entry.exec;
    for (std::size_t i = 0; i < exec.size(); ++i) {
        const char c = exec[i];
        if (inQuotes) {
            if (c == '"') {
                inQuotes = false;
            } else if (c == '\\' && i + 1 < exec.size()) {
                word += exec[++i];
            } else {
                word += c;
            }
        } else if (c == ' ' || c == '\t' || c == '\n') {
            if (inWord) {
                words.push_back(word);
                quoted.push_back(wasQuoted);
                word.clear();
                inWord = false;
                wasQuoted = false;
            }
        } else if (c == '"') {
            inQuotes = true;
            inWord = true;
            wasQuoted = true;
        } else {
            word += c;
            inWord = true;
        }
    }
    if (inQuotes) {
        return {};
    }
    if (inWord) {
        words.push_back(word);
        quoted.push_back(wasQuoted);
    }

    // The program itself must be named by the line, never by what a field code stands for.
    if (words.empty() || HoldsFieldCode(words.front())) {
        return {};
    }
    std::vector<std::string> argv;
    bool argumentPlaced = false;
    for (std::size_t w = 0; w < words.size(); ++w) {
        const std::string& text = words[w];
        if (quoted[w] && QuotesTheArgument(text)) {
            return {};
        }
        // A field code standing alone may become no word at all, or two.
        if (!quoted[w] && text == "%i") {
            if (!entry.icon.empty()) {
                argv.push_back("--icon");
                argv.push_back(entry.icon);
            }
            continue;
        }
        std::string expanded;
        bool dropped = false;
        for (std::size_t i = 0; i < text.size(); ++i) {
            if (text[i] != '%' || i + 1 == text.size()) {
                expanded += text[i];
                continue;
            }
            switch (text[++i]) {
                case '%':
                    expanded += '%';
                    break;
                case 'f':
                case 'F':
                case 'u':
                case 'U':
                    expanded += argument;
                    argumentPlaced = true;
                    break;
                case 'c':
                    expanded += entry.name;
                    break;
                case 'k':
                    expanded += entry.path;
                    break;
                default:
                    // Deprecated and unknown codes are removed.
                    dropped = true;
                    break;
            }
        }
        if (dropped && expanded.empty()) {
            continue;
        }
        argv.push_back(expanded);
    }
    if (argv.empty() || argv.front().empty()) {
        return {};
    }
    if (!argumentPlaced) {
        argv.push_back(argument);
    }
    return argv;
}

std::optional<std::string> FindProgram(const std::string& name) {
    if (name.empty()) {
        return std::nullopt;
    }
    if (name.find('/') != std::string::npos) {
        return access(name.c_str(), X_OK) == 0 ? std::optional(name) : std::nullopt;
    }
    for (const std::string& dir : Split(Environment("PATH"), ':')) {
        std::string path = dir + "/" + name;
        if (access(path.c_str(), X_OK) == 0) {
            return path;
        }
    }
    return std::nullopt;
}

}  // namespace zavel::platform
