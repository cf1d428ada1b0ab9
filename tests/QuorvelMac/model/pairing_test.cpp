#include <regex>

#include "QuorvelShared/bridge/ble_local_bridge_store.hpp"
#include "QuorvelShared/bridge/ble_local_pairing_session_store.hpp"
#include "QuorvelShared/bridge/mac_link_configuration_store.hpp"
#include "QuorvelShared/support/json_reader.hpp"
#include "model_fixture.hpp"

namespace quorvel::modeltest {
namespace {

TEST_F(ModelTest, PairingWritesTheSessionShowsTheCodeAndHandsTheOfferToTheDaemon) {
    auto model = makeModel();
    poster.clear();
    model->startPairing();
    const PairingState& pairing = model->pairing();
    ASSERT_TRUE(pairing.sessionId && pairing.code && pairing.qrURL && pairing.expiresAt);
    EXPECT_FALSE(pairing.error);
    EXPECT_EQ(pairing.status, PairingState::Status::pending);
    EXPECT_TRUE(std::regex_match(*pairing.code, std::regex("[0-9]{6}")));
    EXPECT_TRUE(std::regex_match(
        *pairing.sessionId,
        std::regex("pair_[0-9A-F]{8}-[0-9A-F]{4}-4[0-9A-F]{3}-[0-9A-F]{4}-[0-9A-F]{12}")));
    EXPECT_EQ(*pairing.qrURL,
              "quorvel://pair?session=" + *pairing.sessionId + "&code=" + *pairing.code);
    EXPECT_NEAR(pairing.expiresAt->secondsSince(systemClock().now()), 600, 5);

    const auto session = BLELocalPairingSessionStore::load();
    ASSERT_TRUE(session);
    EXPECT_EQ(session->sessionId, *pairing.sessionId);
    EXPECT_EQ(session->code, *pairing.code);
    EXPECT_EQ(session->macDeviceId.rfind("dev_", 0), 0u);
    const std::string sessionText = testkit::readFile(BLELocalPairingSessionStore::filePath());
    EXPECT_NE(sessionText.find("\"public_signing_key\""), std::string::npos) << sessionText;
    EXPECT_NE(sessionText.find("\"public_encryption_key\""), std::string::npos);
    EXPECT_EQ(session->macPublicKeys, deviceKeys->keys.at(session->macDeviceId).publicKeys());

    const auto requests = BLELocalBridgeStore::loadPendingRequests();
    ASSERT_EQ(requests.size(), 1u);
    const auto& offer = requests[0].message;
    EXPECT_EQ(requests[0].timeoutSeconds, 5);
    EXPECT_EQ(offer.kind, BLELocalPrototypeMessageKind::pairingOffer);
    EXPECT_EQ(offer.version, 1);
    EXPECT_EQ(offer.requestId->rfind("event_", 0), 0u);
    EXPECT_EQ(offer.pairingSessionId, pairing.sessionId);
    // The mailbox keeps whole seconds.
    EXPECT_NEAR(offer.expiresAt->secondsSince(*pairing.expiresAt), 0, 1);
    EXPECT_EQ(offer.macDeviceId, session->macDeviceId);
    EXPECT_EQ(offer.macDisplayName, std::string("test-host"));
    EXPECT_EQ(offer.macSigningPublicKeyBase64, session->macPublicKeys.signingPublicKeyBase64);
    EXPECT_FALSE(offer.pairingCode);
    EXPECT_FALSE(offer.deliveryDeadline);
    EXPECT_EQ(poster.posted(), std::vector<std::string>{"app.quorvel.bleBridge.request"});

    const std::string firstDevice = session->macDeviceId;
    model->startPairing();
    EXPECT_NE(BLELocalPairingSessionStore::load()->macDeviceId, firstDevice);
}

TEST_F(ModelTest, PairingUsesTheConfiguredDeviceIdWithoutItsBlanks) {
    MacLinkConfiguration configuration;
    configuration.backendBaseURL = "https://backend.example";
    configuration.macDeviceId = "  dev_configured\n";
    MacLinkConfigurationStore::save(configuration);
    auto model = makeModel();
    EXPECT_FALSE(model->pairing().pairedIPhoneName);
    model->startPairing();
    EXPECT_EQ(BLELocalPairingSessionStore::load()->macDeviceId, "dev_configured");
    EXPECT_EQ(BLELocalBridgeStore::loadPendingRequests()[0].message.macDeviceId,
              std::string("dev_configured"));
}

TEST_F(ModelTest, PairingFailureIsShownWithItsReason) {
    auto model = makeModel();
    // The session file cannot be written where a folder stands.
    std::filesystem::create_directories(BLELocalPairingSessionStore::filePath());
    model->startPairing();
    ASSERT_TRUE(model->pairing().error);
    EXPECT_EQ(model->pairing().error->rfind("Bluetoothペアリングを開始できませんでした: ", 0), 0u);
    EXPECT_FALSE(model->pairing().sessionId);
}

TEST(PairingQRCode, QueryItemsAreEncodedInOrder) {
    EXPECT_EQ(MacAppModel::localPairingQRCodeURL("pair_A", "004200"),
              "quorvel://pair?session=pair_A&code=004200");
    EXPECT_EQ(MacAppModel::localPairingQRCodeURL("a b&c", "1"),
              "quorvel://pair?session=a%20b%26c&code=1");
}

TEST(PairingPresentation, MapsEveryState) {
    struct Case {
        PairingState state;
        std::string title;
        std::optional<std::string> sessionTitle;
        PairingStatusPresentation::Tone tone;
        bool usable, expired;
    };
    using Tone = PairingStatusPresentation::Tone;
    using Status = PairingState::Status;
    auto state = [](std::optional<std::string> paired, std::optional<std::string> session,
                    std::optional<Status> status) {
        PairingState s;
        s.pairedIPhoneName = std::move(paired);
        s.sessionId = std::move(session);
        s.status = std::move(status);
        return s;
    };
    const std::vector<Case> cases = {
        {state({}, {}, {}), "未ペアリング", {}, Tone::idle, false, false},
        {state({}, "s", {}), "状態を確認中", "状態を確認中", Tone::idle, false, false},
        {state({}, "s", Status::pending), "iPhoneの承認待ち", "iPhoneの承認待ち", Tone::pending,
         true, false},
        {state({}, {}, Status::expired), "期限切れ", {}, Tone::expired, false, false},
        {state({}, "s", Status::expired), "期限切れ", "期限切れ", Tone::expired, false, true},
        {state({}, "s", Status::approved), "接続情報を更新中", "承認済み", Tone::pending, false,
         false},
        {state("ios", "s", Status::pending), "iPhone登録あり", "再ペアリング承認待ち",
         Tone::connected, true, false},
        {state("ios", "s", Status::expired), "iPhone登録あり", "再ペアリング期限切れ",
         Tone::connected, false, true},
        {state("ios", {}, Status::connected), "iPhone登録あり", {}, Tone::connected, false, false},
    };
    for (std::size_t i = 0; i < cases.size(); ++i) {
        const PairingStatusPresentation p(cases[i].state);
        EXPECT_EQ(p.connectionTitle, cases[i].title) << i;
        EXPECT_EQ(p.sessionTitle, cases[i].sessionTitle) << i;
        EXPECT_EQ(p.tone, cases[i].tone) << i;
        EXPECT_EQ(p.isSessionUsable, cases[i].usable) << i;
        EXPECT_EQ(p.isSessionExpired, cases[i].expired) << i;
    }
}

TEST(PairingState, OnlyAUsableLinkCountsAsPaired) {
    MacLinkConfiguration configuration;
    configuration.macDeviceId = "m";
    configuration.iosDeviceId = "ios";
    configuration.iosSigningPublicKeyBase64 = "s";
    configuration.iosEncryptionPublicKeyBase64 = "";
    PairingState state;
    state.restorePairedDevice(configuration);
    EXPECT_FALSE(state.pairedIPhoneName);
    configuration.iosEncryptionPublicKeyBase64 = "e";
    state.restorePairedDevice(configuration);
    EXPECT_EQ(state.pairedIPhoneName, std::string("ios"));
    state.restorePairedDevice(std::nullopt);
    EXPECT_FALSE(state.pairedIPhoneName);
}

}  // namespace
}  // namespace quorvel::modeltest
