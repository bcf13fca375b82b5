// Address rules: a link as typed or found in a page becomes the three parts every record
// carries (host, dir, file), and those parts become the path of a local copy.
//
// All texts are single-byte. Addresses are always plain HTTP on the default port of the host
// text: whatever stands before "://" is dropped.
#pragma once

#include <cstddef>
#include <string>

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
    std::string dir;   // "" or "/seg/seg...", never ending in "/"
    std::string file;  // "/" or "/last.segment"
    // False when the address has more than kMaxSegments segments or a part longer than its
    // capacity; such an address is never admitted or fetched.
    bool valid = true;
};

struct ResolvedLink {
    AddressParts parts;
    std::string display;  // host + dir + file
};

// Splits an address into host, dir and file. A trailing "/" is removed from `address` first
// (the only change made to it).
AddressParts SplitAddress(std::string& address);

// Removes "/." and "/.." segments of a dir text in place, pass after pass.
void CollapseDotSegments(std::string& text);

// Resolves a link against the parent's host and dir (no parent for a root). A link beginning
// with "www." gets "http://" put in front, in `linkText` itself. The resolved dir always begins
// with "/" when it is not empty, so the request path dir + file always begins with "/".
ResolvedLink ResolveLink(std::string& linkText, const AddressParts* parent);

// The object requested from the host: dir followed by file.
std::string RequestPath(const AddressParts& parts);

struct CopyTarget {
    std::string destDir;  // without a trailing "/", except for "/" itself
    int copyDirectory = 0;
    int rewrite = 0;
};

// Full path of the local copy of an address, creating the directories it needs under destDir.
// The result always lies inside destDir: segments that would climb out ("." and "..") are made
// harmless. Returns "" when no copy can be made: an empty destDir, or no free name found with
// rewrite 0.
std::string LocalCopyPath(const CopyTarget& target, const AddressParts& parts);

}  // namespace zavel
