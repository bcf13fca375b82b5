// What the setup engine makes of the stored .inf, and what it refuses to carry out.
#include "install/setup/setup_plan.h"

#include <gtest/gtest.h>

#include "install/install_procedure.h"
#include "lists/embedded_text.h"

namespace zavel::setup {
namespace {

const SetupPlaces kPlaces{"/home/ann/.local/share/zavel", "/home/ann/.local/share/applications",
                          "/home/ann/.local/share/zavel/temp"};

std::optional<SetupPlan> Plan(const std::string& text, const char* section, std::string& error) {
    const std::optional<InfFile> inf = InfFile::Parse(text, error);
    if (!inf) {
        return std::nullopt;
    }
    return PlanSection(*inf, section, kPlaces, error);
}

std::string StoredInf(const std::string& installFolder) {
    return std::string(EmbeddedText(906)) + DestFoldLine(installFolder);
}

TEST(SetupPlan, InstallCopiesTheFilesIntoTheInstallFolderAndTheInfIntoTheInfFolder) {
    std::string error;
    const std::optional<SetupPlan> plan =
        Plan(StoredInf("/home/ann/apps/ZAVEL/"), "DefaultInstall", error);
    ASSERT_TRUE(plan) << error;
    std::vector<std::string> copied;
    for (const FileCopy& copy : plan->copies) {
        EXPECT_EQ(copy.source, kPlaces.sourceFolder + "/" + copy.name);
        copied.push_back(copy.folder + " " + copy.name);
    }
    const std::string dest = "/home/ann/apps/ZAVEL";
    EXPECT_EQ(copied,
              (std::vector<std::string>{dest + " zavel.exe", dest + " ext.lst", dest + " ext2.lst",
                                        dest + " link.lst", dest + " error.lst",
                                        dest + " status.lst", dest + " zavel.hlp",
                                        dest + " dir.lst", kPlaces.windowsDir + "/inf zavel.inf"}));
    EXPECT_TRUE(plan->deletions.empty());

    ASSERT_EQ(plan->items.size(), 2u);
    EXPECT_EQ(plan->items[0].group, "Zavel");
    EXPECT_EQ(plan->items[0].name, "Zavel Help");
    EXPECT_EQ(plan->items[0].target, dest + "/zavel.hlp");
    EXPECT_EQ(plan->items[1].name, "Zavel");
    EXPECT_EQ(plan->items[1].target, dest + "/zavel.exe");

    const std::string key = "HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Zavel";
    ASSERT_EQ(plan->registryValues.size(), 2u);
    EXPECT_EQ(plan->registryValues[0].key, key);
    EXPECT_EQ(plan->registryValues[0].name, "DisplayName");
    EXPECT_EQ(plan->registryValues[0].value, "Zavel");
    EXPECT_EQ(plan->registryValues[1].name, "UninstallString");
    // The recorded command ends in the arguments the setup engine takes for an uninstall.
    EXPECT_EQ(plan->registryValues[1].value,
              kPlaces.windowsDir +
                  "/rundll.exe setupx.dll,InstallHinfSection DefaultUninstall 132 " +
                  kPlaces.windowsDir + "/inf/zavel.inf");
}

TEST(SetupPlan, UninstallUndoesTheInstall) {
    std::string error;
    const std::optional<SetupPlan> plan =
        Plan(StoredInf("/home/ann/apps/ZAVEL/"), "DefaultUninstall", error);
    ASSERT_TRUE(plan) << error;
    EXPECT_TRUE(plan->copies.empty());
    ASSERT_EQ(plan->deletions.size(), 9u);
    EXPECT_EQ(plan->deletions.front().folder, "/home/ann/apps/ZAVEL");
    EXPECT_EQ(plan->deletions.back().folder, kPlaces.windowsDir + "/inf");
    EXPECT_EQ(plan->deletions.back().name, "zavel.inf");
    ASSERT_EQ(plan->items.size(), 2u);
    for (const GroupItem& item : plan->items) {
        EXPECT_EQ(item.group, "Zavel");
        EXPECT_TRUE(item.target.empty()) << item.name;  // removed
    }
    ASSERT_EQ(plan->registryDeletions.size(), 1u);
    EXPECT_FALSE(plan->registryDeletions[0].name);  // the whole key
}

TEST(SetupPlan, TheRootAsDestinationAndFoldersWithBlanks) {
    std::string error;
    std::optional<SetupPlan> plan = Plan(StoredInf("/ZAVEL/"), "DefaultInstall", error);
    ASSERT_TRUE(plan) << error;
    EXPECT_EQ(plan->copies.front().folder, "/ZAVEL");
    EXPECT_EQ(plan->items[1].target, "/ZAVEL/zavel.exe");

    plan = Plan(StoredInf("/home/ann/My Apps, old/ZAVEL/"), "DefaultInstall.NT", error);
    ASSERT_TRUE(plan) << error;
    EXPECT_EQ(plan->copies.front().folder, "/home/ann/My Apps, old/ZAVEL");
    EXPECT_EQ(plan->items[0].target, "/home/ann/My Apps, old/ZAVEL/zavel.hlp");
    EXPECT_EQ(plan->registryValues[1].value,
              "RunDll32 syssetup.dll,SetupInfObjectInstallAction DefaultUninstall 132 " +
                  kPlaces.windowsDir + "/inf/zavel.inf");
}

// Each case changes the stored text (with its Dest_Fold line) in one place.
TEST(SetupPlan, AnInfThatIsNotUnderstoodGivesNoPlanAndSaysWhy) {
    struct Case {
        const char* from;
        const char* to;
        const char* section;
        const char* error;
    };
    const Case cases[] = {
        {"Dest_Fold=", "Other_Fold=", "DefaultInstall", "the string %Dest_Fold% is not defined"},
        {"$CHICAGO$", "$DOS$", "DefaultInstall", "the signature $DOS$ is not known"},
        {"[version]", "[versions]", "DefaultInstall", "it has no [version] signature"},
        {"AddReg = Zavel.Add.Reg", "RenFiles = Zavel.Add.Reg", "DefaultInstall",
         "the directive RenFiles is not understood"},
        {"Zavel.Copy.Inf=17", "Zavel.Copy.Inf=11", "DefaultInstall",
         "the directory id 11 is not known"},
        {"UpdateInis  = Zavel.Inis", "UpdateInis  = Zavel.Groups", "DefaultInstall",
         "UpdateInis names the missing section [Zavel.Groups]"},
        {"setup.ini, group321,, \"\"\"%Help_Desc%", "win.ini, group321,, \"\"\"%Help_Desc%",
         "DefaultInstall", "only program groups"},
        {"\"group321=Zavel\"", "\"group320=Zavel\"", "DefaultInstall",
         "the group group321 is not defined before"},
        {"zavel.hlp\r\ndir.lst", "../zavel.hlp\r\ndir.lst", "DefaultInstall",
         "\"../zavel.hlp\" is not a plain file name"},
        {"HKLM,%URJ1%%URJ2%,DisplayName", "HKXX,%URJ1%%URJ2%,DisplayName", "DefaultInstall",
         "the registry root HKXX is not known"},
        {"dir.lst = 55", "dir.lst = 56", "DefaultInstall", "the source disk 56 is not described"},
        {"DelReg = Zavel.Del.Reg", "DelReg = %Nowhere%", "DefaultUninstall",
         "DelReg names the missing section [%Nowhere%]"},
        {"[DefaultInstall]", "[Install]", "DefaultInstall", "it has no section [DefaultInstall]"},
    };
    for (const Case& c : cases) {
        std::string text = StoredInf("/home/ann/apps/ZAVEL/");
        const std::size_t at = text.find(c.from);
        ASSERT_NE(at, std::string::npos) << c.from;
        text.replace(at, std::string(c.from).size(), c.to);
        std::string error;
        EXPECT_FALSE(Plan(text, c.section, error)) << c.to;
        EXPECT_NE(error.find(c.error), std::string::npos) << c.to << ": " << error;
    }
}

TEST(SetupPlan, StringsAreReplacedOnceAndPercentSignsKept) {
    std::string error;
    const std::string text =
        "[version]\nsignature=\"$Windows NT$\"\n[Go]\nAddReg=R\n[R]\n"
        "HKCU,Key,Name,,\"%A%%%%B%\"\n[Strings]\nA=\"%B%\"\nB=\"50%\"\n";
    const std::optional<SetupPlan> plan = Plan(text, "go", error);
    ASSERT_TRUE(plan) << error;
    ASSERT_EQ(plan->registryValues.size(), 1u);
    EXPECT_EQ(plan->registryValues[0].key, "HKCU\\Key");
    // A's value is taken as it stands, not read for references again.
    EXPECT_EQ(plan->registryValues[0].value, "%B%%50%");
}

}  // namespace
}  // namespace zavel::setup
