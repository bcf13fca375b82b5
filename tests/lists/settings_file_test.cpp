#include "lists/settings_file.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <climits>
#include <filesystem>
#include <string>
#include <vector>

#include "lists/file_replace.h"
#include "tests/support/temp_dir.h"

namespace zavel {
namespace {

const SettingsValues kBuiltIn = BuiltInSettings("/home/ann/");

SettingsFile ReadBytes(const std::string& bytes) {
    test::TempDir dir;
    test::WriteFileBytes(dir / "status.lst", bytes);
    return ReadSettingsFile(dir / "status.lst", kBuiltIn);
}

void ExpectValues(const SettingsValues& v, int mode, int other, int max, const std::string& dest,
                  const std::string& types, int copyDirectory, int rewrite, int sort,
                  int showExpanded) {
    EXPECT_EQ(v.mode, mode);
    EXPECT_EQ(v.otherServerLevel, other);
    EXPECT_EQ(v.maxLevel, max);
    EXPECT_EQ(v.destDir, dest);
    EXPECT_EQ(v.fileTypes, types);
    EXPECT_EQ(v.copyDirectory, copyDirectory);
    EXPECT_EQ(v.rewrite, rewrite);
    EXPECT_EQ(v.sort, sort);
    EXPECT_EQ(v.showExpanded, showExpanded);
}

TEST(SettingsFile, MissingFileOrFolderGivesTheBuiltInValuesAndNoAddress) {
    test::TempDir dir;
    for (const std::string& path : {dir / "status.lst", dir.path()}) {
        const SettingsFile settings = ReadSettingsFile(path, kBuiltIn);
        ExpectValues(settings.values, 1, 0, 100, "/home/ann/", "*.*", 1, 0, 1, 1);
        EXPECT_FALSE(settings.address.has_value());
    }
}

TEST(SettingsFile, DefaultFileIsTenCrLfLinesWithThisSystemsDestinationAndAddress) {
    const std::string_view bytes = DefaultSettingsFile();
    EXPECT_EQ(bytes, "1\r\n0\r\n100\r\n/tmp\r\n*.*;\r\n0\r\n0\r\n1\r\n1\r\nexample.com/\r\n");
    const SettingsFile settings = ReadBytes(std::string(bytes));
    ExpectValues(settings.values, 1, 0, 100, "/tmp", "*.*;", 0, 0, 1, 1);
    EXPECT_EQ(settings.address, "example.com/");
}

TEST(SettingsFile, ShortFileKeepsTheBuiltInValuesOfTheMissingLines) {
    const SettingsFile settings = ReadBytes("2\r\n3\r\n7\r\n");
    ExpectValues(settings.values, 2, 3, 7, "/home/ann/", "*.*", 1, 0, 1, 1);
    EXPECT_FALSE(settings.address.has_value());
}

TEST(SettingsFile, TextLinesAreTakenAsTheyStandAndAnEmptyAddressLineIsAnAddress) {
    const SettingsFile settings = ReadBytes("1\n0\n100\nC:\\windows\n*.htm;*.gif;\n0\n1\n0\n0\n\n");
    ExpectValues(settings.values, 1, 0, 100, "C:\\windows", "*.htm;*.gif;", 0, 1, 0, 0);
    EXPECT_EQ(settings.address, "");
}

TEST(SettingsFile, DamagedNumericLinesBecomeZero) {
    const SettingsFile settings = ReadBytes("get\n\nlots\n/d\n*.*\nyes\n1\nno\n1\na.b/\n");
    ExpectValues(settings.values, 0, 0, 0, "/d", "*.*", 0, 1, 0, 1);
    EXPECT_EQ(settings.address, "a.b/");
}

TEST(SettingsFile, OverlongLineIsCutAndItsRestShiftsTheLaterLines) {
    const std::string longDest(120, 'd');
    const SettingsFile settings =
        ReadBytes("1\n0\n100\n" + longDest + "\n*.*\n0\n0\n1\n1\nhost/\n");
    EXPECT_EQ(settings.values.destDir, std::string(99, 'd'));
    EXPECT_EQ(settings.values.fileTypes, std::string(21, 'd'));
    EXPECT_EQ(settings.values.copyDirectory, ReadSettingsInteger("*.*"));
    EXPECT_EQ(settings.values.rewrite, 0);
    EXPECT_EQ(settings.values.sort, 0);
    EXPECT_EQ(settings.values.showExpanded, 1);
    EXPECT_EQ(settings.address, "1");
}

TEST(SettingsFile, IntegerRule) {
    const struct {
        const char* line;
        int value;
    } cases[] = {
        {"42", 42},
        {"  42abc", 42},
        {"\t-7", -7},
        {"+3", 3},
        {"abc", 0},
        {"", 0},
        {"- 5", 0},
        {"0x10", 0},
        {"2147483647", INT_MAX},
        {"99999999999999999999", INT_MAX},
        {"-2147483648", INT_MIN},
        {"-99999999999", INT_MIN},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ReadSettingsInteger(c.line), c.value) << '"' << c.line << '"';
    }
}

TEST(SettingsFile, WrittenFileReadsBackTheSameWithLfLineEnds) {
    test::TempDir dir;
    SettingsValues values = BuiltInSettings("/srv/copies");
    values.mode = 2;
    values.otherServerLevel = -1;
    values.maxLevel = 3;
    values.fileTypes = "*.htm;";
    values.copyDirectory = 0;
    values.rewrite = 1;
    values.sort = 0;
    values.showExpanded = 0;
    ASSERT_TRUE(WriteSettingsFile(dir / "status.lst", values, "example.org/a"));
    EXPECT_EQ(test::ReadFileBytes(dir / "status.lst"),
              "2\n-1\n3\n/srv/copies\n*.htm;\n0\n1\n0\n0\nexample.org/a\n6\n0\n");
    const SettingsFile back = ReadSettingsFile(dir / "status.lst", kBuiltIn);
    ExpectValues(back.values, 2, -1, 3, "/srv/copies", "*.htm;", 0, 1, 0, 0);
    EXPECT_EQ(back.address, "example.org/a");
}

TEST(SettingsFile, EmptyAddressAndLineBreaksInsideValuesKeepTheTenLines) {
    SettingsValues values = BuiltInSettings("/a\nb");
    values.fileTypes = "*.*\r;";
    EXPECT_EQ(FormatSettingsFile(values, ""), "1\n0\n100\n/a\n*.*\n1\n0\n1\n1\n\n6\n0\n");
}

TEST(SettingsFile, LinesAfterTheTenthTakeOnlyTheirChoicesAndAreWrittenBack) {
    const std::string ten = "1\n0\n100\n/a\n*.*\n1\n0\n1\n1\nexample.com/\n";
    struct Case {
        std::string after;
        int requestsAtOnce;
        int offlineLinks;
    };
    const Case cases[] = {
        {"", 6, 0},        {"1\n", 1, 0},           {"16\r\n1\r\n", 16, 1}, {"8\n0\n", 8, 0},
        {"3\n1\n", 6, 1},  {"0\n2\n", 6, 0},        {"-4\n", 6, 0},         {" 4\n1x\n", 6, 0},
        {"4 \n1\n", 6, 1}, {"99999999999\n", 6, 0}, {"\n\n", 6, 0},         {"2\n1\nmore\n", 2, 1},
    };
    for (const Case& c : cases) {
        const SettingsFile settings = ReadBytes(ten + c.after);
        EXPECT_EQ(settings.values.requestsAtOnce, c.requestsAtOnce) << c.after;
        EXPECT_EQ(settings.values.offlineLinks, c.offlineLinks) << c.after;
        EXPECT_EQ(settings.address, "example.com/");
        ExpectValues(settings.values, 1, 0, 100, "/a", "*.*", 1, 0, 1, 1);
    }
    SettingsValues values = BuiltInSettings("/a");
    values.requestsAtOnce = 2;
    values.offlineLinks = 1;
    EXPECT_EQ(FormatSettingsFile(values, "x/"), "1\n0\n100\n/a\n*.*\n1\n0\n1\n1\nx/\n2\n1\n");
}

// Everything in a folder, so a test can tell that no stray file was left behind.
std::vector<std::string> Names(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

TEST(FileReplace, FailedWritesLeaveTheOldFileAndNoLeftovers) {
    test::TempDir dir;
    // The folder is a regular file: nothing can be created in it.
    test::WriteFileBytes(dir / "folder", "not a folder");
    EXPECT_FALSE(ReplaceFileContents(dir / "folder/status.lst", "x\n"));
    EXPECT_EQ(test::ReadFileBytes(dir / "folder"), "not a folder");

    // The target is a folder: the rename cannot replace it.
    std::filesystem::create_directory(dir / "status.lst");
    EXPECT_FALSE(WriteSettingsFile(dir / "status.lst", kBuiltIn, "a/"));
    EXPECT_TRUE(std::filesystem::is_directory(dir / "status.lst"));
    EXPECT_EQ(Names(dir.path()), (std::vector<std::string>{"folder", "status.lst"}));
}

TEST(FileReplace, DiskFullInTheMiddleOfTheWriteKeepsTheOldContents) {
    test::TempDir dir;
    const std::string old = "2\n1\n5\n/old\n*.*;\n0\n0\n1\n1\nold.example/\n";
    test::WriteFileBytes(dir / "status.lst", old);
    // A file-size limit makes the write fail part way, as a full disk would.
    signal(SIGXFSZ, SIG_IGN);
    rlimit saved{};
    getrlimit(RLIMIT_FSIZE, &saved);
    rlimit small = saved;
    small.rlim_cur = 8;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    const bool written = WriteSettingsFile(dir / "status.lst", kBuiltIn, "new.example/");
    setrlimit(RLIMIT_FSIZE, &saved);
    EXPECT_FALSE(written);
    EXPECT_EQ(test::ReadFileBytes(dir / "status.lst"), old);
    EXPECT_EQ(Names(dir.path()), (std::vector<std::string>{"status.lst"}));
}

// The id of a process that has ended and been reaped.
pid_t EndedProcess() {
    const pid_t child = fork();
    if (child == 0) {
        _exit(0);
    }
    int status = 0;
    waitpid(child, &status, 0);
    return child;
}

TEST(FileReplace, TheNextWriteRemovesWhatAKilledWriterLeftAndNothingElse) {
    test::TempDir dir;
    const std::string ended = std::to_string(EndedProcess());
    const std::string running = std::to_string(getppid());
    const std::string own = std::to_string(getpid());
    test::WriteFileBytes(dir / "status.lst", "old\n");
    const std::vector<std::string> kept{
        ".status.lst.new-" + running + "-0",  // its writer may still rename it
        ".status.lst.new-" + own + "-900",    // another thread of this process
        ".link.lst.new-" + ended + "-0",      // another file's: its own next write decides
        ".status.lst.new-" + ended + "-x",    // not a name the writer makes
        ".status.lst.new--0",
        "status.lst.new-" + ended + "-0",
    };
    for (const std::string& name : kept) {
        test::WriteFileBytes(dir / name, "half a wri");
    }
    test::WriteFileBytes(dir / (".status.lst.new-" + ended + "-3"), "half a wri");
    // A leftover does not confuse the reader: it reads the file itself.
    EXPECT_EQ(ReadSettingsFile(dir / "status.lst", kBuiltIn).values.mode, 0);

    ASSERT_TRUE(ReplaceFileContents(dir / "status.lst", "new\n"));
    EXPECT_EQ(test::ReadFileBytes(dir / "status.lst"), "new\n");
    std::vector<std::string> expected = kept;
    expected.push_back("status.lst");
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(Names(dir.path()), expected);
}

TEST(SettingsFile, WriteProtectedFileStaysAsItIsAlsoBehindALinkAndForRoot) {
    test::TempDir dir;
    const std::string old = "2\r\n1\r\n5\r\n/old\r\n*.*;\r\n0\r\n0\r\n1\r\n1\r\nold.example/\r\n";
    for (const mode_t mode : {0444, 0555, 0400}) {
        for (const bool linked : {false, true}) {
            const std::string file = dir / (linked ? "real.lst" : "status.lst");
            test::WriteFileBytes(file, old);
            ASSERT_EQ(chmod(file.c_str(), mode), 0);
            if (linked) {
                std::filesystem::create_symlink(file, dir / "status.lst");
            }
            // It counts as missing when read, and is not replaced when written.
            EXPECT_FALSE(ReadSettingsFile(dir / "status.lst", kBuiltIn).address.has_value());
            EXPECT_FALSE(WriteSettingsFile(dir / "status.lst", kBuiltIn, "new.example/"));
            EXPECT_EQ(test::ReadFileBytes(file), old) << mode << linked;
            struct stat info {};
            ASSERT_EQ(stat(file.c_str(), &info), 0);
            EXPECT_EQ(info.st_mode & 07777, mode);
            // No new file was left beside it either.
            EXPECT_EQ(Names(dir.path()).size(), linked ? 2u : 1u);
            std::filesystem::remove(dir / "status.lst");
            std::filesystem::remove(file);
        }
    }
}

TEST(FileReplace, KeepsPermissionsAndSymbolicLinks) {
    test::TempDir dir;
    test::WriteFileBytes(dir / "real.lst", "old\n");
    chmod((dir / "real.lst").c_str(), 0640);
    std::filesystem::create_symlink(dir / "real.lst", dir / "status.lst");
    ASSERT_TRUE(ReplaceFileContents(dir / "status.lst", "new\n"));
    EXPECT_TRUE(std::filesystem::is_symlink(dir / "status.lst"));
    EXPECT_EQ(test::ReadFileBytes(dir / "real.lst"), "new\n");
    struct stat info {};
    ASSERT_EQ(stat((dir / "real.lst").c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0640u);
}

}  // namespace
}  // namespace zavel
