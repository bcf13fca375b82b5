#include "lists/word_list_writer.h"

#include "lists/file_replace.h"

namespace zavel {

std::string FormatWordList(const std::vector<std::string>& entries) {
    std::string text;
    for (const std::string& entry : entries) {
        text += entry;
        text += '\n';
    }
    return text;
}

bool WriteWordList(const std::string& path, const std::vector<std::string>& entries) {
    // A rename would replace a write-protected file that an in-place write could not open.
    if (WriteProtected(path)) {
        return false;
    }
    return ReplaceFileContents(path, FormatWordList(entries));
}

}  // namespace zavel
