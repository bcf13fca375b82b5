#include "install/setup_engine_launch.h"

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <system_error>
#include <vector>

#include "install/folder_writer.h"

extern char** environ;

namespace zavel {
std::string RunningProgramFolder() {
    std::error_code error;
    const std::filesystem::path program = std::filesystem::read_symlink("/proc/self/exe", error);
    if (error || program.empty()) {
        return {};
    }
    return program.parent_path().string();
}

std::optional<std::string> FindSetupEngine(const std::string& besideFolder) {
    if (!besideFolder.empty()) {
        const std::string beside = besideFolder + "/" + kSetupEngineName;
        if (IsRunnableFile(beside)) {
            return beside;
        }
    }
    const char* path = std::getenv("PATH");
    if (path == nullptr) {
        return std::nullopt;
    }
    const std::string folders = path;
    std::size_t start = 0;
    while (start <= folders.size()) {
        std::size_t end = folders.find(':', start);
        if (end == std::string::npos) {
            end = folders.size();
        }
        // An empty entry would mean the current directory; a setup engine is never taken
        // from wherever the program happens to stand.
        const std::string folder = folders.substr(start, end - start);
        if (!folder.empty() && folder.front() == '/') {
            const std::string candidate = folder + "/" + kSetupEngineName;
            if (IsRunnableFile(candidate)) {
                return candidate;
            }
        }
        start = end + 1;
    }
    return std::nullopt;
}

std::optional<SetupEngineProcess> SetupEngineProcess::Start(const std::string& engine,
                                                            const std::string& infPath,
                                                            const std::string& workFolder) {
    posix_spawn_file_actions_t actions;
    if (posix_spawn_file_actions_init(&actions) != 0) {
        return std::nullopt;
    }
    std::optional<SetupEngineProcess> started;
    if (posix_spawn_file_actions_addchdir_np(&actions, workFolder.c_str()) == 0) {
        std::vector<char*> argv{const_cast<char*>(engine.c_str()),
                                const_cast<char*>(infPath.c_str()), nullptr};
        pid_t pid = 0;
        // posix_spawn reports a failed change of directory or a failed exec itself.
        if (posix_spawn(&pid, engine.c_str(), &actions, nullptr, argv.data(), environ) == 0) {
            started = SetupEngineProcess(pid);
        }
    }
    posix_spawn_file_actions_destroy(&actions);
    return started;
}

SetupEngineProcess::State SetupEngineProcess::Poll() {
    if (state_ != State::kRunning) {
        return state_;
    }
    int status = 0;
    pid_t ended = 0;
    do {
        ended = waitpid(pid_, &status, WNOHANG);
    } while (ended < 0 && errno == EINTR);
    if (ended == 0) {
        return state_;
    }
    // A process that can no longer be waited for (ended < 0) did not report success.
    const bool succeeded = ended == pid_ && WIFEXITED(status) && WEXITSTATUS(status) == 0;
    state_ = succeeded ? State::kSucceeded : State::kFailed;
    return state_;
}

}  // namespace zavel
