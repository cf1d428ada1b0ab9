// The main of the BlueZ tests: a private system bus for the whole program, started before
// anything asks Qt for the system bus, with the fake BlueZ and the peripheral meeting on it; and
// a private session bus, since the daemon these tests start posts and counts the shared
// notifications (fixed names), with a keyring of its own for the daemon's device keys.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <memory>

#include "bluez_test_support.hpp"
#include "bus/keyring_service.hpp"
#include "bus/private_bus.hpp"

namespace quorvel::testing {
std::string privateSystemBusAddress;
}

int main(int argc, char** argv) {
    using quorvel::testing::PrivateBus;
    ::testing::InitGoogleTest(&argc, argv);
    auto keyring = std::make_unique<quorvel::testing::KeyringService>();
    // The keychain reaches the keyring through GLib, which ends the process when its session
    // bus goes: this one lives as long as the process.
    auto sessionBus = std::make_unique<PrivateBus>(
        PrivateBus::Kind::session,
        PrivateBus::Options{.serviceFolders = {keyring->serviceFolder()}, .endsWithProcess = true});
    // Qt keeps its connection to the system bus until the process ends: the bus ends with the
    // process too, so that connection never sees its bus vanish under it.
    auto bus = std::make_unique<PrivateBus>(
        PrivateBus::Kind::system,
        PrivateBus::Options{.serviceFolders = {}, .endsWithProcess = true});
    quorvel::testing::privateSystemBusAddress = bus->address();
    int status = 0;
    {
        QCoreApplication app(argc, argv);
        status = RUN_ALL_TESTS();
    }
    bus.reset();
    sessionBus.reset();
    keyring.reset();
    return status;
}
