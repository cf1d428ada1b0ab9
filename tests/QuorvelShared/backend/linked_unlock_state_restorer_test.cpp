#include "QuorvelShared/backend/linked_unlock_state_restorer.hpp"

#include <gtest/gtest.h>

#include <cerrno>
#include <functional>
#include <system_error>

#include "QuorvelShared/backend/backend_api_error.hpp"
#include "QuorvelShared/crypto/p256_private_keys.hpp"
#include "QuorvelShared/crypto/unlock_context_signing.hpp"
#include "QuorvelShared/support/base64.hpp"
#include "QuorvelShared/unlockstate/allow_window_state_store.hpp"
#include "QuorvelShared/unlockstate/linked_unlock_revision_state_store.hpp"
#include "testkit/odd_files.hpp"
#include "testkit/temp_xdg.hpp"

namespace quorvel::backend {
namespace {

namespace fs = std::filesystem;

const Date now = Date::fromUnixSeconds(1714557600);
Date at(double secondsFromNow) {
    return now.addingSeconds(secondsFromNow);
}

class FakeLinkedUnlocks final : public LinkedUnlockStateFetching {
public:
    LinkedUnlockStateResponse fetchLinkedUnlocks(const std::string& macDeviceId) override {
        askedFor.push_back(macDeviceId);
        if (failure) {
            failure();
        }
        return response;
    }

    LinkedUnlockStateResponse response;
    std::function<void()> failure;
    std::vector<std::string> askedFor;
};

SyncedWebTarget webTarget(std::string id, std::optional<std::string> linkedTargetId,
                          bool enabled = true) {
    SyncedWebTarget target;
    target.id = std::move(id);
    target.domain = "example.com";
    target.displayName = "Example";
    target.enabled = enabled;
    target.linkedTargetId = std::move(linkedTargetId);
    return target;
}

class LinkedUnlockRestorerTest : public ::testing::Test {
protected:
    testkit::TempXdgHome home;
    P256SigningPrivateKey iphoneKey = P256SigningPrivateKey::generate();
    std::shared_ptr<FakeLinkedUnlocks> fetcher = std::make_shared<FakeLinkedUnlocks>();
    fs::path windows = AllowWindowStateStore::filePath();
    fs::path revisions = LinkedUnlockRevisionStateStore::filePath();
    LinkedUnlockStateRestorer restorer{fetcher, windows, revisions};

    MacLinkConfiguration configuration = pairedConfiguration();
    SyncedTargetList targets = linkedTargets();

    MacLinkConfiguration pairedConfiguration() const {
        MacLinkConfiguration paired;
        paired.backendBaseURL = "https://backend.example";
        paired.macDeviceId = "mac-1";
        paired.iosDeviceId = "iPhone-A";
        paired.iosSigningPublicKeyBase64 = base64Encode(iphoneKey.publicKey().rawRepresentation());
        paired.iosEncryptionPublicKeyBase64 = "unused";
        return paired;
    }

    // w1 and w2 belong to T1, w3 (disabled) to T2, w4 stands alone.
    static SyncedTargetList linkedTargets() {
        SyncedTargetList list;
        list.version = 1;
        list.webTargets = {webTarget("w1", "T1"), webTarget("w2", "T1"),
                           webTarget("w3", "T2", false), webTarget("w4", std::nullopt)};
        return list;
    }

    // A grant the paired iPhone signed for this Mac.
    LinkedUnlockState grant(std::string targetId, Date until, std::int64_t revision,
                            std::string iosDeviceId = "iPhone-A",
                            std::string macDeviceId = "mac-1") const {
        const LinkedUnlockSigningPayload payload{macDeviceId, targetId, until, iosDeviceId,
                                                 revision};
        return {iosDeviceId, targetId, until,
                UnlockContextCrypto::signLinkedUnlock(payload, iphoneKey), revision};
    }

    void setUpFiles() {
        AllowWindowStateStore::save({{"w1", at(60)}, {"w3", at(60)}, {"w4", at(3600)}}, windows);
        ASSERT_TRUE(LinkedUnlockRevisionStateStore::accept("T1", 5, revisions));
    }
};

TEST_F(LinkedUnlockRestorerTest, GrantsAreCheckedOneByOne) {
    const P256SigningPrivateKey stranger = P256SigningPrivateKey::generate();
    LinkedUnlockState forged = grant("T1", at(600), 6);
    forged.signature =
        UnlockContextCrypto::signLinkedUnlock({"mac-1", "T1", at(600), "iPhone-A", 6}, stranger);
    LinkedUnlockState extended = grant("T1", at(600), 6);
    extended.approvedUntil = at(6000);  // signed for 600 seconds

    struct Case {
        const char* what;
        std::vector<LinkedUnlockState> grants;
        std::map<std::string, Date> result;
        LinkedUnlockRevisionMap revisionsAfter;
    };
    const Case cases[] = {
        {"no grants", {}, {}, {{"T1", 5}}},
        {"a good grant covers both linked web targets",
         {grant("T1", at(600), 6)},
         {{"w1", at(600)}, {"w2", at(600)}},
         {{"T1", 6}}},
        {"the recorded revision itself is accepted",
         {grant("T1", at(600), 5)},
         {{"w1", at(600)}, {"w2", at(600)}},
         {{"T1", 5}}},
        {"an older revision is skipped", {grant("T1", at(600), 4)}, {}, {{"T1", 5}}},
        {"another iPhone is skipped", {grant("T1", at(600), 6, "iPhone-B")}, {}, {{"T1", 5}}},
        {"the device id is compared case-sensitively",
         {grant("T1", at(600), 6, "iphone-a")},
         {},
         {{"T1", 5}}},
        {"signed for another Mac", {grant("T1", at(600), 6, "iPhone-A", "mac-2")}, {}, {{"T1", 5}}},
        {"signed by another key", {forged}, {}, {{"T1", 5}}},
        {"a changed end time", {extended}, {}, {{"T1", 5}}},
        {"ending exactly now still records its revision", {grant("T1", now, 8)}, {}, {{"T1", 8}}},
        {"an ended grant", {grant("T1", at(-1), 6)}, {}, {{"T1", 6}}},
        {"the later end time wins, whatever the order",
         {grant("T1", at(900), 6), grant("T1", at(300), 7)},
         {{"w1", at(900)}, {"w2", at(900)}},
         {{"T1", 7}}},
        {"a disabled web target is linked all the same",
         {grant("T2", at(60), 1)},
         {{"w3", at(60)}},
         {{"T1", 5}, {"T2", 1}}},
        {"a target that no web target names",
         {grant("T9", at(600), 3)},
         {},
         {{"T1", 5}, {"T9", 3}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        fs::remove(windows);
        fs::remove(revisions);
        setUpFiles();
        fetcher->response.unlocks = c.grants;

        EXPECT_EQ(restorer.restore(configuration, targets, now), c.result);

        std::map<std::string, Date> expectedWindows = c.result;
        expectedWindows["w4"] = at(3600);  // not linked: kept
        EXPECT_EQ(AllowWindowStateStore::load(windows, now), expectedWindows);
        EXPECT_EQ(LinkedUnlockRevisionStateStore::load(revisions), c.revisionsAfter);
    }
    EXPECT_EQ(fetcher->askedFor.back(), "mac-1");
}

TEST_F(LinkedUnlockRestorerTest, UnreadableSignaturesAreSkippedAndTheRestGoesOn) {
    setUpFiles();
    LinkedUnlockState notBase64 = grant("T1", at(900), 6);
    notBase64.signature = "not base64!";
    LinkedUnlockState notDer = grant("T1", at(900), 6);
    notDer.signature = base64Encode(bytesOf("not a DER signature"));
    fetcher->response.unlocks = {notBase64, notDer, grant("T1", at(300), 6)};
    EXPECT_EQ(restorer.restore(configuration, targets, now),
              (std::map<std::string, Date>{{"w1", at(300)}, {"w2", at(300)}}));

    // A key that cannot be read skips every grant, and the linked windows end.
    configuration.iosSigningPublicKeyBase64 = base64Encode(bytesOf("short"));
    EXPECT_TRUE(restorer.restore(configuration, targets, now).empty());
    EXPECT_EQ(AllowWindowStateStore::load(windows, now), (AllowWindowMap{{"w4", at(3600)}}));
}

TEST_F(LinkedUnlockRestorerTest, AFailedFetchTouchesNoFile) {
    setUpFiles();
    const std::string before = testkit::readFile(windows);
    fetcher->failure = [] { throw BackendAPIError::httpStatus(503, ""); };
    fetcher->response.unlocks = {grant("T1", at(600), 9)};
    EXPECT_THROW(restorer.restore(configuration, targets, now), BackendAPIError);
    EXPECT_EQ(testkit::readFile(windows), before);
    EXPECT_EQ(LinkedUnlockRevisionStateStore::load(revisions),
              (LinkedUnlockRevisionMap{{"T1", 5}}));
}

TEST_F(LinkedUnlockRestorerTest, ARevisionStoreFailureStopsBeforeTheWindows) {
    setUpFiles();
    const std::string before = testkit::readFile(windows);
    fetcher->response.unlocks = {grant("T1", at(600), 6)};
    const testkit::FifoInPlace failing(revisions);
    EXPECT_THROW(restorer.restore(configuration, targets, now), std::system_error);
    EXPECT_EQ(testkit::readFile(windows), before);
}

TEST_F(LinkedUnlockRestorerTest, AWindowStoreFailureKeepsTheRecordedRevisions) {
    setUpFiles();
    fetcher->response.unlocks = {grant("T1", at(600), 6)};
    const testkit::FifoInPlace failing(windows);
    EXPECT_THROW(restorer.restore(configuration, targets, now), std::system_error);
    EXPECT_EQ(LinkedUnlockRevisionStateStore::load(revisions),
              (LinkedUnlockRevisionMap{{"T1", 6}}));
}

}  // namespace
}  // namespace quorvel::backend
