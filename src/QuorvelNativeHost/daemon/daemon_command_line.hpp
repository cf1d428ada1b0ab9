#pragma once

// How the application starts the bridge daemon:
//   QuorvelNativeHost --ble-bridge-daemon --parent-pid <pid>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace quorvel::daemon {

inline constexpr std::string_view bridgeDaemonFlag = "--ble-bridge-daemon";
inline constexpr std::string_view parentPidOption = "--parent-pid";

// True when any argument, the program path included, is exactly the daemon flag. An argument
// that merely begins with it ("--ble-bridge-daemon=1") does not count.
bool selectsBridgeDaemon(std::span<const std::string> arguments);

// The value after the first "--parent-pid": a base-10 32-bit integer with at most one leading
// sign, greater than 0. Anything else, or no such option, gives none; a later occurrence is
// never tried.
std::optional<std::int32_t> bridgeParentProcessId(std::span<const std::string> arguments);

}  // namespace quorvel::daemon
