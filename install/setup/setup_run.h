// The setup engine as a command:
//   zavel-setup INF                 carries out the section [DefaultInstall] of INF
//   zavel-setup SECTION MODE INF    carries out [SECTION]; the form of a recorded uninstall
//                                   command, "DefaultUninstall 132 <inf folder>/zavel.inf"
// The Windows directory and the applications folder follow XDG_DATA_HOME (or HOME).
#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace zavel::setup {

inline constexpr int kSetupDone = 0;
inline constexpr int kSetupFailed = 1;         // something went wrong while changing things
inline constexpr int kSetupNotUnderstood = 2;  // nothing was changed

// Runs the command with its arguments (without the program name); reasons go to `messages`.
int RunSetup(const std::vector<std::string>& arguments, std::ostream& messages);

// Whether the arguments have the form SECTION MODE INF (MODE a number): the form of the
// recorded uninstall command, which the program itself also carries out.
bool IsSectionCommand(const std::vector<std::string>& arguments);

}  // namespace zavel::setup
