// What every resolved address must satisfy, whatever the link text was. Shared by the address
// target and the page scan target, which resolves every link it finds.
#pragma once

#include <string>

#include "engine/address.h"
#include "tests/fuzz/fuzz_support.h"

namespace zavel::fuzz {

inline bool ContainsScheme(const std::string& text) {
    return text.find("://") != std::string::npos;
}

inline bool BeginsWithWww(const std::string& text) {
    if (text.size() < 4) {
        return false;
    }
    for (std::size_t i = 0; i < 3; ++i) {
        if (text[i] != 'w' && text[i] != 'W') {
            return false;
        }
    }
    return text[3] == '.';
}

// Resolves `link` against `parent` (null for a root) and checks the result.
inline ResolvedLink ResolveChecked(const std::string& link, const AddressParts* parent) {
    std::string text = link;
    const ResolvedLink resolved = ResolveLink(text, parent);
    const AddressParts& parts = resolved.parts;

    // The link text changes only by the scheme put in front of "www.".
    FUZZ_CHECK(text == (BeginsWithWww(link) ? "http://" + link : link));
    FUZZ_CHECK(resolved.display == parts.host + parts.dir + parts.file);
    FUZZ_CHECK(!parts.file.empty() && parts.file.front() == '/');
    FUZZ_CHECK(parts.dir.empty() || parts.dir.front() == '/');
    // The host never takes in path characters, and the request path always starts at the root.
    FUZZ_CHECK(parts.host.find('/') == std::string::npos);
    FUZZ_CHECK(RequestPath(parts).front() == '/');
    // The file part is one segment.
    FUZZ_CHECK(parts.file.find('/', 1) == std::string::npos);
    if (parts.valid) {
        FUZZ_CHECK(parts.host.size() <= kHostCapacity);
        FUZZ_CHECK(parts.dir.size() <= kDirCapacity);
        FUZZ_CHECK(parts.file.size() <= kFileCapacity);
    }
    // A relative link stays on its page's server: the other-server rule depends on it.
    if (parent != nullptr && !ContainsScheme(text)) {
        FUZZ_CHECK(parts.host == parent->host);
    }
    return resolved;
}

}  // namespace zavel::fuzz
