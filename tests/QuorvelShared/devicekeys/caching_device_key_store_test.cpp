#include "QuorvelShared/devicekeys/caching_device_key_store.hpp"

#include <gtest/gtest.h>

#include <atomic>
#include <map>
#include <memory>
#include <stdexcept>
#include <thread>
#include <vector>

namespace quorvel {
namespace {

// A base store that makes a new pair on every call it does not fail.
class ScriptedStore final : public DeviceKeyStoring {
public:
    DeviceKeyPair loadOrCreateDeviceKeys(const std::string& deviceId) override {
        ++calls[deviceId];
        if (failuresLeft > 0) {
            --failuresLeft;
            throw std::runtime_error("keychain unavailable");
        }
        return DeviceKeyPair{.signingPrivateKey = P256SigningPrivateKey::generate(true),
                             .encryptionPrivateKey = P256KeyAgreementPrivateKey::generate()};
    }

    std::map<std::string, std::atomic<int>> calls;
    int failuresLeft = 0;
};

struct Fixture {
    ScriptedStore* base = nullptr;
    std::unique_ptr<CachingDeviceKeyStore> store;

    Fixture() {
        auto owned = std::make_unique<ScriptedStore>();
        base = owned.get();
        store = std::make_unique<CachingDeviceKeyStore>(std::move(owned));
    }
};

TEST(CachingDeviceKeyStore, ASuccessIsNeverRepeatedForThatDeviceId) {
    Fixture f;
    const DeviceKeyPair first = f.store->loadOrCreateDeviceKeys("mac");
    EXPECT_EQ(f.store->loadOrCreateDeviceKeys("mac"), first);
    EXPECT_EQ(f.base->calls["mac"], 1);

    // Exact match: another spelling is another device.
    EXPECT_NE(f.store->loadOrCreateDeviceKeys("Mac"), first);
    EXPECT_EQ(f.base->calls["Mac"], 1);
}

TEST(CachingDeviceKeyStore, AFailureIsPassedOnAndTheNextCallTriesAgain) {
    Fixture f;
    f.base->failuresLeft = 2;
    EXPECT_THROW(f.store->loadOrCreateDeviceKeys("mac"), std::runtime_error);
    EXPECT_THROW(f.store->loadOrCreateDeviceKeys("mac"), std::runtime_error);
    const DeviceKeyPair pair = f.store->loadOrCreateDeviceKeys("mac");
    EXPECT_EQ(f.store->loadOrCreateDeviceKeys("mac"), pair);
    EXPECT_EQ(f.base->calls["mac"], 3);
}

TEST(CachingDeviceKeyStore, ThreadsAskingForANewDeviceIdReachTheBaseOnce) {
    Fixture f;
    f.base->calls["mac"] = 0;
    constexpr int threadCount = 8;
    std::vector<DevicePublicKeyBundle> bundles(threadCount);
    std::vector<std::thread> threads;
    for (int i = 0; i < threadCount; ++i) {
        threads.emplace_back(
            [&, i] { bundles[i] = f.store->loadOrCreateDeviceKeys("mac").publicKeys(); });
    }
    for (auto& thread : threads) {
        thread.join();
    }
    EXPECT_EQ(f.base->calls["mac"], 1);
    for (const auto& bundle : bundles) {
        EXPECT_EQ(bundle, bundles.front());
    }
}

}  // namespace
}  // namespace quorvel
