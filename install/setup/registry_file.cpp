#include "install/setup/registry_file.h"

#include <algorithm>

#include "install/setup/inf_file.h"

namespace zavel::setup {
namespace {

std::string_view ValueKeyName(std::string_view name) {
    return name.empty() ? std::string_view("@") : name;
}

}  // namespace

RegistryFile RegistryFile::Parse(std::string_view text) {
    RegistryFile file;
    Key* current = nullptr;
    std::size_t pos = 0;
    while (pos < text.size()) {
        std::size_t end = text.find('\n', pos);
        if (end == std::string_view::npos) {
            end = text.size();
        }
        std::string_view line = text.substr(pos, end - pos);
        pos = end + 1;
        // Every CR at the end belongs to the line end: a value read with one left on would be
        // written back as a line that reads without it.
        while (!line.empty() && line.back() == '\r') {
            line.remove_suffix(1);
        }
        if (line.size() >= 2 && line.front() == '[' && line.back() == ']') {
            const std::string key(line.substr(1, line.size() - 2));
            current = file.FindKey(key);
            if (current == nullptr) {
                file.keys_.push_back({key, {}});
                current = &file.keys_.back();
            }
            continue;
        }
        const std::size_t equals = line.find('=');
        if (current != nullptr && equals != std::string_view::npos && equals > 0) {
            const std::string name(line.substr(0, equals));
            const std::string value(line.substr(equals + 1));
            file.Set(current->name, name == "@" ? std::string() : name, value);
        }
    }
    return file;
}

RegistryFile::Key* RegistryFile::FindKey(std::string_view key) {
    for (Key& k : keys_) {
        if (SameName(k.name, key)) {
            return &k;
        }
    }
    return nullptr;
}

void RegistryFile::Set(const std::string& key, const std::string& name, const std::string& value) {
    Key* found = FindKey(key);
    if (found == nullptr) {
        keys_.push_back({key, {}});
        found = &keys_.back();
    }
    for (auto& [n, v] : found->values) {
        if (SameName(n, ValueKeyName(name))) {
            v = value;
            return;
        }
    }
    found->values.emplace_back(std::string(ValueKeyName(name)), value);
}

std::optional<std::string> RegistryFile::Get(std::string_view key, std::string_view name) const {
    for (const Key& k : keys_) {
        if (!SameName(k.name, key)) {
            continue;
        }
        for (const auto& [n, v] : k.values) {
            if (SameName(n, ValueKeyName(name))) {
                return v;
            }
        }
    }
    return std::nullopt;
}

void RegistryFile::DeleteKey(std::string_view key) {
    std::erase_if(keys_, [key](const Key& k) { return SameName(k.name, key); });
}

void RegistryFile::DeleteValue(std::string_view key, std::string_view name) {
    if (Key* found = FindKey(key)) {
        std::erase_if(found->values, [name](const auto& value) {
            return SameName(value.first, ValueKeyName(name));
        });
    }
}

bool RegistryFile::HasKey(std::string_view key) const {
    return std::any_of(keys_.begin(), keys_.end(),
                       [key](const Key& k) { return SameName(k.name, key); });
}

std::string RegistryFile::Text() const {
    std::string text;
    for (const Key& key : keys_) {
        text += "[" + key.name + "]\n";
        for (const auto& [name, value] : key.values) {
            text += name + "=" + value + "\n";
        }
    }
    return text;
}

}  // namespace zavel::setup
