#include "lists/word_list.h"

#include <cstdio>

#include "lists/embedded_text.h"
#include "lists/file_replace.h"
#include "lists/list_line.h"

namespace zavel {

const char* WordListFileName(WordListKind kind) {
    switch (kind) {
        case WordListKind::kKeywords:
            return "link.lst";
        case WordListKind::kExtensions:
            return "ext.lst";
        case WordListKind::kReservedWords:
            return "ext2.lst";
        case WordListKind::kErrors:
            return "error.lst";
    }
    return "";
}

const char* WordListTitle(WordListKind kind) {
    switch (kind) {
        case WordListKind::kKeywords:
            return "Keywords";
        case WordListKind::kExtensions:
            return "Extensions";
        case WordListKind::kReservedWords:
            return "Reserved Words";
        case WordListKind::kErrors:
            return "Errors";
    }
    return "";
}

int DefaultWordListResourceId(WordListKind kind) {
    switch (kind) {
        case WordListKind::kKeywords:
            return 903;
        case WordListKind::kExtensions:
            return 900;
        case WordListKind::kReservedWords:
            return 901;
        case WordListKind::kErrors:
            return 902;
    }
    return 0;
}

std::string_view DefaultWordList(WordListKind kind) {
    return EmbeddedText(DefaultWordListResourceId(kind));
}

std::optional<std::vector<std::string>> ReadWordList(const std::string& path) {
    // Update access on purpose: a write-protected list is treated as if it were missing. The
    // mode is asked as well, since root opens any file for update.
    std::FILE* file = WriteProtected(path) ? nullptr : std::fopen(path.c_str(), "r+");
    if (file == nullptr) {
        return std::nullopt;
    }
    std::vector<std::string> entries = ReadWordListEntries(file);
    std::fclose(file);
    return entries;
}

std::vector<std::string> ReadWordListEntries(std::FILE* file) {
    std::vector<std::string> entries;
    char line[kListLineSize];
    // A read error leaves the end-of-file indicator clear; stop on it too rather than spin.
    while (!std::feof(file) && !std::ferror(file)) {
        if (ReadListLine(file, line) != nullptr && line[0] != '\0') {
            entries.emplace_back(line);
        }
    }
    return entries;
}

std::string LowerCaseEntry(std::string_view entry) {
    std::string lower(entry);
    for (char& c : lower) {
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
        }
    }
    return lower;
}

bool EntryOccursIn(std::string_view entry, std::string_view text) {
    if (entry.empty()) {
        return false;
    }
    return text.find(entry) != std::string_view::npos ||
           text.find(LowerCaseEntry(entry)) != std::string_view::npos;
}

bool AnyEntryOccursIn(const std::vector<std::string>& entries, std::string_view text) {
    for (const std::string& entry : entries) {
        if (EntryOccursIn(entry, text)) {
            return true;
        }
    }
    return false;
}

}  // namespace zavel
