#include "lists/word_list_writer.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <sys/stat.h>

#include <filesystem>
#include <string>
#include <vector>

#include "lists/word_list.h"
#include "tests/support/temp_dir.h"

namespace zavel {
namespace {

using Entries = std::vector<std::string>;
using test::ReadFileBytes;
using test::WriteFileBytes;

TEST(WriteWordList, EveryEntryOnItsOwnLineWithLf) {
    EXPECT_EQ(FormatWordList({}), "");
    EXPECT_EQ(FormatWordList({"HREF=", "", "a b"}), "HREF=\n\na b\n");

    test::TempDir dir;
    const std::string path = dir / "ext2.lst";
    WriteFileBytes(path, "old\r\nlonger old contents\r\n");
    ASSERT_EQ(chmod(path.c_str(), 0640), 0);
    ASSERT_TRUE(WriteWordList(path, {"cgi", "?"}));
    EXPECT_EQ(ReadFileBytes(path), "cgi\n?\n");
    struct stat info {};
    ASSERT_EQ(stat(path.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0640u);
    // Nothing but the list is left in the folder.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()),
                            std::filesystem::directory_iterator()),
              1);
}

TEST(WriteWordList, ListBehindALinkIsReplacedWhereItLies) {
    test::TempDir dir;
    const std::string real = dir / "real.lst";
    const std::string link = dir / "link.lst";
    WriteFileBytes(real, "old\n");
    ASSERT_EQ(symlink(real.c_str(), link.c_str()), 0);
    ASSERT_TRUE(WriteWordList(link, {"new"}));
    EXPECT_TRUE(std::filesystem::is_symlink(link));
    EXPECT_EQ(ReadFileBytes(real), "new\n");
}

TEST(WriteWordList, NothingWrittenWhereNoFileCanBe) {
    test::TempDir dir;
    WriteFileBytes(dir / "plain", "x");
    EXPECT_FALSE(WriteWordList(dir / "plain/link.lst", {"a"}));
    EXPECT_FALSE(WriteWordList(dir / "missing/link.lst", {"a"}));
    EXPECT_EQ(ReadFileBytes(dir / "plain"), "x");
}

// Root too: the permission bits do not stop root, so the mode itself is asked.
TEST(WriteWordList, WriteProtectedListStaysAsItIs) {
    test::TempDir dir;
    const std::string path = dir / "link.lst";
    WriteFileBytes(path, "HREF=\r\n");
    ASSERT_EQ(chmod(path.c_str(), 0444), 0);
    EXPECT_FALSE(WriteWordList(path, {"other"}));
    EXPECT_EQ(ReadFileBytes(path), "HREF=\r\n");
}

}  // namespace
}  // namespace zavel
