// The shell's "Install" verb on a setup-information file: the project's setup engine,
// zavel-setup, started as a child process with the work folder as its working directory. It is
// looked up beside the running program first, then on PATH.
#pragma once

#include <sys/types.h>

#include <optional>
#include <string>

namespace zavel {

inline constexpr const char* kSetupEngineName = "zavel-setup";

// The folder that holds the running program's file (/proc/self/exe), no trailing "/"; "" when
// the system does not say.
std::string RunningProgramFolder();

// `besideFolder`/zavel-setup when that is a file that can be run, else the first such
// zavel-setup in a folder of PATH (an unset or empty PATH names no folder). nullopt when
// neither has one.
std::optional<std::string> FindSetupEngine(const std::string& besideFolder);

class SetupEngineProcess {
  public:
    enum class State { kRunning, kSucceeded, kFailed };

    // Starts `engine` on `infPath` in `workFolder`; nullopt when it cannot be started (also
    // when the work folder cannot be entered).
    static std::optional<SetupEngineProcess> Start(const std::string& engine,
                                                   const std::string& infPath,
                                                   const std::string& workFolder);

    // Whether it still runs, or how it ended: succeeded only when it exited with status 0.
    // Never waits. Once it has ended, the answer stays the same.
    State Poll();

    pid_t pid() const { return pid_; }

  private:
    explicit SetupEngineProcess(pid_t pid) : pid_(pid) {}
    pid_t pid_;
    State state_ = State::kRunning;
};

}  // namespace zavel
