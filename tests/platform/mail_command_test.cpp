// The mail handler's command split into a program and an arguments text, the arguments text
// cut into words when the program is started, and the help file's name beside the program.
#include "platform/mail_command.h"

#include <gtest/gtest.h>

#include "platform/help_file.h"
#include "platform/shell.h"

namespace zavel {
namespace {

using platform::SplitCommand;

constexpr const char* kUrl = "mailto:info@zavel.example";

TEST(SplitMailCommand, ProgramAndArgumentsAsTheShellSplitsThem) {
    const std::pair<const char*, SplitCommand> table[] = {
        // A quoted program with a blank in its path: the blank stays, the quotes go, and the
        // first blank after the closing quote starts the arguments.
        {"\"/opt/Mail Box/mailer\" /mailurl:%1",
         {"/opt/Mail Box/mailer", "/mailurl:" + std::string(kUrl)}},
        {"\"C:\\Program Files\\Mail\\mail.exe\" %1", {"C:\\Program Files\\Mail\\mail.exe", kUrl}},
        // A desktop entry's field codes play the part of %1.
        {"thunderbird -compose %u", {"thunderbird", "-compose " + std::string(kUrl)}},
        {"evolution %U", {"evolution", kUrl}},
        // Without a placeholder the address is not added.
        {"mailer --new-message", {"mailer", "--new-message"}},
        {"mailer", {"mailer", ""}},
        {"\"/opt/Mail Box/mailer\"", {"/opt/Mail Box/mailer", ""}},
        // Blanks after the first one belong to the arguments, so do quoted ones there; quotes
        // are dropped wherever they are.
        {"mailer  -a  %u", {"mailer", " -a  " + std::string(kUrl)}},
        {"mailer \"--to %u\" x", {"mailer", "--to " + std::string(kUrl) + " x", true}},
        {"mailer \"%u\" \"%u\"x", {"mailer", std::string(kUrl) + " " + kUrl + "x", true}},
        {"mailer -c \"%u\"", {"mailer", "-c " + std::string(kUrl)}},
        // The placeholder's second character goes with it, whatever it is, and a percent sign
        // in the program text still puts the address into the arguments.
        {"mailer %%", {"mailer", kUrl}},
        {"mailer %", {"mailer", kUrl}},
        {"ma%1iler -x", {"mailer", std::string(kUrl) + "-x"}},
        {"%u", {"", kUrl}},
        {"", {"", ""}},
    };
    for (const auto& [command, expected] : table) {
        EXPECT_EQ(platform::SplitMailCommand(command, kUrl), expected) << command;
    }
}

TEST(ShellExecuteProgram, TheParametersBecomeWordsAtBlanks) {
    std::vector<std::vector<std::string>> started;
    auto previous = platform::SetProgramStarter([&started](const std::vector<std::string>& argv) {
        started.push_back(argv);
        return true;
    });
    EXPECT_TRUE(platform::ShellExecuteProgram("/opt/Mail Box/mailer", " -compose\t mailto:a@b "));
    EXPECT_TRUE(platform::ShellExecuteProgram("mailer", ""));
    // No program: nothing is asked to start.
    EXPECT_FALSE(platform::ShellExecuteProgram("", "mailto:a@b"));
    platform::SetProgramStarter(previous);
    const std::vector<std::vector<std::string>> expected{
        {"/opt/Mail Box/mailer", "-compose", "mailto:a@b"}, {"mailer"}};
    EXPECT_EQ(started, expected);
}

TEST(HelpFile, BesideTheProgramWithTheExtensionHlp) {
    const std::pair<const char*, const char*> table[] = {
        {"/home/ann/apps/ZAVEL/zavel.exe", "/home/ann/apps/ZAVEL/zavel.hlp"},
        {"/tmp/build/bin/zavel", "/tmp/build/bin/zavel.hlp"},
        {"/home/a.b/bin/zavel", "/home/a.b/bin/zavel.hlp"},  // a folder's dot is no extension
        {"/opt/zavel.tar.gz", "/opt/zavel.tar.hlp"},         // only the last one is replaced
        {"/opt/zavel.", "/opt/zavel.hlp"},
    };
    for (const auto& [program, help] : table) {
        EXPECT_EQ(platform::HelpFilePath(program), help) << program;
    }
    // This test program's own file.
    const std::string self = platform::ProgramFile();
    ASSERT_FALSE(self.empty());
    EXPECT_EQ(self.front(), '/');
    EXPECT_TRUE(self.ends_with("/zavel_engine_tests")) << self;
}

}  // namespace
}  // namespace zavel
