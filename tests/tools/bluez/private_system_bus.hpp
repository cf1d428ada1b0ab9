#pragma once

// A dbus-daemon of the test's own, with a policy that lets every connection own any name and
// call anything: the system bus that BlueZ and our peripheral meet on during a test. Starting it
// points DBUS_SYSTEM_BUS_ADDRESS at it, which must happen before anything in the process asks Qt
// for the system bus (Qt keeps the first connection).
#include <sys/types.h>

#include <filesystem>
#include <string>

namespace quorvel::testing {

class PrivateSystemBus {
public:
    // Starts the daemon and waits for its address; throws std::runtime_error when it cannot.
    PrivateSystemBus();
    ~PrivateSystemBus();
    PrivateSystemBus(const PrivateSystemBus&) = delete;
    PrivateSystemBus& operator=(const PrivateSystemBus&) = delete;

    const std::string& address() const { return address_; }

private:
    std::filesystem::path folder_;
    pid_t pid_ = -1;
    std::string address_;
};

}  // namespace quorvel::testing
