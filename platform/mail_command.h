// The mail program that the start screen's e-mail line starts: the desktop's default handler
// of mailto addresses. Its command line is split into a program and an arguments text the way
// the shell's registered commands are split, with the handler's argument placeholder (%1, or
// a desktop entry's %u and %U) replaced by the mail address in URL form.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace zavel::platform {

// The longest mail handler command that is used, in characters. A longer one is not cut (the
// cut command could name another program): it starts nothing.
inline constexpr std::size_t kMailCommandMax = 299;

struct SplitCommand {
    std::string program;
    std::string arguments;
    // A placeholder stood inside quotes with other text: the address would be part of a quoted
    // argument, which a handler such as sh -c "mail %u" reads as a command. Such a command is
    // not started. A placeholder quoted alone ("%u") is an argument of its own.
    bool addressQuoted = false;
    bool operator==(const SplitCommand&) const = default;
};

// Walks the command once with two switches, inside-quotes and in-arguments, both off at the
// start: a double quote toggles inside-quotes and is dropped; a percent sign and the character
// after it become `mailUrl` in the arguments text; the first blank outside quotes ends the
// program text and is dropped; every other character goes to the program text until then and
// to the arguments text afterwards. A placeholder inside quotes with other text sets
// addressQuoted.
SplitCommand SplitMailCommand(std::string_view command, std::string_view mailUrl);

// The command line of the desktop's default mailto handler (the Exec line of its desktop
// entry). nullopt when there is no handler, its command is empty, or longer than
// kMailCommandMax.
std::optional<std::string> MailHandlerCommand();

// Starts the mail handler for `mailAddress` ("info@example.com"): its command split with the
// address's URL form "mailto:" + address, the program started through the shell. False when
// there is no handler, its command quotes the address, or it could not be started; the caller
// stays silent either way.
bool StartMailProgram(const std::string& mailAddress);

}  // namespace zavel::platform
