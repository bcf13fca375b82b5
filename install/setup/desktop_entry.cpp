#include "install/setup/desktop_entry.h"

#include <cctype>

namespace zavel::setup {

std::optional<std::string> MenuEntryFileName(std::string_view group, std::string_view item) {
    std::string name;
    const auto add = [&name](std::string_view part) {
        for (const char c : part) {
            const auto byte = static_cast<unsigned char>(c);
            if (byte < 0x80 && std::isalnum(byte)) {
                name += static_cast<char>(std::tolower(byte));
            } else if (!name.empty() && name.back() != '-') {
                name += '-';
            }
        }
        if (!name.empty() && name.back() != '-') {
            name += '-';
        }
    };
    add(group);
    add(item);
    while (!name.empty() && name.back() == '-') {
        name.pop_back();
    }
    if (name.empty()) {
        return std::nullopt;
    }
    return name + ".desktop";
}

std::string ExecArgument(std::string_view argument) {
    std::string quoted = "\"";
    for (const char c : argument) {
        if (c == '"' || c == '`' || c == '$' || c == '\\') {
            quoted += '\\';
        }
        quoted += c;
        if (c == '%') {
            quoted += '%';
        }
    }
    return quoted + "\"";
}

std::string EscapeValue(std::string_view value) {
    std::string escaped;
    for (const char c : value) {
        switch (c) {
            case '\\':
                escaped += "\\\\";
                break;
            case '\t':
                escaped += "\\t";
                break;
            case '\n':
                escaped += "\\n";
                break;
            case '\r':
                escaped += "\\r";
                break;
            default:
                escaped += c;
        }
    }
    return escaped;
}

std::string MenuEntryText(std::string_view group, std::string_view name, std::string_view target,
                          std::string_view opener) {
    const bool runnable = opener.empty();
    // The Exec line is a value too: its quoting comes first, the value's escapes over it.
    const std::string exec =
        runnable ? ExecArgument(target) : ExecArgument(opener) + " " + ExecArgument(target);
    std::string folder(target.substr(0, target.rfind('/') + 1));
    std::string text = "[Desktop Entry]\n";
    text += "Type=Application\n";
    text += "Name=" + EscapeValue(name) + "\n";
    text += "Comment=" +
            EscapeValue(std::string(name) + " (program group " + std::string(group) + ")") + "\n";
    text += "Exec=" + EscapeValue(exec) + "\n";
    text += "Path=" + EscapeValue(folder) + "\n";
    text +=
        std::string("Icon=") + (runnable ? "application-x-executable" : "text-x-generic") + "\n";
    text += "Terminal=false\n";
    text += "Categories=Network;\n";
    text += std::string(kGroupKey) + "=" + EscapeValue(group) + "\n";
    return text;
}

bool IsOwnMenuEntry(std::string_view text) {
    const std::string mark = "\n" + std::string(kGroupKey) + "=";
    return text.find(mark) != std::string_view::npos;
}

}  // namespace zavel::setup
