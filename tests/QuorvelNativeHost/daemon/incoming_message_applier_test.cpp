#include "QuorvelNativeHost/daemon/incoming_message_applier.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>

#include "QuorvelNativeHost/host/native_host_error.hpp"
#include "QuorvelShared/bridge/ble_local_bridge_store.hpp"
#include "QuorvelShared/bridge/ble_local_pairing_session_store.hpp"
#include "QuorvelShared/bridge/mac_link_configuration_store.hpp"
#include "QuorvelShared/crypto/unlock_context_signing.hpp"
#include "QuorvelShared/support/base64.hpp"
#include "QuorvelShared/support/clock.hpp"
#include "QuorvelShared/unlockstate/allow_window_state_store.hpp"
#include "QuorvelShared/unlockstate/synced_target_state_store.hpp"
#include "QuorvelShared/unlockstate/target_sync_crypto.hpp"
#include "testkit/capture_error.hpp"
#include "testkit/recording_poster.hpp"
#include "testkit/temp_xdg.hpp"

namespace quorvel::daemon {
namespace {

using Message = BLELocalPrototypeWireMessage;
using Kind = BLELocalPrototypeMessageKind;

const std::string configurationChanged = "app.quorvel.bleBridge.configurationChanged";

class FixedDeviceKeys final : public DeviceKeyStoring {
public:
    DeviceKeyPair loadOrCreateDeviceKeys(const std::string& deviceId) override {
        askedFor = deviceId;
        return keys;
    }
    DeviceKeyPair keys{P256SigningPrivateKey::generate(), P256KeyAgreementPrivateKey::generate()};
    std::string askedFor;
};

// Whole seconds: dates travel as ISO text with whole seconds.
Date inSeconds(double seconds) {
    return Date{std::floor(systemClock().now().secondsSinceReferenceDate) + seconds};
}

class ApplierTest : public ::testing::Test {
protected:
    void link(const std::string& macDeviceId = "mac-1") {
        MacLinkConfigurationStore::save({"https://backend.example/", "token", macDeviceId, "ios-1",
                                         base64Encode(iosSigning.publicKey().rawRepresentation()),
                                         "ZW5j", 900, 240});
    }
    Message message(Kind kind, std::optional<std::string> requestId = "req-1") {
        Message m;
        m.kind = kind;
        m.requestId = std::move(requestId);
        m.iosDeviceId = "ios-1";
        return m;
    }
    std::string trust(Kind kind, const Message& m, std::optional<std::string> macDeviceId = {}) {
        return UnlockContextCrypto::signBLETrustedState(
            {kind, *m.iosDeviceId, *m.requestId, std::move(macDeviceId), m.encryptedTargetPayload,
             m.targetSyncVersion},
            iosSigning);
    }
    SyncedTargetList list(std::int64_t version, const std::string& name = "Example") {
        SyncedTargetList targets;
        targets.version = version;
        targets.generatedAt = Date{800000000.0};
        targets.webTargets = {{"web-1", "example.com", name, true, "app-7", {}},
                              {"web-2", "example.org", "Other", true, std::nullopt, {}},
                              {"web-3", "example.net", "Third", true, "app-7", {}}};
        return targets;
    }
    Message targetSync(const SyncedTargetList& targets, std::int64_t claimedVersion) {
        Message m = message(Kind::targetSync);
        m.encryptedTargetPayload = TargetSyncCrypto::encrypt(
            targets, macKeys.keys.publicKeys().encryptionPublicKeyBase64, "mac-1");
        m.targetSyncVersion = claimedVersion;
        m.trustSignature = trust(Kind::targetSync, m);
        return m;
    }
    Message linkedUnlock(std::int64_t revision, const std::string& target = "app-7") {
        Message m;
        m.kind = Kind::linkedUnlock;
        m.linkedTargetId = target;
        m.linkedRevision = revision;
        m.approvedUntil = inSeconds(900);
        m.linkedSignature = UnlockContextCrypto::signLinkedUnlock(
            {"mac-1", target, *m.approvedUntil, "ios-1", revision}, iosSigning);
        return m;
    }
    std::optional<Message> apply(const Message& m) {
        return applyBluetoothIncomingMessage(m, macKeys);
    }

    testkit::TempXdgHome home;
    testkit::ScopedRecordingPoster poster;
    FixedDeviceKeys macKeys;
    P256SigningPrivateKey iosSigning = P256SigningPrivateKey::generate();
};

// --- pairing approval -------------------------------------------------------------------

class PairingTest : public ApplierTest {
protected:
    void offer(double expiresIn = 300) {
        BLELocalPairingSessionStore::save(
            {"pair_1", "123456", inSeconds(expiresIn), "mac-new", macKeys.keys.publicKeys()});
    }
    Message approval(const std::string& code = "123456") {
        Message m = message(Kind::pairingApproval, "event_9");
        m.pairingSessionId = "pair_1";
        m.pairingCode = code;
        m.iosEncryptionPublicKeyBase64 = "ZW5jcnlwdA==";
        m.iosSigningPublicKeyBase64 = "c2lnbg==";
        return m;
    }
};

TEST_F(PairingTest, AnAcceptedApprovalWritesTheLinkWithDefaultsAndAnnouncesIt) {
    offer();
    const auto reply = apply(approval());
    ASSERT_TRUE(reply);
    EXPECT_EQ(reply->kind, Kind::pairingResult);
    EXPECT_EQ(reply->requestId, "event_9");
    EXPECT_EQ(reply->pairingSessionId, "pair_1");
    EXPECT_EQ(reply->pairingAccepted, true);
    EXPECT_FALSE(reply->pairingError);
    const auto saved = MacLinkConfigurationStore::load();
    ASSERT_TRUE(saved);
    EXPECT_EQ(*saved, (MacLinkConfiguration{"https://api.quorvel.app", "", "mac-new", "ios-1",
                                            "c2lnbg==", "ZW5jcnlwdA==", 600, 120}));
    EXPECT_EQ(poster.posted(), std::vector<std::string>{configurationChanged});
    EXPECT_TRUE(std::filesystem::exists(BLELocalPairingSessionStore::filePath()));
}

TEST_F(PairingTest, AnExistingLinkKeepsItsBackendTokenAndTimes) {
    link();
    offer();
    ASSERT_EQ(apply(approval())->pairingAccepted, true);
    EXPECT_EQ(*MacLinkConfigurationStore::load(),
              (MacLinkConfiguration{"https://backend.example/", "token", "mac-new", "ios-1",
                                    "c2lnbg==", "ZW5jcnlwdA==", 900, 240}));
}

TEST_F(PairingTest, RefusedApprovalsAreAnsweredWithTheFixedText) {
    const struct {
        std::string name;
        std::function<void(Message&)> change;
        double expiresIn;
        bool hasOffer;
    } cases[] = {
        {"code in another case", [](Message& m) { m.pairingCode = "123456 "; }, 300, true},
        {"wrong code", [](Message& m) { m.pairingCode = "654321"; }, 300, true},
        {"no code", [](Message& m) { m.pairingCode.reset(); }, 300, true},
        {"other session", [](Message& m) { m.pairingSessionId = "pair_2"; }, 300, true},
        {"no session id", [](Message& m) { m.pairingSessionId.reset(); }, 300, true},
        {"no iPhone id", [](Message& m) { m.iosDeviceId.reset(); }, 300, true},
        {"no signing key", [](Message& m) { m.iosSigningPublicKeyBase64.reset(); }, 300, true},
        {"expired offer", [](Message&) {}, -1, true},
        {"no offer", [](Message&) {}, 300, false},
    };
    for (const auto& c : cases) {
        std::filesystem::remove(BLELocalPairingSessionStore::filePath());
        if (c.hasOffer)
            offer(c.expiresIn);
        Message m = approval();
        c.change(m);
        const auto reply = apply(m);
        ASSERT_TRUE(reply) << c.name;
        EXPECT_EQ(reply->pairingAccepted, false) << c.name;
        EXPECT_EQ(reply->pairingError, "コードまたは有効期限を確認してください") << c.name;
        EXPECT_EQ(reply->pairingSessionId, m.pairingSessionId) << c.name;
        EXPECT_FALSE(MacLinkConfigurationStore::load()) << c.name;
        const auto error =
            testkit::captureError<host::NativeHostError>([&] { applyBluetoothPairingApproval(m); });
        ASSERT_TRUE(error) << c.name << " was accepted";
        EXPECT_EQ(error->code(), host::NativeHostErrorCase::invalidPairingApproval);
        EXPECT_STREQ(error->what(), "invalidPairingApproval");
    }
    EXPECT_TRUE(poster.posted().empty());
}

// --- target sync --------------------------------------------------------------------------

TEST_F(ApplierTest, ATargetSyncIsStoredAndAnsweredWithASignedReceipt) {
    link();
    const auto reply = apply(targetSync(list(3), 3));
    ASSERT_TRUE(reply);
    EXPECT_EQ(reply->kind, Kind::targetSyncReceipt);
    EXPECT_EQ(reply->requestId, "req-1");
    EXPECT_EQ(reply->targetSyncVersion, 3);
    EXPECT_EQ(reply->macDeviceId, "mac-1");
    EXPECT_EQ(reply->iosDeviceId, "ios-1");
    EXPECT_TRUE(UnlockContextCrypto::verifyTargetSyncReceiptSignature(
        *reply->trustSignature, {"mac-1", "ios-1", "req-1", 3},
        macKeys.keys.publicKeys().signingPublicKeyBase64));
    EXPECT_EQ(SyncedTargetStateStore::load(), list(3));
    EXPECT_EQ(macKeys.askedFor, "mac-1");
    // Sent again unchanged: still answered.
    EXPECT_TRUE(apply(targetSync(list(3), 3)));
}

TEST_F(ApplierTest, TargetSyncVersionRules) {
    link();
    ASSERT_TRUE(apply(targetSync(list(5), 5)));
    // The iPhone is behind: nothing stored, the receipt names the Mac's version.
    const auto older = apply(targetSync(list(4, "Older"), 4));
    ASSERT_TRUE(older);
    EXPECT_EQ(older->targetSyncVersion, 5);
    // Same version, other content: no answer.
    EXPECT_FALSE(apply(targetSync(list(5, "Changed"), 5)));
    // The envelope's version must be the one claimed.
    EXPECT_FALSE(apply(targetSync(list(6), 7)));
    EXPECT_EQ(SyncedTargetStateStore::load(), list(5));
}

TEST_F(ApplierTest, TargetSyncRefusals) {
    link();
    Message forged = targetSync(list(2), 2);
    forged.trustSignature = trust(Kind::targetSync, targetSync(list(3), 3));
    Message stranger = targetSync(list(2), 2);
    stranger.iosDeviceId = "ios-2";
    Message garbage = targetSync(list(2), 2);
    garbage.trustSignature = "not base64!";
    Message noRequest = targetSync(list(2), 2);
    noRequest.requestId.reset();
    for (const auto& m : {forged, stranger, garbage, noRequest})
        EXPECT_FALSE(apply(m));
    EXPECT_FALSE(SyncedTargetStateStore::load());
}

TEST_F(ApplierTest, NothingButPairingIsAppliedWithoutAMacDeviceId) {
    link("");
    EXPECT_FALSE(apply(targetSync(list(2), 2)));
    std::filesystem::remove(MacLinkConfigurationStore::filePath());
    EXPECT_FALSE(apply(targetSync(list(2), 2)));
}

// --- linked unlock ------------------------------------------------------------------------

TEST_F(ApplierTest, ALinkedUnlockOpensTheLinkedWebTargetsAndIsReceipted) {
    link();
    SyncedTargetStateStore::save(list(1));
    const auto reply = apply(linkedUnlock(4));
    ASSERT_TRUE(reply);
    EXPECT_EQ(reply->kind, Kind::linkedUnlockReceipt);
    EXPECT_EQ(reply->linkedTargetId, "app-7");
    EXPECT_EQ(reply->linkedRevision, 4);
    EXPECT_FALSE(reply->requestId);
    EXPECT_TRUE(UnlockContextCrypto::verifyLinkedUnlockReceiptSignature(
        *reply->trustSignature, {"mac-1", "ios-1", "app-7", 4},
        macKeys.keys.publicKeys().signingPublicKeyBase64));
    const auto windows = AllowWindowStateStore::load(systemClock().now());
    EXPECT_EQ(windows.size(), 2u);
    EXPECT_TRUE(windows.contains("web-1"));
    EXPECT_TRUE(windows.contains("web-3"));

    // A stale revision changes nothing but is still receipted.
    AllowWindowStateStore::revoke("web-1", AllowWindowStateStore::filePath());
    EXPECT_TRUE(apply(linkedUnlock(3)));
    EXPECT_FALSE(AllowWindowStateStore::load(systemClock().now()).contains("web-1"));
}

TEST_F(ApplierTest, ALinkedUnlockWithoutLinkedTargetsOrValidSignatureIsDropped) {
    link();
    SyncedTargetStateStore::save(list(1));
    EXPECT_FALSE(apply(linkedUnlock(1, "app-unknown")));
    Message forged = linkedUnlock(1);
    forged.linkedRevision = 2;
    EXPECT_FALSE(apply(forged));
    EXPECT_TRUE(AllowWindowStateStore::load(systemClock().now()).empty());
}

// --- unpair -------------------------------------------------------------------------------

TEST_F(ApplierTest, AnUnpairForThisMacRemovesTheLink) {
    link();
    Message foreign = message(Kind::unpair, "unpair-1");
    foreign.macDeviceId = "mac-other";
    foreign.trustSignature = trust(Kind::unpair, foreign, "mac-other");
    EXPECT_FALSE(apply(foreign));
    EXPECT_TRUE(MacLinkConfigurationStore::load());

    Message unpair = message(Kind::unpair, "unpair-2");
    unpair.macDeviceId = "mac-1";
    unpair.trustSignature = trust(Kind::unpair, unpair, "mac-1");
    EXPECT_FALSE(apply(unpair));
    EXPECT_FALSE(MacLinkConfigurationStore::load());
    EXPECT_EQ(poster.posted(), std::vector<std::string>{configurationChanged});
}

// --- unlock receipt -----------------------------------------------------------------------

TEST_F(ApplierTest, AValidUnlockReceiptBecomesTheRequestsProgressEntry) {
    link();
    Message receipt = message(Kind::unlockReceipt, "req-5");
    receipt.trustSignature = trust(Kind::unlockReceipt, receipt);
    EXPECT_TRUE(acceptBluetoothUnlockReceipt(receipt));
    const auto response = BLELocalBridgeStore::loadResponse("req-5");
    ASSERT_TRUE(response);
    EXPECT_FALSE(response->completed);
    EXPECT_EQ(response->message, receipt);
    EXPECT_FALSE(response->error);
    EXPECT_EQ(poster.posted(), std::vector<std::string>{"app.quorvel.bleBridge.response"});
}

TEST_F(ApplierTest, RefusedUnlockReceiptsLeaveTheMailboxAlone) {
    Message receipt = message(Kind::unlockReceipt, "req-5");
    receipt.trustSignature = trust(Kind::unlockReceipt, receipt);
    EXPECT_FALSE(acceptBluetoothUnlockReceipt(receipt));  // not paired
    link();
    Message stranger = receipt;
    stranger.iosDeviceId = "ios-2";
    Message forged = receipt;
    forged.requestId = "req-6";
    Message wrongKind = receipt;
    wrongKind.kind = Kind::unlockApproval;
    for (const auto& m : {stranger, forged, wrongKind}) {
        EXPECT_FALSE(acceptBluetoothUnlockReceipt(m));
    }
    EXPECT_FALSE(BLELocalBridgeStore::loadResponse("req-5"));
    EXPECT_FALSE(BLELocalBridgeStore::loadResponse("req-6"));
    EXPECT_TRUE(poster.posted().empty());
}

}  // namespace
}  // namespace quorvel::daemon
