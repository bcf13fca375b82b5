// The one door for the message boxes the user must see, caption "ZAVEL": the error boxes
// ("Internal Error", ...) with the error icon, and the few plain ones without an icon ("ZAVEL
// has been installed"). The UI installs a presenter that shows a real box on the UI thread
// (a caller on another thread waits until it is dismissed); tests install a recorder. Without
// a presenter the text goes to standard error, so nothing is ever silently lost.
#pragma once

#include <functional>
#include <string>

namespace zavel::platform {

enum class BoxIcon { kError, kNone };

using MessageBoxPresenter = std::function<void(const std::string& text, BoxIcon icon)>;

// Shows a box with an OK button and returns when it has been dismissed. Safe from any thread.
void ShowMessageBox(const std::string& text, BoxIcon icon);

// ShowMessageBox with the error icon.
void ShowErrorBox(const std::string& text);

// Replaces the presenter; returns the previous one. An empty presenter restores the default.
MessageBoxPresenter SetMessageBoxPresenter(MessageBoxPresenter presenter);

// A thread that can be ended while it waits for a box says how to tell, for as long as this
// object lives: a presenter waiting on that thread's behalf gives up once `ended` holds (the
// box may still be shown). Without one, a thread's waits are never cancelled.
class BoxWaitCancel {
  public:
    explicit BoxWaitCancel(std::function<bool()> ended);
    ~BoxWaitCancel();
    BoxWaitCancel(const BoxWaitCancel&) = delete;
    BoxWaitCancel& operator=(const BoxWaitCancel&) = delete;

    bool Ended() const;

  private:
    std::function<bool()> ended_;
    const BoxWaitCancel* previous_;
};

// For presenters: whether the calling thread is being ended.
bool BoxWaitCancelled();

}  // namespace zavel::platform
