// The model starting with something odd in place of its targets file, and of the files it only
// reads: the targets file takes the path of any unreadable one (kept aside, untouched, under
// "mac-targets.json.unreadable-<time>", and the built-in targets used), and the others are left
// where they are as they are.
#include <gtest/gtest.h>

#include "QuorvelMac/model/model_fixture.hpp"
#include "QuorvelShared/bridge/ble_local_connection_store.hpp"
#include "QuorvelShared/bridge/chrome_profile_connection_store.hpp"
#include "QuorvelShared/bridge/mac_link_configuration_store.hpp"
#include "QuorvelShared/unlockstate/allow_window_state_store.hpp"
#include "QuorvelShared/unlockstate/synced_target_state_store.hpp"
#include "testkit/odd_files.hpp"

namespace quorvel::modeltest {
namespace {

namespace fs = std::filesystem;

std::vector<fs::path> keptAside(const fs::path& folder) {
    std::vector<fs::path> found;
    for (const auto& entry : fs::directory_iterator(folder)) {
        if (entry.path().filename().string().starts_with("mac-targets.json.unreadable-"))
            found.push_back(entry.path());
    }
    return found;
}

TEST_F(ModelTest, StartsWithTheBuiltInTargetsWhateverStandsInItsFiles) {
    for (const testkit::OddFile& odd : testkit::oddFiles()) {
        SCOPED_TRACE(odd.name);
        testkit::TempXdgHome caseHome;
        fs::create_directories(caseHome.stateFolder());
        const fs::path targetsFile = MacTargetStore::filePath();
        odd.make(targetsFile);
        const testkit::PathState targetsBefore = testkit::pathState(targetsFile);
        const fs::path readOnly[] = {
            AllowWindowStateStore::filePath(), SyncedTargetStateStore::filePath(),
            MacLinkConfigurationStore::filePath(), BLELocalConnectionStore::filePath(),
            ChromeProfileConnectionStore::filePath()};
        std::vector<testkit::PathState> before;
        for (const fs::path& file : readOnly) {
            odd.make(file);
            before.push_back(testkit::pathState(file));
        }

        auto model = makeModel();
        EXPECT_EQ(model->targets(), defaultTargets());
        EXPECT_EQ(MacTargetStore::load(), defaultTargets());
        EXPECT_FALSE(model->targetStoreError());
        const auto aside = keptAside(caseHome.stateFolder());
        ASSERT_EQ(aside.size(), 1u);
        EXPECT_EQ(testkit::pathState(aside[0]), targetsBefore);
        for (std::size_t i = 0; i < before.size(); ++i)
            EXPECT_EQ(testkit::pathState(readOnly[i]), before[i]) << readOnly[i];
    }
}

}  // namespace
}  // namespace quorvel::modeltest
