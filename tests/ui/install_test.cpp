// The Install button end to end: the procedure, the real setup engine in a temporary HOME and
// XDG_DATA_HOME, the program found installed at its next start, and the uninstall.
#include <QTest>

#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>

#include "install/install_procedure.h"
#include "install/installer_window.h"
#include "tests/support/run_program.h"
#include "tests/ui/ui_fixture.h"

namespace zavel {
namespace {

using test::ErrorBox;
using test::PlainBox;
using test::ReadFileBytes;

std::vector<std::string> Names(const std::string& folder) {
    std::vector<std::string> names;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(folder, error)) {
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

class InstallTest : public test::UiTest {
  protected:
    InstallTest() { std::filesystem::remove_all(windowsDir); }

    // The installer screen, taking the setup engine from the build.
    std::unique_ptr<MainFrame> StartInstaller() {
        auto frame = Start();
        if (frame->installer == nullptr) {
            ADD_FAILURE() << "no installer screen";
            std::abort();
        }
        frame->installer->sources.setupEngineFolder = ZAVEL_SETUP_DIR;
        return frame;
    }

    // Types the destination and presses the Install button.
    void Install(MainFrame& frame, const std::string& destination) {
        frame.destinationEdit->setText(QString::fromStdString(destination));
        QTest::mouseClick(frame.installer->installButton, Qt::LeftButton);
    }

    const std::string dest = root / "dest";
    const std::string applications = dataHome + "/applications";
};

const std::vector<std::string> kInstalledNames = {"dir.lst",   "error.lst", "ext.lst",
                                                  "ext2.lst",  "link.lst",  "status.lst",
                                                  "zavel.exe", "zavel.hlp"};

TEST_F(InstallTest, InstallsAndTheNextStartFindsTheInstallation) {
    for (const std::string& typed : {dest + "/a", dest + "/b/"}) {
        std::filesystem::create_directories(typed);
        const std::string folder = (typed.back() == '/' ? typed : typed + "/") + "ZAVEL/";
        // Each time on a machine without an installation.
        std::filesystem::remove_all(windowsDir);
        std::filesystem::remove_all(applications);
        boxes.Clear();
        auto frame = StartInstaller();
        Install(*frame, typed);
        EXPECT_EQ(boxes.boxes(), std::vector{PlainBox("ZAVEL has been installed")}) << typed;
        EXPECT_FALSE(frame->isVisible());  // the window is gone, the program ends

        EXPECT_EQ(Names(folder), kInstalledNames);
        EXPECT_EQ(ReadFileBytes(folder + "zavel.exe"), ReadFileBytes("/proc/self/exe"));
        EXPECT_EQ(access((folder + "zavel.exe").c_str(), X_OK), 0);
        EXPECT_EQ(ReadFileBytes(folder + "dir.lst"), folder + "\n");
        EXPECT_EQ(ReadFileBytes(windowsDir + "/dir.lst"), folder + "\n");
        // The installed description ends with the folder's line, on a line of its own and
        // without a line end.
        const std::string inf = ReadFileBytes(windowsDir + "/inf/zavel.inf");
        EXPECT_TRUE(inf.ends_with("\r\n" + DestFoldLine(folder))) << inf;
        EXPECT_EQ(Names(applications),
                  (std::vector<std::string>{"zavel-zavel-help.desktop", "zavel-zavel.desktop"}));
        EXPECT_NE(ReadFileBytes(applications + "/zavel-zavel.desktop").find(folder + "zavel.exe"),
                  std::string::npos);

        // The installed copy starts normally from its folder, with its default settings.
        auto installed = Start();
        EXPECT_EQ(installed->installMode, 0);
        EXPECT_EQ(installed->programDir, folder);
        ASSERT_NE(installed->destinationEdit, nullptr);
        EXPECT_EQ(installed->destinationEdit->text(), "/tmp");
        EXPECT_EQ(installed->addressEdit->text(), "example.com/");
        installed->close();
    }
}

TEST_F(InstallTest, TheProposedDestinationInstallsAsItStands) {
    auto frame = StartInstaller();
    QTest::mouseClick(frame->installer->installButton, Qt::LeftButton);
    EXPECT_EQ(boxes.boxes(), std::vector{PlainBox("ZAVEL has been installed")});
    EXPECT_EQ(ReadFileBytes(windowsDir + "/dir.lst"), windowsDir + "/ZAVEL/\n");
    EXPECT_EQ(Names(windowsDir + "/ZAVEL"), kInstalledNames);
}

TEST_F(InstallTest, ADestinationThatDoesNotExistWritesNothing) {
    auto frame = StartInstaller();
    Install(*frame, dest + "/missing");
    EXPECT_EQ(boxes.boxes(), std::vector{ErrorBox("Error accessing directory")});
    EXPECT_TRUE(frame->isVisible());
    EXPECT_EQ(Names(windowsDir), std::vector<std::string>{});
    EXPECT_FALSE(std::filesystem::exists(dest));
}

TEST_F(InstallTest, ASetupEngineThatCannotBeStartedLeavesTheScreenForAnotherTry) {
    std::filesystem::create_directories(dest);
    auto frame = StartInstaller();
    const std::string empty = root / "empty";
    std::filesystem::create_directories(empty);
    frame->installer->sources.setupEngineFolder = empty;
    {
        test::ScopedEnv path("PATH", "");
        Install(*frame, dest);
    }
    EXPECT_EQ(boxes.boxes(), std::vector{ErrorBox("Execution of .inf file failed.")});
    EXPECT_TRUE(frame->isVisible());
    EXPECT_FALSE(std::filesystem::exists(dest + "/ZAVEL"));

    boxes.Clear();
    frame->installer->sources.setupEngineFolder = ZAVEL_SETUP_DIR;
    QTest::mouseClick(frame->installer->installButton, Qt::LeftButton);
    EXPECT_EQ(boxes.boxes(), std::vector{PlainBox("ZAVEL has been installed")});
}

TEST_F(InstallTest, AWorkFolderThatCannotBeWrittenReportsEveryFileAndGoesOn) {
    std::filesystem::create_directories(dest);
    auto frame = StartInstaller();
    // Running as root, no permission bit stops a write: a file where the folder must be does.
    const std::string work = windowsDir + "/temp";
    test::WriteFileBytes(work, "in the way");
    Install(*frame, dest);
    std::vector<test::CapturedBox> expected;
    for (const char* name :
         {"zavel.hlp", "ext.lst", "ext2.lst", "error.lst", "link.lst", "status.lst", "zavel.inf"}) {
        expected.push_back(ErrorBox(work + "/" + name + ": File not found"));
    }
    expected.push_back(
        ErrorBox("ZAVEL.EXE: Error be sure you did not rename ZAVEL.EXE installing file"));
    // The setup engine cannot even be started in a work folder that is none.
    expected.push_back(ErrorBox("Execution of .inf file failed."));
    EXPECT_EQ(boxes.boxes(), expected);
    EXPECT_TRUE(frame->isVisible());
}

// The installed program is all it takes: given the uninstall command's arguments, it is the
// setup engine (no window, no build's zavel-setup).
TEST_F(InstallTest, UninstallRemovesWhatInstallMadeAndTheProgramIsUninstalledAgain) {
    std::filesystem::create_directories(dest);
    auto frame = StartInstaller();
    frame->installer->sources.programFile = std::string(ZAVEL_PROGRAM_DIR) + "/zavel";
    Install(*frame, dest);
    ASSERT_EQ(boxes.boxes(), std::vector{PlainBox("ZAVEL has been installed")});
    frame.reset();

    std::string messages;
    ASSERT_EQ(
        test::RunProgram(dest + "/ZAVEL/zavel.exe",
                         {"DefaultUninstall", "132", windowsDir + "/inf/zavel.inf"}, &messages),
        0)
        << messages;
    EXPECT_FALSE(std::filesystem::exists(dest + "/ZAVEL"));
    EXPECT_EQ(Names(applications), std::vector<std::string>{});
    EXPECT_FALSE(std::filesystem::exists(windowsDir + "/inf/zavel.inf"));

    auto again = Start();
    EXPECT_EQ(again->installMode, 1);
    EXPECT_NE(again->installer, nullptr);
}

}  // namespace
}  // namespace zavel
