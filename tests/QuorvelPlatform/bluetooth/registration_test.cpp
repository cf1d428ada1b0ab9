// What bluetoothd reads of our application and advertisement.
#include <gtest/gtest.h>

#include <QDBusObjectPath>

#include "bluez_test_support.hpp"

namespace quorvel::testing {
namespace {

namespace bluez = bluetooth::bluez;

QString lower(std::string_view text) {
    return QString::fromUtf8(text.data(), text.size()).toLower();
}

TEST_F(BlueZFixture, RegisteredTreeHoldsExactlyTheServiceAndItsTwoCharacteristics) {
    ASSERT_TRUE(waitForPublication());
    EXPECT_EQ(delegate.servicesAdded, (std::vector<std::optional<std::string>>{std::nullopt}));
    const auto& app = *bluez->application();
    ASSERT_EQ(app.objects.size(), 3);
    const auto service = app.objects.value(QDBusObjectPath(app.servicePath));
    ASSERT_EQ(service.keys(), QStringList{bluez::gattServiceInterface});
    const QVariantMap serviceProperties = service.value(bluez::gattServiceInterface);
    EXPECT_EQ(serviceProperties.value("UUID").toString(), lower(delegate.layout.serviceUUID));
    EXPECT_EQ(serviceProperties.value("Primary").toBool(), true);

    const QVariantMap notify = app.objects.value(QDBusObjectPath(app.notifyPath))
                                   .value(bluez::gattCharacteristicInterface);
    EXPECT_EQ(notify.value("UUID").toString(), lower(BLELocalPrototypeUUIDs::macToIOS));
    EXPECT_EQ(notify.value("Flags").toStringList(), QStringList{"notify"});
    EXPECT_TRUE(notify.contains("NotifyAcquired"));
    EXPECT_EQ(qvariant_cast<QDBusObjectPath>(notify.value("Service")).path(), app.servicePath);

    const QVariantMap write =
        app.objects.value(QDBusObjectPath(app.writePath)).value(bluez::gattCharacteristicInterface);
    EXPECT_EQ(write.value("UUID").toString(), lower(BLELocalPrototypeUUIDs::iosToMac));
    // Only "write": with write-without-response bluetoothd would drop our answers.
    EXPECT_EQ(write.value("Flags").toStringList(), QStringList{"write"});
    EXPECT_FALSE(write.contains("NotifyAcquired"));
    EXPECT_EQ(qvariant_cast<QDBusObjectPath>(write.value("Service")).path(), app.servicePath);

    // The notify characteristic comes first under the service.
    EXPECT_LT(app.notifyPath, app.writePath);
    EXPECT_TRUE(bluez->problems().isEmpty()) << bluez->problems().join("; ").toStdString();
}

TEST_F(BlueZFixture, AdvertisementIsConnectableWithTheServiceUuidAlone) {
    ASSERT_TRUE(waitForPublication());
    EXPECT_EQ(delegate.advertisingStarts, (std::vector<std::optional<std::string>>{std::nullopt}));
    EXPECT_TRUE(peripheral->isAdvertising());
    const QVariantMap properties = bluez->advertisement()->properties;
    EXPECT_EQ(properties.value("Type").toString(), "peripheral");
    EXPECT_EQ(properties.value("ServiceUUIDs").toStringList(),
              QStringList{lower(delegate.layout.serviceUUID)});
    EXPECT_EQ(properties.keys(), (QStringList{"ServiceUUIDs", "Type"}));
}

TEST_F(BlueZFixture, StoppingAdvertisingAndRemovingServicesUnregistersBoth) {
    ASSERT_TRUE(waitForPublication());
    peripheral->stopAdvertising();
    peripheral->removeAllServices();
    EXPECT_FALSE(peripheral->isAdvertising());
    ASSERT_TRUE(
        testkit::runLoopUntil([&] { return !bluez->application() && !bluez->advertisement(); }));
}

TEST_F(BlueZFixture, NewIdentityReplacesTheRegisteredApplication) {
    ASSERT_TRUE(waitForPublication());
    const GattServiceLayout next = testLayout("mac_other");
    peripheral->removeAllServices();
    peripheral->addService(next);
    ASSERT_TRUE(testkit::runLoopUntil([&] { return bluez->applicationRegistrations() == 2; }));
    const auto& app = *bluez->application();
    EXPECT_EQ(app.objects.value(QDBusObjectPath(app.servicePath))
                  .value(bluez::gattServiceInterface)
                  .value("UUID")
                  .toString(),
              lower(next.serviceUUID));
    EXPECT_TRUE(bluez->problems().isEmpty()) << bluez->problems().join("; ").toStdString();
}

TEST_F(BlueZFixture, AddingTheServiceWhilePoweredOffIsAnsweredWithAnError) {
    ASSERT_TRUE(waitForPublication());
    bluez->setPowered(false);
    ASSERT_TRUE(
        testkit::runLoopUntil([&] { return peripheral->state() == AdapterState::poweredOff; }));
    delegate.publishing = nullptr;
    const std::size_t before = delegate.servicesAdded.size();
    peripheral->addService(delegate.layout);
    ASSERT_TRUE(testkit::runLoopUntil([&] { return delegate.servicesAdded.size() == before + 1; }));
    EXPECT_TRUE(delegate.servicesAdded.back().has_value());
}

}  // namespace
}  // namespace quorvel::testing
