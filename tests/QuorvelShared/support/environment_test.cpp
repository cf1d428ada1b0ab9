#include <gtest/gtest.h>
#include <sys/stat.h>

#include <functional>
#include <mutex>

#include "QuorvelShared/support/file_lock.hpp"
#include "QuorvelShared/support/notifications.hpp"
#include "QuorvelShared/support/preferences.hpp"
#include "QuorvelShared/support/xdg_paths.hpp"
#include "testkit/recording_poster.hpp"
#include "testkit/temp_xdg.hpp"

namespace quorvel {
namespace {

namespace fs = std::filesystem;

TEST(SharedStateFolder, IsMadePrivateAndRemadeAfterRemoval) {
    testkit::TempXdgHome home;
    const fs::path folder = paths::sharedStateFolder();
    EXPECT_EQ(folder, home.stateFolder());
    struct stat info {};
    ASSERT_EQ(::stat(folder.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0700u);
    fs::remove_all(folder);
    EXPECT_EQ(paths::sharedStateFile("x.json"), folder / "x.json");
    EXPECT_TRUE(fs::is_directory(folder));
}

TEST(SharedStateFolder, StaysPrivateWhicheverPathMakesItAgain) {
    testkit::TempXdgHome home;
    const mode_t previousMask = ::umask(022);
    struct Row {
        const char* what;
        std::function<void(const fs::path& file)> make;
    };
    const Row rows[] = {
        {"a coordinated file's lock",
         [](const fs::path& file) { files::withCoordinatedFile(file, [] {}); }},
        {"a fixed lock file",
         [](const fs::path& file) {
             std::mutex lock;
             files::withLockedFile(lock, file.parent_path() / ".fixed.lock", [] {});
         }},
        {"a store making its file's folder",
         [](const fs::path& file) { files::createDirectories(file.parent_path()); }},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        // The path is taken first; the folder, and the data home above it, go away afterwards.
        const fs::path file = paths::sharedStateFile("state.json");
        fs::remove_all(home.dataHome());
        row.make(file);
        for (const fs::path& folder : {home.dataHome(), home.stateFolder()}) {
            struct stat info {};
            ASSERT_EQ(::stat(folder.c_str(), &info), 0) << folder;
            EXPECT_EQ(info.st_mode & 0777, 0700u) << folder;
        }
    }
    ::umask(previousMask);
}

TEST(SharedStateFolder, RelativeXdgValuesAreIgnored) {
    testkit::TempXdgHome home;
    ::setenv("XDG_DATA_HOME", "relative/data", 1);
    EXPECT_EQ(paths::dataHome().filename(), "share");
}

TEST(Preferences, RoundTripThroughTheDomainFile) {
    testkit::TempXdgHome home;
    JsonFilePreferences prefs(std::string(preferenceDomains::sharedAppGroup));
    EXPECT_EQ(prefs.string("quorvel.language"), std::nullopt);
    prefs.setString("quorvel.language", "english");
    prefs.setBoolean("mac.setup.app-selection-step-finished", true);
    EXPECT_EQ(prefs.fileLocation(),
              home.configHome() / "Quorvel/defaults/group.com.merrowind.tollquake.json");
    JsonFilePreferences again(std::string(preferenceDomains::sharedAppGroup));
    EXPECT_EQ(again.string("quorvel.language"), "english");
    EXPECT_EQ(again.boolean("mac.setup.app-selection-step-finished"), true);
    EXPECT_EQ(again.boolean("quorvel.language"), std::nullopt);
}

TEST(Preferences, UndecodableFileReadsEmptyAndIsReplacedOnChange) {
    testkit::TempXdgHome home;
    JsonFilePreferences prefs("app.quorvel.mac");
    testkit::writeFile(prefs.fileLocation(), "not json");
    EXPECT_EQ(prefs.string("k"), std::nullopt);
    prefs.setString("k", "v");
    EXPECT_EQ(prefs.string("k"), "v");
}

TEST(Notifications, PostingWithoutAPosterFailsLoudly) {
    installNotificationPoster(nullptr);
    EXPECT_THROW(postNotification("app.quorvel.bleBridge.request"), std::logic_error);
}

TEST(Notifications, InstalledPosterReceivesPostsInOrder) {
    testkit::ScopedRecordingPoster poster;
    postNotification("a");
    postNotification("b");
    EXPECT_EQ(poster.posted(), (std::vector<std::string>{"a", "b"}));
}

TEST(Notifications, AFailedPostAfterAWriteIsReportedButNotThrown) {
    testkit::ScopedFailingPoster poster;
    testing::internal::CaptureStderr();
    EXPECT_NO_THROW(postAfterWrite("app.quorvel.bleBridge.response"));
    const std::string reported = testing::internal::GetCapturedStderr();
    EXPECT_EQ(poster.attempts(), 1);
    EXPECT_NE(reported.find("app.quorvel.bleBridge.response"), std::string::npos) << reported;
    EXPECT_NE(reported.find("the session bus is gone"), std::string::npos) << reported;
    EXPECT_THROW(postNotification("app.quorvel.bleBridge.response"), std::runtime_error);
}

TEST(Notifications, PostAfterAWriteWithoutAPosterStillFailsLoudly) {
    installNotificationPoster(nullptr);
    EXPECT_THROW(postAfterWrite("app.quorvel.bleBridge.request"), std::logic_error);
}

}  // namespace
}  // namespace quorvel
