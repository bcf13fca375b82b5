#include "tests/support/run_program.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <iostream>

#include "tests/support/temp_dir.h"

extern char** environ;

namespace zavel::test {

int RunProgram(const std::string& program, const std::vector<std::string>& arguments,
               std::string* messages) {
    TempDir scratch;
    const std::string errors = scratch / "stderr";
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 2, errors.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0600);
    std::vector<char*> argv{const_cast<char*>(program.c_str())};
    for (const std::string& argument : arguments) {
        argv.push_back(const_cast<char*>(argument.c_str()));
    }
    argv.push_back(nullptr);
    pid_t pid = 0;
    const int started = posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (started != 0) {
        return -1;
    }
    int status = 0;
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    const std::string written = ReadFileBytes(errors);
    // A sanitizer's report from the program is passed on to this process's own standard error,
    // where the test run looks for them: a program that fails as the test expects must not hide
    // a finding in its failure.
    if (written.find("Sanitizer") != std::string::npos ||
        written.find("runtime error: ") != std::string::npos) {
        std::cerr << program << " reported:\n" << written << std::flush;
    }
    if (messages != nullptr) {
        *messages = written;
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

int RunSetupEngine(const std::vector<std::string>& arguments, std::string* messages) {
    return RunProgram(ZAVEL_SETUP_DIR "/zavel-setup", arguments, messages);
}

}  // namespace zavel::test
