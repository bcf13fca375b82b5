// Records the error boxes shown while it lives instead of showing them.
#pragma once

#include <mutex>
#include <string>
#include <vector>

#include "platform/message_box.h"

namespace zavel::test {

class CapturedBoxes {
  public:
    CapturedBoxes();
    ~CapturedBoxes();
    CapturedBoxes(const CapturedBoxes&) = delete;
    CapturedBoxes& operator=(const CapturedBoxes&) = delete;

    std::vector<std::string> texts() const;

  private:
    mutable std::mutex mutex_;
    std::vector<std::string> texts_;  // guarded by mutex_
    platform::MessageBoxPresenter previous_;
};

}  // namespace zavel::test
