// Runs a program of the build to its end, as a person would from a shell.
#pragma once

#include <sys/types.h>

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

// A program of the build started in the background, its standard output read through a pipe,
// for tests that must act while it runs (signal it at a chosen moment).
class ChildProcess {
  public:
    // Starts `program`; running() tells whether it started.
    ChildProcess(const std::string& program, const std::vector<std::string>& arguments);
    ~ChildProcess();  // kills and reaps a child still running
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    bool running() const { return pid_ > 0; }
    pid_t pid() const { return pid_; }
    // The next line the child writes to its standard output, without its LF; false when none
    // came within `milliseconds` or the output ended.
    bool ReadLine(std::string& line, int milliseconds);
    // Sends `signal` and waits for the child to end. Returns the wait status, -1 when no child
    // runs.
    int KillAndWait(int signal);

  private:
    pid_t pid_ = -1;
    int output_ = -1;
    std::string buffered_;
};

}  // namespace zavel::test
