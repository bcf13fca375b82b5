#include "platform/thread_priority.h"

#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace zavel::platform {

void LowerCurrentThreadPriority() {
    // On Linux the nice value belongs to the thread, named by its own id.
    const auto thread = static_cast<id_t>(syscall(SYS_gettid));
    setpriority(PRIO_PROCESS, thread, 19);
}

}  // namespace zavel::platform
