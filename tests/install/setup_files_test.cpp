// The setup engine's two file formats: the menu entries and the registry file.
#include <gtest/gtest.h>

#include "install/setup/desktop_entry.h"
#include "install/setup/registry_file.h"

namespace zavel::setup {
namespace {

TEST(MenuEntry, FileNamesFromGroupAndItem) {
    EXPECT_EQ(MenuEntryFileName("Zavel", "Zavel"), "zavel-zavel.desktop");
    EXPECT_EQ(MenuEntryFileName("Zavel", "Zavel Help"), "zavel-zavel-help.desktop");
    EXPECT_EQ(MenuEntryFileName("My  Group!", "../Tool"), "my-group-tool.desktop");
    EXPECT_EQ(MenuEntryFileName("", "Zavel"), "zavel.desktop");
    EXPECT_EQ(MenuEntryFileName("..", "//"), std::nullopt);
}

TEST(MenuEntry, ExecLineCarriesAnyPathUnchanged) {
    // Quoting first, then the value's own escapes: a backslash is doubled twice over.
    EXPECT_EQ(ExecArgument("/opt/my apps/zavel.exe"), "\"/opt/my apps/zavel.exe\"");
    EXPECT_EQ(ExecArgument("/a/$x`y\"z\\w%u"), "\"/a/\\$x\\`y\\\"z\\\\w%%u\"");
    EXPECT_EQ(EscapeValue("\"/a/\\\\w\""), "\"/a/\\\\\\\\w\"");
    EXPECT_EQ(EscapeValue("tab\there\nnew"), "tab\\there\\nnew");

    const std::string program = MenuEntryText("Zavel", "Zavel", "/opt/my apps/ZAVEL/zavel.exe", "");
    EXPECT_TRUE(program.starts_with("[Desktop Entry]\nType=Application\nName=Zavel\n"));
    EXPECT_NE(program.find("\nExec=\"/opt/my apps/ZAVEL/zavel.exe\"\n"), std::string::npos);
    EXPECT_NE(program.find("\nPath=/opt/my apps/ZAVEL/\n"), std::string::npos);
    EXPECT_TRUE(IsOwnMenuEntry(program));

    const std::string document =
        MenuEntryText("Zavel", "Zavel Help", "/z/zavel.hlp", "/z/zavel.exe");
    EXPECT_NE(document.find("\nExec=\"/z/zavel.exe\" \"/z/zavel.hlp\"\n"), std::string::npos);
    EXPECT_FALSE(IsOwnMenuEntry("[Desktop Entry]\nName=Zavel\n"));
}

TEST(RegistryFile, KeysAndValuesRoundTripIgnoringCase) {
    RegistryFile registry;
    registry.Set("HKLM\\A\\B", "DisplayName", "Zavel");
    registry.Set("HKLM\\A\\B", "", "default=value");
    registry.Set("HKCU\\C", "X", "1");
    registry.Set("hklm\\a\\b", "displayname", "Zavel 2");
    EXPECT_EQ(registry.Text(),
              "[HKLM\\A\\B]\nDisplayName=Zavel 2\n@=default=value\n[HKCU\\C]\nX=1\n");

    RegistryFile read = RegistryFile::Parse(registry.Text());
    EXPECT_EQ(read.Text(), registry.Text());
    EXPECT_EQ(read.Get("HKLM\\a\\B", ""), "default=value");
    read.DeleteValue("HKCU\\C", "x");
    EXPECT_EQ(read.Get("HKCU\\C", "X"), std::nullopt);
    EXPECT_TRUE(read.HasKey("HKCU\\C"));
    read.DeleteKey("HKLM\\A\\B");
    read.DeleteKey("HKCU\\C");
    EXPECT_TRUE(read.Empty());

    // A damaged file loses only its damaged lines.
    EXPECT_EQ(RegistryFile::Parse("junk\n[K]\r\nno value\nV=1\r\n=2\n").Text(), "[K]\nV=1\n");
}

TEST(RegistryFile, ExtraCarriageReturnsEndTheLineAndReadBackTheSame) {
    const RegistryFile read = RegistryFile::Parse("[K]\r\r\nV=1\r\r\nW=a\rb\r\r\nX=\r\r");
    EXPECT_EQ(read.Get("K", "V"), "1");
    EXPECT_EQ(read.Get("K", "W"), "a\rb");  // a CR inside a value is the value's own
    EXPECT_EQ(read.Get("K", "X"), "");
    EXPECT_EQ(RegistryFile::Parse(read.Text()).Text(), read.Text());
}

}  // namespace
}  // namespace zavel::setup
