// A main window started the way the program starts it, in a temporary home: HOME and
// XDG_DATA_HOME point into a temporary folder, where the install record and the program
// directory are made as a test needs them. Error boxes are captured, never shown.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "tests/support/captured_boxes.h"
#include "tests/support/scoped_env.h"
#include "tests/support/temp_dir.h"
#include "ui/main_frame.h"

namespace zavel::test {

// Lets the event loop run until `done` holds or the time is up; returns `done()`.
bool WaitUntil(const std::function<bool()>& done, int milliseconds = 5000);

class UiTest : public ::testing::Test {
  protected:
    UiTest();

    // Both copies of the install record, naming programDir.
    void Install();
    void WriteStatus(const std::string& bytes) const;
    std::string ReadStatus() const;
    bool StatusExists() const;

    // Constructs the main window and lets the posted build (or installer) message run.
    std::unique_ptr<MainFrame> Start();

    TempDir root;
    const std::string home = root / "home";
    const std::string dataHome = root / "data";
    const std::string windowsDir = dataHome + "/zavel";
    const std::string programDir = root / "apps/ZAVEL/";

  private:
    ScopedCurrentDirectory currentDirectory_;
    ScopedEnv homeEnv_{"HOME", home};
    ScopedEnv dataEnv_{"XDG_DATA_HOME", dataHome};

  protected:
    CapturedBoxes boxes;
};

}  // namespace zavel::test
