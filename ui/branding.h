// The product's branding, defined once for every place that shows it: the start screen's title
// block and contact lines, the installer screen, the About panel, and the contact lines' clicks
// that start the mail program or the browser.
#pragma once

#include <QString>

#include <optional>

namespace zavel {

QString ProductCopyright();   // the rights line: year and holder
QString ProductVersion();     // the version number alone, "2.105"
QString MakerMailAddress();   // the maker's e-mail address
QString ProductWebAddress();  // the product's web site, a host name
QString MakerPhoneNumber();   // the maker's phone number

// The About panel's strings in the string table.
inline constexpr int kAboutCopyrightString = 100;
inline constexpr int kAboutVersionString = 102;
inline constexpr int kAboutTitleString = 103;
inline constexpr int kAboutContactHeadString = 106;
inline constexpr int kAboutMailString = 107;
inline constexpr int kAboutWebString = 108;
inline constexpr int kAboutPhoneString = 109;
inline constexpr int kAboutBlankString = 110;
inline constexpr int kAboutLastBlankString = 111;

// The string table's entries that carry the branding (ids 100 to 111); nullopt for any other
// id. LoadString finds them here.
std::optional<QString> BrandingString(int id);

}  // namespace zavel
