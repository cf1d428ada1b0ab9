#pragma once

#include <cstdint>

namespace quorvel::daemon {

// Watches the parent on a thread of its own: once a second it compares getppid() with
// `parentProcessId`, and when they differ (the parent died and the daemon was handed to another
// process) it ends the process at once with _exit(0), whatever the main thread is doing.
void startBridgeParentWatchdog(std::int32_t parentProcessId);

}  // namespace quorvel::daemon
