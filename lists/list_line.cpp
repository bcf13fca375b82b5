#include "lists/list_line.h"

#include <cstring>

namespace zavel {

char* ReadListLine(std::FILE* file, char (&buffer)[kListLineSize]) {
    // Stops after a line feed, after 99 characters or at the end of the file; whatever is left
    // of a longer line comes with the next call.
    if (std::fgets(buffer, static_cast<int>(kListLineSize), file) == nullptr) {
        return nullptr;
    }
    buffer[std::strcspn(buffer, "\r\n")] = '\0';
    return buffer;
}

}  // namespace zavel
