// The texts of the progress display: the fetch status by the last status code, and the pane
// text for the record being expanded.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "engine/link_record.h"

namespace zavel {

// The display text of a record is cut to this many bytes in the pane, so that a long address
// (its dir alone may hold 999 characters) cannot make the pane text unbounded.
inline constexpr std::size_t kPaneAddressBytes = 200;

// "Resolving Name..." for 10, ... "Connection Closed." for 51; empty for any other code.
std::string_view StatusText(int statusCode);

// Cuts `text` to at most `maxBytes` bytes without splitting a UTF-8 sequence; a cut text ends in
// "..." (counted in maxBytes).
std::string CutText(std::string_view text, std::size_t maxBytes);

// The status text, a space, the record's host, dir and file (cut to kPaneAddressBytes), then
// " (index/count)".
std::string ProgressText(int statusCode, const LinkRecord& record, int index, int count);

}  // namespace zavel
