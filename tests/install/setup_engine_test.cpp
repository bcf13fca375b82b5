// The setup engine as the installer runs it: a real zavel-setup process on a work folder, in a
// temporary HOME and XDG_DATA_HOME; then the recorded uninstall command undoing it.
#include <sys/stat.h>

#include <filesystem>

#include "install/setup/desktop_entry.h"
#include "install/setup/registry_file.h"
#include "install/setup/setup_run.h"
#include "lists/embedded_text.h"
#include "tests/install/install_fixture.h"
#include "tests/support/run_program.h"

namespace zavel {
namespace {

using test::InstallTest;
using test::ReadFileBytes;
using test::WriteFileBytes;

class SetupEngineTest : public InstallTest {
  protected:
    const std::string work = windowsDir + "/temp";
    const std::string installFolder = root / "apps/My Programs/ZAVEL/";
    const std::string installedInf = windowsDir + "/inf/zavel.inf";
    const std::string uninstallKey =
        "HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Zavel";
};

TEST_F(SetupEngineTest, InstallAndUninstallRoundTrip) {
    PrepareWorkFolder(work, installFolder);
    std::string messages;
    ASSERT_EQ(test::RunSetupEngine({work + "/zavel.inf"}, &messages), setup::kSetupDone)
        << messages;

    for (const char* name : test::kInstalledFiles) {
        EXPECT_EQ(ReadFileBytes(installFolder + name), ReadFileBytes(work + "/" + name)) << name;
    }
    struct stat program {};
    ASSERT_EQ(stat((installFolder + "zavel.exe").c_str(), &program), 0);
    EXPECT_EQ(program.st_mode & 0777, 0755u);
    EXPECT_EQ(ReadFileBytes(installedInf), InfFor(installFolder));

    const std::string entry = ReadFileBytes(applicationsDir + "/zavel-zavel.desktop");
    EXPECT_NE(entry.find("\nName=Zavel\n"), std::string::npos) << entry;
    EXPECT_NE(
        entry.find("\nExec=" +
                   setup::EscapeValue(setup::ExecArgument(installFolder + "zavel.exe")) + "\n"),
        std::string::npos)
        << entry;
    // The help file opens in the help engine: the program it belongs to.
    const std::string help = ReadFileBytes(applicationsDir + "/zavel-zavel-help.desktop");
    EXPECT_NE(help.find("\nName=Zavel Help\n"), std::string::npos) << help;
    EXPECT_NE(help.find("\nExec=" +
                        setup::EscapeValue(setup::ExecArgument(installFolder + "zavel.exe") + " " +
                                           setup::ExecArgument(installFolder + "zavel.hlp")) +
                        "\n"),
              std::string::npos)
        << help;

    const setup::RegistryFile registry =
        setup::RegistryFile::Parse(ReadFileBytes(windowsDir + "/" + setup::kRegistryFileName));
    EXPECT_EQ(registry.Get(uninstallKey, "DisplayName"), "Zavel");
    const std::optional<std::string> uninstall = registry.Get(uninstallKey, "UninstallString");
    ASSERT_TRUE(uninstall);
    EXPECT_TRUE(uninstall->ends_with(" DefaultUninstall 132 " + installedInf)) << *uninstall;

    // The recorded command's arguments undo it all; the folders it made go with it.
    WriteFileBytes(windowsDir + "/dir.lst", installFolder + "\n");
    ASSERT_EQ(test::RunSetupEngine({"DefaultUninstall", "132", installedInf}, &messages),
              setup::kSetupDone)
        << messages;
    EXPECT_FALSE(std::filesystem::exists(installFolder));
    EXPECT_TRUE(std::filesystem::exists(root / "apps/My Programs"));
    EXPECT_FALSE(std::filesystem::exists(installedInf));
    EXPECT_EQ(Listing(applicationsDir), std::vector<std::string>{});
    EXPECT_FALSE(std::filesystem::exists(windowsDir + "/" + setup::kRegistryFileName));
    // The Windows directory's record stays: it is how an uninstalled program is recognised.
    EXPECT_EQ(ReadFileBytes(windowsDir + "/dir.lst"), installFolder + "\n");
}

TEST_F(SetupEngineTest, UninstallKeepsWhatItDidNotInstall) {
    PrepareWorkFolder(work, installFolder);
    ASSERT_EQ(test::RunSetupEngine({work + "/zavel.inf"}), setup::kSetupDone);
    // The program's page file, a menu entry of the user's under a name of ours, another key.
    WriteFileBytes(installFolder + "data", "page");
    WriteFileBytes(applicationsDir + "/zavel-zavel-help.desktop", "[Desktop Entry]\nName=Mine\n");
    setup::RegistryFile registry =
        setup::RegistryFile::Parse(ReadFileBytes(windowsDir + "/" + setup::kRegistryFileName));
    registry.Set("HKCU\\Other", "", "kept");
    WriteFileBytes(windowsDir + "/" + setup::kRegistryFileName, registry.Text());

    ASSERT_EQ(test::RunSetupEngine({"DefaultUninstall", "132", installedInf}), setup::kSetupDone);
    EXPECT_EQ(Listing(installFolder), std::vector<std::string>{"data"});
    EXPECT_EQ(Listing(applicationsDir), std::vector<std::string>{"zavel-zavel-help.desktop"});
    registry =
        setup::RegistryFile::Parse(ReadFileBytes(windowsDir + "/" + setup::kRegistryFileName));
    EXPECT_FALSE(registry.HasKey(uninstallKey));
    EXPECT_EQ(registry.Get("HKCU\\Other", ""), "kept");
}

TEST_F(SetupEngineTest, InstallLeavesAMenuEntryItDidNotWriteAndSaysSo) {
    PrepareWorkFolder(work, installFolder);
    const std::string mine = "[Desktop Entry]\nName=Mine\nExec=mine\n";
    std::filesystem::create_directories(applicationsDir);
    WriteFileBytes(applicationsDir + "/zavel-zavel.desktop", mine);
    std::string messages;
    ASSERT_EQ(test::RunSetupEngine({work + "/zavel.inf"}, &messages), setup::kSetupDone);
    EXPECT_EQ(ReadFileBytes(applicationsDir + "/zavel-zavel.desktop"), mine);
    EXPECT_NE(messages.find(applicationsDir +
                            "/zavel-zavel.desktop: a menu entry this engine did not write; it is "
                            "left as it is"),
              std::string::npos)
        << messages;
    EXPECT_TRUE(
        setup::IsOwnMenuEntry(ReadFileBytes(applicationsDir + "/zavel-zavel-help.desktop")));
}

TEST_F(SetupEngineTest, AnInfItCannotUnderstandChangesNothing) {
    PrepareWorkFolder(work, installFolder);
    // As stored, without the line that names the install folder.
    WriteFileBytes(work + "/zavel.inf", std::string(EmbeddedText(906)));
    const std::vector<std::string> before = Listing(root.path());
    std::string messages;
    EXPECT_EQ(test::RunSetupEngine({work + "/zavel.inf"}, &messages), setup::kSetupNotUnderstood);
    EXPECT_NE(messages.find("%Dest_Fold% is not defined"), std::string::npos) << messages;
    EXPECT_NE(messages.find("nothing was changed"), std::string::npos) << messages;
    EXPECT_EQ(Listing(root.path()), before);
}

TEST_F(SetupEngineTest, AMissingFileOrAFileInTheWayIsFoundBeforeAnythingChanges) {
    PrepareWorkFolder(work, installFolder);
    std::filesystem::remove(work + "/zavel.hlp");
    std::vector<std::string> before = Listing(root.path());
    std::string messages;
    EXPECT_EQ(test::RunSetupEngine({work + "/zavel.inf"}, &messages), setup::kSetupNotUnderstood);
    EXPECT_NE(messages.find("zavel.hlp is missing"), std::string::npos) << messages;
    EXPECT_EQ(Listing(root.path()), before);

    PrepareWorkFolder(work, installFolder);
    WriteFileBytes(root / "apps", "a file where a folder must be");
    before = Listing(root.path());
    EXPECT_EQ(test::RunSetupEngine({work + "/zavel.inf"}, &messages), setup::kSetupNotUnderstood);
    EXPECT_NE(messages.find("a file stands in its way"), std::string::npos) << messages;
    EXPECT_EQ(Listing(root.path()), before);
}

TEST_F(SetupEngineTest, CommandLinesItDoesNotKnowAreRefused) {
    std::string messages;
    for (const std::vector<std::string>& arguments :
         {std::vector<std::string>{}, {"--help"}, {"DefaultInstall", "x", "a.inf"}, {"a", "b"}}) {
        EXPECT_EQ(test::RunSetupEngine(arguments, &messages), setup::kSetupNotUnderstood);
        EXPECT_NE(messages.find("usage: zavel-setup INF"), std::string::npos) << messages;
    }
    EXPECT_EQ(test::RunSetupEngine({root / "none.inf"}, &messages), setup::kSetupNotUnderstood);
    EXPECT_NE(messages.find("none.inf: no such file; nothing was changed"), std::string::npos)
        << messages;
}

}  // namespace
}  // namespace zavel
