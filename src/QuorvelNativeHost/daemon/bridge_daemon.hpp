#pragma once

#include <cstdint>
#include <optional>

namespace quorvel::daemon {

// The daemon role: serves the mailbox and the Bluetooth peripheral until standard input ends,
// or ends the process when the parent goes. Always returns exit status 0.
int runBluetoothBridgeDaemon(int argc, char** argv, std::optional<std::int32_t> parentProcessId);

}  // namespace quorvel::daemon
