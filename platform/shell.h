// The shell's two operations the program uses to open a document's program: find the program
// associated with a document, and run the "open" verb on it. The program is started detached,
// through one replaceable starter, so that tests can record what would be started instead of
// starting it.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/desktop_entry.h"

namespace zavel::platform {

// The desktop's default handler for the type of `document`, known by its extension (".htm"
// and ".html" are text/html). Whether such a document exists does not matter. nullopt when the
// type is unknown or has no handler.
std::optional<DesktopEntry> FindExecutable(const std::string& document);

// Starts the handler with `parameters` as its one argument, detached from this process (it
// outlives the program and is never waited for). False when it could not be started.
bool ShellExecuteOpen(const DesktopEntry& program, const std::string& parameters);

// Runs "open" on a program with a parameters text, as a registered command line gives them:
// the parameters are cut into arguments at blanks and tabs (the text holds no quotes any more).
// Goes through the same starter as ShellExecuteOpen. False when `program` is empty or could
// not be started.
bool ShellExecuteProgram(const std::string& program, const std::string& parameters);

// Opens "http://" + `address` ("https://" when secure) in the program the desktop associates
// with HTML documents ("index.htm", failing that "index.html"). False when there is none or it
// could not be started.
bool OpenInWebBrowser(const std::string& address, bool secure = false);

// Starts argv[0] (searched in $PATH when it holds no "/") with the rest of argv as its
// arguments, in a session of its own, standard input from /dev/null, and does not wait for it.
// False when the program cannot be found or executed.
bool StartDetached(const std::vector<std::string>& argv);

// What ShellExecuteOpen starts programs with; StartDetached unless replaced.
using ProgramStarter = std::function<bool(const std::vector<std::string>& argv)>;
// Replaces the starter; returns the previous one. An empty starter restores StartDetached.
ProgramStarter SetProgramStarter(ProgramStarter starter);

}  // namespace zavel::platform
