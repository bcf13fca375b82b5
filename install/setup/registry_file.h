// The registry of this system, as far as the setup engine needs one: a small text file in the
// Windows directory with one section per key and one line per value,
//   [HKLM\Software\...\Uninstall\Zavel]
//   DisplayName=Zavel
// so that an uninstall finds what the install recorded. A key's default value has the name "@".
// Keys and value names ignore case; values are kept as they are.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace zavel::setup {

inline constexpr const char* kRegistryFileName = "registry.ini";

class RegistryFile {
  public:
    // Reads the file's text; lines that are neither a section nor a value are dropped.
    static RegistryFile Parse(std::string_view text);

    void Set(const std::string& key, const std::string& name, const std::string& value);
    std::optional<std::string> Get(std::string_view key, std::string_view name) const;
    void DeleteKey(std::string_view key);
    void DeleteValue(std::string_view key, std::string_view name);
    bool HasKey(std::string_view key) const;
    bool Empty() const { return keys_.empty(); }

    std::string Text() const;

  private:
    struct Key {
        std::string name;
        std::vector<std::pair<std::string, std::string>> values;
    };
    Key* FindKey(std::string_view key);
    std::vector<Key> keys_;
};

}  // namespace zavel::setup
