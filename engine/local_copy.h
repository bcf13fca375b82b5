// Where the copies of copy mode may be written, and what they may replace. A copy is written
// below the destination the user chose and nowhere else: below it no symbolic link is ever
// followed, neither in a folder part nor in the name itself. With rewrite on, the copy of one
// address never replaces a file that this run of the program wrote for another address.
#pragma once

#include <sys/stat.h>

#include <cstddef>
#include <cstdint>
#include <map>
#include <mutex>
#include <string>
#include <string_view>
#include <utility>

#include "engine/address.h"

namespace zavel {

// Opens the folder `relative` ("" or parts separated by "/") below `root`. The root is opened as
// given: it is the user's choice, a link to a folder included. Each part below it is entered only
// when it is a real folder, never through a link, and never "." or ".."; with `create`, a missing
// part is made first (mode 0755). Returns the folder's descriptor, or -1.
int OpenFolderBelow(const std::string& root, std::string_view relative, bool create);

// Opens the copy's file `path`, which lies below `root`, for writing from its start, without
// following a link below `root`. A link under the file's name is replaced by the copy and so is a
// file that has further names (hard links), which keep the old contents; a plain file is
// truncated in place. A folder, a device or a pipe under the name, or a path not below `root`,
// gives -1; otherwise the descriptor.
int OpenCopyForWriting(const std::string& root, const std::string& path);

// The copies this run of the program has written, whatever root, worker or destination wrote
// them. Files are known by their identity on the disk, so no spelling of a path (a trailing "/",
// a link to the destination) hides one. Safe from any thread.
class WrittenCopies {
  public:
    // The most files remembered. Past it no further file is remembered, and a file not
    // remembered is no longer replaced by any copy: it might be one of this run's.
    static constexpr std::size_t kCapacity = 100000;

    explicit WrittenCopies(std::size_t capacity = kCapacity) : capacity_(capacity) {}

    // `path` now holds the copy of `address`.
    void Note(const std::string& path, const AddressParts& address);
    // Whether the copy of `address` may replace the existing file `info` (as lstat gives it): a
    // file this run wrote only for the same address, a file from before the run always.
    bool MayReplace(const struct stat& info, const AddressParts& address) const;

  private:
    using FileId = std::pair<std::uint64_t, std::uint64_t>;  // device, inode

    const std::size_t capacity_;
    mutable std::mutex mutex_;
    std::map<FileId, std::string> addresses_;  // guarded by mutex_: file -> AddressKey
    bool full_ = false;                        // guarded by mutex_
};

}  // namespace zavel
