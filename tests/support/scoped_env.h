// Sets or unsets an environment variable, or keeps the current directory, for the life of the
// object.
#pragma once

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>
#include <system_error>

namespace zavel::test {

class ScopedEnv {
  public:
    ScopedEnv(const char* name, std::optional<std::string> value) : name_(name) {
        if (const char* old = std::getenv(name)) {
            old_ = old;
        }
        Apply(value);
    }
    ~ScopedEnv() { Apply(old_); }
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

  private:
    void Apply(const std::optional<std::string>& value) {
        if (value) {
            setenv(name_, value->c_str(), 1);
        } else {
            unsetenv(name_);
        }
    }
    const char* name_;
    std::optional<std::string> old_;
};

// The program changes the process's current directory (the directory chooser enters every
// folder it lists); a test that runs it puts the directory back, since the folder it was left
// in may be a temporary one that is deleted before the next test.
class ScopedCurrentDirectory {
  public:
    ScopedCurrentDirectory() : saved_(std::filesystem::current_path()) {}
    ~ScopedCurrentDirectory() {
        std::error_code ignored;
        std::filesystem::current_path(saved_, ignored);
    }
    ScopedCurrentDirectory(const ScopedCurrentDirectory&) = delete;
    ScopedCurrentDirectory& operator=(const ScopedCurrentDirectory&) = delete;

  private:
    std::filesystem::path saved_;
};

}  // namespace zavel::test
