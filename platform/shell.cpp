#include "platform/shell.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <mutex>
#include <utility>

namespace zavel::platform {
namespace {

std::mutex starterMutex;
ProgramStarter starter;  // guarded by starterMutex

bool EndsWith(const std::string& text, const std::string& end) {
    return text.size() >= end.size() &&
           text.compare(text.size() - end.size(), end.size(), end) == 0;
}

std::string LowerCase(std::string text) {
    for (char& c : text) {
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
        }
    }
    return text;
}

bool Start(const std::vector<std::string>& argv) {
    ProgramStarter start;
    {
        std::lock_guard lock(starterMutex);
        start = starter;
    }
    return start ? start(argv) : StartDetached(argv);
}

}  // namespace

std::optional<DesktopEntry> FindExecutable(const std::string& document) {
    const std::string name = LowerCase(document);
    if (EndsWith(name, ".htm") || EndsWith(name, ".html")) {
        return DefaultHandler("text/html");
    }
    return std::nullopt;
}

bool ShellExecuteOpen(const DesktopEntry& program, const std::string& parameters) {
    const std::vector<std::string> argv = ExecArguments(program, parameters);
    if (argv.empty()) {
        return false;
    }
    return Start(argv);
}

bool ShellExecuteProgram(const std::string& program, const std::string& parameters) {
    if (program.empty()) {
        return false;
    }
    std::vector<std::string> argv{program};
    std::string word;
    for (const char c : parameters) {
        if (c == ' ' || c == '\t') {
            if (!word.empty()) {
                argv.push_back(std::move(word));
                word.clear();
            }
        } else {
            word += c;
        }
    }
    if (!word.empty()) {
        argv.push_back(std::move(word));
    }
    return Start(argv);
}

bool OpenInWebBrowser(const std::string& address, bool secure) {
    std::optional<DesktopEntry> program = FindExecutable("index.htm");
    if (!program) {
        program = FindExecutable("index.html");
    }
    return program && ShellExecuteOpen(*program, (secure ? "https://" : "http://") + address);
}

ProgramStarter SetProgramStarter(ProgramStarter replacement) {
    std::lock_guard lock(starterMutex);
    return std::exchange(starter, std::move(replacement));
}

bool StartDetached(const std::vector<std::string>& argv) {
    if (argv.empty()) {
        return false;
    }
    const std::optional<std::string> program = FindProgram(argv.front());
    if (!program) {
        return false;
    }
    // Everything the children need is made before the fork: between fork and exec only
    // async-signal-safe calls are allowed in a process with threads.
    std::vector<char*> args;
    args.reserve(argv.size() + 1);
    for (const std::string& arg : argv) {
        args.push_back(const_cast<char*>(arg.c_str()));
    }
    args.push_back(nullptr);
    const int devNull = open("/dev/null", O_RDONLY | O_CLOEXEC);
    // The grandchild reports a failed exec through this pipe; a successful exec closes it.
    int report[2];
    if (pipe2(report, O_CLOEXEC) != 0) {
        if (devNull >= 0) {
            close(devNull);
        }
        return false;
    }

    const pid_t child = fork();
    if (child == 0) {
        // The middle child: a new session, a grandchild that runs the program, then gone, so
        // that the program is adopted by init and never becomes our zombie.
        setsid();
        const pid_t grandchild = fork();
        if (grandchild == 0) {
            sigset_t none;
            sigemptyset(&none);
            sigprocmask(SIG_SETMASK, &none, nullptr);
            if (devNull >= 0) {
                dup2(devNull, STDIN_FILENO);
            }
            execv(program->c_str(), args.data());
            const int error = errno;
            ssize_t ignored = write(report[1], &error, sizeof error);
            (void)ignored;
            _exit(127);
        }
        _exit(grandchild < 0 ? 1 : 0);
    }
    close(report[1]);
    if (devNull >= 0) {
        close(devNull);
    }
    bool started = false;
    if (child > 0) {
        int status = 0;
        while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
        }
        if (WIFEXITED(status) && WEXITSTATUS(status) == 0) {
            int error = 0;
            ssize_t got;
            while ((got = read(report[0], &error, sizeof error)) < 0 && errno == EINTR) {
            }
            started = got == 0;
        }
    }
    close(report[0]);
    return started;
}

}  // namespace zavel::platform
