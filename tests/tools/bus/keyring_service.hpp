#pragma once

// A Secret Service for a private session bus: a folder with a service file that has the bus start
// a gnome-keyring of its own on first use. Its files live in the folder, and its login collection
// is created unlocked with a throw-away password, so nothing ever prompts and the user's own
// keyring is never touched. It ends with the bus it serves.
#include <filesystem>

namespace quorvel::testing {

class KeyringService {
public:
    // Writes the service file; throws std::system_error when the folder cannot be made.
    KeyringService();
    ~KeyringService();
    KeyringService(const KeyringService&) = delete;
    KeyringService& operator=(const KeyringService&) = delete;

    // For PrivateBus::Options::serviceFolders.
    std::filesystem::path serviceFolder() const { return folder_ / "services"; }

private:
    std::filesystem::path folder_;
};

}  // namespace quorvel::testing
