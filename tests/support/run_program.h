// Runs a program of the build to its end, as a person would from a shell.
#pragma once

#include <string>
#include <vector>

namespace zavel::test {

// Runs `program` with `arguments` and waits for it. Returns its exit status, or -1 when it
// could not be started or did not exit normally. What it writes to standard error goes to
// `messages` when given; a sanitizer's report among it also goes to this process's standard
// error, which the sanitizer test runs watch.
int RunProgram(const std::string& program, const std::vector<std::string>& arguments,
               std::string* messages = nullptr);

// The built setup engine (ZAVEL_SETUP_DIR/zavel-setup), run the same way.
int RunSetupEngine(const std::vector<std::string>& arguments, std::string* messages = nullptr);

}  // namespace zavel::test
