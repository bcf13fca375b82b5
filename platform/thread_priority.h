// Scheduling priority of the calling thread.
#pragma once

namespace zavel::platform {

// Lowers the calling thread to the lowest scheduling priority, behind the user interface.
void LowerCurrentThreadPriority();

}  // namespace zavel::platform
