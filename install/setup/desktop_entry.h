// A program-group item as this desktop knows it: a menu entry, one ".desktop" file in the
// user's applications folder (the freedesktop desktop-entry format). An item whose target can
// be run starts it; any other target is given to a program that opens it: a help file to the
// help engine, anything else to the desktop's opener for that file.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace zavel::setup {

// The key that marks an entry as written by this engine; only such entries are ever removed.
inline constexpr std::string_view kGroupKey = "X-Zavel-Group";

// "<group>-<item>.desktop" in lower case, each run of characters other than ASCII letters and
// digits made one "-". nullopt when no letter or digit is left.
std::optional<std::string> MenuEntryFileName(std::string_view group, std::string_view item);

// The entry for the item `name` of `group`: it starts `target` when `opener` is empty, and
// otherwise starts `opener` with `target` as its argument.
std::string MenuEntryText(std::string_view group, std::string_view name, std::string_view target,
                          std::string_view opener);

// Whether an entry's text carries the engine's mark.
bool IsOwnMenuEntry(std::string_view text);

// One argument of an Exec line: quoted, with ", `, $ and \ escaped and % doubled, so that any
// path reaches the program as it is.
std::string ExecArgument(std::string_view argument);

// A value with the format's escapes for \, tab, CR and LF.
std::string EscapeValue(std::string_view value);

}  // namespace zavel::setup
