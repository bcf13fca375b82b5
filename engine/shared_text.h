// A text that the records of one root share and that the UI thread may replace while the crawl
// worker reads it: the destination directory, which the directory chooser changes for the
// crawl that is running.
#pragma once

#include <mutex>
#include <string>

namespace zavel {

class SharedText {
  public:
    SharedText() = default;
    explicit SharedText(std::string text) : text_(std::move(text)) {}
    SharedText(const SharedText&) = delete;
    SharedText& operator=(const SharedText&) = delete;

    std::string Get() const {
        std::lock_guard lock(mutex_);
        return text_;
    }
    void Set(std::string text) {
        std::lock_guard lock(mutex_);
        text_ = std::move(text);
    }

  private:
    mutable std::mutex mutex_;
    std::string text_;  // guarded by mutex_
};

}  // namespace zavel
