#include "lists/install_location.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "tests/support/temp_dir.h"

namespace zavel {
namespace {

// A Windows directory and an install folder inside one temporary folder.
struct Install {
    test::TempDir root;
    std::string windowsDir = root / "windows";
    std::string folder = root / "apps/ZAVEL/";

    Install() {
        std::filesystem::create_directories(windowsDir);
        std::filesystem::create_directories(folder);
    }
    void WriteRecord(const std::string& line) {
        test::WriteFileBytes(windowsDir + "/dir.lst", line + "\r\n");
    }
    void WriteOwnCopy(const std::string& line) {
        test::WriteFileBytes(folder + "dir.lst", line + "\r\n");
    }
};

TEST(InstallLocation, BothCopiesPresentNameTheProgramDirectory) {
    Install install;
    install.WriteRecord(install.folder);
    install.WriteOwnCopy(install.folder);
    EXPECT_EQ(ReadInstallLocation(install.windowsDir), install.folder);
}

TEST(InstallLocation, TheInstallFoldersCopyHasTheLastWord) {
    Install install;
    install.WriteRecord(install.folder);
    install.WriteOwnCopy("/opt/zavel/");
    EXPECT_EQ(ReadInstallLocation(install.windowsDir), "/opt/zavel/");
}

TEST(InstallLocation, MissingCopiesMeanNotInstalled) {
    Install install;
    EXPECT_EQ(ReadInstallLocation(install.windowsDir), std::nullopt);  // never installed
    install.WriteRecord(install.folder);
    EXPECT_EQ(ReadInstallLocation(install.windowsDir), std::nullopt);  // uninstalled
    install.WriteRecord(install.root / "elsewhere/");
    install.WriteOwnCopy(install.folder);
    EXPECT_EQ(ReadInstallLocation(install.windowsDir), std::nullopt);  // record names nothing
}

TEST(InstallLocation, EmptyRecordsMeanNotInstalled) {
    Install install;
    test::WriteFileBytes(install.windowsDir + "/dir.lst", "");
    install.WriteOwnCopy(install.folder);
    EXPECT_EQ(ReadInstallLocation(install.windowsDir), std::nullopt);
    install.WriteRecord(install.folder);
    test::WriteFileBytes(install.folder + "dir.lst", "\r\n");
    EXPECT_EQ(ReadInstallLocation(install.windowsDir), std::nullopt);
}

TEST(InstallLocation, FolderLinesWithoutTrailingSlashStillNameTheirFolder) {
    Install install;
    std::string bare = install.folder;
    bare.pop_back();
    install.WriteRecord(bare);
    test::WriteFileBytes(install.folder + "dir.lst", bare + "\n");
    EXPECT_EQ(ReadInstallLocation(install.windowsDir), install.folder);
}

}  // namespace
}  // namespace zavel
