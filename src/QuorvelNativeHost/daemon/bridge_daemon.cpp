#include "QuorvelNativeHost/daemon/bridge_daemon.hpp"

namespace quorvel::daemon {

int runBluetoothBridgeDaemon(int, char**, std::optional<std::int32_t>) { return 0; }

}  // namespace quorvel::daemon
