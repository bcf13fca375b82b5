#include "lists/word_list.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <sys/stat.h>

#include <cctype>
#include <ostream>
#include <random>
#include <string>
#include <vector>

#include "tests/support/temp_dir.h"

namespace zavel {
namespace {

using Entries = std::vector<std::string>;

std::optional<Entries> ReadBytes(const std::string& bytes) {
    test::TempDir dir;
    const std::string path = dir / "list.lst";
    test::WriteFileBytes(path, bytes);
    return ReadWordList(path);
}

TEST(ReadWordList, SkipsEmptyEntriesAndKeepsOrder) {
    EXPECT_EQ(ReadBytes("b\r\n\r\na\r\nb\r\n"), (Entries{"b", "a", "b"}));
    EXPECT_EQ(ReadBytes("b\na"), (Entries{"b", "a"}));
    EXPECT_EQ(ReadBytes(std::string(99, 'x') + "\r\n"), (Entries{std::string(99, 'x')}));
    EXPECT_EQ(ReadBytes(std::string(100, 'x') + "\r\n"), (Entries{std::string(99, 'x'), "x"}));
}

TEST(ReadWordList, EmptyListsHaveNoEntriesAndMatchNothing) {
    for (const std::string bytes : {"", "\r\n", "\r\n\r\n\r\n", "\n\n", "\r\r\r"}) {
        const auto entries = ReadBytes(bytes);
        ASSERT_TRUE(entries.has_value());
        EXPECT_TRUE(entries->empty());
        EXPECT_FALSE(AnyEntryOccursIn(*entries, "href=\"index.html\""));
        EXPECT_FALSE(AnyEntryOccursIn(*entries, ""));
    }
}

TEST(ReadWordList, UnopenableFileIsMissing) {
    test::TempDir dir;
    EXPECT_EQ(ReadWordList(dir / "absent.lst"), std::nullopt);
    EXPECT_EQ(ReadWordList(dir.path()), std::nullopt);  // a folder
}

TEST(ReadWordList, WriteProtectedFileIsMissing) {
    test::TempDir dir;
    const std::string path = dir / "link.lst";
    test::WriteFileBytes(path, "HREF=\r\n");
    ASSERT_EQ(chmod(path.c_str(), 0444), 0);
    EXPECT_EQ(ReadWordList(path), std::nullopt);
}

TEST(ReadWordList, BinaryJunkGivesShortEntriesTakenFromTheFile) {
    std::mt19937 random(12345);
    std::uniform_int_distribution<int> byte(1, 255);  // no NUL
    std::string junk(20000, ' ');
    for (char& c : junk) {
        c = static_cast<char>(byte(random));
    }
    const auto entries = ReadBytes(junk);
    ASSERT_TRUE(entries.has_value());
    ASSERT_FALSE(entries->empty());
    for (const std::string& entry : *entries) {
        EXPECT_LE(entry.size(), 99u);
        EXPECT_FALSE(entry.empty());
        EXPECT_EQ(entry.find_first_of("\r\n"), std::string::npos);
        EXPECT_NE(junk.find(entry), std::string::npos);
    }
    EXPECT_TRUE(AnyEntryOccursIn(*entries, junk));
}

struct DefaultCase {
    WordListKind kind;
    const char* file_name;
    const char* title;
    int resource_id;
    Entries entries;
};

void PrintTo(const DefaultCase& c, std::ostream* out) {
    *out << c.file_name;
}

class DefaultWordListTest : public testing::TestWithParam<DefaultCase> {};

TEST_P(DefaultWordListTest, EmbeddedBytesAndEntries) {
    const DefaultCase& c = GetParam();
    EXPECT_STREQ(WordListFileName(c.kind), c.file_name);
    EXPECT_STREQ(WordListTitle(c.kind), c.title);
    EXPECT_EQ(DefaultWordListResourceId(c.kind), c.resource_id);
    std::string bytes;
    for (const std::string& entry : c.entries) {
        bytes += entry + "\r\n";
    }
    EXPECT_EQ(DefaultWordList(c.kind), bytes);
    EXPECT_EQ(ReadBytes(std::string(DefaultWordList(c.kind))), c.entries);
}

INSTANTIATE_TEST_SUITE_P(
    Defaults, DefaultWordListTest,
    testing::Values(
        DefaultCase{WordListKind::kKeywords,
                    "link.lst",
                    "Keywords",
                    903,
                    {"HREF=\"", "HREF='", "HREF=", "URL=\"", "URL='", "URL=", "SRC=\"", "SRC='",
                     "SRC=", "VALUE=\"", "VALUE='", "VALUE="}},
        DefaultCase{WordListKind::kExtensions,
                    "ext.lst",
                    "Extensions",
                    900,
                    {".htm", ".shtm", ".dhtm", ".cfm", ".html"}},
        DefaultCase{WordListKind::kReservedWords,
                    "ext2.lst",
                    "Reserved Words",
                    901,
                    {"?", "+", "[", "]", "mailto", "javascript", "=", "@", ";", "telnet://",
                     "ftp://", ","}},
        DefaultCase{
            WordListKind::kErrors, "error.lst", "Errors", 902, {"404 not found", "not found"}}));

TEST(LowerCaseEntry, OnlyAsciiCapitalsChange) {
    EXPECT_EQ(LowerCaseEntry("@AZ[`az{ HREF=\"\xC4\xE4"), "@az[`az{ href=\"\xC4\xE4");
}

struct MatchCase {
    std::string entry;
    std::string text;
    bool matches;
};

// Test names stay plain: bytes other than letters, digits, blanks, "=" and "." print as "_".
void PrintTo(const MatchCase& c, std::ostream* out) {
    auto plain = [](std::string text) {
        for (char& ch : text) {
            const auto u = static_cast<unsigned char>(ch);
            if (!std::isalnum(u) && ch != ' ' && ch != '=' && ch != '.') {
                ch = '_';
            }
        }
        return text;
    };
    *out << "[" << plain(c.entry) << "] in [" << plain(c.text) << "]";
}

class EntryOccursInTest : public testing::TestWithParam<MatchCase> {};

TEST_P(EntryOccursInTest, BothForms) {
    const MatchCase& c = GetParam();
    EXPECT_EQ(EntryOccursIn(c.entry, c.text), c.matches) << c.entry << " in " << c.text;
    EXPECT_EQ(AnyEntryOccursIn({"", "zzzz", c.entry}, c.text), c.matches);
}

INSTANTIATE_TEST_SUITE_P(
    Matching, EntryOccursInTest,
    testing::Values(MatchCase{"HREF=", "<a href=x>", true}, MatchCase{"HREF=", "<A HREF=x>", true},
                    MatchCase{"href=", "<A HREF=x>", false},
                    MatchCase{"HrEf=", "<a hReF=x>", false},  // only the whole entry is lowered
                    MatchCase{"SRC= ", "src=x", false}, MatchCase{"SRC= ", "<img src= x>", true},
                    MatchCase{".htm", "index.html", true},  // a substring, not a word
                    MatchCase{"not found", "404 Not Found", false},
                    MatchCase{"", "anything", false}, MatchCase{"", "", false},
                    MatchCase{"abc", "ab", false}, MatchCase{"\xC4X", "\xC4x", true},
                    MatchCase{"\xC4", "\xE4", false}));

}  // namespace
}  // namespace zavel
