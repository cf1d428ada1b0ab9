#pragma once

// An unlocked Secret Service of the test's own: gnome-keyring-daemon on the session bus that
// DBUS_SESSION_BUS_ADDRESS names (a PrivateBus of kind session), keeping its keyrings in a
// folder of the test's. Its login keyring is made with a throw-away password and unlocked, so no
// prompt is ever needed. It ends with its session bus (which ends with the test process, also
// when that crashes), so the bus must be the test's own.
#include <filesystem>

namespace quorvel::testing {

class PrivateKeyring {
public:
    // Starts the daemon and waits until it runs with its password taken; throws
    // std::runtime_error when it cannot.
    explicit PrivateKeyring(const std::filesystem::path& folder);
    ~PrivateKeyring();
    PrivateKeyring(const PrivateKeyring&) = delete;
    PrivateKeyring& operator=(const PrivateKeyring&) = delete;
};

}  // namespace quorvel::testing
