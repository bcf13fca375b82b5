// The files the installer carries inside the program: the install description exactly as
// stored, and a help file with the topic the help command opens.
#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

#include "install/install_procedure.h"
#include "lists/embedded_text.h"

namespace zavel {
namespace {

std::vector<std::string> CrLfLines(std::string_view text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t end; (end = text.find("\r\n", start)) != std::string_view::npos;
         start = end + 2) {
        lines.emplace_back(text.substr(start, end - start));
    }
    EXPECT_EQ(start, text.size()) << "text after the last CR LF";
    return lines;
}

TEST(EmbeddedFiles, TheInfIsStoredByteForByte) {
    const std::string_view inf = EmbeddedText(906);
    const std::vector<std::string> lines = CrLfLines(inf);
    ASSERT_EQ(lines.size(), 81u);
    for (const std::string& line : lines) {
        EXPECT_EQ(line.find_first_of("\r\n"), std::string::npos) << line;
    }
    EXPECT_EQ(lines[0], "[version]");
    EXPECT_EQ(lines[1], "signature=\"$CHICAGO$\"");
    EXPECT_EQ(lines[42], "HKLM,%URJ1%%URJ2%");
    EXPECT_EQ(lines[43], std::string(23, ' '));
    EXPECT_EQ(lines[44], "[Zavel.Files1]");
    EXPECT_EQ(lines[13], "AddReg =Zavel.Add.RegNT");
    EXPECT_EQ(lines[25], "setup.ini, group321,, \"\"\"%Help_Desc%\"\", %Dest_Fold%\\zavel.hlp\"");
    EXPECT_EQ(lines[72], "[Strings]");
    EXPECT_EQ(lines[80], "Help_Desc=\"Zavel Help\"");
    EXPECT_EQ(inf.size(), 1805u);
}

TEST(EmbeddedFiles, EveryFileTheInstallerUnpacksIsThere) {
    for (const EmbeddedFile& file : kEmbeddedFiles) {
        EXPECT_FALSE(EmbeddedText(file.id).empty()) << file.name;
    }
    const std::string_view help = EmbeddedText(905);
    EXPECT_NE(help.find("<a name=\"100\">"), std::string_view::npos);
    EXPECT_EQ(help.find('\0'), std::string_view::npos);
    // The lists it describes are the ones it unpacks.
    for (const char* name : {"link.lst", "ext.lst", "ext2.lst", "error.lst", "status.lst"}) {
        EXPECT_NE(help.find(name), std::string_view::npos) << name;
    }
}

}  // namespace
}  // namespace zavel
