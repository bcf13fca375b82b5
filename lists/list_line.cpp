#include "lists/list_line.h"

#include <cstring>

namespace zavel {

char* ReadListLine(std::FILE* file, char (&buffer)[kListLineSize]) {
    // Stops after a line feed, after 99 characters or at the end of the file; whatever is left
    // of a longer line comes with the next call. Only a read of all 99 characters writes the
    // terminator into the last byte, so the mark tells such a read even when it holds a byte 0.
    buffer[kListLineSize - 1] = 'x';
    if (std::fgets(buffer, static_cast<int>(kListLineSize), file) == nullptr) {
        return nullptr;
    }
    // A read that stopped between the CR and the LF of one line end takes the LF as well:
    // otherwise it would come back as an empty line and shift every line after it.
    if (buffer[kListLineSize - 1] == '\0' && buffer[kListLineSize - 2] == '\r') {
        const int next = std::getc(file);
        if (next != '\n' && next != EOF) {
            std::ungetc(next, file);
        }
    }
    buffer[std::strcspn(buffer, "\r\n")] = '\0';
    return buffer;
}

}  // namespace zavel
