// Another program on a system bus whose policy lets it call our objects. Every method of every
// object we export, our interfaces' and the standard ones alike, answers it with an error and
// changes nothing; bluetoothd (the owner of org.bluez) is still served as before.
#include <gtest/gtest.h>

#include <QDBusArgument>
#include <QDBusPendingCallWatcher>
#include <QDBusUnixFileDescriptor>
#include <QDBusVariant>
#include <optional>

#include "bluez_test_support.hpp"

namespace quorvel::testing {
namespace {

namespace bluez = bluetooth::bluez;

const QString phone = QStringLiteral("/org/bluez/hci0/dev_AA_BB_CC_DD_EE_01");
const QString accessDenied = QStringLiteral("org.freedesktop.DBus.Error.AccessDenied");
const QString introspectable = QStringLiteral("org.freedesktop.DBus.Introspectable");

struct Call {
    const char* what;
    QString path;
    QString interface;
    QString member;
    QList<QVariant> arguments;
};

class ForeignCallerRobustness : public BlueZFixture {
protected:
    void SetUp() override {
        BlueZFixture::SetUp();
        ASSERT_TRUE(waitForPublication());
        stranger = std::make_unique<QDBusConnection>(QDBusConnection::connectToBus(
            QString::fromStdString(privateSystemBusAddress), QStringLiteral("stranger")));
        ASSERT_TRUE(stranger->isConnected());
    }
    void TearDown() override {
        stranger.reset();
        QDBusConnection::disconnectFromBus(QStringLiteral("stranger"));
        BlueZFixture::TearDown();
    }

    // Calls our object from `from` and waits for the answer, with the loop running: the
    // peripheral answers on this thread.
    QDBusMessage callFrom(const QDBusConnection& from, const Call& call) {
        QDBusMessage message = QDBusMessage::createMethodCall(
            bluez->application()->owner, call.path, call.interface, call.member);
        message.setArguments(call.arguments);
        std::optional<QDBusMessage> answer;
        auto* watcher = new QDBusPendingCallWatcher(from.asyncCall(message), peripheral.get());
        QObject::connect(watcher, &QDBusPendingCallWatcher::finished, [&answer, watcher] {
            answer = watcher->reply();
            watcher->deleteLater();
        });
        EXPECT_TRUE(testkit::runLoopUntil([&] { return answer.has_value(); })) << call.what;
        return answer.value_or(QDBusMessage());
    }

    QVariantMap phoneOptions() const {
        return {{"device", QVariant::fromValue(QDBusObjectPath(phone))},
                {"mtu", QVariant::fromValue(static_cast<ushort>(185))}};
    }

    std::unique_ptr<QDBusConnection> stranger;
};

TEST_F(ForeignCallerRobustness, AForeignReleaseIsRefusedAndAdvertisingGoesOn) {
    const QString ad = bluez->advertisement()->path;
    const std::vector<AdapterState> states = delegate.states;
    const QDBusMessage refused =
        callFrom(*stranger, {"Release", ad, bluez::advertisementInterface, "Release", {}});
    EXPECT_EQ(refused.type(), QDBusMessage::ErrorMessage);
    EXPECT_EQ(refused.errorName().toStdString(), accessDenied.toStdString());
    // Whatever the refused call might have set going would run here.
    testkit::drainLoop();
    EXPECT_TRUE(peripheral->isAdvertising());
    EXPECT_EQ(delegate.advertisingStarts.size(), 1u);
    EXPECT_EQ(delegate.states, states);
    ASSERT_TRUE(bluez->advertisement());
    // bluetoothd still reads the advertisement it registered.
    const QDBusMessage read = callFrom(
        bluez->bus(),
        {"GetAll", ad, bluez::propertiesInterface, "GetAll", {bluez::advertisementInterface}});
    ASSERT_EQ(read.type(), QDBusMessage::ReplyMessage) << read.errorMessage().toStdString();
    EXPECT_EQ(qdbus_cast<QVariantMap>(read.arguments().value(0)).value("Type").toString(),
              "peripheral");
}

TEST_F(ForeignCallerRobustness, EveryMethodOfEveryObjectRefusesAForeignCaller) {
    const auto& app = *bluez->application();
    const QString ad = bluez->advertisement()->path;
    const QString characteristic = bluez::gattCharacteristicInterface;
    const QString properties = bluez::propertiesInterface;
    const Call calls[] = {
        {"application: GetManagedObjects",
         app.path,
         bluez::objectManagerInterface,
         "GetManagedObjects",
         {}},
        {"application: Introspect", app.path, introspectable, "Introspect", {}},
        {"service: GetAll", app.servicePath, properties, "GetAll", {bluez::gattServiceInterface}},
        {"service: Get", app.servicePath, properties, "Get", {bluez::gattServiceInterface, "UUID"}},
        {"service: Introspect", app.servicePath, introspectable, "Introspect", {}},
        {"notify: AcquireNotify",
         app.notifyPath,
         characteristic,
         "AcquireNotify",
         {phoneOptions()}},
        {"notify: StartNotify", app.notifyPath, characteristic, "StartNotify", {}},
        {"notify: StopNotify", app.notifyPath, characteristic, "StopNotify", {}},
        {"notify: Get", app.notifyPath, properties, "Get", {characteristic, "NotifyAcquired"}},
        {"notify: Set",
         app.notifyPath,
         properties,
         "Set",
         {characteristic, "NotifyAcquired", QVariant::fromValue(QDBusVariant(true))}},
        {"write: WriteValue",
         app.writePath,
         characteristic,
         "WriteValue",
         {QByteArray("\x01\x02", 2), phoneOptions()}},
        {"write: GetAll", app.writePath, properties, "GetAll", {characteristic}},
        {"advertisement: Release", ad, bluez::advertisementInterface, "Release", {}},
        {"advertisement: GetAll", ad, properties, "GetAll", {bluez::advertisementInterface}},
        {"advertisement: Set",
         ad,
         properties,
         "Set",
         {bluez::advertisementInterface, "Type", QVariant::fromValue(QDBusVariant("broadcast"))}},
        {"advertisement: Introspect", ad, introspectable, "Introspect", {}},
        {"advertisement: a method it does not have",
         ad,
         bluez::advertisementInterface,
         "Unknown",
         {}},
    };
    for (const Call& call : calls) {
        const QDBusMessage answer = callFrom(*stranger, call);
        EXPECT_EQ(answer.type(), QDBusMessage::ErrorMessage) << call.what;
        EXPECT_EQ(answer.errorName().toStdString(), accessDenied.toStdString()) << call.what;
    }
    testkit::drainLoop();
    EXPECT_TRUE(delegate.writes.empty());
    EXPECT_TRUE(delegate.subscribed.empty());
    EXPECT_TRUE(peripheral->isAdvertising());
    EXPECT_EQ(bluez->applicationRegistrations(), 1);
    EXPECT_EQ(bluez->advertisementRegistrations(), 1);
    EXPECT_EQ(delegate.advertisingStarts.size(), 1u);

    // bluetoothd's own calls are answered as before.
    const Call served[] = {
        {"application: GetManagedObjects",
         app.path,
         bluez::objectManagerInterface,
         "GetManagedObjects",
         {}},
        {"application: Introspect", app.path, introspectable, "Introspect", {}},
        {"service: Get", app.servicePath, properties, "Get", {bluez::gattServiceInterface, "UUID"}},
        {"advertisement: GetAll", ad, properties, "GetAll", {bluez::advertisementInterface}},
    };
    for (const Call& call : served) {
        const QDBusMessage answer = callFrom(bluez->bus(), call);
        EXPECT_EQ(answer.type(), QDBusMessage::ReplyMessage)
            << call.what << ": " << answer.errorMessage().toStdString();
    }
    const QDBusMessage objects = callFrom(bluez->bus(), served[0]);
    EXPECT_EQ(qdbus_cast<bluez::ManagedObjects>(objects.arguments().value(0)), app.objects);
    // A property it cannot change is refused to bluetoothd too; a method it does not have is
    // unknown.
    const QDBusMessage set = callFrom(bluez->bus(), calls[9]);
    EXPECT_EQ(set.errorName().toStdString(), "org.freedesktop.DBus.Error.PropertyReadOnly");
    const QDBusMessage unknown = callFrom(bluez->bus(), calls[16]);
    EXPECT_EQ(unknown.errorName().toStdString(), "org.freedesktop.DBus.Error.UnknownMethod");
    EXPECT_TRUE(bluez->problems().isEmpty()) << bluez->problems().join("; ").toStdString();
}

}  // namespace
}  // namespace quorvel::testing
