// The two contents the kill writer alternates between, known to the tests that kill it: an old
// and a new version of each file, of different sizes, so that a mix of the two or a cut-off
// write cannot pass for either.
#pragma once

#include <string>
#include <vector>

#include "lists/settings_file.h"

namespace zavel::test {

struct SettingsVersion {
    SettingsValues values;
    std::string address;
};

inline SettingsVersion OldSettingsVersion() {
    SettingsValues values = BuiltInSettings("/tmp");
    values.fileTypes = "*.*;";
    values.copyDirectory = 0;
    return {values, "example.com/"};
}

inline SettingsVersion NewSettingsVersion() {
    SettingsValues values = BuiltInSettings("/srv/mirror/" + std::string(80, 'd'));
    values.mode = 2;
    values.otherServerLevel = 3;
    values.maxLevel = 12345;
    values.fileTypes = "*.htm;*.html;*.gif;*.jpg;*.png;*.css;*.js;*.txt;*.pdf;";
    values.rewrite = 1;
    values.sort = 0;
    values.showExpanded = 0;
    return {values, "docs.example.org/manual/" + std::string(60, 'a') + "/index.html"};
}

inline std::vector<std::string> OldWordList() {
    return {"HREF=\"", "HREF='", "HREF=", "URL=\"",   "URL='",   "URL=",
            "SRC=\"",  "SRC='",  "SRC=",  "VALUE=\"", "VALUE='", "VALUE="};
}

// Long enough that its write is far from a single block.
inline std::vector<std::string> NewWordList() {
    std::vector<std::string> entries;
    for (int i = 0; i < 1500; ++i) {
        entries.push_back("entry " + std::to_string(i) + " of the new list");
    }
    return entries;
}

}  // namespace zavel::test
