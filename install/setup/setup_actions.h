// Carrying out a setup plan: the checks that can be made before anything changes, then the
// files, the program-group items and the registry, in that order.
#pragma once

#include <ostream>
#include <string>

#include "install/setup/setup_plan.h"

namespace zavel::setup {

// What can be known before any change: every file to copy is a plain file that can be read,
// and every destination folder is a folder or can be made (no file stands in its way).
bool CheckPlan(const SetupPlan& plan, std::string& error);

// Copies, deletes (and then removes the folders the deletions left empty, never the root or
// the Windows directory), adds and removes the menu entries, and changes the registry file.
// Stops at the first failure with its reason. A menu entry that this engine did not write
// (it lacks the engine's mark) is neither replaced nor removed; a replacement it passes over
// is told in `notes`, and the rest goes on.
bool CarryOut(const SetupPlan& plan, const SetupPlaces& places, std::string& error,
              std::ostream& notes);

}  // namespace zavel::setup
