// The four default word lists, written into a program folder as the installer writes them.
#pragma once

#include <string>

#include "lists/word_list.h"
#include "tests/support/temp_dir.h"

namespace zavel::test {

inline void WriteDefaultWordLists(const std::string& programDir) {
    for (auto kind : {WordListKind::kKeywords, WordListKind::kExtensions,
                      WordListKind::kReservedWords, WordListKind::kErrors}) {
        WriteFileBytes(programDir + WordListFileName(kind), std::string(DefaultWordList(kind)));
    }
}

}  // namespace zavel::test
