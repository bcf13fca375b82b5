#include "tests/support/captured_boxes.h"

namespace zavel::test {

void PrintTo(const CapturedBox& box, std::ostream* out) {
    *out << (box.icon == platform::BoxIcon::kError ? "error box \"" : "plain box \"") << box.text
         << "\"";
}

CapturedBoxes::CapturedBoxes() {
    previous_ =
        platform::SetMessageBoxPresenter([this](const std::string& text, platform::BoxIcon icon) {
            std::lock_guard lock(mutex_);
            boxes_.push_back({text, icon});
        });
}

CapturedBoxes::~CapturedBoxes() {
    platform::SetMessageBoxPresenter(previous_);
}

std::vector<std::string> CapturedBoxes::texts() const {
    std::lock_guard lock(mutex_);
    std::vector<std::string> texts;
    for (const CapturedBox& box : boxes_) {
        texts.push_back(box.text);
    }
    return texts;
}

std::vector<CapturedBox> CapturedBoxes::boxes() const {
    std::lock_guard lock(mutex_);
    return boxes_;
}

void CapturedBoxes::Clear() {
    std::lock_guard lock(mutex_);
    boxes_.clear();
}

}  // namespace zavel::test
