// Text resources compiled into the program byte for byte (ids 900-906).
#pragma once

#include <string_view>

namespace zavel {

// The embedded text of a resource id, or an empty view when there is none.
std::string_view EmbeddedText(int id);

}  // namespace zavel
