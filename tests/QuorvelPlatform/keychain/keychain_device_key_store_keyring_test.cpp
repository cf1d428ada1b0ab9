// The device-key stores against the session's real Secret Service.
#include <gtest/gtest.h>

#include <QProcess>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "QuorvelPlatform/keychain/secret_service_keychain.hpp"
#include "QuorvelShared/devicekeys/caching_device_key_store.hpp"
#include "QuorvelShared/devicekeys/device_key_store_error.hpp"
#include "QuorvelShared/devicekeys/keychain_device_key_store.hpp"
#include "QuorvelShared/support/json_writer.hpp"
#include "keyring_fixture.hpp"
#include "testkit/capture_error.hpp"
#include "testkit/temp_xdg.hpp"

namespace quorvel {
namespace {

using keyringtest::itemsOfService;

constexpr int patienceMs = 30'000;

class KeyringDeviceKeyStoreTest : public ::testing::Test {
protected:
    testkit::TempXdgHome home;
    const std::string service = keyringtest::uniqueKeychainService();
    std::shared_ptr<SecretServiceKeychain> keychain = std::make_shared<SecretServiceKeychain>();

    std::map<std::string, Bytes> secretsByAccount() const {
        std::map<std::string, Bytes> secrets;
        for (const auto& item : itemsOfService(service)) {
            EXPECT_EQ(item.attributes.size(), 2u);
            secrets.emplace(item.attributes.at("account"), item.secret);
        }
        return secrets;
    }
};

TEST_F(KeyringDeviceKeyStoreTest, ANewDeviceGetsTwoItemsThatAFreshStoreReadsBack) {
    KeychainDeviceKeyStore store(keychain, service);
    const DeviceKeyPair pair = store.loadOrCreateDeviceKeys("mac-1");

    const std::map<std::string, Bytes> expected = {
        {"mac-1.signing", pair.signingPrivateKey.rawRepresentation()},
        {"mac-1.encryption", pair.encryptionPrivateKey.rawRepresentation()},
    };
    EXPECT_EQ(secretsByAccount(), expected);
    EXPECT_EQ(expected.at("mac-1.signing").size(), 32u);
    EXPECT_EQ(expected.at("mac-1.encryption").size(), 32u);

    KeychainDeviceKeyStore fresh(std::make_shared<SecretServiceKeychain>(), service);
    const DevicePublicKeyBundle bundle = fresh.loadOrCreateDeviceKeys("mac-1").publicKeys();
    EXPECT_EQ(bundle, pair.publicKeys());
    EXPECT_EQ(bundle.signingPublicKeyBase64.size(), 88u);
    EXPECT_EQ(bundle.encryptionPublicKeyBase64.size(), 88u);
    const Json written = toJson(bundle);
    ASSERT_EQ(written.size(), 2u);
    EXPECT_EQ(written.begin().key(), "public_signing_key");
    EXPECT_EQ(devicePublicKeyBundleFromJson(written, ""), bundle);
}

TEST_F(KeyringDeviceKeyStoreTest, AMissingRoleIsCreatedAlone) {
    const Bytes existing = P256SigningPrivateKey::generate(true).rawRepresentation();
    ASSERT_EQ(keychain->addGenericPassword(service, "mac.signing", existing).code,
              keychainstatus::success);

    KeychainDeviceKeyStore store(keychain, service);
    const DeviceKeyPair pair = store.loadOrCreateDeviceKeys("mac");

    EXPECT_EQ(pair.signingPrivateKey.rawRepresentation(), existing);
    const auto secrets = secretsByAccount();
    EXPECT_EQ(secrets.size(), 2u);
    EXPECT_EQ(secrets.at("mac.signing"), existing);
    EXPECT_EQ(secrets.at("mac.encryption"), pair.encryptionPrivateKey.rawRepresentation());
}

TEST_F(KeyringDeviceKeyStoreTest, ADeviceIdThatCannotNameAnItemFailsAndStoresNothing) {
    // Cut at the NUL, both roles would share one item and so one private key.
    KeychainDeviceKeyStore store(keychain, service);
    for (const std::string& deviceId : {std::string("mac\0one", 7), std::string("mac\xff")}) {
        const auto error = testkit::captureError<DeviceKeyStoreError>(
            [&] { return store.loadOrCreateDeviceKeys(deviceId); });
        ASSERT_TRUE(error) << "keys were made";
        EXPECT_EQ(error->status(), keychainstatus::invalidParameter);
    }
    EXPECT_TRUE(itemsOfService(service).empty());
}

TEST_F(KeyringDeviceKeyStoreTest, ProcessesRacingOnANewDeviceEndWithOneKeyPair) {
    constexpr int processCount = 8;
    std::vector<std::unique_ptr<QProcess>> peers;
    for (int i = 0; i < processCount; ++i) {
        auto peer = std::make_unique<QProcess>();
        peer->start(QStringLiteral(QUORVEL_KEYCHAIN_PEER),
                    {"load", QString::fromStdString(service), "racing-mac"});
        ASSERT_TRUE(peer->waitForStarted(patienceMs));
        while (!peer->canReadLine()) {
            ASSERT_TRUE(peer->waitForReadyRead(patienceMs));
        }
        ASSERT_EQ(peer->readLine().trimmed(), "ready");
        peers.push_back(std::move(peer));
    }
    // All are waiting; let them go as nearly together as we can. QProcess only sends what
    // was written when asked to wait, hence the wait right after each write.
    for (auto& peer : peers) {
        peer->write("go\n");
        ASSERT_TRUE(peer->waitForBytesWritten(patienceMs));
    }
    std::set<std::string> bundles;
    for (auto& peer : peers) {
        ASSERT_TRUE(peer->waitForFinished(patienceMs));
        EXPECT_EQ(peer->exitCode(), 0) << peer->readAllStandardError().toStdString();
        bundles.insert(peer->readAllStandardOutput().trimmed().toStdString());
    }

    ASSERT_EQ(bundles.size(), 1u);
    EXPECT_EQ(secretsByAccount().size(), 2u);
    EXPECT_EQ(itemsOfService(service).size(), 2u) << "one item per key, never a second";
    KeychainDeviceKeyStore store(keychain, service);
    EXPECT_EQ(json::write(toJson(store.loadOrCreateDeviceKeys("racing-mac").publicKeys()),
                          json::Style::compact),
              *bundles.begin());
}

TEST_F(KeyringDeviceKeyStoreTest, TheCacheRetriesAfterAFailureAndNeverRepeatsASuccess) {
    CachingDeviceKeyStore store(std::make_unique<KeychainDeviceKeyStore>(keychain, service));
    auto locked =
        std::make_unique<keyringtest::LockedKeyring>(service, "mac.signing", Bytes(32, 5));
    const auto error = testkit::captureError<DeviceKeyStoreError>(
        [&] { return store.loadOrCreateDeviceKeys("mac"); });
    ASSERT_TRUE(error) << "a locked key was not reported";
    EXPECT_EQ(error->status(), keychainstatus::interactionNotAllowed);

    locked.reset();
    const DeviceKeyPair pair = store.loadOrCreateDeviceKeys("mac");
    EXPECT_EQ(secretsByAccount().size(), 2u);

    // With the items gone behind its back, the cache still answers and asks the keychain for
    // nothing: no item comes back.
    keyringtest::removeItemsOfService(service);
    EXPECT_EQ(store.loadOrCreateDeviceKeys("mac"), pair);
    EXPECT_TRUE(itemsOfService(service).empty());
}

}  // namespace
}  // namespace quorvel
