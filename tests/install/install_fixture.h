// A temporary user for the installer and the setup engine: HOME and XDG_DATA_HOME point into a
// temporary folder whose Windows directory does not exist yet, as on a machine that never ran
// ZAVEL. Message boxes are captured.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "tests/support/captured_boxes.h"
#include "tests/support/scoped_env.h"
#include "tests/support/temp_dir.h"

namespace zavel::test {

class InstallTest : public ::testing::Test {
  protected:
    InstallTest();

    // The stored .inf with the line that names `installFolder`, as the installer leaves it.
    static std::string InfFor(const std::string& installFolder);
    // A folder holding the files the setup engine copies, as the installer leaves its work
    // folder for `installFolder` (each file's text names it, so copies can be told apart).
    void PrepareWorkFolder(const std::string& folder, const std::string& installFolder) const;
    // Every path below `folder`, relative to it, sorted; "" for a missing folder.
    static std::vector<std::string> Listing(const std::string& folder);

    TempDir root;
    const std::string home = root / "home";
    const std::string dataHome = root / "data";
    const std::string windowsDir = dataHome + "/zavel";
    const std::string applicationsDir = dataHome + "/applications";
    CapturedBoxes boxes;

  private:
    ScopedEnv homeEnv_{"HOME", home};
    ScopedEnv dataEnv_{"XDG_DATA_HOME", dataHome};
};

// The names of the files the setup engine puts into the install folder.
inline const char* const kInstalledFiles[] = {"dir.lst",  "error.lst",  "ext.lst",   "ext2.lst",
                                              "link.lst", "status.lst", "zavel.exe", "zavel.hlp"};

}  // namespace zavel::test
