// Address rules: a link as typed or found in a page becomes the three parts every record
// carries (host, dir, file), and those parts become the path of a local copy.
//
// All texts are single-byte. An address is fetched over HTTPS when it says "https://" (any
// letter case) and over plain HTTP otherwise, on the port the host text names or the scheme's
// default; any other scheme before "://" is dropped.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace zavel {

// Capacities of the parts, not counting a terminator. An address whose parts do not fit is
// not represented at all (see `valid` below) rather than cut into a different address.
inline constexpr std::size_t kHostCapacity = 79;
inline constexpr std::size_t kDirCapacity = 999;
inline constexpr std::size_t kFileCapacity = 79;
// Segments of one address, the host and an appended empty segment included.
inline constexpr std::size_t kMaxSegments = 20;

struct AddressParts {
    std::string host;  // server name as written, letter case kept
    // "" or "/seg/seg...": a segment may be empty ("//" in an address gives one), so dir ends
    // in "/" only when its last segment is empty.
    std::string dir;
    std::string file;  // "/" or "/last.segment"
    // False when the address has more than kMaxSegments segments or a part longer than its
    // capacity; such an address is never admitted or fetched. The parts of an invalid address
    // may still be filled in, but nothing may be built from them.
    bool valid = true;
    // Fetched over TLS: the address said "https://", or it is relative to such an address. The
    // two forms of one address are still one address (AddressKey leaves this out).
    bool secure = false;
};

struct ResolvedLink {
    AddressParts parts;
    std::string display;  // host + dir + file
};

// Splits an address into host, dir and file. A trailing "/" is removed from `address` first
// (the only change made to it). The parts are secure when the text before the first "://" is
// "https" in any letter case. The segments are counted as cut, the host and an appended
// empty segment included; more than kMaxSegments makes the parts invalid. The part capacities
// are checked by ResolveLink, after the dot segments are gone.
AddressParts SplitAddress(std::string& address);

// Removes "/." and "/.." segments of a dir text in place, pass after pass. Only the
// characters after a "/" are looked at, so "/a/.b" becomes "/ab" and "/a/..b" becomes "b": the
// result may lose its leading "/" (ResolveLink puts it back). Linear in the text's length.
void CollapseDotSegments(std::string& text);

// Resolves a link against the parent's host and dir (no parent for a root). A link beginning
// with "www." gets "http://" put in front, in `linkText` itself. A relative link takes the
// parent's scheme. The resolved dir always begins
// with "/" when it is not empty, so the request path dir + file always begins with "/" and the
// host text never absorbs path characters. The parts are invalid when there are too many
// segments or a part, after collapsing, is longer than its capacity.
ResolvedLink ResolveLink(std::string& linkText, const AddressParts* parent);

// The object requested from the host: dir followed by file.
std::string RequestPath(const AddressParts& parts);

// A text that is equal for two addresses exactly when host, dir and file are equal.
std::string AddressKey(const AddressParts& parts);

// How many times LocalCopyPath appends "p" to a taken name before it gives up.
inline constexpr int kMaxNameRetries = 200;

class WrittenCopies;

struct CopyTarget {
    std::string destDir;  // without a trailing "/", except for "/" itself
    int copyDirectory = 0;
    int rewrite = 0;
    // The copies this run has written; null when nothing is known of them.
    const WrittenCopies* written = nullptr;
};

// Full path of the local copy of an address, creating the directories it needs under destDir.
// The result always lies inside destDir: segments that would climb out ("." and "..") are made
// harmless by a "_" in front ("_.", "_.."), and NUL bytes of the parts become "_". The name is
// base + "." + extension taken from file ("/" gives index.html) and never contains "/"; a name
// that would be "." alone (file "/." or "/..") is taken like every folder's, so it becomes "p."
// or the next free name. With copyDirectory 1 each non-empty dir segment is a directory (mode
// 0755) under the previous one, entered and made without following a link (see
// OpenFolderBelow); when one cannot be made or entered, the path is given all the same and the
// write of the copy reports the failure.
// A name that is taken gets "p" appended to its base name, at most kMaxNameRetries times. With
// rewrite other than 1 anything under the name (lstat sees it: a dangling link or an unreadable
// file too) takes it. With rewrite 1 a symbolic link (replaced by the copy, never followed) or a
// regular file is used, when `written` allows this address to replace it; anything else (a
// folder, a device, a copy of another address made in this run) takes the name.
// Returns "" when no copy can be made: an empty destDir (or one holding a NUL byte), or every
// name taken.
std::string LocalCopyPath(const CopyTarget& target, const AddressParts& parts);

// Appends "%" and the byte's two upper-case hexadecimal digits.
void AppendPercentEscaped(std::string& out, unsigned char byte);

// An absolute address as a browser takes it: escapes and reserved characters stay; blanks,
// control bytes, bytes above 126 and "<>\^`{|} become %XX.
std::string EscapeAddress(std::string_view address);

}  // namespace zavel
