// The dot-segment rule word for word, as a reference for the linear-time collapse: every pass
// rescans from the left and makes the first change it meets. Quadratic; for short texts only.
#pragma once

#include <cstddef>
#include <string>

namespace zavel::test {

inline std::string CollapsePassByPass(std::string text) {
    for (bool changed = true; changed;) {
        changed = false;
        std::size_t remembered = 0;
        for (std::size_t i = 0; i < text.size() && !changed; ++i) {
            if (text[i] != '/') {
                continue;
            }
            if (i + 1 < text.size() && text[i + 1] == '.') {
                if (i + 2 < text.size() && text[i + 2] == '.') {
                    text.erase(remembered, i + 3 - remembered);
                } else {
                    text.erase(i, 2);
                }
                changed = true;
            } else {
                remembered = i;
            }
        }
    }
    return text;
}

}  // namespace zavel::test
