#include "ui/branding.h"

namespace zavel {

QString ProductCopyright() {
    return QStringLiteral("(c) 2026 The ZAVEL Project");
}

QString ProductVersion() {
    return QStringLiteral("2.105");
}

QString MakerMailAddress() {
    return QStringLiteral("info@zavel.example");
}

QString ProductWebAddress() {
    return QStringLiteral("zavel.example");
}

QString MakerPhoneNumber() {
    // A number of the range kept free for fiction.
    return QStringLiteral("+1 212 555 0147");
}

std::optional<QString> BrandingString(int id) {
    switch (id) {
        case kAboutCopyrightString:
            return ProductCopyright();
        case kAboutVersionString:
            return QStringLiteral("Version ") + ProductVersion();
        case kAboutTitleString:
            return QStringLiteral("ZAVEL");
        case kAboutContactHeadString:
            return QStringLiteral("For additional information about ZAVEL:");
        case kAboutMailString:
            return QStringLiteral("E-Mail: ") + MakerMailAddress();
        case kAboutWebString:
            return QStringLiteral("Web Page: ") + ProductWebAddress();
        case kAboutPhoneString:
            return QStringLiteral("Phone: ") + MakerPhoneNumber();
        case kAboutBlankString:
        case kAboutLastBlankString:
            // The panel's last two rows: one blank each, so they look empty.
            return QStringLiteral(" ");
        default:
            return std::nullopt;
    }
}

}  // namespace zavel
