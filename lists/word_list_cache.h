// Word lists as the page scan reads them: at the moment they are needed, so an edit takes
// effect with the next use. Reading a list is cheap after the first time: the file's identity,
// size and modification time are checked at every use, and the entries are read again only
// when any of them changed.
#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <unordered_map>
#include <vector>

namespace zavel {

class WordListCache {
  public:
    using Entries = std::vector<std::string>;

    // The entries of the list file at `path` as it is now, or nullptr when it cannot be opened.
    // The returned list stays valid while the caller holds it, even if the file changes.
    std::shared_ptr<const Entries> Get(const std::string& path);

  private:
    struct Stamp {
        std::uint64_t device = 0;
        std::uint64_t inode = 0;
        std::int64_t size = -1;
        std::int64_t modifiedNs = 0;
        std::int64_t changedNs = 0;
        bool operator==(const Stamp&) const = default;
    };
    struct Cached {
        Stamp stamp;
        // False when the file had changed too recently to trust its stamp: file systems keep
        // times in coarse ticks, so a second change within one tick may keep the same stamp.
        bool settled = false;
        std::shared_ptr<const Entries> entries;
    };

    std::mutex mutex_;
    std::unordered_map<std::string, Cached> cache_;  // guarded by mutex_
};

}  // namespace zavel
