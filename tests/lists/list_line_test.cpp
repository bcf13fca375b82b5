#include "lists/list_line.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

#include "tests/support/temp_dir.h"

namespace zavel {
namespace {

// Every result the reader gives for the file's bytes, empty ones included, until the end.
std::vector<std::string> AllLines(const std::string& bytes) {
    test::TempDir dir;
    const std::string path = dir / "lines.lst";
    test::WriteFileBytes(path, bytes);
    std::FILE* file = std::fopen(path.c_str(), "r");
    EXPECT_NE(file, nullptr);
    std::vector<std::string> lines;
    char buffer[kListLineSize];
    while (char* line = ReadListLine(file, buffer)) {
        EXPECT_EQ(line, buffer);
        lines.emplace_back(line);
    }
    std::fclose(file);
    return lines;
}

struct LineCase {
    const char* name;
    std::string bytes;
    std::vector<std::string> lines;
};

void PrintTo(const LineCase& c, std::ostream* out) {
    *out << c.name;
}

class ReadListLineTest : public testing::TestWithParam<LineCase> {};

TEST_P(ReadListLineTest, YieldsExpectedLines) {
    EXPECT_EQ(AllLines(GetParam().bytes), GetParam().lines);
}

const std::string k98(98, 'a');
const std::string k99(99, 'a');

INSTANTIATE_TEST_SUITE_P(
    Files, ReadListLineTest,
    testing::Values(LineCase{"CrLf", "one\r\ntwo\r\n", {"one", "two"}},
                    LineCase{"LfOnly", "one\ntwo\n", {"one", "two"}},
                    LineCase{"LastLineWithoutEnd", "one\r\ntwo", {"one", "two"}},
                    LineCase{"Empty", "", {}}, LineCase{"OnlyEmptyLines", "\r\n\r\n", {"", ""}},
                    LineCase{"BlanksKept", " SRC= \r\n", {" SRC= "}},
                    LineCase{"HighBytesKept", "\xE4\xF6\xFC\xFF\r\n", {"\xE4\xF6\xFC\xFF"}},
                    // The line end of a full 99-character line comes back as a line of its own.
                    LineCase{"Exactly99", k99 + "\r\n", {k99, ""}},
                    LineCase{"Exactly100", k99 + "b\r\n", {k99, "b"}},
                    // A read that stops between CR and LF takes the LF too, so the lines after it
                    // keep their places (an earlier CR in the same read changes nothing).
                    LineCase{"Exactly98CrLf", k98 + "\r\nnext\r\n", {k98, "next"}},
                    LineCase{"SplitCrLfAfterAnotherCr",
                             "ab\r" + std::string(95, 'c') + "\r\nnext\n",
                             {"ab", "next"}},
                    LineCase{"Exactly98CrAtTheEnd", k98 + "\r", {k98}},
                    LineCase{"Length250",
                             k99 + std::string(99, 'b') + std::string(52, 'c') + "\r\n",
                             {k99, std::string(99, 'b'), std::string(52, 'c')}},
                    // CR alone does not end a read: each read of up to 99 characters keeps only the
                    // text before its first CR, so "efg" is never seen.
                    LineCase{"CrOnlyShort", "ab\rcd\ref\r", {"ab"}},
                    LineCase{"CrOnlyLong",
                             std::string(98, 'a') + "\rbcd\refg\r",
                             {std::string(98, 'a'), "bcd"}}),
    [](const testing::TestParamInfo<LineCase>& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace zavel
