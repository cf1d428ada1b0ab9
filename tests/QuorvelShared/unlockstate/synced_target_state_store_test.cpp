#include "QuorvelShared/unlockstate/synced_target_state_store.hpp"

#include <gtest/gtest.h>

#include <cerrno>
#include <functional>
#include <system_error>

#include "QuorvelShared/support/json_reader.hpp"
#include "synced_target_samples.hpp"
#include "testkit/odd_files.hpp"
#include "testkit/recording_poster.hpp"
#include "testkit/temp_xdg.hpp"

namespace quorvel {
namespace {

namespace fs = std::filesystem;
using testing::sampleSyncedList;

const std::vector<std::string> oneChange{"com.oddmoor.pellorim.target-sync-changed"};

class SyncedTargetStoreTest : public ::testing::Test {
protected:
    testkit::TempXdgHome home;
    testkit::ScopedRecordingPoster poster;
    fs::path file = SyncedTargetStateStore::filePath();

    std::string contents() const { return testkit::readFile(file); }
};

TEST_F(SyncedTargetStoreTest, SaveWritesTheDefaultFileAndThenAnnouncesIt) {
    EXPECT_EQ(file, home.stateFolder() / "synced-web-targets.json");
    EXPECT_EQ(SyncedTargetStateStore::load(), std::nullopt);
    SyncedTargetStateStore::save(sampleSyncedList(1));
    EXPECT_EQ(poster.posted(), oneChange);
    EXPECT_EQ(SyncedTargetStateStore::load(), sampleSyncedList(1));
    EXPECT_TRUE(contents().starts_with("{\n  \"generatedAt\" : \"2024-05-01T10:00:00Z\",\n"));
    EXPECT_NE(contents().find("\"id\" : \"web:news.example.org\\/\""), std::string::npos);
}

TEST_F(SyncedTargetStoreTest, FailedWriteKeepsTheFileAndAnnouncesNothing) {
    fs::create_directory(file);  // a folder in the file's place: the rename fails
    EXPECT_THROW(SyncedTargetStateStore::save(sampleSyncedList(1)), std::system_error);
    EXPECT_THROW(SyncedTargetStateStore::saveIfNewer(sampleSyncedList(1), file), std::system_error);
    EXPECT_TRUE(poster.posted().empty());
}

TEST(SyncedTargetStore, AFailedPostAfterTheWriteLeavesTheSaveStanding) {
    testkit::TempXdgHome home;
    testkit::ScopedFailingPoster poster;
    const fs::path file = SyncedTargetStateStore::filePath();
    struct Row {
        const char* what;
        std::function<void()> save;
        std::int64_t stored;
    };
    const Row rows[] = {
        {"save", [] { SyncedTargetStateStore::save(sampleSyncedList(1)); }, 1},
        {"saveIfNewer",
         [&] { EXPECT_TRUE(SyncedTargetStateStore::saveIfNewer(sampleSyncedList(2), file)); }, 2},
    };
    int attempts = 0;
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        ::testing::internal::CaptureStderr();
        EXPECT_NO_THROW(row.save());
        const std::string reported = ::testing::internal::GetCapturedStderr();
        EXPECT_EQ(poster.attempts(), ++attempts);
        EXPECT_NE(reported.find(oneChange[0]), std::string::npos) << reported;
        EXPECT_EQ(SyncedTargetStateStore::load(), sampleSyncedList(row.stored));
    }
}

TEST_F(SyncedTargetStoreTest, OtherLocationsAreWrittenWithoutAnnouncement) {
    const fs::path elsewhere = home.root() / "refresh.json";
    SyncedTargetStateStore::save(sampleSyncedList(1), elsewhere);
    EXPECT_TRUE(SyncedTargetStateStore::saveIfNewer(sampleSyncedList(2), elsewhere));
    EXPECT_EQ(SyncedTargetStateStore::load(elsewhere), sampleSyncedList(2));
    EXPECT_TRUE(poster.posted().empty());
    EXPECT_FALSE(fs::exists(file));

    SyncedTargetStateStore::save(sampleSyncedList(1), home.stateFolder() / "." / file.filename());
    EXPECT_EQ(poster.posted(), oneChange);
}

TEST_F(SyncedTargetStoreTest, SaveIfNewerKeepsTheNewerList) {
    const std::string metadataOnly =
        R"({"version":5,"generatedAt":"2024-05-01T10:00:00Z","webTargets":[]})";
    struct Case {
        const char* what;
        std::optional<std::string> stored;  // no value: the full list of version 5
        std::int64_t newVersion;
        bool written;
    };
    const Case cases[] = {
        {"full list, equal version", std::nullopt, 5, false},
        {"full list, older version", std::nullopt, 4, false},
        {"full list, newer version", std::nullopt, 6, true},
        {"only the version reads, equal version", metadataOnly, 5, true},
        {"only the version reads, older version", metadataOnly, 4, false},
        {"not JSON", std::string("garbage"), -1, true},
        {"no version at all", std::string(R"({"webTargets":[]})"), INT64_MIN, true},
        {"a version of another type", std::string(R"({"version":"9"})"), 0, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        SyncedTargetStateStore::save(sampleSyncedList(5), file);
        if (c.stored) {
            testkit::writeFile(file, *c.stored);
        }
        const std::string before = contents();
        poster.clear();

        EXPECT_EQ(SyncedTargetStateStore::saveIfNewer(sampleSyncedList(c.newVersion), file),
                  c.written);
        if (c.written) {
            EXPECT_EQ(SyncedTargetStateStore::load(), sampleSyncedList(c.newVersion));
            EXPECT_EQ(poster.posted(), oneChange);
        } else {
            EXPECT_EQ(contents(), before);
            EXPECT_TRUE(poster.posted().empty());
        }
    }
}

TEST_F(SyncedTargetStoreTest, SaveIfNewerWithoutAFileWritesAndAnnounces) {
    EXPECT_TRUE(SyncedTargetStateStore::saveIfNewer(sampleSyncedList(-4), file));
    EXPECT_EQ(SyncedTargetStateStore::load(file), sampleSyncedList(-4));
    EXPECT_EQ(poster.posted(), oneChange);
}

TEST_F(SyncedTargetStoreTest, AFailingReadIsReportedAndNothingIsWritten) {
    SyncedTargetStateStore::save(sampleSyncedList(5));
    const std::string before = contents();
    poster.clear();
    {
        const testkit::FifoInPlace failure(file);
        EXPECT_THROW(SyncedTargetStateStore::saveIfNewer(sampleSyncedList(9), file),
                     std::system_error);
        EXPECT_THROW(SyncedTargetStateStore::load(), std::system_error);
        EXPECT_EQ(SyncedTargetStateStore::policy("link:ios-app-1#example.com"), std::nullopt);
    }
    EXPECT_EQ(contents(), before);
    EXPECT_TRUE(poster.posted().empty());
}

TEST_F(SyncedTargetStoreTest, LoadRefusesContentThatIsNotACompleteList) {
    testkit::writeFile(file, "{}");
    EXPECT_THROW(SyncedTargetStateStore::load(), json::DecodeError);

    SyncedTargetList withoutPolicy = sampleSyncedList(2);
    withoutPolicy.macAppUnlockPolicy.reset();
    SyncedTargetStateStore::save(withoutPolicy);
    std::string text = contents();
    text.insert(1, "\n  \"macAppUnlockPolicy\" : null,");
    testkit::writeFile(file, text);
    EXPECT_EQ(SyncedTargetStateStore::load(), withoutPolicy);
    SyncedTargetStateStore::save(*SyncedTargetStateStore::load());
    EXPECT_EQ(contents().find("macAppUnlockPolicy"), std::string::npos);
}

TEST_F(SyncedTargetStoreTest, PolicyIsTheFirstStoredTargetsWithThatId) {
    EXPECT_EQ(SyncedTargetStateStore::policy("x"), std::nullopt);

    SyncedTargetList list = sampleSyncedList(1);
    SyncedWebTarget twin = list.webTargets[0];
    twin.policy.warningBeforeEndSeconds = 5;
    list.webTargets.push_back(twin);
    SyncedTargetStateStore::save(list);
    EXPECT_EQ(SyncedTargetStateStore::policy("link:ios-app-1#example.com"),
              list.webTargets[0].policy);
    EXPECT_EQ(SyncedTargetStateStore::policy("web:news.example.org/"), list.webTargets[1].policy);
    EXPECT_EQ(SyncedTargetStateStore::policy("link:ios-app-1#EXAMPLE.com"), std::nullopt);

    testkit::writeFile(file, "{\"version\": 1}");
    EXPECT_EQ(SyncedTargetStateStore::policy("link:ios-app-1#example.com"), std::nullopt);
}

}  // namespace
}  // namespace quorvel
