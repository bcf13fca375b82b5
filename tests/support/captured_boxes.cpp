#include "tests/support/captured_boxes.h"

namespace zavel::test {

CapturedBoxes::CapturedBoxes() {
    previous_ = platform::SetMessageBoxPresenter([this](const std::string& text) {
        std::lock_guard lock(mutex_);
        texts_.push_back(text);
    });
}

CapturedBoxes::~CapturedBoxes() {
    platform::SetMessageBoxPresenter(previous_);
}

std::vector<std::string> CapturedBoxes::texts() const {
    std::lock_guard lock(mutex_);
    return texts_;
}

}  // namespace zavel::test
