// The install procedure up to the setup engine: the install folder, the embedded files and the
// records it writes, its messages, and that it never writes through a planted link.
#include "install/install_procedure.h"

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include "lists/embedded_text.h"
#include "lists/install_location.h"
#include "platform/desktop_entry.h"
#include "tests/install/install_fixture.h"
#include "tests/support/scoped_env.h"

namespace zavel {
namespace {

using test::ErrorBox;
using test::FileExists;
using test::InstallTest;
using test::ReadFileBytes;
using test::WriteFileBytes;

class ProcedureTest : public InstallTest {
  protected:
    ProcedureTest() {
        sources.windowsDir = windowsDir;
        sources.startDir = std::filesystem::current_path().string();
        // No setup engine anywhere: the procedure stops where it would start one.
        sources.setupEngineFolder = root / "no-engine";
        std::filesystem::create_directories(sources.setupEngineFolder);
    }

    // Runs the procedure and expects it to stop at the setup engine.
    void InstallTo(const std::string& destination) {
        EXPECT_FALSE(StartInstall(destination, sources));
    }

    InstallSources sources;
    const std::string work = windowsDir + "/temp";
    const std::string dest = root / "dest";
    test::ScopedEnv path_{"PATH", ""};
};

TEST(DestFoldLine, DropsTheRootOnly) {
    EXPECT_EQ(DestFoldLine("/home/ann/apps/ZAVEL/"), "Dest_Fold=\"home/ann/apps/ZAVEL/\"");
    EXPECT_EQ(DestFoldLine("/ZAVEL/"), "Dest_Fold=\"ZAVEL/\"");
}

TEST_F(ProcedureTest, UnpacksEveryFileAndRecordsTheInstallFolder) {
    std::filesystem::create_directories(dest);
    InstallTo(dest);
    for (const EmbeddedFile& file : kEmbeddedFiles) {
        if (file.id != 906) {
            EXPECT_EQ(ReadFileBytes(work + "/" + file.name), EmbeddedText(file.id)) << file.name;
        }
    }
    const std::string folder = dest + "/ZAVEL/";
    // The .inf's own last line ends with CR LF, so the appended line stands on its own.
    EXPECT_EQ(ReadFileBytes(work + "/zavel.inf"),
              std::string(EmbeddedText(906)) + "Dest_Fold=\"" + folder.substr(1) + "\"");
    EXPECT_EQ(ReadFileBytes(work + "/dir.lst"), folder + "\n");
    EXPECT_EQ(ReadFileBytes(windowsDir + "/dir.lst"), folder + "\n");
    // The running program's own file, runnable.
    EXPECT_EQ(ReadFileBytes(work + "/zavel.exe"), ReadFileBytes("/proc/self/exe"));
    EXPECT_EQ(access((work + "/zavel.exe").c_str(), X_OK), 0);
    EXPECT_EQ(boxes.boxes(), std::vector{ErrorBox("Execution of .inf file failed.")});
}

TEST_F(ProcedureTest, InstallFolderFromWhatWasTyped) {
    std::filesystem::create_directories(dest + "/sub");
    struct Case {
        std::string typed;
        std::string folder;
    };
    const std::string relative = std::filesystem::relative(dest, sources.startDir).string();
    const Case cases[] = {
        {dest, dest + "/ZAVEL/"},
        {dest + "/", dest + "/ZAVEL/"},
        {dest + "//", dest + "/ZAVEL/"},
        {dest + "/sub/..", dest + "/sub/../ZAVEL/"},
        {relative, dest + "/ZAVEL/"},  // made absolute: the record is read from anywhere
        {"/", "/ZAVEL/"},
    };
    for (const Case& c : cases) {
        InstallTo(c.typed);
        EXPECT_EQ(ReadFileBytes(windowsDir + "/dir.lst"), c.folder + "\n") << c.typed;
        EXPECT_TRUE(ReadFileBytes(work + "/zavel.inf").ends_with(DestFoldLine(c.folder)));
        EXPECT_EQ(std::filesystem::current_path(), sources.startDir);
    }
}

TEST_F(ProcedureTest, ADestinationThatCannotBeEnteredWritesNothing) {
    WriteFileBytes(root / "file", "x");
    const std::vector<std::string> before = Listing(root.path());
    for (const std::string& typed : {dest, std::string(), root / "file"}) {
        boxes.Clear();
        InstallTo(typed);
        EXPECT_EQ(boxes.boxes(), std::vector{ErrorBox("Error accessing directory")}) << typed;
        EXPECT_EQ(Listing(root.path()), before);
    }
}

TEST_F(ProcedureTest, AnInstallFolderTheRecordCannotCarryIsRefused) {
    const std::string deep = dest + "/" + std::string(90, 'd');
    const std::string quoted = dest + "/say \"hi\"";
    for (const std::string& folder : {deep, quoted}) {
        std::filesystem::create_directories(folder);
        boxes.Clear();
        InstallTo(folder);
        ASSERT_EQ(boxes.texts().size(), 1u);
        EXPECT_NE(boxes.texts()[0].find(folder + "/ZAVEL/: ZAVEL cannot be installed here"),
                  std::string::npos)
            << boxes.texts()[0];
        EXPECT_FALSE(FileExists(windowsDir));
    }
}

// The install record and the setup engine must name the same folder: every character either
// carries it both ways or is refused before anything is written.
TEST_F(ProcedureTest, TheFilesLandWhereTheRecordSays) {
    sources.setupEngineFolder = ZAVEL_SETUP_DIR;
    const std::pair<std::string, bool> cases[] = {
        {"a,b;c", true},
        {" a b ", true},
        {"it's $x `y` &", true},
        // The engine's path separator; the desktop menu does not start a program whose path
        // holds a "%" (its launchers look the program up before resolving "%%").
        {"a\\b", false},
        {"a%b", false},
        {"a%Dest_Fold%b", false}};
    for (const auto& [name, carried] : cases) {
        const std::string typed = dest + "/" + name;
        const std::string folder = typed + "/ZAVEL/";
        std::filesystem::create_directories(typed);
        std::filesystem::remove_all(windowsDir);
        boxes.Clear();
        std::optional<SetupEngineProcess> engine = StartInstall(typed, sources);
        if (!carried) {
            EXPECT_FALSE(engine);
            ASSERT_EQ(boxes.texts().size(), 1u);
            EXPECT_TRUE(boxes.texts()[0].starts_with(folder + ": ZAVEL cannot be installed here"))
                << boxes.texts()[0];
            EXPECT_FALSE(FileExists(windowsDir));
            continue;
        }
        ASSERT_TRUE(engine) << name;
        SetupEngineProcess::State state = engine->Poll();
        while (state == SetupEngineProcess::State::kRunning) {
            usleep(1000);
            state = engine->Poll();
        }
        EXPECT_EQ(state, SetupEngineProcess::State::kSucceeded) << name;
        EXPECT_EQ(ReadInstallLocation(windowsDir), folder) << name;
        EXPECT_EQ(Listing(folder), (std::vector<std::string>(std::begin(test::kInstalledFiles),
                                                             std::end(test::kInstalledFiles))))
            << name;
        // The menu entry starts the program the record names.
        const auto entry = platform::ReadDesktopEntry(
            dataHome + "/applications/zavel-zavel.desktop", "zavel-zavel.desktop");
        ASSERT_TRUE(entry) << name;
        EXPECT_EQ(platform::ExecArguments(*entry, "x").front(), folder + "zavel.exe") << name;
    }
    EXPECT_FALSE(FileExists(dest + "/a"));  // where "a\\b" would have gone
}

TEST_F(ProcedureTest, AWorkFolderThatCannotBeWrittenReportsEachFileAndGoesOn) {
    std::filesystem::create_directories(dest);
    std::filesystem::create_directories(windowsDir);
    WriteFileBytes(work, "a file where the work folder must be");
    InstallTo(dest);
    std::vector<test::CapturedBox> expected;
    for (const EmbeddedFile& file : kEmbeddedFiles) {
        expected.push_back(ErrorBox(work + "/" + file.name + ": File not found"));
    }
    expected.push_back(
        ErrorBox("ZAVEL.EXE: Error be sure you did not rename ZAVEL.EXE installing file"));
    expected.push_back(ErrorBox("Execution of .inf file failed."));
    EXPECT_EQ(boxes.boxes(), expected);
    EXPECT_EQ(ReadFileBytes(work), "a file where the work folder must be");
    EXPECT_EQ(ReadFileBytes(windowsDir + "/dir.lst"), dest + "/ZAVEL/\n");
}

TEST_F(ProcedureTest, LinksPlantedInTheWorkFolderAreReplacedNeverFollowed) {
    std::filesystem::create_directories(dest);
    std::filesystem::create_directories(work);
    const std::string victim = root / "victim";
    WriteFileBytes(victim, "precious");
    const std::string names[] = {"zavel.hlp",  "ext.lst",   "ext2.lst", "error.lst", "link.lst",
                                 "status.lst", "zavel.inf", "dir.lst",  "zavel.exe"};
    for (const std::string& name : names) {
        std::filesystem::create_symlink(victim, work + "/" + name);
    }
    InstallTo(dest);
    EXPECT_EQ(ReadFileBytes(victim), "precious");
    for (const std::string& name : names) {
        EXPECT_FALSE(std::filesystem::is_symlink(work + "/" + name)) << name;
        EXPECT_TRUE(std::filesystem::is_regular_file(work + "/" + name)) << name;
    }
    EXPECT_TRUE(ReadFileBytes(work + "/zavel.inf").ends_with(DestFoldLine(dest + "/ZAVEL/")));
}

TEST_F(ProcedureTest, AWorkFolderThatIsALinkIsNotWrittenThrough) {
    std::filesystem::create_directories(dest);
    std::filesystem::create_directories(windowsDir);
    const std::string elsewhere = root / "elsewhere";
    std::filesystem::create_directories(elsewhere);
    std::filesystem::create_directory_symlink(elsewhere, work);
    InstallTo(dest);
    EXPECT_EQ(Listing(elsewhere), std::vector<std::string>{});
    EXPECT_EQ(boxes.texts().front(), work + "/zavel.hlp: File not found");
}

// Every file was refused there, so whatever lies in it is not the installer's: the setup engine
// must not run on it.
TEST_F(ProcedureTest, ARefusedWorkFolderIsNeverHandedToTheSetupEngine) {
    std::filesystem::create_directories(dest);
    const std::string ran = root / "engine-ran";
    WriteFileBytes(sources.setupEngineFolder + "/zavel-setup", "#!/bin/sh\ntouch " + ran + "\n");
    chmod((sources.setupEngineFolder + "/zavel-setup").c_str(), 0755);
    const std::string elsewhere = root / "elsewhere";
    std::filesystem::create_directories(elsewhere);
    WriteFileBytes(elsewhere + "/zavel.inf", "planted");
    for (const std::string what : {"a link", "someone else's"}) {
        std::filesystem::remove_all(work);
        std::filesystem::create_directories(windowsDir);
        if (what == "a link") {
            std::filesystem::create_directory_symlink(elsewhere, work);
        } else if (geteuid() != 0) {
            continue;  // only root can give a folder to someone else
        } else {
            std::filesystem::create_directories(work);
            ASSERT_EQ(chown(work.c_str(), 65534, 65534), 0);
        }
        boxes.Clear();
        EXPECT_FALSE(StartInstall(dest, sources)) << what;
        ASSERT_FALSE(boxes.texts().empty());
        EXPECT_EQ(boxes.boxes().back(), ErrorBox("Execution of .inf file failed.")) << what;
        EXPECT_EQ(boxes.texts().front(), work + "/zavel.hlp: File not found") << what;
        EXPECT_FALSE(FileExists(ran)) << what;
    }
}

TEST_F(ProcedureTest, TheSetupEngineIsFoundBesideTheProgramThenOnPath) {
    const std::string beside = root / "beside";
    const std::string onPath = root / "bin";
    for (const std::string& folder : {beside, onPath}) {
        std::filesystem::create_directories(folder);
        WriteFileBytes(folder + "/zavel-setup", "#!/bin/sh\nexit 0\n");
        chmod((folder + "/zavel-setup").c_str(), 0755);
    }
    test::ScopedEnv path("PATH", "relative:" + onPath);
    EXPECT_EQ(FindSetupEngine(beside), beside + "/zavel-setup");
    EXPECT_EQ(FindSetupEngine(root / "no-engine"), onPath + "/zavel-setup");
    chmod((onPath + "/zavel-setup").c_str(), 0644);  // not runnable: not taken
    EXPECT_EQ(FindSetupEngine(root / "no-engine"), std::nullopt);
    test::ScopedEnv noPath("PATH", std::nullopt);
    EXPECT_EQ(FindSetupEngine(""), std::nullopt);
}

TEST_F(ProcedureTest, TheSetupEnginesEndIsItsExitStatus) {
    std::filesystem::create_directories(work);
    for (const auto& [script, expected] :
         {std::pair{"exit 0", SetupEngineProcess::State::kSucceeded},
          std::pair{"exit 3", SetupEngineProcess::State::kFailed},
          std::pair{"kill -9 $$", SetupEngineProcess::State::kFailed}}) {
        const std::string engine = root / "engine";
        WriteFileBytes(engine, std::string("#!/bin/sh\n[ \"$(pwd)\" = \"") + work +
                                   "\" ] || exit 9\n" + script + "\n");
        chmod(engine.c_str(), 0755);
        std::optional<SetupEngineProcess> process =
            SetupEngineProcess::Start(engine, work + "/zavel.inf", work);
        ASSERT_TRUE(process);
        SetupEngineProcess::State state = process->Poll();
        while (state == SetupEngineProcess::State::kRunning) {
            usleep(1000);
            state = process->Poll();
        }
        EXPECT_EQ(state, expected) << script;
        EXPECT_EQ(process->Poll(), expected);
    }
    EXPECT_FALSE(SetupEngineProcess::Start(root / "engine", "x.inf", root / "missing"));
}

}  // namespace
}  // namespace zavel
