#include "QuorvelShared/bridge/ble_local_pairing_session_store.hpp"

#include <gtest/gtest.h>

#include "QuorvelShared/support/json_errors.hpp"
#include "testkit/capture_error.hpp"
#include "testkit/recording_poster.hpp"
#include "testkit/temp_xdg.hpp"

namespace quorvel {
namespace {

BLELocalPairingSession sampleSession() {
    return BLELocalPairingSession{
        .sessionId = "pair_7C1E6A52-0B7D-4C35-9F21-3A5D2E8B9C10",
        .code = "042917",
        .expiresAt = Date{736000600.123456},
        .macDeviceId = "mac-1",
        .macPublicKeys = DevicePublicKeyBundle{"c2lnbmluZw==", "ZW5jcnlwdGlvbg=="},
    };
}

class BLELocalPairingSessionStoreTest : public ::testing::Test {
protected:
    testkit::TempXdgHome home;
    testkit::ScopedRecordingPoster poster;
};

TEST_F(BLELocalPairingSessionStoreTest, SavingWritesCompactFieldOrderAndPostsNothing) {
    EXPECT_EQ(BLELocalPairingSessionStore::load(), std::nullopt);
    BLELocalPairingSessionStore::save(sampleSession());
    EXPECT_EQ(BLELocalPairingSessionStore::filePath(),
              home.stateFolder() / "ble-pairing-session.json");
    EXPECT_EQ(
        testkit::readFile(BLELocalPairingSessionStore::filePath()),
        R"({"sessionId":"pair_7C1E6A52-0B7D-4C35-9F21-3A5D2E8B9C10","code":"042917",)"
        R"("expiresAt":736000600.123456,"macDeviceId":"mac-1","macPublicKeys":)"
        R"({"public_signing_key":"c2lnbmluZw==","public_encryption_key":"ZW5jcnlwdGlvbg=="}})");
    EXPECT_TRUE(poster.posted().empty());
    EXPECT_EQ(BLELocalPairingSessionStore::configurationChangedNotification,
              "app.quorvel.bleBridge.configurationChanged");
}

TEST_F(BLELocalPairingSessionStoreTest, SessionsRoundTripExactlyWhateverTheyHold) {
    BLELocalPairingSession odd = sampleSession();
    odd.code = "";
    odd.expiresAt = Date{-0.1};
    odd.macPublicKeys = DevicePublicKeyBundle{"", "not base64"};
    for (const auto& session : {sampleSession(), odd}) {
        BLELocalPairingSessionStore::save(session);
        EXPECT_EQ(BLELocalPairingSessionStore::load(), session);
    }
}

TEST_F(BLELocalPairingSessionStoreTest, FilesWithAMissingOrMistypedKeyFailToLoad) {
    const std::string keys =
        R"("macPublicKeys":{"public_signing_key":"a","public_encryption_key":"b"})";
    struct Case {
        std::string text;
        const char* path;
    };
    const std::vector<Case> cases = {
        {R"({"code":"1","expiresAt":0,"macDeviceId":"m",)" + keys + "}", "sessionId"},
        {R"({"sessionId":"s","code":"1","expiresAt":"2024-05-01T10:00:00Z","macDeviceId":"m",)" +
             keys + "}",
         "expiresAt"},
        {R"({"sessionId":"s","code":null,"expiresAt":0,"macDeviceId":"m",)" + keys + "}", "code"},
        {R"({"sessionId":"s","code":"1","expiresAt":0,"macDeviceId":"m"})", "macPublicKeys"},
        {R"({"sessionId":"s","code":"1","expiresAt":0,"macDeviceId":"m","macPublicKeys":)"
         R"({"signingPublicKeyBase64":"a","encryptionPublicKeyBase64":"b"}})",
         "macPublicKeys.public_signing_key"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        testkit::writeFile(BLELocalPairingSessionStore::filePath(), c.text);
        const auto error = testkit::captureError<json::DecodeError>(
            [] { return BLELocalPairingSessionStore::load(); });
        ASSERT_TRUE(error) << "loaded";
        EXPECT_EQ(error->path(), c.path);
    }
}

TEST_F(BLELocalPairingSessionStoreTest, OtherKeysAreIgnored) {
    testkit::writeFile(
        BLELocalPairingSessionStore::filePath(),
        R"({"note":1,"sessionId":"s","code":"1","expiresAt":2.5,"macDeviceId":"m",)"
        R"("macPublicKeys":{"public_encryption_key":"b","public_signing_key":"a"}})");
    EXPECT_EQ(BLELocalPairingSessionStore::load(),
              (BLELocalPairingSession{"s", "1", Date{2.5}, "m", DevicePublicKeyBundle{"a", "b"}}));
}

}  // namespace
}  // namespace quorvel
