#include "lists/word_list_cache.h"

#include <sys/stat.h>
#include <time.h>

#include "lists/word_list.h"

namespace zavel {
namespace {

// A file unchanged for this long cannot change again without a new stamp.
constexpr std::int64_t kSettleNs = 1000000000;

}  // namespace

std::shared_ptr<const WordListCache::Entries> WordListCache::Get(const std::string& path) {
    struct stat info {};
    if (stat(path.c_str(), &info) != 0) {
        std::lock_guard lock(mutex_);
        cache_.erase(path);
        return nullptr;
    }
    Stamp stamp{static_cast<std::uint64_t>(info.st_dev), static_cast<std::uint64_t>(info.st_ino),
                static_cast<std::int64_t>(info.st_size),
                static_cast<std::int64_t>(info.st_mtim.tv_sec) * 1000000000 + info.st_mtim.tv_nsec,
                static_cast<std::int64_t>(info.st_ctim.tv_sec) * 1000000000 + info.st_ctim.tv_nsec};
    {
        std::lock_guard lock(mutex_);
        auto it = cache_.find(path);
        if (it != cache_.end() && it->second.settled && it->second.stamp == stamp) {
            return it->second.entries;
        }
    }
    // The list is opened as the readers always open it, so a file that cannot be opened for
    // update still counts as missing.
    auto entries = ReadWordList(path);
    if (!entries) {
        std::lock_guard lock(mutex_);
        cache_.erase(path);
        return nullptr;
    }
    auto shared = std::make_shared<const Entries>(std::move(*entries));
    // The stamp was taken before the read: a change made in between gives a newer stamp at
    // the next use, which reads the list again.
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    const std::int64_t nowNs = static_cast<std::int64_t>(now.tv_sec) * 1000000000 + now.tv_nsec;
    const bool settled =
        nowNs - stamp.modifiedNs > kSettleNs && nowNs - stamp.changedNs > kSettleNs;
    std::lock_guard lock(mutex_);
    cache_[path] = Cached{stamp, settled, shared};
    return shared;
}

}  // namespace zavel
