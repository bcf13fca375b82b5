// Reading setup-information text: sections, keys, fields and quotes, and the stored .inf.
#include "install/setup/inf_file.h"

#include <gtest/gtest.h>

#include "lists/embedded_text.h"

namespace zavel::setup {
namespace {

using Fields = std::vector<std::string>;

TEST(SplitFields, CommasQuotesAndBlanks) {
    struct Case {
        const char* text;
        Fields fields;
    };
    const Case cases[] = {
        {"a, b ,c", {"a", "b", "c"}},
        {"setup.ini, group321,, x", {"setup.ini", "group321", "", "x"}},
        {"\"a, b\"", {"a, b"}},
        {"\" padded \"", {" padded "}},
        {"\"\"\"%Help_Desc%\"\", %Dest_Fold%\\zavel.hlp\"",
         {"\"%Help_Desc%\", %Dest_Fold%\\zavel.hlp"}},
        {"\"Zavel Files\",\"\",1", {"Zavel Files", "", "1"}},
        {"two words", {"two words"}},
        {"", {""}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(SplitFields(c.text), c.fields) << c.text;
    }
    EXPECT_EQ(SplitFields("\"open"), std::nullopt);
}

TEST(InfFile, TheStoredFileReadsAsItsSectionsSay) {
    std::string error;
    const std::optional<InfFile> inf = InfFile::Parse(EmbeddedText(906), error);
    ASSERT_TRUE(inf) << error;
    std::vector<std::string> names;
    for (const InfSection& section : inf->sections()) {
        names.push_back(section.name);
    }
    EXPECT_EQ(names, (std::vector<std::string>{"version", "DefaultInstall", "DefaultInstall.NT",
                                               "DefaultUninstall", "Zavel.Copy.Inf", "Zavel.Inis",
                                               "Zavel.Del.Inis", "Zavel.Add.Reg", "Zavel.Add.RegNT",
                                               "Zavel.Del.Reg", "Zavel.Files1", "SourceDisksFiles",
                                               "DestinationDirs", "SourceDisksNames", "Strings"}));

    const InfLine* copy = inf->FindKey("defaultinstall", "COPYFILES");
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(copy->fields, (Fields{"Zavel.Files1", "Zavel.Copy.Inf"}));
    EXPECT_EQ(copy->number, 5);

    // The line of blanks after the registry deletion is no line at all.
    ASSERT_NE(inf->Find("Zavel.Del.Reg"), nullptr);
    ASSERT_EQ(inf->Find("Zavel.Del.Reg")->lines.size(), 1u);
    EXPECT_EQ(inf->Find("Zavel.Del.Reg")->lines[0].fields, (Fields{"HKLM", "%URJ1%%URJ2%"}));

    const InfSection* inis = inf->Find("Zavel.Inis");
    ASSERT_NE(inis, nullptr);
    ASSERT_EQ(inis->lines.size(), 3u);
    EXPECT_EQ(inis->lines[0].fields, (Fields{"setup.ini", "progman.groups", "", "group321=Zavel"}));
    EXPECT_EQ(inis->lines[1].fields[3], "\"%Help_Desc%\", %Dest_Fold%\\zavel.hlp");

    const InfLine* path = inf->FindKey("Strings", "URJ1");
    ASSERT_NE(path, nullptr);
    EXPECT_EQ(path->fields, (Fields{"Software\\Microsoft\\Windows\\CurrentVersion"}));
    EXPECT_EQ(inf->FindKey("Strings", "Dest_Fold"), nullptr);
}

TEST(InfFile, LastLineWithoutLineEndAndCommentsAndRepeatedSections) {
    std::string error;
    const std::optional<InfFile> inf = InfFile::Parse(
        "; a comment\n[A]\nx = 1 ; said once\n\r\n[b]\r\ny=\"2;3\"\r[a]\nz=4", error);
    ASSERT_TRUE(inf) << error;
    ASSERT_EQ(inf->sections().size(), 2u);
    ASSERT_NE(inf->FindKey("a", "z"), nullptr);
    EXPECT_EQ(inf->FindKey("a", "z")->fields, (Fields{"4"}));
    EXPECT_EQ(inf->FindKey("a", "x")->fields, (Fields{"1"}));
    EXPECT_EQ(inf->FindKey("B", "Y")->fields, (Fields{"2;3"}));
    EXPECT_EQ(inf->FindKey("a", "z")->number, 8);
}

TEST(InfFile, TextThatIsNotOfThisFormIsRefusedWithItsLine) {
    struct Case {
        const char* text;
        const char* error;
    };
    const Case cases[] = {
        {"x=1\n[a]\n", "line 1: text before the first section"},
        {"[a]\n[b\n", "line 2: a section name must stand in [ ]"},
        {"[a]\n\nx=\"open\n", "line 3: a quote is not closed"},
        {"[a]\n = 3\n", "line 2: a value without a key"},
    };
    for (const Case& c : cases) {
        std::string error;
        EXPECT_FALSE(InfFile::Parse(c.text, error)) << c.text;
        EXPECT_EQ(error, c.error);
    }
}

}  // namespace
}  // namespace zavel::setup
