// Writes from the phone and the answers it receives.
#include <gtest/gtest.h>

#include <QDBusPendingCallWatcher>

#include "bluez_test_support.hpp"

namespace quorvel::testing {
namespace {

const QString phone = QStringLiteral("/org/bluez/hci0/dev_AA_BB_CC_DD_EE_01");

class WriteTest : public BlueZFixture {
protected:
    void SetUp() override {
        BlueZFixture::SetUp();
        ASSERT_TRUE(waitForPublication());
    }
    // A round trip from BlueZ's connection to the peripheral's: any answer the peripheral sent
    // before it has reached the phone once this returns.
    void roundTripToPeripheral() {
        const QDBusMessage ping = QDBusMessage::createMethodCall(
            bluez->application()->owner, QStringLiteral("/"),
            QStringLiteral("org.freedesktop.DBus.Peer"), QStringLiteral("Ping"));
        ASSERT_EQ(bluez->bus().call(ping).type(), QDBusMessage::ReplyMessage);
        testkit::drainLoop();
    }
};

struct ResultCase {
    AttResult result;
    QString errorName;     // what bluetoothd receives
    std::uint8_t attCode;  // what it tells the phone
};

TEST_F(WriteTest, ResultsReachThePhoneAsTheirAttCodes) {
    const ResultCase cases[] = {
        {AttResult::success, QString(), 0x00},
        {AttResult::requestNotSupported, QStringLiteral("org.bluez.Error.NotSupported"), 0x06},
        {AttResult::unlikelyError, QStringLiteral("app.quorvel.Error.UnlikelyError"), 0x0E},
    };
    for (const ResultCase& c : cases) {
        delegate.answer = c.result;
        std::optional<QString> name;
        bluez->write(phone, 185, Bytes{1, 2, 3},
                     [&](const QString& error, const QString&) { name = error; });
        ASSERT_TRUE(testkit::runLoopUntil([&] { return name.has_value(); }));
        EXPECT_EQ(*name, c.errorName);
        EXPECT_EQ(attCodeForWriteError(*name, {}), c.attCode);
    }
    ASSERT_EQ(delegate.writes.size(), 3u);
    EXPECT_EQ(delegate.writes[0],
              (std::pair<std::string, Bytes>{phone.toStdString(), Bytes{1, 2, 3}}));
}

TEST_F(WriteTest, AnswerMayComeLaterAndOnlyTheFirstCounts) {
    delegate.keepWrites = true;
    SimulatedPhone sender(*bluez, phone, 185);
    sender.writeFrame(Bytes{9});
    ASSERT_TRUE(testkit::runLoopUntil([&] { return delegate.keptWrites.size() == 1; }));
    roundTripToPeripheral();
    EXPECT_TRUE(sender.writeResults().empty());
    delegate.keptWrites[0].responder.respond(AttResult::requestNotSupported);
    delegate.keptWrites[0].responder.respond(AttResult::success);
    ASSERT_TRUE(testkit::runLoopUntil([&] { return sender.writeResults().size() == 1; }));
    EXPECT_EQ(sender.writeResults()[0], 0x06);
    // A second answer would have been a second reply to the same call.
    roundTripToPeripheral();
    EXPECT_EQ(sender.writeResults().size(), 1u);
}

TEST_F(WriteTest, ForgottenWriteIsAnsweredUnlikelyError) {
    delegate.keepWrites = true;
    SimulatedPhone sender(*bluez, phone, 185);
    sender.writeFrame(Bytes{9});
    ASSERT_TRUE(testkit::runLoopUntil([&] { return delegate.keptWrites.size() == 1; }));
    delegate.keptWrites.clear();
    ASSERT_TRUE(testkit::runLoopUntil([&] { return sender.writeResults().size() == 1; }));
    EXPECT_EQ(sender.writeResults()[0], 0x0E);
}

TEST_F(WriteTest, WritesWithoutDelegateAreAnsweredUnlikelyError) {
    peripheral->setDelegate(nullptr);
    SimulatedPhone sender(*bluez, phone, 185);
    sender.writeFrame(Bytes{9});
    ASSERT_TRUE(testkit::runLoopUntil([&] { return sender.writeResults().size() == 1; }));
    EXPECT_EQ(sender.writeResults()[0], 0x0E);
}

TEST_F(WriteTest, AZeroLengthWriteReachesTheDelegateWithoutAValue) {
    SimulatedPhone sender(*bluez, phone, 185);
    sender.writeFrame(Bytes{});
    sender.writeFrame(Bytes{7});
    ASSERT_TRUE(testkit::runLoopUntil([&] { return sender.writeResults().size() == 2; }));
    ASSERT_EQ(delegate.writesWithValue, (std::vector<bool>{false, true}));
}

TEST(AttCodes, BlueZMapsErrorNamesAsItsSourceDoes) {
    struct Case {
        const char* name;
        const char* text;
        std::uint8_t code;
    };
    const Case cases[] = {
        {"", "", 0x00},
        {"org.bluez.Error.NotSupported", "x", 0x06},
        {"org.freedesktop.DBus.Error.NotSupported", "x", 0x0E},
        {"org.bluez.Error.Failed", "0x91", 0x91},
        {"org.bluez.Error.Failed", "rejected", 0x80},
        {"org.bluez.Error.Failed", "0x05", 0x0E},
        {"org.bluez.Error.Failed", "", 0x0E},
        {"org.bluez.Error.NotPermitted", "", 0x03},
        {"app.quorvel.Error.UnlikelyError", "", 0x0E},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(attCodeForWriteError(c.name, c.text), c.code) << c.name << " " << c.text;
    }
}

}  // namespace
}  // namespace quorvel::testing

namespace quorvel::testing {
namespace {

// Another program on a bus whose policy lets it call our objects.
TEST_F(WriteTest, OnlyBlueZMayWriteOrSubscribe) {
    QDBusConnection stranger =
        QDBusConnection::connectToBus(QString::fromStdString(privateSystemBusAddress), "stranger");
    const auto& app = *bluez->application();
    const QVariantMap options{{"device", QVariant::fromValue(QDBusObjectPath(phone))},
                              {"mtu", QVariant::fromValue(static_cast<ushort>(185))}};

    QDBusMessage write = QDBusMessage::createMethodCall(
        app.owner, app.writePath, bluetooth::bluez::gattCharacteristicInterface, "WriteValue");
    write << QByteArray("\x01\x02", 2) << options;
    std::optional<QDBusMessage> writeAnswer;
    auto* writeWatcher = new QDBusPendingCallWatcher(stranger.asyncCall(write), peripheral.get());
    QObject::connect(writeWatcher, &QDBusPendingCallWatcher::finished,
                     [&] { writeAnswer = writeWatcher->reply(); });

    QDBusMessage acquire = QDBusMessage::createMethodCall(
        app.owner, app.notifyPath, bluetooth::bluez::gattCharacteristicInterface, "AcquireNotify");
    acquire << options;
    std::optional<QDBusMessage> acquireAnswer;
    auto* acquireWatcher =
        new QDBusPendingCallWatcher(stranger.asyncCall(acquire), peripheral.get());
    QObject::connect(acquireWatcher, &QDBusPendingCallWatcher::finished,
                     [&] { acquireAnswer = acquireWatcher->reply(); });

    ASSERT_TRUE(testkit::runLoopUntil([&] { return writeAnswer && acquireAnswer; }));
    EXPECT_EQ(writeAnswer->type(), QDBusMessage::ErrorMessage);
    EXPECT_EQ(acquireAnswer->type(), QDBusMessage::ErrorMessage);
    testkit::drainLoop();
    EXPECT_TRUE(delegate.writes.empty());
    EXPECT_TRUE(delegate.subscribed.empty());
    QDBusConnection::disconnectFromBus("stranger");
}

}  // namespace
}  // namespace quorvel::testing
