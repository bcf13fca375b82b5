// A request to abort transfers, made from any thread. A transfer that watches the abort
// returns within a millisecond of Request(), also while the server sends nothing.
#pragma once

#include <atomic>
#include <mutex>

namespace zavel::platform {

class HttpAbort {
  public:
    HttpAbort() = default;
    HttpAbort(const HttpAbort&) = delete;
    HttpAbort& operator=(const HttpAbort&) = delete;

    void Request();
    bool Requested() const { return requested_.load(std::memory_order_acquire); }

  private:
    friend class TransferWatch;
    std::atomic<bool> requested_{false};
    // A transfer watches an abort it is handed as const; registering itself is not a change of
    // the abort's state, hence mutable.
    mutable std::mutex mutex_;
    mutable void* activeMulti_ = nullptr;  // guarded by mutex_: the transfer to wake, if any
};

}  // namespace zavel::platform
