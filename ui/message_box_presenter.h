// The error boxes of platform::ShowErrorBox as the user sees them: a box with the caption
// "ZAVEL" and the critical icon, always shown by the user-interface thread. A caller on another
// thread waits until the box is dismissed, but stops waiting when its thread is being ended or
// the application is ending, since the user-interface thread is then busy ending it and will
// not show the box in time.
#pragma once

#include <QString>

#include <functional>

namespace zavel {

// Shows one box and returns when it is dismissed. Runs on the user-interface thread.
using BoxShower = std::function<void(const QString& text)>;

// The real box: QMessageBox, caption "ZAVEL", critical icon, owned by the active window.
void ShowCriticalBox(const QString& text);

// Makes ShowErrorBox show its boxes with `show` (tests give a shower that records instead of
// waiting for a person). Needs the application object to exist.
void InstallMessageBoxPresenter(BoxShower show = ShowCriticalBox);

}  // namespace zavel
