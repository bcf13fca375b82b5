// The program's texts are bytes. The controls show them as UTF-8, the system's encoding for
// names and addresses, when they are valid UTF-8; any other text (a page may link to
// "%E9t%E9.htm", which is the byte E9) shows each byte as the Latin-1 character of its code, so
// that nothing is lost and the bytes can be had back exactly.
#pragma once

#include <QString>
#include <QStringDecoder>

#include <cstddef>
#include <string>
#include <string_view>

namespace zavel {

// The settings texts (destination, file types, the address the settings file keeps) are cut to
// what their buffers of 200 bytes hold.
inline constexpr std::size_t kSettingsTextBytes = 199;

// The text, or null when the bytes are not valid UTF-8.
inline QString Utf8Text(std::string_view bytes) {
    // A byte-order mark is a character of the text like any other.
    QStringDecoder utf8(QStringDecoder::Utf8,
                        QStringDecoder::Flag::Stateless | QStringDecoder::Flag::ConvertInitialBom);
    QString text = utf8(QByteArrayView(bytes.data(), static_cast<qsizetype>(bytes.size())));
    return utf8.hasError() ? QString() : text;
}

inline bool IsUtf8(std::string_view bytes) {
    return bytes.empty() || !Utf8Text(bytes).isNull();
}

inline QString ToControl(std::string_view bytes) {
    QString text = Utf8Text(bytes);
    if (text.isNull()) {
        text = QString::fromLatin1(bytes.data(), static_cast<qsizetype>(bytes.size()));
    }
    return text;
}

// At most `maxBytes` of `bytes`; a UTF-8 text is never cut inside a character.
inline std::string CutBytes(std::string bytes, std::size_t maxBytes) {
    if (bytes.size() > maxBytes) {
        std::size_t keep = maxBytes;
        if (IsUtf8(bytes)) {
            while (keep > 0 && (static_cast<unsigned char>(bytes[keep]) & 0xC0) == 0x80) {
                --keep;
            }
        }
        bytes.resize(keep);
    }
    return bytes;
}

// Text the user typed, as UTF-8 bytes, at most `maxBytes` of them.
inline std::string FromControl(const QString& text, std::size_t maxBytes = std::string::npos) {
    return CutBytes(text.toUtf8().toStdString(), maxBytes);
}

}  // namespace zavel
