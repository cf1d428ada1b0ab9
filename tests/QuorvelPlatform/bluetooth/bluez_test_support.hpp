#pragma once

// What the BlueZ tests share: the private bus's address, a delegate that records every call and
// can play the daemon's part (publish once powered on, advertise once published), and a fixture
// with a fake BlueZ and a peripheral on the system bus.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDBusConnection>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "QuorvelPlatform/bluetooth/bluez_peripheral.hpp"
#include "QuorvelShared/messages/ble_local_identity.hpp"
#include "bluez/fake_bluez.hpp"
#include "bluez/simulated_phone.hpp"
#include "testkit/qt_wait.hpp"

namespace quorvel::testing {

extern std::string privateSystemBusAddress;

using bluetooth::AdapterState;
using bluetooth::AttResult;
using bluetooth::BlePeripheralDelegate;
using bluetooth::GattServiceLayout;
using bluetooth::SubscribedCentral;
using bluetooth::WriteRequest;

inline GattServiceLayout testLayout(const std::string& macDeviceId = "mac_test") {
    return {BLELocalAdvertisementIdentity::serviceUUID(macDeviceId),
            std::string(BLELocalPrototypeUUIDs::macToIOS),
            std::string(BLELocalPrototypeUUIDs::iosToMac)};
}

class RecordingDelegate final : public BlePeripheralDelegate {
public:
    // When set, powered on publishes `layout`, and a published service starts advertising, as
    // the daemon does.
    bluetooth::BlePeripheral* publishing = nullptr;
    GattServiceLayout layout = testLayout();
    // Answers every write with this result unless `keepWrites` holds them back.
    AttResult answer = AttResult::success;
    bool keepWrites = false;

    std::vector<AdapterState> states;
    std::vector<std::optional<std::string>> servicesAdded;
    std::vector<std::optional<std::string>> advertisingStarts;
    std::vector<SubscribedCentral> subscribed;
    std::vector<std::string> unsubscribed;
    int readyCount = 0;
    std::vector<WriteRequest> keptWrites;
    std::vector<std::pair<std::string, Bytes>> writes;  // central and value
    std::vector<bool> writesWithValue;                  // whether each write carried a value

    void adapterStateChanged(AdapterState state) override {
        states.push_back(state);
        if (publishing && state == AdapterState::poweredOn) {
            publishing->removeAllServices();
            publishing->addService(layout);
        }
    }
    void serviceAdded(const std::optional<std::string>& error) override {
        servicesAdded.push_back(error);
        if (publishing && !error && !publishing->isAdvertising()) {
            publishing->startAdvertising(layout.serviceUUID);
        }
    }
    void advertisingStarted(const std::optional<std::string>& error) override {
        advertisingStarts.push_back(error);
    }
    void centralSubscribed(const SubscribedCentral& central, const std::string& uuid) override {
        EXPECT_EQ(uuid, layout.notifyCharacteristicUUID);
        subscribed.push_back(central);
    }
    void centralUnsubscribed(const std::string& identifier, const std::string& uuid) override {
        EXPECT_EQ(uuid, layout.notifyCharacteristicUUID);
        unsubscribed.push_back(identifier);
    }
    void readyToUpdateSubscribers() override { ++readyCount; }
    void receivedWrites(std::vector<WriteRequest> requests) override {
        for (WriteRequest& request : requests) {
            EXPECT_EQ(request.characteristicUUID, layout.writeCharacteristicUUID);
            writes.emplace_back(request.centralIdentifier, request.value.value_or(Bytes{}));
            writesWithValue.push_back(request.value.has_value());
            if (keepWrites) {
                keptWrites.push_back(std::move(request));
            } else {
                request.responder.respond(answer);
            }
        }
    }
};

// A fake BlueZ, powered on, and a peripheral whose delegate publishes and advertises.
class BlueZFixture : public ::testing::Test {
protected:
    void SetUp() override {
        bluez = std::make_unique<FakeBlueZ>(QString::fromStdString(privateSystemBusAddress));
        startPeripheral();
    }
    void TearDown() override {
        peripheral.reset();
        bluez->takeCallsFrom(QDBusConnection::systemBus());
        bluez.reset();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    void startPeripheral() {
        peripheral = std::make_unique<bluetooth::BlueZPeripheral>(QDBusConnection::systemBus());
        delegate.publishing = peripheral.get();
        peripheral->setDelegate(&delegate);
    }
    // Waits until the application and the advertisement are registered `count` times in all.
    bool waitForPublication(int count = 1) {
        return testkit::runLoopUntil([&] {
            return bluez->applicationRegistrations() >= count &&
                   bluez->advertisementRegistrations() >= count &&
                   delegate.advertisingStarts.size() >= static_cast<std::size_t>(count);
        });
    }

    std::unique_ptr<FakeBlueZ> bluez;
    RecordingDelegate delegate;
    std::unique_ptr<bluetooth::BlueZPeripheral> peripheral;
};

}  // namespace quorvel::testing
