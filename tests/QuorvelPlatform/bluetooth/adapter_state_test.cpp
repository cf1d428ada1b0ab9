// The adapter's state as the peripheral reports it, and registration after the adapter returns.
#include <gtest/gtest.h>

#include "bluez_test_support.hpp"

namespace quorvel::testing {
namespace {

const QString phone = QStringLiteral("/org/bluez/hci0/dev_AA_BB_CC_DD_EE_01");

std::vector<AdapterState> withoutFirstUnknown(std::vector<AdapterState> states) {
    if (!states.empty() && states.front() == AdapterState::unknown)
        states.erase(states.begin());
    return states;
}

TEST_F(BlueZFixture, StartsPoweredOnAndPublishes) {
    ASSERT_TRUE(waitForPublication());
    EXPECT_EQ(delegate.states.back(), AdapterState::poweredOn);
    EXPECT_EQ(peripheral->state(), AdapterState::poweredOn);
}

TEST_F(BlueZFixture, PoweredOffAndBackGivesOffThenOnAndAFreshRegistration) {
    ASSERT_TRUE(waitForPublication());
    bluez->setPowered(false);
    ASSERT_TRUE(
        testkit::runLoopUntil([&] { return delegate.states.back() == AdapterState::poweredOff; }));
    EXPECT_FALSE(peripheral->isAdvertising());
    ASSERT_TRUE(testkit::runLoopUntil([&] { return !bluez->advertisement(); }));
    bluez->setPowered(true);
    ASSERT_TRUE(waitForPublication(2));
    // The first report, before BlueZ answered, may be unknown.
    EXPECT_EQ(withoutFirstUnknown(delegate.states),
              (std::vector<AdapterState>{AdapterState::poweredOn, AdapterState::poweredOff,
                                         AdapterState::poweredOn}));
    EXPECT_TRUE(bluez->problems().isEmpty()) << bluez->problems().join("; ").toStdString();
}

TEST_F(BlueZFixture, PoweringOffEndsSubscriptionsOfUnbondedPhones) {
    ASSERT_TRUE(waitForPublication());
    SimulatedPhone simulated(*bluez, phone, 185);
    simulated.subscribe();
    ASSERT_TRUE(testkit::runLoopUntil(
        [&] { return simulated.subscribed() && delegate.subscribed.size() == 1; }));
    bluez->setPowered(false);
    ASSERT_TRUE(testkit::runLoopUntil([&] { return delegate.unsubscribed.size() == 1; }));
}

TEST_F(BlueZFixture, LossAndReturnOfBlueZGiveResettingThenOnAndAFreshRegistration) {
    ASSERT_TRUE(waitForPublication());
    SimulatedPhone simulated(*bluez, phone, 185);
    simulated.subscribe();
    ASSERT_TRUE(testkit::runLoopUntil(
        [&] { return simulated.subscribed() && delegate.subscribed.size() == 1; }));

    bluez->releaseName();
    ASSERT_TRUE(
        testkit::runLoopUntil([&] { return delegate.states.back() == AdapterState::resetting; }));
    EXPECT_FALSE(peripheral->isAdvertising());
    ASSERT_TRUE(testkit::runLoopUntil([&] { return delegate.unsubscribed.size() == 1; }));

    bluez->claimName();
    ASSERT_TRUE(testkit::runLoopUntil([&] {
        return bluez->applicationRegistrations() == 2 && bluez->advertisementRegistrations() == 2 &&
               delegate.advertisingStarts.size() == 2;
    }));
    EXPECT_EQ(withoutFirstUnknown(delegate.states),
              (std::vector<AdapterState>{AdapterState::poweredOn, AdapterState::resetting,
                                         AdapterState::poweredOn}));
    // The new bluetoothd knows only what we registered with it.
    EXPECT_TRUE(bluez->application().has_value());
    EXPECT_TRUE(bluez->advertisement().has_value());
    EXPECT_TRUE(bluez->problems().isEmpty()) << bluez->problems().join("; ").toStdString();
}

TEST_F(BlueZFixture, AdapterTakenAwayIsUnsupportedAndItsReturnIsOn) {
    ASSERT_TRUE(waitForPublication());
    bluez->setAdapterPresent(false);
    ASSERT_TRUE(
        testkit::runLoopUntil([&] { return delegate.states.back() == AdapterState::unsupported; }));
    bluez->setAdapterPresent(true);
    ASSERT_TRUE(
        testkit::runLoopUntil([&] { return delegate.states.back() == AdapterState::poweredOn; }));
    ASSERT_TRUE(waitForPublication(2));
}

class StartState : public ::testing::Test {
protected:
    void TearDown() override {
        peripheral.reset();
        if (bluez)
            bluez->takeCallsFrom(QDBusConnection::systemBus());
        bluez.reset();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    void start() {
        peripheral = std::make_unique<bluetooth::BlueZPeripheral>(QDBusConnection::systemBus());
        peripheral->setDelegate(&delegate);
    }
    std::unique_ptr<FakeBlueZ> bluez;
    RecordingDelegate delegate;
    std::unique_ptr<bluetooth::BlueZPeripheral> peripheral;
};

TEST_F(StartState, WithoutBlueZTheStateStaysUnknownUntilItAppears) {
    start();
    ASSERT_TRUE(testkit::runLoopUntil([&] { return !delegate.states.empty(); }));
    testkit::runLoopUntil([] { return false; }, 200);
    EXPECT_EQ(delegate.states, std::vector<AdapterState>{AdapterState::unknown});
    bluez = std::make_unique<FakeBlueZ>(QString::fromStdString(privateSystemBusAddress));
    ASSERT_TRUE(
        testkit::runLoopUntil([&] { return delegate.states.back() == AdapterState::poweredOn; }));
}

TEST_F(StartState, TableOfFirstReports) {
    struct Case {
        const char* name;
        bool powered;
        bool present;
        bool refuse;
        AdapterState expected;
    };
    const Case cases[] = {
        {"on", true, true, false, AdapterState::poweredOn},
        {"off", false, true, false, AdapterState::poweredOff},
        {"no adapter", true, false, false, AdapterState::unsupported},
        {"access denied", true, true, true, AdapterState::unauthorized},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        bluez =
            std::make_unique<FakeBlueZ>(QString::fromStdString(privateSystemBusAddress), c.powered);
        bluez->setAdapterPresent(c.present);
        bluez->setRefuseAccess(c.refuse);
        delegate = RecordingDelegate();
        start();
        ASSERT_TRUE(
            testkit::runLoopUntil([&] { return peripheral->state() != AdapterState::unknown; }));
        EXPECT_EQ(peripheral->state(), c.expected);
        ASSERT_TRUE(testkit::runLoopUntil(
            [&] { return !delegate.states.empty() && delegate.states.back() == c.expected; }));
        peripheral.reset();
        bluez->takeCallsFrom(QDBusConnection::systemBus());
        bluez.reset();
    }
}

}  // namespace
}  // namespace quorvel::testing
