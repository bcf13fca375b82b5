// The line reader of the own text files and the two readers built on it: the word list reader
// and the settings reader. The input is the file's contents, read through a memory stream.
#include <algorithm>
#include <cctype>
#include <climits>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "lists/list_line.h"
#include "lists/settings_file.h"
#include "lists/word_list.h"
#include "tests/fuzz/fuzz_support.h"

namespace {

// A stream over a copy of `bytes`, which must outlive it. fmemopen refuses an empty buffer on
// some C libraries, so an empty file is an empty temporary file.
std::FILE* OpenBytes(std::string& bytes) {
    std::FILE* file = bytes.empty() ? std::tmpfile() : fmemopen(bytes.data(), bytes.size(), "r");
    FUZZ_CHECK(file != nullptr);
    return file;
}

// What the reader must give for each line: the bytes up to and including a line feed, or 99
// of them, or what is left; the text ends at the first CR, LF or byte 0 of that piece. A piece
// of 99 bytes that ends in the CR of a CR LF pair takes the LF with it.
std::vector<std::string> ExpectedLines(const std::string& bytes) {
    std::vector<std::string> lines;
    std::size_t at = 0;
    while (at < bytes.size()) {
        std::size_t end = at;
        while (end < bytes.size() && end - at < zavel::kListLineSize - 1 && bytes[end] != '\n') {
            ++end;
        }
        if (end < bytes.size() && end - at < zavel::kListLineSize - 1) {
            ++end;  // the line feed belongs to this piece
        } else if (end < bytes.size() && bytes[end - 1] == '\r' && bytes[end] == '\n') {
            ++end;  // so does the line feed of a line end cut in two
        }
        const std::string piece = bytes.substr(at, end - at);
        lines.push_back(piece.substr(0, piece.find_first_of(std::string("\r\n\0", 3))));
        at = end;
    }
    return lines;
}

// The integer rule of the numeric settings, written out without any shortcut.
int ExpectedInteger(const std::string& line) {
    std::size_t i = 0;
    while (i < line.size() && std::isspace(static_cast<unsigned char>(line[i])) != 0) {
        ++i;
    }
    bool negative = false;
    if (i < line.size() && (line[i] == '-' || line[i] == '+')) {
        negative = line[i] == '-';
        ++i;
    }
    long long value = 0;
    for (; i < line.size() && std::isdigit(static_cast<unsigned char>(line[i])) != 0; ++i) {
        value = std::min<long long>(value * 10 + (line[i] - '0'), 1LL << 40);
    }
    value = negative ? -value : value;
    return static_cast<int>(std::max<long long>(INT_MIN, std::min<long long>(INT_MAX, value)));
}

bool SameValues(const zavel::SettingsValues& a, const zavel::SettingsValues& b) {
    return a.mode == b.mode && a.otherServerLevel == b.otherServerLevel &&
           a.maxLevel == b.maxLevel && a.destDir == b.destDir && a.fileTypes == b.fileTypes &&
           a.copyDirectory == b.copyDirectory && a.rewrite == b.rewrite && a.sort == b.sort &&
           a.showExpanded == b.showExpanded && a.requestsAtOnce == b.requestsAtOnce &&
           a.offlineLinks == b.offlineLinks;
}

zavel::SettingsFile ReadSettings(std::string bytes, const zavel::SettingsValues& builtIn) {
    std::FILE* file = OpenBytes(bytes);
    zavel::SettingsFile settings = zavel::ReadSettingsFrom(file, builtIn);
    std::fclose(file);
    return settings;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string bytes(reinterpret_cast<const char*>(data), size);

    // The line reader, line by line, against the rule.
    const std::vector<std::string> expected = ExpectedLines(bytes);
    std::FILE* file = OpenBytes(bytes);
    char buffer[zavel::kListLineSize];
    std::vector<std::string> lines;
    while (char* line = zavel::ReadListLine(file, buffer)) {
        FUZZ_CHECK(line == buffer);
        FUZZ_CHECK(std::strlen(line) < zavel::kListLineSize);
        FUZZ_CHECK(lines.size() < expected.size());
        lines.emplace_back(line);
        FUZZ_CHECK(ExpectedInteger(lines.back()) == zavel::ReadSettingsInteger(lines.back()));
    }
    FUZZ_CHECK(std::feof(file) != 0);
    std::fclose(file);
    FUZZ_CHECK(lines == expected);

    // The word list: the same lines without the empty ones.
    file = OpenBytes(bytes);
    const std::vector<std::string> entries = zavel::ReadWordListEntries(file);
    std::fclose(file);
    std::vector<std::string> nonEmpty;
    for (const std::string& line : expected) {
        if (!line.empty()) {
            nonEmpty.push_back(line);
        }
    }
    FUZZ_CHECK(entries == nonEmpty);

    // The settings: always the same number of lines written; what is read, written and read again
    // is the same. A text of 99 characters is the exception the line reader makes: its line end
    // comes back as a line of its own and shifts the later settings, in any file written that way.
    const zavel::SettingsValues builtIn = zavel::BuiltInSettings("/home/ann/");
    const zavel::SettingsFile settings = ReadSettings(bytes, builtIn);
    FUZZ_CHECK(settings.address.has_value() == (expected.size() >= zavel::kSettingsLineCount));
    const std::string address = settings.address.value_or("");
    const std::string written = zavel::FormatSettingsFile(settings.values, address);
    FUZZ_CHECK(std::count(written.begin(), written.end(), '\n') ==
               zavel::kSettingsWrittenLineCount);
    const std::size_t longest = std::max(
        {settings.values.destDir.size(), settings.values.fileTypes.size(), address.size()});
    if (longest < zavel::kListLineSize - 1) {
        const zavel::SettingsFile again = ReadSettings(written, builtIn);
        FUZZ_CHECK(SameValues(settings.values, again.values));
        FUZZ_CHECK(again.address == address);
    }
    return 0;
}
