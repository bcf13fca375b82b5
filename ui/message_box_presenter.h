// The boxes of platform::ShowMessageBox as the user sees them: a box with the caption "ZAVEL",
// the critical icon for errors and none for plain news, always shown by the user-interface
// thread. A caller on another thread waits until the box is dismissed, but stops waiting when
// its thread is being ended or the application is ending, since the user-interface thread is
// then busy ending it and will not show the box in time. A box not shown by then is dropped:
// it would speak of a crawl that the command ending the thread has changed or removed.
#pragma once

#include <QString>

#include <functional>

#include "platform/message_box.h"

namespace zavel {

// Shows one box and returns when it is dismissed. Runs on the user-interface thread.
using BoxShower = std::function<void(const QString& text, platform::BoxIcon icon)>;

// The real box: QMessageBox with an OK button, caption "ZAVEL", the critical icon or none,
// owned by the active window.
void ShowRealBox(const QString& text, platform::BoxIcon icon);

// Makes ShowMessageBox show its boxes with `show` (tests give a shower that records instead of
// waiting for a person). Needs the application object to exist.
void InstallMessageBoxPresenter(BoxShower show = ShowRealBox);

}  // namespace zavel
