#include "engine/progress_text.h"

namespace zavel {

std::string_view StatusText(int statusCode) {
    switch (statusCode) {
        case 10:
            return "Resolving Name...";
        case 11:
            return "Name resolved.";
        case 20:
            return "Connecting to Server...";
        case 21:
            return "Connected to Server.";
        case 30:
            return "Sending Request...";
        case 31:
            return "Request Sent.";
        case 40:
            return "Receiving Response...";
        case 41:
            return "Response Received.";
        case 50:
            return "Closing Connection...";
        case 51:
            return "Connection Closed.";
        default:
            return {};
    }
}

std::string CutText(std::string_view text, std::size_t maxBytes) {
    if (text.size() <= maxBytes) {
        return std::string(text);
    }
    constexpr std::string_view kEllipsis = "...";
    if (maxBytes < kEllipsis.size()) {
        return std::string(kEllipsis.substr(0, maxBytes));
    }
    std::size_t keep = maxBytes - kEllipsis.size();
    // Back off from continuation bytes (10xxxxxx) so that no character is split.
    while (keep > 0 && (static_cast<unsigned char>(text[keep]) & 0xC0) == 0x80) {
        --keep;
    }
    std::string cut(text.substr(0, keep));
    cut += kEllipsis;
    return cut;
}

std::string ProgressText(int statusCode, const LinkRecord& record, int index, int count) {
    std::string text(StatusText(statusCode));
    text += ' ';
    text += CutText(record.DisplayText(), kPaneAddressBytes);
    text += " (" + std::to_string(index) + '/' + std::to_string(count) + ')';
    return text;
}

}  // namespace zavel
