#include "install/setup/inf_file.h"

#include <cctype>

namespace zavel::setup {
namespace {

std::string_view Trim(std::string_view text) {
    const auto blank = [](char c) { return c == ' ' || c == '\t'; };
    while (!text.empty() && blank(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && blank(text.back())) {
        text.remove_suffix(1);
    }
    return text;
}

// The line without its comment, or nullopt when a quote is left open. Inside quotes a
// semicolon is text.
std::optional<std::string_view> WithoutComment(std::string_view line) {
    bool quoted = false;
    for (std::size_t i = 0; i < line.size(); ++i) {
        if (line[i] == '"') {
            quoted = !quoted;
        } else if (line[i] == ';' && !quoted) {
            return line.substr(0, i);
        }
    }
    if (quoted) {
        return std::nullopt;
    }
    return line;
}

// The position of the first "=" outside quotes, or npos.
std::size_t KeySeparator(std::string_view line) {
    bool quoted = false;
    for (std::size_t i = 0; i < line.size(); ++i) {
        if (line[i] == '"') {
            quoted = !quoted;
        } else if (line[i] == '=' && !quoted) {
            return i;
        }
    }
    return std::string_view::npos;
}

// The next line of `text` from `pos`, which moves past its line end.
std::string_view NextLine(std::string_view text, std::size_t& pos) {
    const std::size_t start = pos;
    std::size_t end = text.find_first_of("\r\n", start);
    if (end == std::string_view::npos) {
        pos = text.size();
        return text.substr(start);
    }
    pos = end + 1;
    if (text[end] == '\r' && pos < text.size() && text[pos] == '\n') {
        ++pos;
    }
    return text.substr(start, end - start);
}

}  // namespace

bool SameName(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(a[i])) !=
            std::tolower(static_cast<unsigned char>(b[i]))) {
            return false;
        }
    }
    return true;
}

std::optional<std::vector<std::string>> SplitFields(std::string_view text) {
    std::vector<std::string> fields;
    std::string field;
    bool quoted = false;
    bool wasQuoted = false;  // the field held quotes: its blanks are its own
    std::string pending;     // blanks outside quotes, kept only if text follows them
    const auto finish = [&] {
        fields.push_back(field);
        field.clear();
        pending.clear();
        wasQuoted = false;
    };
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (quoted) {
            if (c == '"' && i + 1 < text.size() && text[i + 1] == '"') {
                field += '"';
                ++i;
            } else if (c == '"') {
                quoted = false;
            } else {
                field += c;
            }
            continue;
        }
        if (c == '"') {
            field += pending;
            pending.clear();
            quoted = true;
            wasQuoted = true;
        } else if (c == ',') {
            finish();
        } else if (c == ' ' || c == '\t') {
            if (!field.empty() || wasQuoted) {
                pending += c;
            }
        } else {
            field += pending;
            pending.clear();
            field += c;
        }
    }
    if (quoted) {
        return std::nullopt;
    }
    finish();
    return fields;
}

std::optional<InfFile> InfFile::Parse(std::string_view text, std::string& error) {
    InfFile inf;
    InfSection* current = nullptr;
    std::size_t pos = 0;
    for (int number = 1; pos < text.size(); ++number) {
        const std::string_view raw = NextLine(text, pos);
        const std::optional<std::string_view> uncommented = WithoutComment(raw);
        if (!uncommented) {
            error = "line " + std::to_string(number) + ": a quote is not closed";
            return std::nullopt;
        }
        const std::string_view line = Trim(*uncommented);
        if (line.empty()) {
            continue;
        }
        if (line.front() == '[') {
            if (line.back() != ']' || line.size() < 3) {
                error = "line " + std::to_string(number) + ": a section name must stand in [ ]";
                return std::nullopt;
            }
            const std::string name(Trim(line.substr(1, line.size() - 2)));
            current = nullptr;
            for (InfSection& section : inf.sections_) {
                if (SameName(section.name, name)) {
                    current = &section;
                }
            }
            if (current == nullptr) {
                inf.sections_.push_back({name, {}});
                current = &inf.sections_.back();
            }
            continue;
        }
        if (current == nullptr) {
            error = "line " + std::to_string(number) + ": text before the first section";
            return std::nullopt;
        }
        InfLine parsed;
        parsed.number = number;
        std::string_view value = line;
        const std::size_t equals = KeySeparator(line);
        if (equals != std::string_view::npos) {
            parsed.key = std::string(Trim(line.substr(0, equals)));
            if (parsed.key.empty()) {
                error = "line " + std::to_string(number) + ": a value without a key";
                return std::nullopt;
            }
            value = Trim(line.substr(equals + 1));
        }
        std::optional<std::vector<std::string>> fields = SplitFields(value);
        if (!fields) {
            error = "line " + std::to_string(number) + ": a quote is not closed";
            return std::nullopt;
        }
        parsed.fields = std::move(*fields);
        current->lines.push_back(std::move(parsed));
    }
    return inf;
}

const InfSection* InfFile::Find(std::string_view name) const {
    for (const InfSection& section : sections_) {
        if (SameName(section.name, name)) {
            return &section;
        }
    }
    return nullptr;
}

const InfLine* InfFile::FindKey(std::string_view section, std::string_view key) const {
    const InfSection* found = Find(section);
    if (found == nullptr) {
        return nullptr;
    }
    for (const InfLine& line : found->lines) {
        if (SameName(line.key, key)) {
            return &line;
        }
    }
    return nullptr;
}

}  // namespace zavel::setup
