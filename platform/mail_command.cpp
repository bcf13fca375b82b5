#include "platform/mail_command.h"

#include "platform/desktop_entry.h"
#include "platform/shell.h"

namespace zavel::platform {

namespace {

// Whether the placeholder at `at` is a quoted word by itself ("%1" between blanks), which is
// still an argument of its own.
bool QuotedAlone(std::string_view command, std::size_t at) {
    const auto blankOrEnd = [&](std::size_t i) { return i >= command.size() || command[i] == ' '; };
    return at >= 1 && command[at - 1] == '"' && (at == 1 || command[at - 2] == ' ') &&
           at + 2 < command.size() && command[at + 2] == '"' && blankOrEnd(at + 3);
}

}  // namespace

SplitCommand SplitMailCommand(std::string_view command, std::string_view mailUrl) {
    SplitCommand split;
    bool insideQuotes = false;
    bool inArguments = false;
    for (std::size_t i = 0; i < command.size(); ++i) {
        const char c = command[i];
        if (c == '"') {
            insideQuotes = !insideQuotes;
        } else if (c == '%') {
            // The placeholder's letter or digit goes with it, whatever it is.
            split.arguments.append(mailUrl);
            split.addressQuoted = split.addressQuoted || (insideQuotes && !QuotedAlone(command, i));
            ++i;
        } else if (c == ' ' && !insideQuotes && !inArguments) {
            inArguments = true;
        } else {
            (inArguments ? split.arguments : split.program) += c;
        }
    }
    return split;
}

std::optional<std::string> MailHandlerCommand() {
    const std::optional<DesktopEntry> handler = DefaultHandler("x-scheme-handler/mailto");
    if (!handler || handler->exec.empty() || handler->exec.size() > kMailCommandMax) {
        return std::nullopt;
    }
    return handler->exec;
}

bool StartMailProgram(const std::string& mailAddress) {
    const std::optional<std::string> command = MailHandlerCommand();
    if (!command) {
        return false;
    }
    const SplitCommand split = SplitMailCommand(*command, "mailto:" + mailAddress);
    return !split.addressQuoted && ShellExecuteProgram(split.program, split.arguments);
}

}  // namespace zavel::platform
