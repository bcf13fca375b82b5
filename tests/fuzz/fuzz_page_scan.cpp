// The page scan: a page's text through PreparePageText, the keyword scan, the percent decoding,
// the reserved words, the error phrases and the resolution of every link against the page's
// address, with the default word lists as the installer writes them.
//
// Input: one byte of choices, then the page. With bit 0 of the choice set, the first line of
// the page is taken instead as extra keywords, separated by tabs, tried after the default ones.
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "engine/address.h"
#include "engine/page_expansion.h"
#include "lists/word_list.h"
#include "tests/fuzz/address_checks.h"
#include "tests/fuzz/fuzz_support.h"

namespace {

using zavel::WordListKind;
using zavel::fuzz::FuzzInput;

// A default list read by the same reader as the files it is written to.
std::vector<std::string> DefaultEntries(WordListKind kind) {
    std::string bytes(zavel::DefaultWordList(kind));
    std::FILE* file = fmemopen(bytes.data(), bytes.size(), "r");
    FUZZ_CHECK(file != nullptr);
    std::vector<std::string> entries = zavel::ReadWordListEntries(file);
    std::fclose(file);
    FUZZ_CHECK(!entries.empty());
    return entries;
}

struct Lists {
    std::vector<std::string> keywords = DefaultEntries(WordListKind::kKeywords);
    std::vector<std::string> reserved = DefaultEntries(WordListKind::kReservedWords);
    std::vector<std::string> errors = DefaultEntries(WordListKind::kErrors);
};

const Lists& DefaultLists() {
    static const Lists lists;
    return lists;
}

bool IsUpper(char c) {
    return c >= 'A' && c <= 'Z';
}

char Lower(char c) {
    return IsUpper(c) ? static_cast<char>(c - 'A' + 'a') : c;
}

void CheckPrepared(const std::string& raw, const std::string& prepared) {
    // Every byte but CR and LF stays, in order, with at most its letter case changed; capitals
    // are left only inside double quotes.
    std::size_t at = 0;
    bool inQuotes = false;
    for (const char c : raw) {
        if (c == '\r' || c == '\n') {
            continue;
        }
        FUZZ_CHECK(at < prepared.size());
        FUZZ_CHECK(Lower(prepared[at]) == Lower(c));
        FUZZ_CHECK(prepared[at] == (inQuotes ? c : Lower(c)));
        if (c == '"') {
            inQuotes = !inQuotes;
        }
        ++at;
    }
    FUZZ_CHECK(at == prepared.size());
}

void CheckDecoded(const std::string& link, const std::string& decoded) {
    FUZZ_CHECK(decoded.size() <= link.size());
    FUZZ_CHECK(decoded.find('\0') == std::string::npos);
    if (link.find('%') == std::string::npos) {
        FUZZ_CHECK(decoded == link);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const Lists& lists = DefaultLists();
    FuzzInput input(data, size);
    const std::uint8_t choice = input.Byte();
    std::vector<std::string> keywords = lists.keywords;
    if ((choice & 1) != 0) {
        const std::string_view extra = input.Line();
        std::size_t start = 0;
        for (std::size_t end = extra.find('\t');; end = extra.find('\t', start)) {
            // A list entry holds at most 99 characters.
            keywords.emplace_back(extra.substr(start, std::min<std::size_t>(end - start, 99)));
            if (end == std::string_view::npos) {
                break;
            }
            start = end + 1;
        }
    }

    // As the expansion reads the page: a byte 0 ends its text.
    std::string raw(input.Rest());
    raw.resize(std::min(raw.size(), raw.find('\0')));
    std::string text = raw;
    zavel::PreparePageText(text);
    CheckPrepared(raw, text);
    if (raw.size() < zavel::kErrorPageBytes) {
        (void)zavel::AnyEntryOccursIn(lists.errors, text);
    }

    static const zavel::AddressParts kPage{"example.com", "/docs/a", "/page.html"};
    std::size_t found = 0;
    zavel::ScanForLinks(text, keywords, [&](std::string link) {
        ++found;
        // Each link ends before a terminator that the scan then steps over, so a keyword finds
        // at most one link per byte of text.
        FUZZ_CHECK(found <= keywords.size() * (text.size() + 1));
        FUZZ_CHECK(link.size() <= zavel::kMaxLinkLength);
        FUZZ_CHECK(link.find_first_of("\" >'#") == std::string::npos);
        FUZZ_CHECK(text.find(link) != std::string::npos);

        std::string decoded = link;
        zavel::DecodePercentEscapes(decoded);
        CheckDecoded(link, decoded);
        if (zavel::AnyEntryOccursIn(lists.reserved, decoded)) {
            return true;
        }
        zavel::fuzz::ResolveChecked(decoded, &kPage);
        // The copy-mode filter sees the file parts of such links.
        (void)zavel::FileTypeMatches(decoded, "/page.html");
        return true;
    });
    return 0;
}
