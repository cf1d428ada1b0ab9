#include "QuorvelShared/devicekeys/keychain_device_key_store.hpp"

#include <gtest/gtest.h>

#include <memory>
#include <thread>
#include <vector>

#include "QuorvelShared/crypto/crypto_error.hpp"
#include "QuorvelShared/devicekeys/device_key_store_error.hpp"
#include "QuorvelShared/support/files.hpp"
#include "testkit/capture_error.hpp"
#include "testkit/memory_keychain.hpp"
#include "testkit/temp_xdg.hpp"

namespace quorvel {
namespace {

using testkit::MemoryKeychain;

const std::string service = "app.quorvel.device-keys";

class KeychainDeviceKeyStoreTest : public ::testing::Test {
protected:
    testkit::TempXdgHome home;
    std::shared_ptr<MemoryKeychain> keychain = std::make_shared<MemoryKeychain>();
    KeychainDeviceKeyStore store{keychain, service};

    Bytes stored(const std::string& account) const {
        const auto items = keychain->items();
        const auto found = items.find({service, account});
        return found == items.end() ? Bytes{} : found->second;
    }
};

TEST_F(KeychainDeviceKeyStoreTest, AnEmptyKeychainGetsBothKeysUnderTheDeviceIdAsGiven) {
    const DeviceKeyPair pair = store.loadOrCreateDeviceKeys(" Mac-1 ");

    const std::map<MemoryKeychain::Key, Bytes> expected = {
        {{service, " Mac-1 .signing"}, pair.signingPrivateKey.rawRepresentation()},
        {{service, " Mac-1 .encryption"}, pair.encryptionPrivateKey.rawRepresentation()},
    };
    EXPECT_EQ(keychain->items(), expected);
    EXPECT_EQ(stored(" Mac-1 .signing").size(), 32u);
    EXPECT_EQ(stored(" Mac-1 .encryption").size(), 32u);
    EXPECT_NE(pair.signingPrivateKey.rawRepresentation(),
              pair.encryptionPrivateKey.rawRepresentation());

    // A fresh store over the same keychain reads the same keys and writes nothing.
    const int adds = keychain->addCalls();
    KeychainDeviceKeyStore fresh(keychain, service);
    EXPECT_EQ(fresh.loadOrCreateDeviceKeys(" Mac-1 "), pair);
    EXPECT_EQ(keychain->addCalls(), adds);
}

TEST_F(KeychainDeviceKeyStoreTest, DevicesAndServicesHaveKeysOfTheirOwn) {
    const DeviceKeyPair first = store.loadOrCreateDeviceKeys("mac-1");
    const DeviceKeyPair second = store.loadOrCreateDeviceKeys("mac-2");
    KeychainDeviceKeyStore otherService(keychain, service + ".other");
    const DeviceKeyPair third = otherService.loadOrCreateDeviceKeys("mac-1");

    EXPECT_NE(first.publicKeys(), second.publicKeys());
    EXPECT_NE(first.publicKeys(), third.publicKeys());
    EXPECT_EQ(keychain->items().size(), 6u);
}

TEST_F(KeychainDeviceKeyStoreTest, AMissingRoleIsCreatedAloneAndTheOtherStays) {
    for (const std::string kept : {"mac.signing", "mac.encryption"}) {
        SCOPED_TRACE(kept);
        keychain = std::make_shared<MemoryKeychain>();
        KeychainDeviceKeyStore fresh(keychain, service);
        const Bytes existing = P256SigningPrivateKey::generate(true).rawRepresentation();
        keychain->setItem(service, kept, existing);

        const DeviceKeyPair pair = fresh.loadOrCreateDeviceKeys("mac");

        EXPECT_EQ(stored(kept), existing);
        EXPECT_EQ(keychain->items().size(), 2u);
        EXPECT_EQ(keychain->addCalls(), 1);
        const Bytes& keptKey = kept == "mac.signing"
                                   ? pair.signingPrivateKey.rawRepresentation()
                                   : pair.encryptionPrivateKey.rawRepresentation();
        EXPECT_EQ(keptKey, existing);
    }
}

TEST_F(KeychainDeviceKeyStoreTest, KeychainFailuresCarryTheirStatusAndStopTheCall) {
    const KeychainStatus locked{-25308, "the keyring is locked"};
    struct Case {
        const char* what;
        std::function<void(MemoryKeychain&)> arrange;
        DeviceKeyStoreError expected;
        std::vector<std::string> accountsAfter;
    };
    const std::vector<Case> cases = {
        {"reading the signing key",
         [&](MemoryKeychain& k) { k.failCopies("mac.signing", locked); },
         DeviceKeyStoreError::keychain(-25308, ""),
         {}},
        {"reading the key-agreement key; the new signing key stays",
         [&](MemoryKeychain& k) {
             k.failCopies("mac.encryption", {-25291, "no service"});
         },
         DeviceKeyStoreError::keychain(-25291, ""),
         {"mac.signing"}},
        {"adding the signing key",
         [&](MemoryKeychain& k) {
             k.failAdds("mac.signing", {-2070, "broken"});
         },
         DeviceKeyStoreError::keychain(-2070, ""),
         {}},
        {"adding the key-agreement key",
         [&](MemoryKeychain& k) {
             k.failAdds("mac.encryption", {-61, "write refused"});
         },
         DeviceKeyStoreError::keychain(-61, ""),
         {"mac.signing"}},
        {"a read that reports success without bytes",
         [&](MemoryKeychain& k) { k.answerCopiesWithoutData("mac.signing"); },
         DeviceKeyStoreError::invalidData("mac.signing"),
         {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        auto failing = std::make_shared<MemoryKeychain>();
        c.arrange(*failing);
        KeychainDeviceKeyStore failingStore(failing, service);
        const auto error = testkit::captureError<DeviceKeyStoreError>(
            [&] { return failingStore.loadOrCreateDeviceKeys("mac"); });
        ASSERT_TRUE(error) << "no error";
        EXPECT_EQ(*error, c.expected);
        EXPECT_EQ(error->status(), c.expected.status());
        std::vector<std::string> accounts;
        for (const auto& [key, bytes] : failing->items()) {
            accounts.push_back(key.second);
        }
        EXPECT_EQ(accounts, c.accountsAfter);
    }
}

TEST_F(KeychainDeviceKeyStoreTest, StoredBytesThatAreNoKeyFailEveryCallAndAreLeftAlone) {
    const std::vector<Bytes> badKeys = {
        Bytes(31, 1),     // too short
        Bytes(33, 1),     // too long
        Bytes(32, 0),     // zero is no scalar
        Bytes(32, 0xff),  // beyond the group order
    };
    for (const Bytes& bad : badKeys) {
        SCOPED_TRACE(bad.size());
        auto keychain = std::make_shared<MemoryKeychain>();
        KeychainDeviceKeyStore badStore(keychain, service);
        keychain->setItem(service, "mac.signing", bad);
        for (int call = 0; call < 2; ++call) {
            EXPECT_EQ(testkit::captureErrorCode<CryptoError>(
                          [&] { return badStore.loadOrCreateDeviceKeys("mac"); }),
                      CryptoErrorKind::invalidKey);
        }
        EXPECT_EQ(keychain->items().at({service, "mac.signing"}), bad);
    }
}

TEST_F(KeychainDeviceKeyStoreTest, AKeyAddedByARivalFirstIsTheOneUsedAndIsNeverReplaced) {
    // Another program (one not sharing our lock file) adds the key between our second read and
    // our add: the add meets the duplicate, and the rival's key stands.
    const Bytes rivalKey = P256SigningPrivateKey::generate(true).rawRepresentation();
    keychain->setBeforeAdd([&](const std::string& account) {
        if (account == "mac.signing") {
            keychain->setItem(service, account, rivalKey);
        }
    });

    const DeviceKeyPair pair = store.loadOrCreateDeviceKeys("mac");

    EXPECT_EQ(pair.signingPrivateKey.rawRepresentation(), rivalKey);
    EXPECT_EQ(stored("mac.signing"), rivalKey);
}

TEST_F(KeychainDeviceKeyStoreTest, StoresOnManyThreadsCreateEachKeyOnce) {
    constexpr int threadCount = 8;
    std::vector<DevicePublicKeyBundle> bundles(threadCount);
    std::vector<std::thread> threads;
    for (int i = 0; i < threadCount; ++i) {
        threads.emplace_back([&, i] {
            KeychainDeviceKeyStore own(keychain, service);
            bundles[i] = own.loadOrCreateDeviceKeys("new-mac").publicKeys();
        });
    }
    for (auto& thread : threads) {
        thread.join();
    }
    for (const auto& bundle : bundles) {
        EXPECT_EQ(bundle, bundles.front());
    }
    // Under the lock every store reads again before adding: one add per key, no duplicates.
    EXPECT_EQ(keychain->addCalls(), 2);
    EXPECT_TRUE(files::exists(home.stateFolder() / ".device-keys.lock"));
}

}  // namespace
}  // namespace quorvel
