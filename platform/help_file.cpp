#include "platform/help_file.h"

#include <unistd.h>

#include <filesystem>
#include <string_view>
#include <vector>

namespace zavel::platform {

std::string ProgramFile() {
    std::vector<char> buffer(4096);
    const ssize_t length = readlink("/proc/self/exe", buffer.data(), buffer.size());
    if (length <= 0 || static_cast<std::size_t>(length) >= buffer.size()) {
        return {};
    }
    std::string path(buffer.data(), static_cast<std::size_t>(length));
    constexpr std::string_view kDeleted = " (deleted)";
    std::error_code ignored;
    if (path.ends_with(kDeleted) && !std::filesystem::exists(path, ignored)) {
        path.resize(path.size() - kDeleted.size());
    }
    return path;
}

std::string HelpFilePath(const std::string& programFile) {
    return std::filesystem::path(programFile).replace_extension(".hlp").string();
}

}  // namespace zavel::platform
