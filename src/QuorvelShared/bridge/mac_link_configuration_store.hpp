#pragma once

// The link configuration file "native-host-config.json" and the shared state folder that every
// state file of both programs lies in. The file holds the backend's bearer token, so it is
// written 0600 in a 0700 folder. The writer (the bridge daemon) posts
// BLELocalPairingSessionStore::configurationChangedNotification after a save or clear (through
// postAfterWrite); these operations post nothing.
#include <filesystem>
#include <optional>

#include "QuorvelShared/bridge/mac_link_configuration.hpp"

namespace quorvel::MacLinkConfigurationStore {

// The shared state folder, made anew (0700) on every call; returned also when it cannot be made,
// so that the operation using it fails on its own terms.
std::filesystem::path applicationSupportDirectory();

std::filesystem::path filePath();

// No file gives no value. Read errors (std::system_error) and decoding errors
// (json::DecodeError) are thrown and leave the file as it is.
std::optional<MacLinkConfiguration> load();

// Replaces the file atomically: pretty-printed, keys sorted. On failure the old file stays.
void save(const MacLinkConfiguration& configuration);

// Removes the file; no file is no error.
void clear();

}  // namespace quorvel::MacLinkConfigurationStore
