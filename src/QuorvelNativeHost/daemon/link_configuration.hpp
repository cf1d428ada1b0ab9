#pragma once

// The link configuration as the daemon reads it: afresh at each use, since the pairing and the
// application change it while the daemon runs.
#include <optional>
#include <string>

#include "QuorvelShared/bridge/mac_link_configuration.hpp"

namespace quorvel::daemon {

// No value when unpaired, and when the file cannot be read or decoded: the daemon then acts as
// unpaired. Such a failure is reported (quorvel.daemon) once per change of its text, since every
// message of the phone reads the file again.
std::optional<MacLinkConfiguration> loadLinkConfiguration();

// The Mac's device id to advertise: no value, the fixed default identity, when unpaired or when
// the configuration cannot be read.
std::optional<std::string> configuredMacDeviceId();

}  // namespace quorvel::daemon
