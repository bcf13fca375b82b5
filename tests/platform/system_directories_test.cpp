#include "platform/system_directories.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <optional>
#include <string>

#include "tests/support/scoped_env.h"
#include "tests/support/temp_dir.h"

namespace zavel {
namespace {

using test::ScopedEnv;

TEST(SystemDirectories, WindowsDirectoryFollowsTheDataHome) {
    ScopedEnv home("HOME", "/home/ann");
    {
        ScopedEnv data("XDG_DATA_HOME", "/data/ann/");
        EXPECT_EQ(platform::WindowsDirectory(), "/data/ann/zavel");
    }
    for (const std::optional<std::string>& unusable :
         {std::optional<std::string>(), std::optional<std::string>(""),
          std::optional<std::string>("relative/data")}) {
        ScopedEnv data("XDG_DATA_HOME", unusable);
        EXPECT_EQ(platform::WindowsDirectory(), "/home/ann/.local/share/zavel");
    }
}

TEST(SystemDirectories, HomeDirectoryEndsWithASlash) {
    {
        ScopedEnv home("HOME", "/home/ann/");
        EXPECT_EQ(platform::HomeDirectory(), "/home/ann/");
    }
    ScopedEnv home("HOME", std::nullopt);
    const std::string fromPasswd = platform::HomeDirectory();
    ASSERT_FALSE(fromPasswd.empty());
    EXPECT_EQ(fromPasswd.front(), '/');
    EXPECT_EQ(fromPasswd.back(), '/');
}

TEST(SystemDirectories, WindowsDirectoryIsCreatedOnDemandAndCurrentDirectoryIsTheProcesss) {
    test::TempDir dir;
    ScopedEnv data("XDG_DATA_HOME", dir / "deep/data");
    EXPECT_FALSE(std::filesystem::exists(dir / "deep/data/zavel"));
    EXPECT_TRUE(platform::CreateWindowsDirectory());
    EXPECT_TRUE(std::filesystem::is_directory(dir / "deep/data/zavel"));

    const std::filesystem::path before = std::filesystem::current_path();
    ASSERT_EQ(chdir(dir.path().c_str()), 0);
    EXPECT_EQ(platform::CurrentDirectory(), std::filesystem::canonical(dir.path()).string());
    std::filesystem::current_path(before);
}

}  // namespace
}  // namespace zavel
