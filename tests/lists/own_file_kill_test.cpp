// The program's own files under SIGKILL: a writer killed at random moments, many times over,
// never leaves the file mixed, cut short, empty or missing, the readers read either version
// whole, and the temporary files killed writers leave behind do not pile up.
//
// The kill moments come from a seeded generator; the seed is printed and can be given again in
// ZAVEL_KILL_SEED to repeat a run.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "lists/word_list.h"
#include "lists/word_list_writer.h"
#include "tests/lists/kill_writer_contents.h"
#include "tests/support/run_program.h"
#include "tests/support/temp_dir.h"

namespace zavel {
namespace {

constexpr int kKillsPerFile = 150;
// Kills land up to this long after the writer said it was ready: a few writes' worth where each
// write waits for a slow disk twice (the file, then the folder), hundreds where the disk is
// fast, so the moments spread over every step of a write and both versions are seen.
constexpr int kLatestKillMicroseconds = 25000;
// A safety net for a very slow machine, far above what the kills need.
constexpr auto kGiveUpAfter = std::chrono::seconds(20);

unsigned Seed() {
    const char* given = std::getenv("ZAVEL_KILL_SEED");
    return given != nullptr && *given != '\0'
               ? static_cast<unsigned>(std::strtoul(given, nullptr, 10))
               : 20250917u;
}

// One file kind: how the writer is asked for it, the bytes of both versions, and whether the
// program's reader takes a file for one of them.
struct FileKind {
    std::string writerKind;
    std::string fileName;
    std::string oldBytes;
    std::string newBytes;
    std::function<bool(const std::string& path, bool isNew)> readerSees;
};

struct Tally {
    int kills = 0;
    int sawOld = 0;
    int sawNew = 0;
    int leftTemporary = 0;
};

// The names in the folder other than the file itself: temporary files.
std::vector<std::string> Leftovers(const std::string& folder, const std::string& fileName) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        const std::string name = entry.path().filename().string();
        if (name != fileName) {
            names.push_back(name);
        }
    }
    return names;
}

Tally KillRepeatedly(const FileKind& kind, const test::TempDir& dir) {
    const std::string path = dir / kind.fileName;
    const unsigned seed = Seed();
    std::printf("[ kill    ] %s: seed %u (ZAVEL_KILL_SEED repeats it)\n", kind.fileName.c_str(),
                seed);
    std::mt19937 random(seed);
    std::uniform_int_distribution<int> delays(0, kLatestKillMicroseconds);
    const auto giveUp = std::chrono::steady_clock::now() + kGiveUpAfter;

    Tally tally;
    for (int round = 0; round < kKillsPerFile && std::chrono::steady_clock::now() < giveUp;
         ++round) {
        const int delay = delays(random);
        const std::string where = kind.fileName + ", seed " + std::to_string(seed) + ", kill " +
                                  std::to_string(round) + " after " + std::to_string(delay) + " us";
        test::ChildProcess writer(ZAVEL_KILL_WRITER, {kind.writerKind, path});
        EXPECT_TRUE(writer.running()) << where;
        std::string line;
        EXPECT_TRUE(writer.ReadLine(line, 10000) && line == "ready") << where;
        std::this_thread::sleep_for(std::chrono::microseconds(delay));
        const int status = writer.KillAndWait(SIGKILL);
        // The writer must still have been writing: it ends by itself only when a write fails.
        EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL)
            << where << ": the writer ended by itself, status " << status;
        ++tally.kills;

        EXPECT_TRUE(test::FileExists(path)) << where << ": the file is gone";
        const std::string bytes = test::ReadFileBytes(path);
        const bool isOld = bytes == kind.oldBytes;
        const bool isNew = bytes == kind.newBytes;
        EXPECT_TRUE(isOld || isNew)
            << where << ": " << bytes.size() << " bytes, neither version (old "
            << kind.oldBytes.size() << ", new " << kind.newBytes.size() << ")";
        if (isOld || isNew) {
            EXPECT_TRUE(kind.readerSees(path, isNew)) << where << ": the reader is confused";
        }
        tally.sawOld += isOld ? 1 : 0;
        tally.sawNew += isNew ? 1 : 0;

        // A kill between creating the temporary file and renaming it leaves that one file; the
        // next writer removes it before it makes its own.
        const std::vector<std::string> leftovers = Leftovers(dir.path(), kind.fileName);
        EXPECT_LE(leftovers.size(), 1u) << where << ": temporary files pile up";
        for (const std::string& name : leftovers) {
            EXPECT_EQ(name.rfind("." + kind.fileName + ".new-", 0), 0u) << where << ": " << name;
        }
        tally.leftTemporary += leftovers.empty() ? 0 : 1;
        if (::testing::Test::HasFailure()) {
            break;  // the first broken file tells the story; the rest would repeat it
        }
    }
    std::printf(
        "[ kill    ] %s: %d kills, old version %d, new version %d, temporary file left %d\n",
        kind.fileName.c_str(), tally.kills, tally.sawOld, tally.sawNew, tally.leftTemporary);
    return tally;
}

// What a completed write leaves: the file alone.
void ExpectOnlyTheFile(const test::TempDir& dir, const std::string& fileName) {
    EXPECT_EQ(Leftovers(dir.path(), fileName), std::vector<std::string>{});
}

TEST(OwnFileKill, SettingsFileIsAlwaysTheOldOrTheNewVersion) {
    const test::SettingsVersion oldVersion = test::OldSettingsVersion();
    const test::SettingsVersion newVersion = test::NewSettingsVersion();
    const SettingsValues builtIn = BuiltInSettings("/home/ann/");
    auto same = [](const SettingsFile& read, const test::SettingsVersion& version) {
        return FormatSettingsFile(read.values, read.address.value_or("<none>")) ==
               FormatSettingsFile(version.values, version.address);
    };
    FileKind kind{"settings", kSettingsFileName,
                  FormatSettingsFile(oldVersion.values, oldVersion.address),
                  FormatSettingsFile(newVersion.values, newVersion.address),
                  [&](const std::string& path, bool isNew) {
                      return same(ReadSettingsFile(path, builtIn), isNew ? newVersion : oldVersion);
                  }};
    ASSERT_NE(kind.oldBytes.size(), kind.newBytes.size());

    test::TempDir dir;
    const std::string path = dir / kSettingsFileName;
    ASSERT_TRUE(WriteSettingsFile(path, oldVersion.values, oldVersion.address));
    const Tally tally = KillRepeatedly(kind, dir);
    EXPECT_GT(tally.kills, 0);

    // The next write after the last kill replaces the file and takes away what the killed
    // writer left.
    ASSERT_TRUE(WriteSettingsFile(path, newVersion.values, newVersion.address));
    EXPECT_EQ(test::ReadFileBytes(path), kind.newBytes);
    ExpectOnlyTheFile(dir, kSettingsFileName);
}

TEST(OwnFileKill, WordListIsAlwaysTheOldOrTheNewVersion) {
    const std::vector<std::string> oldList = test::OldWordList();
    const std::vector<std::string> newList = test::NewWordList();
    FileKind kind{"wordlist", "link.lst", FormatWordList(oldList), FormatWordList(newList),
                  [&](const std::string& path, bool isNew) {
                      return ReadWordList(path) == (isNew ? newList : oldList);
                  }};

    test::TempDir dir;
    const std::string path = dir / "link.lst";
    ASSERT_TRUE(WriteWordList(path, oldList));
    const Tally tally = KillRepeatedly(kind, dir);
    EXPECT_GT(tally.kills, 0);

    ASSERT_TRUE(WriteWordList(path, oldList));
    EXPECT_EQ(ReadWordList(path), oldList);
    ExpectOnlyTheFile(dir, "link.lst");
}

}  // namespace
}  // namespace zavel
