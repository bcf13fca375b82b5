#include "install/setup/inf_strings.h"

#include <cctype>

namespace zavel::setup {
namespace {

std::string Upper(std::string_view text) {
    std::string upper(text);
    for (char& c : upper) {
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
    return upper;
}

}  // namespace

std::optional<InfStrings> InfStrings::Read(const InfFile& inf, const std::string& windowsDir,
                                           std::string& error) {
    InfStrings strings;
    strings.windowsDir_ = windowsDir;
    if (const InfSection* section = inf.Find("strings")) {
        for (const InfLine& line : section->lines) {
            if (line.key.empty()) {
                error = "line " + std::to_string(line.number) + ": a string without a name";
                return std::nullopt;
            }
            std::string value;
            for (std::size_t i = 0; i < line.fields.size(); ++i) {
                value += (i == 0 ? "" : ",") + line.fields[i];
            }
            strings.values_[Upper(line.key)] = value;
        }
    }
    return strings;
}

std::optional<std::string> InfStrings::Resolve(std::string_view text, std::string& error) const {
    std::string resolved;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '%') {
            resolved += text[i];
            continue;
        }
        const std::size_t close = text.find('%', i + 1);
        if (close == std::string_view::npos) {
            error = "a % without its closing %";
            return std::nullopt;
        }
        const std::string name(text.substr(i + 1, close - i - 1));
        i = close;
        if (name.empty()) {
            resolved += '%';
        } else if (std::optional<std::string> folder = DirectoryId(name)) {
            resolved += *folder;
        } else if (auto found = values_.find(Upper(name)); found != values_.end()) {
            resolved += found->second;
        } else {
            error = "the string %" + name + "% is not defined";
            return std::nullopt;
        }
    }
    return resolved;
}

std::optional<std::string> InfStrings::DirectoryId(std::string_view id) const {
    if (id == "10") {
        return windowsDir_;
    }
    if (id == "17") {
        return windowsDir_ + "/inf";
    }
    if (id == "24") {
        return std::string("/");
    }
    return std::nullopt;
}

}  // namespace zavel::setup
