// The line reader every own text file of the program is read with.
#pragma once

#include <cstddef>
#include <cstdio>

namespace zavel {

inline constexpr std::size_t kListLineSize = 100;  // 99 characters and the terminator

// Reads the next line (at most 99 characters) of an open file into buffer and ends the text at
// its first CR or LF. Returns buffer, or nullptr at the end of the file or on a read error.
// A longer line is read as several lines of 99 characters. A CR LF pair is one line end even
// when the read stops between its two bytes.
char* ReadListLine(std::FILE* file, char (&buffer)[kListLineSize]);

}  // namespace zavel
