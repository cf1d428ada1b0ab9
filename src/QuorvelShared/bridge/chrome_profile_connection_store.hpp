#pragma once

// The browser profiles that have connected to the native-messaging host
// ("chrome-profile-connections.json"), newest sighting first. The host records; the application
// reads and polls, so nothing is posted. Recording is a read-modify-write without a lock: of two
// hosts recording at once the later write wins, and the other repairs it on its next pass.
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "QuorvelShared/bridge/chrome_profile_connection.hpp"

namespace quorvel::ChromeProfileConnectionStore {

std::filesystem::path filePath();

// The stored list, latest sighting first (equal times keep their stored order); empty when there
// is no file. Read and decoding errors are thrown.
std::vector<ChromeProfileConnection> load();

// Inserts or refreshes the profile with the trimmed id and saves the list; a list that encodes
// to the bytes the file already holds (a repeat within the same second) leaves the file as it is.
// A blank id does nothing at all. A blank or missing name stores the id as the name. A file that
// cannot be read or decoded throws before anything is written, so a bad file is never replaced by a
// short list.
void recordConnected(const std::string& profileId, const std::optional<std::string>& displayName,
                     Date now);

}  // namespace quorvel::ChromeProfileConnectionStore
