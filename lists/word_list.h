// The four word lists that steer the page scan, and how their entries match.
#pragma once

#include <cstdio>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zavel {

enum class WordListKind { kKeywords, kExtensions, kReservedWords, kErrors };

// "link.lst", "ext.lst", "ext2.lst", "error.lst".
const char* WordListFileName(WordListKind kind);
// "Keywords", "Extensions", "Reserved Words", "Errors".
const char* WordListTitle(WordListKind kind);
// The embedded default contents, byte for byte (CR LF line ends): resources 903, 900, 901, 902.
std::string_view DefaultWordList(WordListKind kind);
int DefaultWordListResourceId(WordListKind kind);

// Reads every entry of a list file with the line reader, skipping empty entries, in file
// order. The file is opened for update ("r+"), so a write-protected file counts as missing:
// nullopt when it cannot be opened.
std::optional<std::vector<std::string>> ReadWordList(const std::string& path);

// The entries of an open list file from where it stands to its end (or a read error), in
// order, empty ones skipped.
std::vector<std::string> ReadWordListEntries(std::FILE* file);

// The entry converted to lower case (A-Z only; other bytes unchanged).
std::string LowerCaseEntry(std::string_view entry);

// Whether the entry occurs in text as written or in lower case (byte-wise substring test).
bool EntryOccursIn(std::string_view entry, std::string_view text);

// Whether any entry matches (both forms); empty entries never match.
bool AnyEntryOccursIn(const std::vector<std::string>& entries, std::string_view text);

}  // namespace zavel
