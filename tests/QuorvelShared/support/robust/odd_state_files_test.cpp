// Every store that the programs read, with something odd in its file's place: the operation ends
// in an error that names the file and what stands there, and the thing is left as it was. Before,
// a FIFO blocked the reader in open() for ever and /dev/zero was read until memory ran out; a
// hang here ends the run at the test time-out.
#include <gtest/gtest.h>

#include <functional>
#include <set>

#include "QuorvelShared/bridge/ble_local_bridge_store.hpp"
#include "QuorvelShared/bridge/ble_local_connection_store.hpp"
#include "QuorvelShared/bridge/ble_local_pairing_session_store.hpp"
#include "QuorvelShared/bridge/chrome_profile_connection_store.hpp"
#include "QuorvelShared/bridge/mac_link_configuration_store.hpp"
#include "QuorvelShared/policy/mac_target_policy_store.hpp"
#include "QuorvelShared/support/clock.hpp"
#include "QuorvelShared/support/file_lock.hpp"
#include "QuorvelShared/support/files.hpp"
#include "QuorvelShared/support/preferences.hpp"
#include "QuorvelShared/unlockstate/allow_window_state_store.hpp"
#include "QuorvelShared/unlockstate/ble_local_accepted_approval_receipt_store.hpp"
#include "QuorvelShared/unlockstate/linked_unlock_revision_state_store.hpp"
#include "QuorvelShared/unlockstate/remote_open_event_store.hpp"
#include "QuorvelShared/unlockstate/synced_target_state_store.hpp"
#include "testkit/capture_error.hpp"
#include "testkit/odd_files.hpp"
#include "testkit/recording_poster.hpp"
#include "testkit/temp_xdg.hpp"

namespace quorvel {
namespace {

namespace fs = std::filesystem;
using testkit::OddFile;

struct StoreOperation {
    const char* name;
    std::function<fs::path()> file;
    std::function<void()> run;
};

Date soon() {
    return systemClock().now().addingSeconds(3600);
}

BLELocalAcceptedApprovalReceipt sampleReceipt() {
    BLELocalAcceptedApprovalReceipt receipt;
    receipt.requestId = "req_1";
    receipt.approvedDurationSeconds = 60;
    receipt.approvedUntil = soon();
    receipt.approvalSignature = "c2ln";
    receipt.acceptedAt = systemClock().now();
    return receipt;
}

JsonFilePreferences defaults() {
    return JsonFilePreferences(std::string(preferenceDomains::sharedAppGroup));
}

// For each store, an operation of each program that must stop at the file: the reads that report
// their failure, and the read-modify-writes that must never take an unread file for an empty one.
const std::vector<StoreOperation>& storeOperations() {
    static const std::vector<StoreOperation> operations = {
        {"grant of an allow window", AllowWindowStateStore::filePath,
         [] { AllowWindowStateStore::grant("t1", soon(), AllowWindowStateStore::filePath()); }},
        {"revoke of an allow window", AllowWindowStateStore::filePath,
         [] { AllowWindowStateStore::revoke("t1", AllowWindowStateStore::filePath()); }},
        {"acceptance of a linked-unlock revision", LinkedUnlockRevisionStateStore::filePath,
         [] {
             LinkedUnlockRevisionStateStore::accept("app", 3,
                                                    LinkedUnlockRevisionStateStore::filePath());
         }},
        {"save of an approval receipt", BLELocalAcceptedApprovalReceiptStore::filePath,
         [] {
             BLELocalAcceptedApprovalReceiptStore::save(
                 sampleReceipt(), BLELocalAcceptedApprovalReceiptStore::filePath());
         }},
        {"count of a remote open", RemoteOpenEventStore::defaultFilePath,
         [] {
             (void)RemoteOpenEventStore(RemoteOpenEventStore::defaultFilePath())
                 .recordImpression("p1", "t1", systemClock().now());
         }},
        {"snapshot of the remote opens", RemoteOpenEventStore::defaultFilePath,
         [] {
             (void)RemoteOpenEventStore(RemoteOpenEventStore::defaultFilePath())
                 .snapshotForUnlock(systemClock().now());
         }},
        {"load of the synced web targets", [] { return SyncedTargetStateStore::filePath(); },
         [] { SyncedTargetStateStore::load(); }},
        {"save of newer synced web targets", [] { return SyncedTargetStateStore::filePath(); },
         [] { SyncedTargetStateStore::saveIfNewer({}, SyncedTargetStateStore::filePath()); }},
        {"pending requests of the mailbox", BLELocalBridgeStore::stateURL,
         [] { BLELocalBridgeStore::loadPendingRequests(); }},
        {"pick-up marks put in the mailbox", BLELocalBridgeStore::stateURL,
         [] { BLELocalBridgeStore::savePickUpMarks({"req_1"}); }},
        {"a response looked for in the mailbox", BLELocalBridgeStore::stateURL,
         [] { BLELocalBridgeStore::loadResponse("req_1"); }},
        {"load of the Bluetooth status", BLELocalConnectionStore::filePath,
         [] { BLELocalConnectionStore::load(); }},
        {"load of the pairing session", BLELocalPairingSessionStore::filePath,
         [] { BLELocalPairingSessionStore::load(); }},
        {"load of the browser profiles", ChromeProfileConnectionStore::filePath,
         [] { ChromeProfileConnectionStore::load(); }},
        {"record of a browser profile", ChromeProfileConnectionStore::filePath,
         [] {
             ChromeProfileConnectionStore::recordConnected("p1", std::nullopt, systemClock().now());
         }},
        {"load of the link configuration", MacLinkConfigurationStore::filePath,
         [] { MacLinkConfigurationStore::load(); }},
        {"load of the target policies", MacTargetPolicyStore::filePath,
         [] { MacTargetPolicyStore::load(); }},
        {"change of a user default", [] { return defaults().fileLocation(); },
         [] { defaults().setString("quorvel.language", "english"); }},
    };
    return operations;
}

class OddStateFiles : public ::testing::Test {
protected:
    testkit::TempXdgHome home;
    testkit::ScopedRecordingPoster poster;
};

TEST_F(OddStateFiles, EveryStoreStopsWithAnErrorNamingTheFileAndLeavesItAlone) {
    for (const StoreOperation& operation : storeOperations()) {
        for (const OddFile& odd : testkit::oddFiles()) {
            SCOPED_TRACE(std::string(operation.name) + ", " + odd.name);
            testkit::TempXdgHome caseHome;
            const fs::path file = operation.file();
            fs::create_directories(file.parent_path());
            odd.make(file);
            const testkit::PathState before = testkit::pathState(file);
            const auto error = testkit::captureError<std::system_error>(operation.run);
            ASSERT_TRUE(error) << "no error";
            const std::string text = error->what();
            EXPECT_NE(text.find(file.string()), std::string::npos) << text;
            EXPECT_NE(text.find(odd.inError), std::string::npos) << text;
            EXPECT_EQ(testkit::pathState(file), before);
            EXPECT_TRUE(poster.posted().empty());
        }
    }
}

// The loads that never fail answer "nothing" and touch nothing.
TEST_F(OddStateFiles, LoadsThatNeverFailGiveNothing) {
    const Date now = systemClock().now();
    for (const OddFile& odd : testkit::oddFiles()) {
        SCOPED_TRACE(odd.name);
        testkit::TempXdgHome caseHome;
        const fs::path preferences = defaults().fileLocation();
        fs::create_directories(preferences.parent_path());
        const fs::path files[] = {
            AllowWindowStateStore::filePath(), LinkedUnlockRevisionStateStore::filePath(),
            SyncedTargetStateStore::filePath(), MacTargetPolicyStore::filePath(), preferences};
        std::vector<testkit::PathState> before;
        for (const fs::path& file : files) {
            odd.make(file);
            before.push_back(testkit::pathState(file));
        }
        EXPECT_TRUE(AllowWindowStateStore::load(now).empty());
        EXPECT_TRUE(LinkedUnlockRevisionStateStore::load(LinkedUnlockRevisionStateStore::filePath())
                        .empty());
        EXPECT_EQ(SyncedTargetStateStore::policy("t1"), std::nullopt);
        EXPECT_EQ(MacTargetPolicyStore::policy("t1", DefaultLockPolicy::defaultFree()),
                  DefaultLockPolicy::defaultFree());
        EXPECT_EQ(defaults().string("quorvel.language"), std::nullopt);
        for (std::size_t i = 0; i < before.size(); ++i) {
            EXPECT_EQ(testkit::pathState(files[i]), before[i]) << files[i];
        }
    }
}

// A lock file is never read, but something other than a regular file in its place (a FIFO, a
// device that could block its opener) is refused before any lock is taken.
TEST_F(OddStateFiles, ALockFileThatIsNotARegularFileIsAnErrorNamingIt) {
    std::mutex processLock;
    for (const OddFile& odd : testkit::oddFiles()) {
        if (!odd.notRegular) {
            continue;
        }
        SCOPED_TRACE(odd.name);
        testkit::TempXdgHome caseHome;
        const fs::path lockFile = files::coordinationLockFile(AllowWindowStateStore::filePath());
        odd.make(lockFile);
        const testkit::PathState before = testkit::pathState(lockFile);
        bool ran = false;
        const auto error = testkit::captureError<std::system_error>(
            [&] { files::withLockedFile(processLock, lockFile, [&] { ran = true; }); });
        ASSERT_TRUE(error) << "no error";
        const std::string text = error->what();
        EXPECT_NE(text.find(lockFile.string()), std::string::npos) << text;
        EXPECT_NE(text.find(odd.inError), std::string::npos) << text;
        EXPECT_FALSE(ran);
        EXPECT_EQ(testkit::pathState(lockFile), before);
        EXPECT_THROW(AllowWindowStateStore::grant("t1", soon(), AllowWindowStateStore::filePath()),
                     std::system_error);
        EXPECT_FALSE(fs::exists(fs::symlink_status(AllowWindowStateStore::filePath())));
    }
}

}  // namespace
}  // namespace quorvel
