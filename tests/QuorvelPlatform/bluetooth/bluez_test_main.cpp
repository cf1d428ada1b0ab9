// The main of the BlueZ tests: a private system bus for the whole program, started before
// anything asks Qt for the system bus, with the fake BlueZ and the peripheral meeting on it.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <memory>

#include "bus/private_bus.hpp"
#include "bluez_test_support.hpp"

namespace quorvel::testing {
std::string privateSystemBusAddress;
}

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    auto bus = std::make_unique<quorvel::testing::PrivateBus>(
        quorvel::testing::PrivateBus::Kind::system);
    quorvel::testing::privateSystemBusAddress = bus->address();
    int status = 0;
    {
        QCoreApplication app(argc, argv);
        status = RUN_ALL_TESTS();
    }
    bus.reset();
    return status;
}
