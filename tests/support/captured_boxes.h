// Records the message boxes shown while it lives instead of showing them.
#pragma once

#include <mutex>
#include <ostream>
#include <string>
#include <vector>

#include "platform/message_box.h"

namespace zavel::test {

struct CapturedBox {
    std::string text;
    platform::BoxIcon icon = platform::BoxIcon::kError;
    bool operator==(const CapturedBox&) const = default;
};

void PrintTo(const CapturedBox& box, std::ostream* out);

// An error box and a box without an icon, as the tests expect them.
inline CapturedBox ErrorBox(std::string text) {
    return {std::move(text), platform::BoxIcon::kError};
}
inline CapturedBox PlainBox(std::string text) {
    return {std::move(text), platform::BoxIcon::kNone};
}

class CapturedBoxes {
  public:
    CapturedBoxes();
    ~CapturedBoxes();
    CapturedBoxes(const CapturedBoxes&) = delete;
    CapturedBoxes& operator=(const CapturedBoxes&) = delete;

    std::vector<std::string> texts() const;
    std::vector<CapturedBox> boxes() const;
    void Clear();

  private:
    mutable std::mutex mutex_;
    std::vector<CapturedBox> boxes_;  // guarded by mutex_
    platform::MessageBoxPresenter previous_;
};

}  // namespace zavel::test
