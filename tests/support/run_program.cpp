#include "tests/support/run_program.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <iostream>

#include "tests/support/temp_dir.h"

extern char** environ;

namespace zavel::test {

// Starts `program` with `arguments` and this process's environment; posix_spawn's result.
static int Spawn(pid_t& pid, const std::string& program, const std::vector<std::string>& arguments,
                 const posix_spawn_file_actions_t& actions) {
    std::vector<char*> argv{const_cast<char*>(program.c_str())};
    for (const std::string& argument : arguments) {
        argv.push_back(const_cast<char*>(argument.c_str()));
    }
    argv.push_back(nullptr);
    return posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), environ);
}

int RunProgram(const std::string& program, const std::vector<std::string>& arguments,
               std::string* messages) {
    TempDir scratch;
    const std::string errors = scratch / "stderr";
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 2, errors.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0600);
    pid_t pid = 0;
    const int started = Spawn(pid, program, arguments, actions);
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

ChildProcess::ChildProcess(const std::string& program, const std::vector<std::string>& arguments) {
    int pipeEnds[2];
    if (pipe2(pipeEnds, O_CLOEXEC) != 0) {
        return;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipeEnds[1], 1);
    pid_t pid = 0;
    const int started = Spawn(pid, program, arguments, actions);
    posix_spawn_file_actions_destroy(&actions);
    close(pipeEnds[1]);
    if (started != 0) {
        close(pipeEnds[0]);
        return;
    }
    pid_ = pid;
    output_ = pipeEnds[0];
}

ChildProcess::~ChildProcess() {
    KillAndWait(SIGKILL);
}

bool ChildProcess::ReadLine(std::string& line, int milliseconds) {
    using Clock = std::chrono::steady_clock;
    const auto until = Clock::now() + std::chrono::milliseconds(milliseconds);
    for (;;) {
        if (const std::size_t end = buffered_.find('\n'); end != std::string::npos) {
            line = buffered_.substr(0, end);
            buffered_.erase(0, end + 1);
            return true;
        }
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(until - Clock::now()).count();
        if (output_ < 0 || left <= 0) {
            return false;
        }
        pollfd ready{output_, POLLIN, 0};
        const int polled = poll(&ready, 1, static_cast<int>(left));
        if (polled < 0 && errno == EINTR) {
            continue;
        }
        if (polled <= 0) {
            return false;
        }
        char block[256];
        const ssize_t got = read(output_, block, sizeof block);
        if (got <= 0) {
            return false;
        }
        buffered_.append(block, static_cast<std::size_t>(got));
    }
}

int ChildProcess::KillAndWait(int signal) {
    if (pid_ <= 0) {
        return -1;
    }
    kill(pid_, signal);
    int status = 0;
    while (waitpid(pid_, &status, 0) < 0 && errno == EINTR) {
    }
    pid_ = -1;
    if (output_ >= 0) {
        close(output_);
        output_ = -1;
    }
    return status;
}

int RunSetupEngine(const std::vector<std::string>& arguments, std::string* messages) {
    return RunProgram(ZAVEL_SETUP_DIR "/zavel-setup", arguments, messages);
}

}  // namespace zavel::test
