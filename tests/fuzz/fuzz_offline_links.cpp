// The offline rewrite of a page: the keyword scan with the positions of its links, the tag rule,
// the overlaps, the resolution, the relative references and the absolute addresses, with the
// default keywords and reserved words.
//
// Input: one byte of choices, then the page. The choice decides which addresses have a copy: an
// address whose key hashes to an even value when bit 0 is set, none otherwise.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "engine/offline_links.h"
#include "lists/word_list.h"
#include "tests/fuzz/fuzz_support.h"

namespace {

using zavel::WordListKind;

std::vector<std::string> Lines(WordListKind kind) {
    std::vector<std::string> lines;
    std::string line;
    for (char c : std::string_view(zavel::DefaultWordList(kind))) {
        if (c == '\r' || c == '\n') {
            if (!line.empty()) {
                lines.push_back(line);
            }
            line.clear();
        } else {
            line += c;
        }
    }
    return lines;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const std::vector<std::string> keywords = Lines(WordListKind::kKeywords);
    static const std::vector<std::string> reserved = Lines(WordListKind::kReservedWords);
    zavel::fuzz::FuzzInput input(data, size);
    const bool copies = (input.Byte() & 1) != 0;
    const std::string page(input.Rest());

    zavel::PageRewriteInputs in;
    in.keywords = &keywords;
    in.reserved = &reserved;
    in.page = zavel::AddressParts{"example.com", "/docs/a", "/page.html"};
    in.copyPath = "/dest/docs/a/page.html";
    in.copyOf = [copies](const std::string& key) -> std::optional<std::string> {
        const std::size_t hash = std::hash<std::string>{}(key);
        if (!copies || hash % 2 != 0) {
            return std::nullopt;
        }
        return "/dest/x" + std::to_string(hash % 7) + "/f" + key.substr(key.size() / 2) + ".html";
    };
    const zavel::RewrittenPage out = zavel::RewritePageLinks(page, in);

    // Only the links changed, and the server's page comes back from the edits.
    FUZZ_CHECK(zavel::UndoLinkEdits(out.bytes, out.edits) == page);
    std::size_t end = 0;
    for (const zavel::LinkEdit& edit : out.edits) {
        FUZZ_CHECK(edit.at >= end && edit.at + edit.length <= out.bytes.size());
        FUZZ_CHECK(!edit.replaced.empty());
        // A new link never ends its attribute or its tag early.
        const std::string_view text = std::string_view(out.bytes).substr(edit.at, edit.length);
        FUZZ_CHECK(text.find_first_of("\"' <>#\r\n") == std::string_view::npos);
        end = edit.at + edit.length;
    }
    return 0;
}
