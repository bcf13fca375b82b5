// A CSV reader that accepts nothing but RFC 4180: records end in CR LF (the last one too), a
// field is either plain (no comma, quote, CR or LF) or quoted with its quotes doubled, and every
// record has the header's number of fields. Any other byte sequence is an error.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zavel::test {

using CsvRecords = std::vector<std::vector<std::string>>;

// The records, or nullopt with `error` telling where the text breaks the format.
inline std::optional<CsvRecords> ReadStrictCsv(std::string_view text, std::string* error) {
    CsvRecords records;
    std::vector<std::string> record;
    std::size_t i = 0;
    auto fail = [&](const std::string& why) {
        *error = why + " at byte " + std::to_string(i);
        return std::nullopt;
    };
    while (i < text.size()) {
        std::string field;
        if (text[i] == '"') {
            for (++i;; ++i) {
                if (i >= text.size()) {
                    return fail("unclosed quote");
                }
                if (text[i] == '"') {
                    if (i + 1 < text.size() && text[i + 1] == '"') {
                        field += '"';
                        ++i;
                        continue;
                    }
                    ++i;
                    break;
                }
                field += text[i];
            }
        } else {
            while (i < text.size() && text[i] != ',' && text[i] != '\r') {
                if (text[i] == '"' || text[i] == '\n') {
                    return fail("quote or line feed in a plain field");
                }
                field += text[i++];
            }
        }
        record.push_back(std::move(field));
        if (i < text.size() && text[i] == ',') {
            ++i;
            continue;
        }
        if (text.substr(i, 2) != "\r\n") {
            return fail("record not ended by CR LF");
        }
        i += 2;
        if (!records.empty() && record.size() != records.front().size()) {
            return fail("record with " + std::to_string(record.size()) + " fields");
        }
        records.push_back(std::move(record));
        record.clear();
    }
    if (!record.empty()) {
        return fail("last record not ended by CR LF");
    }
    return records;
}

}  // namespace zavel::test
