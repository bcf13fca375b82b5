#include "platform/message_box.h"

#include <cstdio>
#include <mutex>
#include <utility>

namespace zavel::platform {
namespace {

std::mutex presenterMutex;
MessageBoxPresenter presenter;  // guarded by presenterMutex

thread_local const BoxWaitCancel* threadCancel = nullptr;  // the innermost of the thread

}  // namespace

BoxWaitCancel::BoxWaitCancel(std::function<bool()> ended)
    : ended_(std::move(ended)), previous_(threadCancel) {
    threadCancel = this;
}

BoxWaitCancel::~BoxWaitCancel() {
    threadCancel = previous_;
}

bool BoxWaitCancel::Ended() const {
    return (ended_ && ended_()) || (previous_ != nullptr && previous_->Ended());
}

bool BoxWaitCancelled() {
    return threadCancel != nullptr && threadCancel->Ended();
}

void ShowMessageBox(const std::string& text, BoxIcon icon) {
    MessageBoxPresenter current;
    {
        std::lock_guard lock(presenterMutex);
        current = presenter;
    }
    // The presenter runs outside the lock: a box may wait for the user for a long time.
    if (current) {
        current(text, icon);
    } else {
        std::fprintf(stderr, "ZAVEL: %s\n", text.c_str());
    }
}

void ShowErrorBox(const std::string& text) {
    ShowMessageBox(text, BoxIcon::kError);
}

MessageBoxPresenter SetMessageBoxPresenter(MessageBoxPresenter replacement) {
    std::lock_guard lock(presenterMutex);
    return std::exchange(presenter, std::move(replacement));
}

}  // namespace zavel::platform
