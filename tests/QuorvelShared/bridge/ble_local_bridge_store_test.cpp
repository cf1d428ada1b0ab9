#include "QuorvelShared/bridge/ble_local_bridge_store.hpp"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include "testkit/recording_poster.hpp"
#include "testkit/temp_xdg.hpp"

namespace quorvel {
namespace {

namespace fs = std::filesystem;

TEST(BLELocalBridgeStore, UsesTheMailboxInTheSharedStateFolderAndPostsNothing) {
    testkit::TempXdgHome home;
    testkit::ScopedRecordingPoster poster;
    EXPECT_EQ(BLELocalBridgeStore::requestNotification, "app.quorvel.bleBridge.request");
    EXPECT_EQ(BLELocalBridgeStore::responseNotification, "app.quorvel.bleBridge.response");
    EXPECT_EQ(BLELocalBridgeStore::stateURL(), home.stateFolder() / "ble-bridge-state.json");

    BLELocalPrototypeWireMessage refresh;
    refresh.kind = BLELocalPrototypeMessageKind::stateRefreshRequest;
    refresh.requestId = "state_refresh_1";
    refresh.macDeviceId = "mac-1";
    BLELocalBridgeStore::saveRequest({"state_refresh_1", refresh, 3600});
    EXPECT_EQ(BLELocalBridgeStore::loadPendingRequests(),
              (std::vector<BLELocalBridgeRequest>{{"state_refresh_1", refresh, 3600}}));
    BLELocalBridgeStore::saveResponse({"state_refresh_1", true, {}, "no phone"});
    EXPECT_TRUE(BLELocalBridgeStore::loadPendingRequests().empty());
    EXPECT_EQ(BLELocalBridgeStore::loadResponse("state_refresh_1"),
              (BLELocalBridgeResponse{"state_refresh_1", true, {}, "no phone"}));

    EXPECT_TRUE(fs::exists(home.stateFolder() / ".ble-bridge-state.lock"));
    struct stat info {};
    ASSERT_EQ(::stat(home.stateFolder().c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0700u);
    EXPECT_TRUE(poster.posted().empty());
}

}  // namespace
}  // namespace quorvel
