// The programs' own folders hold private state (the link file holds a bearer token): one that
// lets others in is made private again, and one of another user is never written into. The
// folders of the desktop around them keep their modes.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <functional>

#include "QuorvelShared/bridge/ble_local_connection_store.hpp"
#include "QuorvelShared/bridge/mac_link_configuration_store.hpp"
#include "QuorvelShared/support/clock.hpp"
#include "QuorvelShared/support/files.hpp"
#include "QuorvelShared/support/preferences.hpp"
#include "QuorvelShared/support/xdg_paths.hpp"
#include "QuorvelShared/unlockstate/allow_window_state_store.hpp"
#include "testkit/capture_error.hpp"
#include "testkit/recording_poster.hpp"
#include "testkit/temp_xdg.hpp"

namespace quorvel {
namespace {

namespace fs = std::filesystem;

// Any user but the one the tests run as.
constexpr uid_t anotherUser = 65534;

using testkit::modeOf;

class FolderModes : public ::testing::Test {
protected:
    testkit::TempXdgHome home;
    testkit::ScopedRecordingPoster poster;
    JsonFilePreferences defaults{std::string(preferenceDomains::application)};

    void makeOpenFolder(const fs::path& folder) {
        fs::create_directories(folder);
        ASSERT_EQ(::chmod(folder.c_str(), 0755), 0);
    }
};

TEST_F(FolderModes, OwnFoldersThatLetOthersInAreMadePrivateAndTheDesktopsAreNot) {
    const fs::path defaultsFolder = defaults.fileLocation().parent_path();
    for (const fs::path& folder : {home.stateFolder(), defaultsFolder}) {
        makeOpenFolder(folder);
    }
    ASSERT_EQ(::chmod(defaultsFolder.parent_path().c_str(), 0751), 0);
    ASSERT_EQ(::chmod(home.dataHome().c_str(), 0755), 0);
    ASSERT_EQ(::chmod(home.configHome().c_str(), 0755), 0);

    AllowWindowStateStore::load(systemClock().now());
    defaults.setBoolean("flag", true);

    EXPECT_EQ(modeOf(home.stateFolder()), 0700u);
    EXPECT_EQ(modeOf(defaultsFolder), 0700u);
    EXPECT_EQ(modeOf(defaultsFolder.parent_path()), 0700u);
    EXPECT_EQ(modeOf(home.dataHome()), 0755u);
    EXPECT_EQ(modeOf(home.configHome()), 0755u);
}

TEST_F(FolderModes, ASharedFolderOfAnotherUserIsAnErrorNamingItAndNothingIsWrittenThere) {
    makeOpenFolder(home.stateFolder());
    if (::chown(home.stateFolder().c_str(), anotherUser, anotherUser) != 0) {
        GTEST_SKIP() << "giving a folder to another user needs root";
    }
    const auto expectRefusal = [&](const char* what, const std::function<void()>& operation) {
        SCOPED_TRACE(what);
        const auto error = testkit::captureError<fs::filesystem_error>(operation);
        ASSERT_TRUE(error) << "no error";
        EXPECT_EQ(error->path1(), home.stateFolder());
        EXPECT_NE(std::string(error->what()).find("owned by user 65534"), std::string::npos)
            << error->what();
    };
    expectRefusal("the folder", [] { paths::sharedStateFolder(); });
    expectRefusal("a save",
                  [] { BLELocalConnectionStore::save(BluetoothLinkState::connected, "iPhone"); });
    expectRefusal("a load", [] { MacLinkConfigurationStore::load(); });
    EXPECT_TRUE(AllowWindowStateStore::load(systemClock().now()).empty());
    EXPECT_TRUE(fs::is_empty(home.stateFolder()));
    EXPECT_EQ(modeOf(home.stateFolder()), 0755u);
    EXPECT_TRUE(poster.posted().empty());
}

TEST_F(FolderModes, AUserDefaultsFolderOfAnotherUserIsAnErrorAndStaysEmpty) {
    const fs::path defaultsFolder = defaults.fileLocation().parent_path();
    makeOpenFolder(defaultsFolder);
    if (::chown(defaultsFolder.c_str(), anotherUser, anotherUser) != 0) {
        GTEST_SKIP() << "giving a folder to another user needs root";
    }
    EXPECT_THROW(defaults.setString("k", "v"), fs::filesystem_error);
    EXPECT_TRUE(fs::is_empty(defaultsFolder));
    EXPECT_EQ(defaults.string("k"), std::nullopt);
}

}  // namespace
}  // namespace quorvel
