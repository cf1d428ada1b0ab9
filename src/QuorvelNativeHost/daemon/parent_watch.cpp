#include "QuorvelNativeHost/daemon/parent_watch.hpp"

#include <unistd.h>

#include <chrono>
#include <thread>

namespace quorvel::daemon {

void startBridgeParentWatchdog(std::int32_t parentProcessId) {
    std::thread([parentProcessId] {
        while (::getppid() == parentProcessId) {
            std::this_thread::sleep_for(std::chrono::seconds(1));
        }
        ::_exit(0);
    }).detach();
}

}  // namespace quorvel::daemon
