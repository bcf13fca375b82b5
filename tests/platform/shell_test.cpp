// Finding the desktop's default handler for a type through the freedesktop associations, its
// Exec line made into an argument vector, starting a program detached, and the two programs the
// start screen's contact lines start: the mail handler and the browser.
#include "platform/shell.h"

#include <gtest/gtest.h>

#include "platform/mail_command.h"

#include <chrono>
#include <filesystem>
#include <thread>

#include "tests/support/scoped_env.h"
#include "tests/support/temp_dir.h"

namespace zavel {
namespace {

using namespace std::chrono_literals;
using platform::DesktopEntry;
using test::ScopedEnv;
using test::WriteFileBytes;

// Configuration and data directories of their own, two of each kind, so that nothing of the
// machine's desktop counts.
class Associations : public ::testing::Test {
  protected:
    Associations() {
        for (const std::string& dir :
             {configHome, configDir, dataHome + "/applications", dataDir + "/applications"}) {
            std::filesystem::create_directories(dir);
        }
    }

    void Entry(const std::string& applications, const std::string& id, const std::string& exec,
               const std::string& extra = "") const {
        const std::string path = applications + "/" + id;
        std::filesystem::create_directories(std::filesystem::path(path).parent_path());
        WriteFileBytes(path, "[Desktop Entry]\nType=Application\nName=" + id + "\nExec=" + exec +
                                 "\n" + extra);
    }

    std::optional<std::string> HandlerId(const std::string& type = "text/html") const {
        auto entry = platform::DefaultHandler(type);
        return entry ? std::optional(entry->id) : std::nullopt;
    }

    test::TempDir root;
    const std::string configHome = root / "config";
    const std::string configDir = root / "xdg";
    const std::string dataHome = root / "data";
    const std::string dataDir = root / "share";
    const std::string userApps = dataHome + "/applications";
    const std::string systemApps = dataDir + "/applications";

  private:
    ScopedEnv home_{"HOME", root.path()};
    ScopedEnv configHomeEnv_{"XDG_CONFIG_HOME", configHome};
    ScopedEnv configDirsEnv_{"XDG_CONFIG_DIRS", configDir};
    ScopedEnv dataHomeEnv_{"XDG_DATA_HOME", dataHome};
    ScopedEnv dataDirsEnv_{"XDG_DATA_DIRS", dataDir};
    ScopedEnv desktopEnv_{"XDG_CURRENT_DESKTOP", "Test:Other"};
};

TEST_F(Associations, UserDefaultComesFirstAndNeedsAnInstalledEntry) {
    Entry(systemApps, "system.desktop", "system-browser %u");
    Entry(userApps, "mine.desktop", "my-browser %u");
    WriteFileBytes(systemApps + "/mimeapps.list",
                   "[Default Applications]\ntext/html=system.desktop;\n");
    EXPECT_EQ(HandlerId(), "system.desktop");
    // The user's own list wins; an entry that is not installed is passed over.
    WriteFileBytes(configHome + "/mimeapps.list",
                   "# mine\n[Added Associations]\ntext/html=system.desktop;\n"
                   "[Default Applications]\ntext/plain=mine.desktop\n"
                   "text/html=gone.desktop;mine.desktop;\n");
    EXPECT_EQ(HandlerId(), "mine.desktop");
    auto entry = platform::DefaultHandler("text/html");
    ASSERT_TRUE(entry);
    EXPECT_EQ(entry->path, userApps + "/mine.desktop");
    EXPECT_EQ(entry->exec, "my-browser %u");
    EXPECT_EQ(HandlerId("image/png"), std::nullopt);
}

TEST_F(Associations, CurrentDesktopListBeatsTheCommonOneAndSystemConfigBeatsData) {
    Entry(systemApps, "a.desktop", "a");
    Entry(systemApps, "b.desktop", "b");
    Entry(systemApps, "c.desktop", "c");
    WriteFileBytes(systemApps + "/mimeapps.list", "[Default Applications]\ntext/html=a.desktop\n");
    WriteFileBytes(configDir + "/mimeapps.list", "[Default Applications]\ntext/html=b.desktop\n");
    EXPECT_EQ(HandlerId(), "b.desktop");
    WriteFileBytes(configDir + "/other-mimeapps.list",
                   "[Default Applications]\ntext/html=c.desktop\n");
    EXPECT_EQ(HandlerId(), "c.desktop");
}

TEST_F(Associations, WithoutDefaultTheAssociationsAndTheCacheCountUnlessRemoved) {
    Entry(systemApps, "cached.desktop", "cached %U");
    Entry(systemApps, "added.desktop", "added %U");
    WriteFileBytes(systemApps + "/mimeinfo.cache", "[MIME Cache]\ntext/html=cached.desktop;\n");
    EXPECT_EQ(HandlerId(), "cached.desktop");
    WriteFileBytes(systemApps + "/mimeapps.list",
                   "[Added Associations]\ntext/html=added.desktop;\n");
    EXPECT_EQ(HandlerId(), "added.desktop");
    WriteFileBytes(configHome + "/mimeapps.list",
                   "[Removed Associations]\ntext/html=added.desktop;cached.desktop;\n");
    EXPECT_EQ(HandlerId(), std::nullopt);
}

TEST_F(Associations, HiddenEntriesAndMissingProgramsDoNotCount) {
    Entry(systemApps, "hidden.desktop", "hidden %u", "Hidden=true\n");
    Entry(systemApps, "absent.desktop", "absent %u", "TryExec=/nonexistent/zavel-browser\n");
    Entry(systemApps, "noexec.desktop", "");
    Entry(systemApps, "vendor/good.desktop", "good %u");
    WriteFileBytes(systemApps + "/mimeapps.list",
                   "[Default Applications]\ntext/html=hidden.desktop;absent.desktop;"
                   "noexec.desktop;vendor-good.desktop\n");
    EXPECT_EQ(HandlerId(), "vendor-good.desktop");
    // A user's entry of the same id hides the system's.
    Entry(userApps, "vendor-good.desktop", "ignored", "Hidden=true\n");
    EXPECT_EQ(HandlerId(), std::nullopt);
}

TEST_F(Associations, FindExecutableKnowsHtmlDocumentsWhetherOrNotTheyExist) {
    Entry(systemApps, "web.desktop", "web %u");
    WriteFileBytes(systemApps + "/mimeapps.list",
                   "[Default Applications]\ntext/html=web.desktop\n");
    for (const char* document : {"index.htm", "index.html", "INDEX.HTM"}) {
        auto found = platform::FindExecutable(document);
        ASSERT_TRUE(found) << document;
        EXPECT_EQ(found->id, "web.desktop");
    }
    EXPECT_FALSE(platform::FindExecutable("index.txt"));
    EXPECT_FALSE(platform::FindExecutable("htm"));
}

TEST(ExecLine, FieldCodesQuotingAndTheArgument) {
    DesktopEntry entry;
    entry.name = "Web";
    entry.icon = "web-icon";
    entry.path = "/apps/web.desktop";
    const std::string url = "http://example.com/a b";
    const std::pair<std::string, std::vector<std::string>> table[] = {
        {"browser %u", {"browser", url}},
        {"browser %U --new", {"browser", url, "--new"}},
        {"browser", {"browser", url}},
        {"/opt/web/run --url=%u", {"/opt/web/run", "--url=" + url}},
        {"\"/opt/My Web/run\" \"a \\\"q\\\" \\$x\" %f", {"/opt/My Web/run", "a \"q\" $x", url}},
        {"browser %i %c %k %% %d %u",
         {"browser", "--icon", "web-icon", "Web", "/apps/web.desktop", "%", url}},
        {"env A=1   browser\t%u", {"env", "A=1", "browser", url}},
        {"\"unclosed %u", {}},
        {"%u", {}},
        {"", {}},
    };
    for (const auto& [exec, expected] : table) {
        entry.exec = exec;
        EXPECT_EQ(platform::ExecArguments(entry, url), expected) << exec;
    }
}

TEST(ExecLine, DesktopEntryValuesHaveTheirEscapesResolved) {
    test::TempDir dir;
    WriteFileBytes(dir / "e.desktop",
                   "[Other]\nExec=wrong\n[Desktop Entry]\nName=A\\sB\nExec=run\\s\\\\x %u\r\n");
    auto entry = platform::ReadDesktopEntry(dir / "e.desktop", "e.desktop");
    ASSERT_TRUE(entry);
    EXPECT_EQ(entry->name, "A B");
    EXPECT_EQ(entry->exec, "run \\x %u");
    WriteFileBytes(dir / "f.desktop", "Exec=run\n");
    EXPECT_FALSE(platform::ReadDesktopEntry(dir / "f.desktop", "f.desktop"));
}

TEST(StartDetached, TheProgramRunsOnItsOwnAndMissingOnesAreReported) {
    test::TempDir dir;
    const std::string out = dir / "started";
    ASSERT_TRUE(
        platform::StartDetached({"sh", "-c", "echo \"$1\" > \"$2.part\" && mv \"$2.part\" \"$2\"",
                                 "sh", "http://x/", out}));
    const auto until = std::chrono::steady_clock::now() + 5s;
    while (!test::FileExists(out) && std::chrono::steady_clock::now() < until) {
        std::this_thread::sleep_for(5ms);
    }
    EXPECT_EQ(test::ReadFileBytes(out), "http://x/\n");
    EXPECT_FALSE(platform::StartDetached({"/nonexistent/zavel-browser", "x"}));
    EXPECT_FALSE(platform::StartDetached({"zavel-no-such-program-anywhere"}));
    EXPECT_FALSE(platform::StartDetached({}));
    // A file that is not a program: found, but the exec fails.
    WriteFileBytes(dir / "plain", "not a program");
    std::filesystem::permissions(dir / "plain", std::filesystem::perms::owner_all);
    EXPECT_FALSE(platform::StartDetached({dir / "plain"}));
}

TEST(ShellExecuteOpen, GoesThroughTheReplaceableStarter) {
    std::vector<std::vector<std::string>> started;
    auto previous = platform::SetProgramStarter([&started](const std::vector<std::string>& argv) {
        started.push_back(argv);
        return true;
    });
    DesktopEntry entry;
    entry.exec = "web --new-window %u";
    EXPECT_TRUE(platform::ShellExecuteOpen(entry, "http://example.com/"));
    entry.exec = "\"broken";
    EXPECT_FALSE(platform::ShellExecuteOpen(entry, "http://example.com/"));
    platform::SetProgramStarter(previous);
    ASSERT_EQ(started.size(), 1u);
    EXPECT_EQ(started[0], (std::vector<std::string>{"web", "--new-window", "http://example.com/"}));
}

// Records what would be started, for as long as it lives.
class RecordedStarts {
  public:
    explicit RecordedStarts(bool result = true) {
        previous_ =
            platform::SetProgramStarter([this, result](const std::vector<std::string>& argv) {
                argvs.push_back(argv);
                return result;
            });
    }
    ~RecordedStarts() { platform::SetProgramStarter(previous_); }
    RecordedStarts(const RecordedStarts&) = delete;
    RecordedStarts& operator=(const RecordedStarts&) = delete;

    std::vector<std::vector<std::string>> argvs;

  private:
    platform::ProgramStarter previous_;
};

TEST_F(Associations, TheMailHandlersExecLineIsSplitAndStarted) {
    RecordedStarts starts;
    // No handler: nothing is started.
    EXPECT_FALSE(platform::MailHandlerCommand());
    EXPECT_FALSE(platform::StartMailProgram("info@zavel.example"));
    EXPECT_TRUE(starts.argvs.empty());

    Entry(systemApps, "mailer.desktop", "\"/opt/Mail Box/mailer\" /mailurl:%u");
    WriteFileBytes(configHome + "/mimeapps.list",
                   "[Default Applications]\nx-scheme-handler/mailto=mailer.desktop\n");
    EXPECT_EQ(platform::MailHandlerCommand(), "\"/opt/Mail Box/mailer\" /mailurl:%u");
    EXPECT_TRUE(platform::StartMailProgram("info@zavel.example"));
    // A command with blanks in its arguments gives one argument per word.
    Entry(systemApps, "mailer.desktop", "mailer -compose %U");
    EXPECT_TRUE(platform::StartMailProgram("info@zavel.example"));
    const std::vector<std::vector<std::string>> expected{
        {"/opt/Mail Box/mailer", "/mailurl:mailto:info@zavel.example"},
        {"mailer", "-compose", "mailto:info@zavel.example"}};
    EXPECT_EQ(starts.argvs, expected);
}

TEST_F(Associations, AMailCommandTooLongForItsBufferStartsNothing) {
    RecordedStarts starts;
    WriteFileBytes(configHome + "/mimeapps.list",
                   "[Default Applications]\nx-scheme-handler/mailto=mailer.desktop\n");
    const std::string fits = "mailer " + std::string(platform::kMailCommandMax - 10, 'a') + " %u";
    ASSERT_EQ(fits.size(), platform::kMailCommandMax);
    Entry(systemApps, "mailer.desktop", fits);
    EXPECT_EQ(platform::MailHandlerCommand(), fits);
    Entry(systemApps, "mailer.desktop", fits + "x");
    EXPECT_FALSE(platform::MailHandlerCommand());
    EXPECT_FALSE(platform::StartMailProgram("info@zavel.example"));
    EXPECT_TRUE(starts.argvs.empty());
}

// A line that would put the address inside a quoted word starts nothing; where it is a word
// of its own, no shell text in it runs.
TEST_F(Associations, AnAddressNeverRunsAsShellText) {
    WriteFileBytes(configHome + "/mimeapps.list",
                   "[Default Applications]\ntext/html=web.desktop\n"
                   "x-scheme-handler/mailto=mailer.desktop\n");
    {
        RecordedStarts starts;
        for (const char* exec : {"sh -c \"browser %u\"", "sh -c \"browser \"%U",
                                 "sh -c \"exec browser '%f'\"", "env \"A=%F\" browser"}) {
            Entry(systemApps, "web.desktop", exec);
            EXPECT_FALSE(platform::OpenInWebBrowser("x/$(touch${IFS}/tmp/p)")) << exec;
        }
        Entry(systemApps, "mailer.desktop", "sh -c \"mailer %u\"");
        EXPECT_FALSE(platform::StartMailProgram("info@zavel.example"));
        EXPECT_TRUE(starts.argvs.empty());
    }
    // Really started: the address reaches the shell as $0, never as its command.
    const std::string ran = root / "ran";
    Entry(systemApps, "web.desktop",
          "/bin/sh -c \"echo ok > " + ran + ".part && mv " + ran + ".part " + ran + "\" \"%u\"");
    const std::string hostile = "127.0.0.1/$(touch${IFS}" + root / "p" + ")`touch${IFS}" +
                                root / "q" + "`|touch${IFS}" + root / "r" + "&touch${IFS}" +
                                root / "s" + ";";
    ASSERT_TRUE(platform::OpenInWebBrowser(hostile));
    const auto until = std::chrono::steady_clock::now() + 5s;
    while (!test::FileExists(ran) && std::chrono::steady_clock::now() < until) {
        std::this_thread::sleep_for(5ms);
    }
    EXPECT_EQ(test::ReadFileBytes(ran), "ok\n");
    for (const char* name : {"p", "q", "r", "s"}) {
        EXPECT_FALSE(test::FileExists(root / name)) << name;
    }
}

TEST_F(Associations, TheBrowserGetsTheAddressWithItsScheme) {
    {
        RecordedStarts starts;
        EXPECT_FALSE(platform::OpenInWebBrowser("zavel.example"));
        EXPECT_TRUE(starts.argvs.empty());
    }
    Entry(systemApps, "web.desktop", "web --new-window %u");
    WriteFileBytes(systemApps + "/mimeapps.list",
                   "[Default Applications]\ntext/html=web.desktop\n");
    RecordedStarts refused(false);
    // A browser that does not start is a plain false: the caller says nothing.
    EXPECT_FALSE(platform::OpenInWebBrowser("zavel.example"));
    const std::vector<std::vector<std::string>> expected{
        {"web", "--new-window", "http://zavel.example"}};
    EXPECT_EQ(refused.argvs, expected);
}

}  // namespace
}  // namespace zavel
