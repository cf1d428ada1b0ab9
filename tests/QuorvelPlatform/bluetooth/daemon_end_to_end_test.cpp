// The real QuorvelNativeHost --ble-bridge-daemon on the private system bus, against the fake
// BlueZ and the simulated phone: the whole road from the mailbox to the phone and back.
#include <gtest/gtest.h>

#include <QProcess>
#include <cmath>
#include <filesystem>

#include "QuorvelPlatform/keychain/secret_service_keychain.hpp"
#include "QuorvelPlatform/notifications/dbus_notification_poster.hpp"
#include "QuorvelShared/bridge/ble_local_bridge_store.hpp"
#include "QuorvelShared/bridge/ble_local_connection_store.hpp"
#include "QuorvelShared/bridge/ble_local_pairing_session_store.hpp"
#include "QuorvelShared/bridge/mac_link_configuration_store.hpp"
#include "QuorvelShared/crypto/unlock_context_signing.hpp"
#include "QuorvelShared/devicekeys/keychain_device_key_store.hpp"
#include "QuorvelShared/support/clock.hpp"
#include "QuorvelShared/support/notifications.hpp"
#include "QuorvelShared/support/uuid.hpp"
#include "QuorvelShared/unlockstate/synced_target_state_store.hpp"
#include "bluez/daemon_process.hpp"
#include "bluez/phone_protocol.hpp"
#include "bluez_test_support.hpp"
#include "testkit/temp_xdg.hpp"

#ifdef QUORVEL_NATIVE_HOST

namespace quorvel::testing {
namespace {

using Kind = BLELocalPrototypeMessageKind;

const QString phonePath = QStringLiteral("/org/bluez/hci0/dev_AA_BB_CC_DD_EE_01");

Date wholeSecondsFromNow(double seconds) {
    return Date{std::floor(systemClock().now().secondsSinceReferenceDate) + seconds};
}

QString lower(const std::string& text) {
    return QString::fromStdString(text).toLower();
}

class DaemonEndToEnd : public ::testing::Test {
protected:
    void SetUp() override {
        installDBusNotificationPoster();
        bluez = std::make_unique<FakeBlueZ>(QString::fromStdString(privateSystemBusAddress));
    }

    void TearDown() override {
        if (daemon.state() != QProcess::NotRunning) {
            daemon.closeWriteChannel();
            if (!testkit::runLoopUntil([&] { return daemon.state() == QProcess::NotRunning; })) {
                daemon.kill();
                daemon.waitForFinished();
            }
            EXPECT_EQ(daemon.exitCode(), 0);
        }
        phone.reset();
        bluez.reset();
    }

    void startDaemon() {
        ASSERT_TRUE(startBridgeDaemon(daemon, QStringLiteral(QUORVEL_NATIVE_HOST)));
    }

    void saveLink() {
        MacLinkConfigurationStore::save({"https://api.example.com", "", macDeviceId,
                                         identity.iosDeviceId, identity.signingPublicKeyBase64(),
                                         identity.encryptionPublicKeyBase64(), 600, 120});
    }

    // Until the daemon's application and advertisement carry this service UUID.
    bool waitForService(const std::string& serviceUUID) {
        return testkit::runLoopUntil([&] {
            const auto& app = bluez->application();
            const auto& ad = bluez->advertisement();
            return app && ad &&
                   app->objects.value(QDBusObjectPath(app->servicePath))
                           .value(bluetooth::bluez::gattServiceInterface)
                           .value("UUID")
                           .toString() == lower(serviceUUID) &&
                   ad->properties.value("ServiceUUIDs").toStringList() ==
                       QStringList{lower(serviceUUID)};
        });
    }

    // Subscribes the phone and waits for the state-refresh request every subscription brings.
    void connectPhone() {
        phone = std::make_unique<SimulatedPhone>(*bluez, phonePath, 185);
        phone->subscribe();
        ASSERT_TRUE(
            testkit::runLoopUntil([&] { return received(Kind::stateRefreshRequest).has_value(); }));
    }

    std::optional<BLELocalPrototypeWireMessage> received(
        Kind kind, const std::optional<std::string>& requestId = {}) {
        for (const auto& message : phone->wireMessages()) {
            if (message.kind == kind && (!requestId || message.requestId == requestId))
                return message;
        }
        return std::nullopt;
    }

    // Sends and waits for every frame's answer; returns the last one.
    std::uint8_t send(const BLELocalPrototypeWireMessage& message) {
        const std::size_t before = phone->writeResults().size();
        phone->sendMessage(message);
        EXPECT_TRUE(testkit::runLoopUntil([&] { return !phone->writesPending(); }));
        EXPECT_GT(phone->writeResults().size(), before);
        return phone->writeResults().back();
    }

    std::string requestUnlock() {
        const std::string requestId = "req_" + newUuidText();
        BLELocalBridgeStore::saveRequest(
            {requestId,
             BLELocalPrototypeWireMessage::unlockRequest(requestId, "sealed-context",
                                                         wholeSecondsFromNow(3600),
                                                         wholeSecondsFromNow(30), macDeviceId),
             60});
        postNotification(BLELocalBridgeStore::requestNotification);
        return requestId;
    }

    testkit::TempXdgHome home;
    PhoneIdentity identity = PhoneIdentity::generate("ios_" + newUuidText());
    std::string macDeviceId = "mac_" + newUuidText();
    std::unique_ptr<FakeBlueZ> bluez;
    std::unique_ptr<SimulatedPhone> phone;
    QProcess daemon;
};

TEST_F(DaemonEndToEnd, UnlockRequestReachesThePhoneAndTheSignedApprovalComesBackAsSigned) {
    saveLink();
    startDaemon();
    ASSERT_TRUE(waitForService(BLELocalAdvertisementIdentity::serviceUUID(macDeviceId)));
    connectPhone();

    const std::string requestId = requestUnlock();
    ASSERT_TRUE(testkit::runLoopUntil(
        [&] { return received(Kind::unlockRequest, requestId).has_value(); }));
    EXPECT_EQ(received(Kind::unlockRequest, requestId)->macDeviceId, macDeviceId);

    const auto receipt = phone::unlockReceipt(identity, requestId);
    EXPECT_EQ(send(receipt), 0x00);
    ASSERT_TRUE(testkit::runLoopUntil([&] {
        const auto response = BLELocalBridgeStore::loadResponse(requestId);
        return response && !response->completed && response->message == receipt;
    }));

    const Date until = wholeSecondsFromNow(600);
    const auto approval = phone::unlockApproval(identity, requestId, 600, until);
    EXPECT_EQ(send(approval), 0x00);
    std::optional<BLELocalBridgeResponse> response;
    ASSERT_TRUE(testkit::runLoopUntil([&] {
        response = BLELocalBridgeStore::loadResponse(requestId);
        return response && response->completed;
    }));
    ASSERT_EQ(response->message, approval);
    EXPECT_FALSE(response->error.has_value());
    // The requester's own check decides, over exactly what the phone signed.
    EXPECT_TRUE(UnlockContextCrypto::verifyApprovalSignature(
        *response->message->approvalSignature, {requestId, 600, until, identity.iosDeviceId},
        identity.signingPublicKeyBase64()));

    // The same approval again answers nothing pending: refused, never written as a response.
    EXPECT_EQ(send(approval), 0x0E);
    EXPECT_EQ(BLELocalBridgeStore::loadResponse(requestId), response);
    EXPECT_EQ(phone->frameErrors(), 0);
    EXPECT_TRUE(bluez->problems().isEmpty()) << bluez->problems().join("; ").toStdString();
}

TEST_F(DaemonEndToEnd, ApprovalForARequestNobodyMadeIsRefusedAndNotWritten) {
    saveLink();
    startDaemon();
    ASSERT_TRUE(waitForService(BLELocalAdvertisementIdentity::serviceUUID(macDeviceId)));
    connectPhone();
    const std::string requestId = "req_" + newUuidText();
    EXPECT_EQ(send(phone::unlockApproval(identity, requestId, 600, wholeSecondsFromNow(600))),
              0x0E);
    EXPECT_FALSE(BLELocalBridgeStore::loadResponse(requestId).has_value());
}

// A write of no bytes carries no value: "request not supported", unlike a frame the daemon
// cannot read.
TEST_F(DaemonEndToEnd, AZeroLengthWriteIsAnsweredRequestNotSupported) {
    startDaemon();
    ASSERT_TRUE(waitForService(std::string(BLELocalPrototypeUUIDs::service)));
    connectPhone();
    phone->writeFrame(Bytes{});
    phone->writeFrame(Bytes{'Q', 'V'});
    ASSERT_TRUE(testkit::runLoopUntil([&] { return !phone->writesPending(); }));
    ASSERT_EQ(phone->writeResults().size(), 2u);
    EXPECT_EQ(phone->writeResults()[0], 0x06);
    EXPECT_EQ(phone->writeResults()[1], 0x0E);
}

TEST_F(DaemonEndToEnd, PairingApprovalForTheOfferWritesTheLinkFile) {
    const DeviceKeyPair macKeys{P256SigningPrivateKey::generate(),
                                P256KeyAgreementPrivateKey::generate()};
    const BLELocalPairingSession session{"pair_" + newUuidText(), "482913",
                                         wholeSecondsFromNow(300), macDeviceId,
                                         macKeys.publicKeys()};
    BLELocalPairingSessionStore::save(session);
    startDaemon();
    ASSERT_TRUE(waitForService(std::string(BLELocalPrototypeUUIDs::service)));
    connectPhone();

    const std::string refusedId = "event_" + newUuidText();
    EXPECT_EQ(send(phone::pairingApproval(identity, refusedId, session.sessionId, "482914")), 0x00);
    ASSERT_TRUE(testkit::runLoopUntil(
        [&] { return received(Kind::pairingResult, refusedId).has_value(); }));
    EXPECT_EQ(received(Kind::pairingResult, refusedId)->pairingAccepted, false);
    EXPECT_EQ(received(Kind::pairingResult, refusedId)->pairingError,
              "コードまたは有効期限を確認してください");
    EXPECT_FALSE(MacLinkConfigurationStore::load().has_value());

    const std::string acceptedId = "event_" + newUuidText();
    EXPECT_EQ(send(phone::pairingApproval(identity, acceptedId, session.sessionId, session.code)),
              0x00);
    ASSERT_TRUE(testkit::runLoopUntil(
        [&] { return received(Kind::pairingResult, acceptedId).has_value(); }));
    EXPECT_EQ(received(Kind::pairingResult, acceptedId)->pairingAccepted, true);
    const auto link = MacLinkConfigurationStore::load();
    ASSERT_TRUE(link.has_value());
    EXPECT_EQ(link->macDeviceId, macDeviceId);
    EXPECT_EQ(link->iosDeviceId, identity.iosDeviceId);
    EXPECT_EQ(link->iosSigningPublicKeyBase64, identity.signingPublicKeyBase64());
    EXPECT_EQ(link->iosEncryptionPublicKeyBase64, identity.encryptionPublicKeyBase64());
    // A moment later the Mac advertises its own identity.
    EXPECT_TRUE(waitForService(BLELocalAdvertisementIdentity::serviceUUID(macDeviceId)));
}

// Until the status file holds this status word and detail; a failure tells what it held.
::testing::AssertionResult waitForStatus(const std::string& status, const std::string& detail) {
    std::string held = "no file";
    if (testkit::runLoopUntil([&] {
            try {
                const auto snapshot = BLELocalConnectionStore::load();
                held = snapshot ? snapshot->status.word() + " / " + snapshot->detail.value_or("")
                                : std::string("no file");
                return snapshot && snapshot->status.word() == status && snapshot->detail == detail;
            } catch (const std::exception& error) {
                held = std::string("a file that does not load: ") + error.what();
                return false;
            }
        })) {
        return ::testing::AssertionSuccess();
    }
    return ::testing::AssertionFailure() << "the status file holds " << held;
}

TEST_F(DaemonEndToEnd, AdapterOffAndBlueZRestartShowInTheStatusFileAndRegisterAfresh) {
    saveLink();
    startDaemon();
    const std::string service = BLELocalAdvertisementIdentity::serviceUUID(macDeviceId);
    ASSERT_TRUE(waitForService(service));
    ASSERT_TRUE(waitForStatus("advertising", "iPhoneを待っています"));
    connectPhone();
    ASSERT_TRUE(waitForStatus(
        "connected",
        "iPhoneからのBluetooth応答履歴あり。現在の到達は解除申請の送信時に確認します"));

    bluez->setPowered(false);
    ASSERT_TRUE(waitForStatus("off", "MacのBluetoothがオフです"));
    bluez->setPowered(true);
    ASSERT_TRUE(testkit::runLoopUntil([&] { return bluez->applicationRegistrations() == 2; }));
    ASSERT_TRUE(waitForService(service));
    ASSERT_TRUE(waitForStatus("advertising", "iPhoneを待っています"));

    bluez->releaseName();
    ASSERT_TRUE(waitForStatus("starting", "Bluetoothを再準備中"));
    bluez->claimName();
    ASSERT_TRUE(testkit::runLoopUntil([&] { return bluez->applicationRegistrations() == 3; }));
    ASSERT_TRUE(waitForService(service));
    ASSERT_TRUE(waitForStatus("advertising", "iPhoneを待っています"));
    EXPECT_TRUE(bluez->problems().isEmpty()) << bluez->problems().join("; ").toStdString();
}

// Another client of the system bus asks the daemon's advertisement to go (Release, which only
// bluetoothd may send): it is refused, the daemon goes on advertising with the status it had, and
// the phone still reaches it.
class DaemonForeignCallerRobustness : public DaemonEndToEnd {};

TEST_F(DaemonForeignCallerRobustness, AForeignReleaseChangesNothingAndThePhoneStillGetsThrough) {
    saveLink();
    startDaemon();
    ASSERT_TRUE(waitForService(BLELocalAdvertisementIdentity::serviceUUID(macDeviceId)));
    connectPhone();
    ASSERT_TRUE(waitForStatus(
        "connected",
        "iPhoneからのBluetooth応答履歴あり。現在の到達は解除申請の送信時に確認します"));
    const auto status = BLELocalConnectionStore::load();

    QDBusConnection stranger = QDBusConnection::connectToBus(
        QString::fromStdString(privateSystemBusAddress), QStringLiteral("stranger"));
    const auto callAdvertisement = [&](const QDBusConnection& from, const QString& interface,
                                       const QString& member, const QList<QVariant>& arguments) {
        QDBusMessage call = QDBusMessage::createMethodCall(
            bluez->advertisement()->owner, bluez->advertisement()->path, interface, member);
        call.setArguments(arguments);
        // The daemon is another process: this one may wait for its answer.
        return from.call(call, QDBus::Block, 60'000);
    };
    const QDBusMessage refused =
        callAdvertisement(stranger, bluetooth::bluez::advertisementInterface, "Release", {});
    QDBusConnection::disconnectFromBus(QStringLiteral("stranger"));
    EXPECT_EQ(refused.type(), QDBusMessage::ErrorMessage);
    EXPECT_EQ(refused.errorName().toStdString(), "org.freedesktop.DBus.Error.AccessDenied");

    // bluetoothd still reads the advertisement it registered, after the refusal was handled.
    const QDBusMessage read =
        callAdvertisement(bluez->bus(), bluetooth::bluez::propertiesInterface, "GetAll",
                          {bluetooth::bluez::advertisementInterface});
    EXPECT_EQ(read.type(), QDBusMessage::ReplyMessage) << read.errorMessage().toStdString();
    EXPECT_EQ(BLELocalConnectionStore::load(), status);
    EXPECT_EQ(bluez->advertisementRegistrations(), 1);

    const std::string requestId = requestUnlock();
    EXPECT_TRUE(testkit::runLoopUntil(
        [&] { return received(Kind::unlockRequest, requestId).has_value(); }));
}

TEST_F(DaemonEndToEnd, UnpairRemovesTheLinkAndReturnsToTheDefaultIdentity) {
    saveLink();
    startDaemon();
    ASSERT_TRUE(waitForService(BLELocalAdvertisementIdentity::serviceUUID(macDeviceId)));
    connectPhone();
    // Signed by another key: ignored.
    auto forged = phone::unpair(identity, "unpair_" + newUuidText(), macDeviceId);
    forged.trustSignature =
        phone::unpair(PhoneIdentity::generate(identity.iosDeviceId), *forged.requestId, macDeviceId)
            .trustSignature;
    EXPECT_EQ(send(forged), 0x00);
    EXPECT_TRUE(MacLinkConfigurationStore::load().has_value());

    EXPECT_EQ(send(phone::unpair(identity, "unpair_" + newUuidText(), macDeviceId)), 0x00);
    EXPECT_FALSE(MacLinkConfigurationStore::load().has_value());
    EXPECT_TRUE(waitForService(std::string(BLELocalPrototypeUUIDs::service)));
}

class DaemonWithMacKeys : public DaemonEndToEnd {
protected:
    void SetUp() override {
        DaemonEndToEnd::SetUp();
        // The daemon finds these keys in the session's keyring, as the application left them.
        KeychainDeviceKeyStore store(std::make_shared<SecretServiceKeychain>(),
                                     "app.quorvel.device-keys");
        macKeys = store.loadOrCreateDeviceKeys(macDeviceId);
        saveLink();
        startDaemon();
        ASSERT_TRUE(waitForService(BLELocalAdvertisementIdentity::serviceUUID(macDeviceId)));
        connectPhone();
    }

    SyncedTargetList list(std::int64_t version) const {
        SyncedWebTarget target;
        target.id = "link:app_target_1#example.com";
        target.domain = "example.com";
        target.displayName = "Example";
        target.linkedTargetId = "app_target_1";
        SyncedTargetList built;
        built.version = version;
        built.generatedAt = Date{820000000};
        built.webTargets = {target};
        return built;
    }

    // The daemon applies a message before it answers the write of its last frame, so a file it
    // would have written is there once send() returns. A reply it would have sent goes out on
    // the notify socket ahead of the reply to a later message: this sends a pairing approval
    // for an offer nobody made and waits for its refusal, after which nothing earlier is owed.
    void waitForEarlierReplies() {
        const std::string markerId = "event_" + newUuidText();
        EXPECT_EQ(
            send(phone::pairingApproval(identity, markerId, "pair_" + newUuidText(), "000000")),
            0x00);
        ASSERT_TRUE(testkit::runLoopUntil(
            [&] { return received(Kind::pairingResult, markerId).has_value(); }));
        EXPECT_EQ(received(Kind::pairingResult, markerId)->pairingAccepted, false);
    }

    std::optional<DeviceKeyPair> macKeys;
};

TEST_F(DaemonWithMacKeys, SealedTargetListBecomesTheSyncedTargetFile) {
    const auto sync =
        phone::targetSync(identity, "sync_" + newUuidText(), list(3),
                          macKeys->publicKeys().encryptionPublicKeyBase64, macDeviceId);
    EXPECT_EQ(send(sync), 0x00);
    ASSERT_TRUE(
        testkit::runLoopUntil([&] { return received(Kind::targetSyncReceipt).has_value(); }));
    EXPECT_EQ(received(Kind::targetSyncReceipt)->targetSyncVersion, 3);
    const auto stored = SyncedTargetStateStore::load();
    ASSERT_TRUE(stored.has_value());
    EXPECT_EQ(*stored, list(3));
}

TEST_F(DaemonWithMacKeys, TargetListWithABadTrustSignatureChangesNothing) {
    auto sync = phone::targetSync(identity, "sync_" + newUuidText(), list(3),
                                  macKeys->publicKeys().encryptionPublicKeyBase64, macDeviceId);
    const PhoneIdentity stranger = PhoneIdentity::generate(identity.iosDeviceId);
    sync.trustSignature =
        phone::targetSync(stranger, *sync.requestId, list(3),
                          macKeys->publicKeys().encryptionPublicKeyBase64, macDeviceId)
            .trustSignature;
    EXPECT_EQ(send(sync), 0x00);
    waitForEarlierReplies();
    EXPECT_FALSE(std::filesystem::exists(SyncedTargetStateStore::filePath()));
    EXPECT_FALSE(received(Kind::targetSyncReceipt).has_value());
}

TEST_F(DaemonWithMacKeys, LinkedUnlockWithABadSignatureChangesNothing) {
    EXPECT_EQ(send(phone::targetSync(identity, "sync_" + newUuidText(), list(3),
                                     macKeys->publicKeys().encryptionPublicKeyBase64, macDeviceId)),
              0x00);
    ASSERT_TRUE(
        testkit::runLoopUntil([&] { return received(Kind::targetSyncReceipt).has_value(); }));
    const auto allowWindows =
        MacLinkConfigurationStore::applicationSupportDirectory() / "allow-windows.json";

    auto forged =
        phone::linkedUnlock(identity, macDeviceId, "app_target_1", 1, wholeSecondsFromNow(600));
    forged.linkedSignature =
        phone::linkedUnlock(PhoneIdentity::generate(identity.iosDeviceId), macDeviceId,
                            "app_target_1", 1, wholeSecondsFromNow(600))
            .linkedSignature;
    EXPECT_EQ(send(forged), 0x00);
    waitForEarlierReplies();
    EXPECT_FALSE(std::filesystem::exists(allowWindows));
    EXPECT_FALSE(received(Kind::linkedUnlockReceipt).has_value());

    // The same unlock signed by the paired phone opens the linked web target.
    EXPECT_EQ(send(phone::linkedUnlock(identity, macDeviceId, "app_target_1", 1,
                                       wholeSecondsFromNow(600))),
              0x00);
    ASSERT_TRUE(
        testkit::runLoopUntil([&] { return received(Kind::linkedUnlockReceipt).has_value(); }));
    EXPECT_TRUE(std::filesystem::exists(allowWindows));
}

}  // namespace
}  // namespace quorvel::testing

#endif
