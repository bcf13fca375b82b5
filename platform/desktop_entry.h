// The desktop's default applications, as the freedesktop MIME associations name them: the
// mimeapps.list files of the configuration and data directories choose a desktop entry (a
// .desktop file under an applications directory), whose Exec line starts the program.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace zavel::platform {

struct DesktopEntry {
    std::string id;    // "firefox.desktop"
    std::string path;  // where the entry was found
    std::string name;  // Name
    std::string icon;  // Icon
    std::string exec;  // Exec, its string escapes resolved
};

// The default handler of `mimeType` ("text/html", "x-scheme-handler/mailto"): the first
// installed entry listed under [Default Applications] in the mimeapps.list files, in the
// order of precedence ($XDG_CONFIG_HOME, $XDG_CONFIG_DIRS, $XDG_DATA_HOME/applications,
// $XDG_DATA_DIRS/applications; in each, the current desktop's own list before the common one);
// failing that, the first installed entry associated with the type ([Added Associations], then
// the mimeinfo.cache files) and not removed. Entries without an Exec line, hidden ones and
// those whose TryExec program is missing do not count.
std::optional<DesktopEntry> DefaultHandler(const std::string& mimeType);

// Reads one desktop entry; nullopt when it has no [Desktop Entry] group or no Exec line, or is
// hidden.
std::optional<DesktopEntry> ReadDesktopEntry(const std::string& path, const std::string& id);

// The argument vector of an Exec line for one argument: quoting and escapes resolved, %f %F %u
// %U replaced by `argument`, %i by "--icon" and the icon, %c by the name, %k by the entry's path,
// %% by "%", other field codes dropped. When the line has no %f %F %u or %U, the argument is
// appended. Empty when the line cannot be parsed (an unclosed quote), names no program of its
// own (its first word is empty or holds a field code), or puts the argument into a quoted word
// with other text (sh -c "browser %u"): the argument is only ever a word of its own or part of
// an unquoted one.
std::vector<std::string> ExecArguments(const DesktopEntry& entry, const std::string& argument);

// The program file `name` stands for: itself when it holds a "/", otherwise the first
// executable file of that name in $PATH. nullopt when there is none.
std::optional<std::string> FindProgram(const std::string& name);

}  // namespace zavel::platform
