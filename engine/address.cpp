#include "engine/address.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <unistd.h>

#include <string_view>
#include <utility>
#include <vector>

#include "engine/local_copy.h"

namespace zavel {
namespace {

constexpr std::string_view kSchemeMark = "://";
constexpr std::string_view kHttp = "http://";
constexpr std::string_view kHttps = "https://";

// True when `text` begins with `lower` (lower-case letters), letter case folded for ASCII
// letters only: texts are bytes, and the locale must not decide what counts as "www.".
bool BeginsWithFolded(std::string_view text, std::string_view lower) {
    if (text.size() < lower.size()) {
        return false;
    }
    for (std::size_t i = 0; i < lower.size(); ++i) {
        char c = text[i];
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
        }
        if (c != lower[i]) {
            return false;
        }
    }
    return true;
}

bool BeginsWithWww(const std::string& text) {
    return BeginsWithFolded(text, "www.");
}

// "https" in any letter case.
bool IsSecureScheme(std::string_view scheme) {
    return scheme.size() == 5 && BeginsWithFolded(scheme, "https");
}

// "/" + "x" is "/x", not "//x": the root keeps its one separator.
std::string JoinPath(const std::string& folder, std::string_view name) {
    std::string path = folder;
    if (path.empty() || path.back() != '/') {
        path += '/';
    }
    path += name;
    return path;
}

// A NUL byte would end the path early in the system call and name another file.
std::string WithoutNul(std::string_view text) {
    std::string out(text);
    for (char& c : out) {
        if (c == '\0') {
            c = '_';
        }
    }
    return out;
}

// "." and ".." would stay in place or climb out of the destination; "_" in front makes them
// ordinary names.
std::string HarmlessSegment(std::string_view segment) {
    std::string name = WithoutNul(segment);
    if (name == "." || name == "..") {
        name.insert(0, 1, '_');
    }
    return name;
}

struct FileName {
    std::string base;
    std::string extension;
};

// Base name up to the first ".", extension after the last one: the text between them is lost.
FileName SplitFileName(const std::string& file) {
    if (file == "/") {
        return {"index", "html"};
    }
    std::string_view name(file);
    if (!name.empty() && name.front() == '/') {
        name.remove_prefix(1);
    }
    const std::size_t firstDot = name.find('.');
    const std::size_t lastDot = name.rfind('.');
    // File "/." or "/.." (of a "../" link) gives the name ".", which the folder itself always
    // takes: the copy goes to the next free name instead.
    FileName parts{WithoutNul(name.substr(0, firstDot)),
                   lastDot == std::string_view::npos ? "" : WithoutNul(name.substr(lastDot + 1))};
    // A file part made elsewhere than by SplitAddress may hold a "/"; the name never does.
    for (std::string* text : {&parts.base, &parts.extension}) {
        for (char& c : *text) {
            if (c == '/') {
                c = '_';
            }
        }
    }
    return parts;
}

// With rewrite off anything by that name counts: a dangling link or a file this user cannot
// read is still not ours to overwrite. With rewrite on a link is replaced, never followed, and a
// regular file is replaced unless it is another address's copy of this run.
bool NameTaken(int folder, const std::string& name, const CopyTarget& target,
               const AddressParts& parts) {
    struct stat info {};
    if (fstatat(folder, name.c_str(), &info, AT_SYMLINK_NOFOLLOW) != 0) {
        return false;
    }
    if (target.rewrite != 1 || (!S_ISLNK(info.st_mode) && !S_ISREG(info.st_mode))) {
        return true;
    }
    return S_ISREG(info.st_mode) && target.written != nullptr &&
           !target.written->MayReplace(info, parts);
}

}  // namespace

AddressParts SplitAddress(std::string& address) {
    if (!address.empty() && address.back() == '/') {
        address.pop_back();
    }
    // "://" holds no letters, so searching the text itself is the same as searching a
    // lower-case copy.
    std::string_view rest(address);
    bool secure = false;
    if (const std::size_t mark = rest.find(kSchemeMark); mark != std::string_view::npos) {
        secure = IsSecureScheme(rest.substr(0, mark));
        rest.remove_prefix(mark + kSchemeMark.size());
    }

    std::vector<std::string_view> segments;
    for (;;) {
        const std::size_t slash = rest.find('/');
        segments.push_back(rest.substr(0, slash));
        if (slash == std::string_view::npos) {
            break;
        }
        rest.remove_prefix(slash + 1);
    }
    // A last segment without a "." names a directory, whose file is "/".
    if (segments.size() == 1 || segments.back().find('.') == std::string_view::npos) {
        segments.emplace_back();
    }

    AddressParts parts;
    parts.valid = segments.size() <= kMaxSegments;
    parts.secure = secure;
    parts.host = segments.front();
    for (std::size_t i = 1; i + 1 < segments.size(); ++i) {
        parts.dir += '/';
        parts.dir += segments[i];
    }
    parts.file = "/";
    parts.file += segments.back();
    return parts;
}

// The rule is stated pass by pass: each pass rescans from the left and makes the first change
// it meets. Rescanning the whole text after every change would cost time quadratic in its
// length, so the scanned prefix is kept instead. Every "/" in it is one not followed by "." (one
// followed by "." is always a change), so the remembered position is the last of them, and a
// "/" that is not the prefix's last character never looks past it. A change alters only the text
// after the prefix, so only the prefix's last character is scanned again.
void CollapseDotSegments(std::string& text) {
    std::string scanned;
    std::string pending(text.rbegin(), text.rend());  // reversed: the next character is last
    std::vector<std::size_t> slashes;                 // positions of the "/" in `scanned`
    auto ahead = [&pending](std::size_t k) {
        return k < pending.size() ? pending[pending.size() - 1 - k] : '\0';
    };
    auto scanAgain = [&] {
        if (!scanned.empty()) {
            pending.push_back(scanned.back());
            scanned.pop_back();
        }
        while (!slashes.empty() && slashes.back() >= scanned.size()) {
            slashes.pop_back();
        }
    };

    while (!pending.empty()) {
        // A NUL byte read as the end of the text makes no difference: both are "any other
        // character" after "/.".
        if (ahead(0) == '/' && ahead(1) == '.') {
            if (ahead(2) == '.') {
                scanned.resize(slashes.empty() ? 0 : slashes.back());
                pending.resize(pending.size() - 3);
            } else {
                pending.resize(pending.size() - 2);
            }
            scanAgain();
            continue;
        }
        if (ahead(0) == '/') {
            slashes.push_back(scanned.size());
        }
        scanned.push_back(pending.back());
        pending.pop_back();
    }
    text = std::move(scanned);
}

ResolvedLink ResolveLink(std::string& linkText, const AddressParts* parent) {
    if (BeginsWithWww(linkText)) {
        linkText.insert(0, kHttp);
    }

    // A link with "://" anywhere is absolute, whatever stands before it; the parent's file
    // plays no part in a relative one.
    std::string address;
    if (parent != nullptr && linkText.find(kSchemeMark) == std::string::npos) {
        address = parent->secure ? kHttps : kHttp;
        address += parent->host;
        if (linkText.empty() || linkText.front() != '/') {
            address += parent->dir;
            address += '/';
        }
        address += linkText;
    } else {
        address = linkText;  // a copy: SplitAddress may shorten it, the link text stays as given
    }

    ResolvedLink resolved;
    AddressParts& parts = resolved.parts;
    parts = SplitAddress(address);
    CollapseDotSegments(parts.dir);
    // Collapsing can take the leading "/" away ("/a/..b" gives "b"). Put back, it keeps the
    // request path beginning with "/" and keeps the host text from absorbing path characters:
    // host "127.0.0.1:80" and dir "81/x" would display, and be fetched, as port 8081.
    if (!parts.dir.empty() && parts.dir.front() != '/') {
        parts.dir.insert(0, 1, '/');
    }
    // A part over its capacity is not cut: a shortened part would name another address.
    if (parts.host.size() > kHostCapacity || parts.dir.size() > kDirCapacity ||
        parts.file.size() > kFileCapacity) {
        parts.valid = false;
    }
    resolved.display = parts.host + parts.dir + parts.file;
    return resolved;
}

std::string RequestPath(const AddressParts& parts) {
    return parts.dir + parts.file;
}

std::string AddressKey(const AddressParts& parts) {
    // Lengths first, so that no choice of separator byte can make two addresses collide.
    return std::to_string(parts.host.size()) + ':' + std::to_string(parts.dir.size()) + ':' +
           parts.host + parts.dir + parts.file;
}

std::string LocalCopyPath(const CopyTarget& target, const AddressParts& parts) {
    // No destination chosen means no copy: nothing is written anywhere the user did not choose.
    if (target.destDir.empty() || target.destDir.find('\0') != std::string::npos) {
        return "";
    }

    std::string folder = target.destDir;
    std::string relative;  // the same below destDir
    if (target.copyDirectory == 1) {
        std::string_view rest(parts.dir);
        while (!rest.empty()) {
            const std::size_t slash = rest.find('/');
            const std::string_view segment = rest.substr(0, slash);
            rest.remove_prefix(slash == std::string_view::npos ? rest.size() : slash + 1);
            if (segment.empty()) {
                continue;
            }
            const std::string name = HarmlessSegment(segment);
            folder = JoinPath(folder, name);
            relative = relative.empty() ? name : relative + "/" + name;
        }
    }

    FileName name = SplitFileName(parts.file);
    // Every folder below destDir is made and entered without following a link, so nothing is
    // made outside it. One that cannot be made or entered is passed over: the write of the copy
    // is what reports a failure.
    const int fd = OpenFolderBelow(target.destDir, relative, target.copyDirectory == 1);
    if (fd < 0) {
        return JoinPath(folder, name.base + "." + name.extension);
    }
    std::string path;
    for (int retries = 0; retries <= kMaxNameRetries; ++retries) {
        const std::string file = name.base + "." + name.extension;
        if (!NameTaken(fd, file, target, parts)) {
            path = JoinPath(folder, file);
            break;
        }
        name.base += 'p';
    }
    close(fd);
    return path;
}

void AppendPercentEscaped(std::string& out, unsigned char byte) {
    constexpr char kHex[] = "0123456789ABCDEF";
    out += '%';
    out += kHex[byte >> 4];
    out += kHex[byte & 15];
}

std::string EscapeAddress(std::string_view address) {
    constexpr std::string_view kEscaped = "\"<>\\^`{|}";
    std::string out;
    for (char c : address) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte <= 32 || byte >= 127 || kEscaped.find(c) != std::string_view::npos) {
            AppendPercentEscaped(out, byte);
        } else {
            out += c;
        }
    }
    return out;
}

}  // namespace zavel
