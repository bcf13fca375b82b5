#include "platform/system_directories.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <system_error>
#include <vector>

namespace zavel::platform {
namespace {

std::string Environment(const char* name) {
    const char* value = std::getenv(name);
    return value == nullptr ? std::string() : std::string(value);
}

std::string WithoutTrailingSlashes(std::string path) {
    while (path.size() > 1 && path.back() == '/') {
        path.pop_back();
    }
    return path;
}

// The home directory without a trailing "/", or "" when none is known.
std::string HomeWithoutSlash() {
    std::string home = Environment("HOME");
    if (home.empty()) {
        std::vector<char> buffer(16384);
        passwd entry{};
        passwd* found = nullptr;
        if (getpwuid_r(getuid(), &entry, buffer.data(), buffer.size(), &found) == 0 &&
            found != nullptr && found->pw_dir != nullptr) {
            home = found->pw_dir;
        }
    }
    home = WithoutTrailingSlashes(home);
    return home == "/" ? std::string() : home;
}

}  // namespace

std::string DataHomeDirectory() {
    // Relative values are not honoured: the data home must not depend on where we were started.
    std::string dataHome = Environment("XDG_DATA_HOME");
    if (dataHome.empty() || dataHome.front() != '/') {
        dataHome = HomeWithoutSlash() + "/.local/share";
    }
    dataHome = WithoutTrailingSlashes(dataHome);
    if (dataHome == "/") {
        dataHome.clear();
    }
    return dataHome;
}

std::string WindowsDirectory() {
    return DataHomeDirectory() + "/zavel";
}

bool CreateWindowsDirectory() {
    std::error_code error;
    const std::string dir = WindowsDirectory();
    std::filesystem::create_directories(dir, error);
    return std::filesystem::is_directory(dir, error);
}

std::string HomeDirectory() {
    return HomeWithoutSlash() + "/";
}

std::string CurrentDirectory() {
    std::vector<char> buffer(4096);
    if (getcwd(buffer.data(), buffer.size()) == nullptr) {
        return {};
    }
    return buffer.data();
}

}  // namespace zavel::platform
