// Writing a word list back to its file: what the list editor's OK does.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace zavel {

// The most entries the list editor holds. Loading never drops entries of a longer file (they are
// all shown and all written back); only Add refuses to grow a list that has reached the bound.
inline constexpr std::size_t kEditorListCapacity = 5000;

// Every entry in list order, each followed by this platform's text-mode line end (LF).
std::string FormatWordList(const std::vector<std::string>& entries);

// Replaces the list file as a whole: the new contents go to a file beside it, reach the disk and
// are renamed over the old one, so a write that cannot complete leaves the old list whole and a
// crawl reading the list meanwhile sees either the old or the new one.
// False when nothing was written: the folder is missing or not writable, the disk is full, or the
// list file exists but is write-protected (which stays as it is, as a truncating write would
// leave it too).
bool WriteWordList(const std::string& path, const std::vector<std::string>& entries);

}  // namespace zavel
