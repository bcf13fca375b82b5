#include "lists/settings_file.h"

#include <cctype>
#include <climits>
#include <cstdio>

#include "lists/embedded_text.h"
#include "lists/file_replace.h"
#include "lists/list_line.h"

namespace zavel {
namespace {

std::string_view FirstLineOf(std::string_view text) {
    return text.substr(0, text.find_first_of("\r\n"));
}

void AppendLine(std::string& out, std::string_view text) {
    out += FirstLineOf(text);
    out += '\n';
}

void AppendLine(std::string& out, int value) {
    out += std::to_string(value);
    out += '\n';
}

bool IsRequestsAtOnceChoice(int value) {
    for (int choice : kRequestsAtOnceChoices) {
        if (choice == value) {
            return true;
        }
    }
    return false;
}

// A line after the tenth is taken only when it is a number and nothing else, so that a file of
// another program's making, or a damaged one, falls back to the built-in value.
bool ReadStrictInteger(std::string_view line, int& value) {
    if (line.empty() || line.size() > 9 || line.find_first_not_of("0123456789") != line.npos) {
        return false;
    }
    value = ReadSettingsInteger(line);
    return true;
}

}  // namespace

SettingsValues BuiltInSettings(std::string destination) {
    SettingsValues values;
    values.destDir = std::move(destination);
    return values;
}

int ReadSettingsInteger(std::string_view line) {
    std::size_t i = 0;
    while (i < line.size() && std::isspace(static_cast<unsigned char>(line[i])) != 0) {
        ++i;
    }
    bool negative = false;
    if (i < line.size() && (line[i] == '+' || line[i] == '-')) {
        negative = line[i] == '-';
        ++i;
    }
    long long value = 0;
    for (; i < line.size() && line[i] >= '0' && line[i] <= '9'; ++i) {
        if (value <= static_cast<long long>(INT_MAX) + 1) {
            value = value * 10 + (line[i] - '0');
        }
    }
    value = negative ? -value : value;
    if (value > INT_MAX) {
        return INT_MAX;
    }
    return value < INT_MIN ? INT_MIN : static_cast<int>(value);
}

SettingsFile ReadSettingsFile(const std::string& path, const SettingsValues& builtIn) {
    // Update access on purpose: a write-protected settings file counts as missing. The mode is
    // asked as well, since root opens any file for update.
    std::FILE* file = WriteProtected(path) ? nullptr : std::fopen(path.c_str(), "r+");
    if (file == nullptr) {
        return SettingsFile{builtIn, std::nullopt};
    }
    SettingsFile settings = ReadSettingsFrom(file, builtIn);
    std::fclose(file);
    return settings;
}

SettingsFile ReadSettingsFrom(std::FILE* file, const SettingsValues& builtIn) {
    SettingsFile settings{builtIn, std::nullopt};
    SettingsValues& v = settings.values;
    int* const integers[] = {&v.mode,        &v.otherServerLevel, &v.maxLevel, nullptr,
                             nullptr,        &v.copyDirectory,    &v.rewrite,  &v.sort,
                             &v.showExpanded};
    char buffer[kListLineSize];
    for (int line = 0; line < kSettingsLineCount; ++line) {
        // A failed read leaves its setting alone and does not stop the reads after it.
        if (ReadListLine(file, buffer) == nullptr) {
            continue;
        }
        if (line == 3) {
            v.destDir = buffer;
        } else if (line == 4) {
            v.fileTypes = buffer;
        } else if (line == 9) {
            settings.address = buffer;
        } else {
            *integers[line] = ReadSettingsInteger(buffer);
        }
    }
    int value = 0;
    if (ReadListLine(file, buffer) != nullptr && ReadStrictInteger(buffer, value) &&
        IsRequestsAtOnceChoice(value)) {
        v.requestsAtOnce = value;
    }
    if (ReadListLine(file, buffer) != nullptr && ReadStrictInteger(buffer, value) &&
        (value == 0 || value == 1)) {
        v.offlineLinks = value;
    }
    return settings;
}

std::string FormatSettingsFile(const SettingsValues& values, std::string_view address) {
    std::string out;
    AppendLine(out, values.mode);
    AppendLine(out, values.otherServerLevel);
    AppendLine(out, values.maxLevel);
    AppendLine(out, values.destDir);
    AppendLine(out, values.fileTypes);
    AppendLine(out, values.copyDirectory);
    AppendLine(out, values.rewrite);
    AppendLine(out, values.sort);
    AppendLine(out, values.showExpanded);
    AppendLine(out, address);
    AppendLine(out, values.requestsAtOnce);
    AppendLine(out, values.offlineLinks);
    return out;
}

bool WriteSettingsFile(const std::string& path, const SettingsValues& values,
                       std::string_view address) {
    // A write-protected settings file stays as it is, as a truncating write would leave it.
    if (WriteProtected(path)) {
        return false;
    }
    return ReplaceFileContents(path, FormatSettingsFile(values, address));
}

std::string_view DefaultSettingsFile() {
    return EmbeddedText(kSettingsResourceId);
}

}  // namespace zavel
