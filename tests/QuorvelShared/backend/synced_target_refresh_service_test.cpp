#include "QuorvelShared/backend/synced_target_refresh_service.hpp"

#include <gtest/gtest.h>

#include <cerrno>
#include <system_error>

#include "../unlockstate/synced_target_samples.hpp"
#include "QuorvelShared/backend/backend_api_error.hpp"
#include "QuorvelShared/crypto/crypto_error.hpp"
#include "QuorvelShared/crypto/unlock_context_crypto_error.hpp"
#include "QuorvelShared/devicekeys/device_key_store_error.hpp"
#include "QuorvelShared/support/base64.hpp"
#include "QuorvelShared/support/json_errors.hpp"
#include "QuorvelShared/unlockstate/synced_target_state_store.hpp"
#include "QuorvelShared/unlockstate/target_sync_crypto.hpp"
#include "testkit/capture_error.hpp"
#include "testkit/odd_files.hpp"
#include "testkit/recording_poster.hpp"
#include "testkit/temp_xdg.hpp"

namespace quorvel::backend {
namespace {

namespace fs = std::filesystem;
using quorvel::testing::sampleSyncedList;

const std::string macDeviceId = "mac-1";
const std::vector<std::string> oneChange{"com.oddmoor.pellorim.target-sync-changed"};

class FakeTargetSync final : public TargetSyncStateFetching {
public:
    TargetSyncStateResponse fetchTargetSync(const std::string& id) override {
        askedFor.push_back(id);
        if (failure) {
            failure();
        }
        return response;
    }

    TargetSyncStateResponse response;
    std::function<void()> failure;
    std::vector<std::string> askedFor;
};

// The Mac's keys, counting how often they were asked for.
class FakeDeviceKeys final : public DeviceKeyStoring {
public:
    DeviceKeyPair loadOrCreateDeviceKeys(const std::string& deviceId) override {
        askedFor.push_back(deviceId);
        if (failing) {
            throw DeviceKeyStoreError::keychain(-25308, "locked");
        }
        return keys;
    }

    DeviceKeyPair keys{P256SigningPrivateKey::generate(), P256KeyAgreementPrivateKey::generate()};
    bool failing = false;
    std::vector<std::string> askedFor;
};

class SyncedTargetRefreshTest : public ::testing::Test {
protected:
    testkit::TempXdgHome home;
    testkit::ScopedRecordingPoster poster;
    std::shared_ptr<FakeTargetSync> fetcher = std::make_shared<FakeTargetSync>();
    std::shared_ptr<FakeDeviceKeys> keys = std::make_shared<FakeDeviceKeys>();
    fs::path file = SyncedTargetStateStore::filePath();
    SyncedTargetRefreshService service{fetcher, keys, file};
    MacLinkConfiguration configuration = [] {
        MacLinkConfiguration link;
        link.macDeviceId = macDeviceId;
        return link;
    }();

    // The backend states `version` for a list sealed for this Mac with `payloadVersion`.
    void backendHolds(std::int64_t version, std::int64_t payloadVersion) {
        const std::string sealed = TargetSyncCrypto::encrypt(
            sampleSyncedList(payloadVersion),
            base64Encode(keys->keys.encryptionPrivateKey.publicKey().rawRepresentation()),
            macDeviceId);
        fetcher->response.state =
            TargetSyncStateResponse::State{version, sealed, Date::fromUnixSeconds(1714557600)};
    }
    void localHolds(std::int64_t version) {
        SyncedTargetStateStore::save(sampleSyncedList(version), file);
        poster.clear();
    }
    std::string contents() const { return testkit::readFile(file); }
};

TEST_F(SyncedTargetRefreshTest, NothingAnywhereGivesNothing) {
    EXPECT_EQ(service.refresh(configuration), std::nullopt);
    EXPECT_FALSE(fs::exists(file));
    EXPECT_TRUE(poster.posted().empty());
    EXPECT_EQ(fetcher->askedFor, std::vector<std::string>{macDeviceId});
}

TEST_F(SyncedTargetRefreshTest, WithoutABackendListTheLocalOneStands) {
    localHolds(4);
    EXPECT_EQ(service.refresh(configuration), sampleSyncedList(4));
    testkit::writeFile(file, "{\"version\":4}");
    EXPECT_THROW(service.refresh(configuration), json::DecodeError);
    EXPECT_TRUE(keys->askedFor.empty());
    EXPECT_TRUE(poster.posted().empty());
}

TEST_F(SyncedTargetRefreshTest, ALocalListAtLeastAsNewIsKeptWithoutOpeningAnything) {
    for (std::int64_t local : {5, 6}) {
        SCOPED_TRACE(local);
        localHolds(local);
        const std::string before = contents();
        backendHolds(5, 5);
        EXPECT_EQ(service.refresh(configuration), sampleSyncedList(local));
        EXPECT_EQ(contents(), before);
    }
    EXPECT_TRUE(keys->askedFor.empty());
    EXPECT_TRUE(poster.posted().empty());
}

TEST_F(SyncedTargetRefreshTest, ANewerBackendListIsOpenedWrittenAndAnnounced) {
    for (bool withLocal : {true, false}) {
        SCOPED_TRACE(withLocal);
        fs::remove(file);
        if (withLocal) {
            localHolds(4);
        }
        poster.clear();
        backendHolds(5, 5);
        EXPECT_EQ(service.refresh(configuration), sampleSyncedList(5));
        EXPECT_EQ(SyncedTargetStateStore::load(file), sampleSyncedList(5));
        EXPECT_EQ(poster.posted(), oneChange);
        EXPECT_EQ(keys->askedFor.back(), macDeviceId);
    }
}

TEST_F(SyncedTargetRefreshTest, AnotherFileIsWrittenWithoutAnnouncement) {
    const fs::path elsewhere = home.root() / "refresh.json";
    SyncedTargetRefreshService other{fetcher, keys, elsewhere};
    backendHolds(5, 5);
    EXPECT_EQ(other.refresh(configuration), sampleSyncedList(5));
    EXPECT_EQ(SyncedTargetStateStore::load(elsewhere), sampleSyncedList(5));
    EXPECT_TRUE(poster.posted().empty());
    EXPECT_FALSE(fs::exists(file));
}

TEST_F(SyncedTargetRefreshTest, AVersionMismatchWritesNothing) {
    localHolds(4);
    const std::string before = contents();
    backendHolds(5, 6);
    const auto error = testkit::captureError<SyncedTargetRefreshError>(
        [&] { return service.refresh(configuration); });
    ASSERT_TRUE(error) << "no error";
    EXPECT_EQ(error->code(), SyncedTargetRefreshErrorCode::versionMismatch);
    EXPECT_EQ(error->backendVersion(), 5);
    EXPECT_EQ(error->payloadVersion(), 6);
    EXPECT_EQ(*error, SyncedTargetRefreshError(5, 6));
    EXPECT_EQ(contents(), before);
    EXPECT_TRUE(poster.posted().empty());
}

// Every failure reaches the caller and leaves the local version 4 in place.
TEST_F(SyncedTargetRefreshTest, FailuresLeaveTheLocalFileAsItWas) {
    struct Case {
        const char* what;
        std::function<void(FakeTargetSync&, FakeDeviceKeys&)> arrange;
        std::function<void(SyncedTargetRefreshService&, const MacLinkConfiguration&)> expectThrow;
    };
    const Case cases[] = {
        {"the fetch fails",
         [](auto& backend, auto&) {
             backend.failure = [] { throw BackendAPIError::invalidResponse(); };
         },
         [](auto& s, auto& c) { EXPECT_THROW(s.refresh(c), BackendAPIError); }},
        {"the key store fails", [](auto&, auto& keys) { keys.failing = true; },
         [](auto& s, auto& c) { EXPECT_THROW(s.refresh(c), DeviceKeyStoreError); }},
        {"sealed for another key",
         [](auto&, auto& keys) {
             keys.keys.encryptionPrivateKey = P256KeyAgreementPrivateKey::generate();
         },
         [](auto& s, auto& c) { EXPECT_THROW(s.refresh(c), CryptoError); }},
        {"the payload is not base64",
         [](auto& backend, auto&) { backend.response.state->encryptedPayload = "%%"; },
         [](auto& s, auto& c) { EXPECT_THROW(s.refresh(c), Error<UnlockContextCryptoError>); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        fetcher->failure = nullptr;
        keys->failing = false;
        localHolds(4);
        backendHolds(5, 5);
        c.arrange(*fetcher, *keys);
        const std::string before = contents();
        c.expectThrow(service, configuration);
        EXPECT_EQ(contents(), before);
        EXPECT_TRUE(poster.posted().empty());
    }
}

TEST_F(SyncedTargetRefreshTest, AnUnreadableLocalFileStopsTheRefresh) {
    localHolds(4);
    backendHolds(5, 5);
    {
        const testkit::FifoInPlace failing(file);
        EXPECT_THROW(service.refresh(configuration), std::system_error);
    }
    testkit::writeFile(file, "damaged");
    EXPECT_THROW(service.refresh(configuration), json::DecodeError);
    EXPECT_EQ(contents(), "damaged");
    EXPECT_TRUE(keys->askedFor.empty());
}

}  // namespace
}  // namespace quorvel::backend
