#pragma once

// A dbus-daemon of the test's own, with a policy that lets every connection own any name and
// call anything.
//
// - As the system bus, it is where BlueZ and our peripheral meet during a test.
// - As the session bus, it keeps the shared notifications (whose names are fixed) of one test
//   away from every other test running at the same time, and it can start the services whose
//   files lie in the given folders on first use, as a desktop's session bus does.
//
// Starting it points DBUS_SYSTEM_BUS_ADDRESS or DBUS_SESSION_BUS_ADDRESS at it. That must happen
// before anything in the process asks Qt for that bus: Qt keeps its first connection.
#include <sys/types.h>

#include <filesystem>
#include <string>
#include <vector>

namespace quorvel::testing {

class PrivateBus {
public:
    enum class Kind { system, session };

    struct Options {
        // Folders of `.service` files: the services the bus starts when a name is first asked
        // for. The bus starts them with the environment this process has when the bus starts.
        std::vector<std::filesystem::path> serviceFolders;
        // Leave the daemon running when the object goes: it ends with this process instead (it
        // is told to stop when its parent ends). For a bus that a library in the process stays
        // connected to and whose loss it takes for the end of the session: GLib's shared
        // connections (libsecret's among them) raise SIGTERM in the process when it closes.
        bool endsWithProcess = false;
    };

    // Starts the daemon and waits for its address; throws std::runtime_error when it cannot.
    PrivateBus(Kind kind, Options options);
    explicit PrivateBus(Kind kind) : PrivateBus(kind, Options{}) {}
    ~PrivateBus();
    PrivateBus(const PrivateBus&) = delete;
    PrivateBus& operator=(const PrivateBus&) = delete;

    const std::string& address() const { return address_; }
    pid_t pid() const { return pid_; }

private:
    std::filesystem::path folder_;
    pid_t pid_ = -1;
    std::string address_;
    bool endsWithProcess_ = false;
};

}  // namespace quorvel::testing
