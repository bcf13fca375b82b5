// The program's texts are bytes; the controls show them as UTF-8, the system's encoding for
// names and addresses.
#pragma once

#include <QString>

#include <cstddef>
#include <string>
#include <string_view>

namespace zavel {

inline QString ToControl(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// The control's text as bytes, at most `maxBytes` of them, never splitting a character.
inline std::string FromControl(const QString& text, std::size_t maxBytes = std::string::npos) {
    std::string bytes = text.toUtf8().toStdString();
    if (bytes.size() > maxBytes) {
        std::size_t keep = maxBytes;
        while (keep > 0 && (static_cast<unsigned char>(bytes[keep]) & 0xC0) == 0x80) {
            --keep;
        }
        bytes.resize(keep);
    }
    return bytes;
}

}  // namespace zavel
