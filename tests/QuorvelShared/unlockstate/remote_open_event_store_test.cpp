#include "QuorvelShared/unlockstate/remote_open_event_store.hpp"

#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>

#include <cerrno>
#include <functional>
#include <system_error>

#include "QuorvelShared/support/json_writer.hpp"
#include "QuorvelShared/support/uuid.hpp"
#include "QuorvelShared/unlockstate/remote_open_state.hpp"
#include "testkit/child_process.hpp"
#include "testkit/odd_files.hpp"
#include "testkit/temp_xdg.hpp"

namespace quorvel {
namespace {

namespace fs = std::filesystem;
using remoteopen::State;

// 2024-05-01T01:30:00Z, 10:30 in Tokyo.
const Date t0 = Date::fromUnixSeconds(1714527000);

Date at(double secondsAfterT0) {
    return t0.addingSeconds(secondsAfterT0);
}

std::vector<std::int64_t> hoursWith(std::size_t hour, std::int64_t count) {
    std::vector<std::int64_t> hours(24, 0);
    hours[hour] = count;
    return hours;
}

class RemoteOpenStoreTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        // The store captures the zone at first use; every test here counts in Tokyo's days.
        ::setenv("TZ", "Asia/Tokyo", 1);
    }

    testkit::TempXdgHome home;
    fs::path file = RemoteOpenEventStore::defaultFilePath();
    fs::path lockFile = home.stateFolder() / ".remote-open-events.json.lock";
    RemoteOpenEventStore store{file};

    State state() const { return remoteopen::decodeState(testkit::readFile(file)); }
    void writeState(const State& s) const {
        testkit::writeFile(file, json::write(remoteopen::toJson(s), json::Style::compact));
    }
    std::int64_t countOf(const std::string& targetId) const {
        for (const auto& entry : state().activeEntries) {
            if (entry.targetId == targetId) {
                return entry.count;
            }
        }
        return 0;
    }
};

TEST_F(RemoteOpenStoreTest, FirstReportCountsIntoItsLocalDayAndHour) {
    EXPECT_EQ(file, home.stateFolder() / "remote-open-events.json");
    EXPECT_FALSE(fs::exists(file));
    EXPECT_TRUE(store.recordImpression("p1", "t", t0));
    const State expected{
        .activeEntries = {{"t", "2024-05-01", 1, hoursWith(10, 1), t0}},
        .frozenBatches = {},
        .recentImpressions = {{"p1", "t", t0}},
    };
    EXPECT_EQ(state(), expected);
    EXPECT_EQ(testkit::readFile(file).substr(0, 37),
              "{\"activeEntries\":[{\"targetId\":\"t\",\"da");
    EXPECT_TRUE(fs::exists(lockFile));
}

TEST_F(RemoteOpenStoreTest, RepeatedReportsOfOneProfileAndTargetFoldWithinTenSeconds) {
    struct Step {
        std::string profile;
        double offset;
        bool counted;
        std::int64_t countAfter;
    };
    const Step steps[] = {
        {"p1", 0, true, 1},    {"p1", 10, false, 1},  // exactly 10 s: folded
        {"p1", 19, false, 1},                         // 9 s after the last report
        {"p1", 30, true, 2},   {"p2", 31, true, 3},   // per profile
        {"p1", 21, false, 3},                         // 9 s before the last report
        {"p1", 40.5, true, 4},                        // 10.5 s
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.profile + " at " + std::to_string(step.offset));
        EXPECT_EQ(store.recordImpression(step.profile, "t", at(step.offset)), step.counted);
        EXPECT_EQ(countOf("t"), step.countAfter);
    }
    const auto impressions = state().recentImpressions;
    ASSERT_EQ(impressions.size(), 2u);
    EXPECT_EQ(impressions[0].seenAt, at(40));  // the file keeps whole seconds
    EXPECT_EQ(impressions[1].seenAt, at(31));
}

TEST_F(RemoteOpenStoreTest, OpensAreCountedPerTargetAndLocalDay) {
    const Date lastMinuteOfMay1 = Date::fromUnixSeconds(1714575540);  // 23:59 in Tokyo
    EXPECT_TRUE(store.recordImpression("p", "a", lastMinuteOfMay1));
    EXPECT_TRUE(store.recordImpression("p", "a", lastMinuteOfMay1.addingSeconds(90)));
    EXPECT_TRUE(store.recordImpression("p", "b", lastMinuteOfMay1.addingSeconds(100)));
    const std::vector<RemoteOpenDailyCount> expected{
        {"a", "2024-05-01", 1, hoursWith(23, 1), lastMinuteOfMay1},
        {"a", "2024-05-02", 1, hoursWith(0, 1), lastMinuteOfMay1.addingSeconds(90)},
        {"b", "2024-05-02", 1, hoursWith(0, 1), lastMinuteOfMay1.addingSeconds(100)},
    };
    EXPECT_EQ(state().activeEntries, expected);
}

TEST_F(RemoteOpenStoreTest, StoredShortHourListIsBroughtToTwentyFourHoursBeforeCounting) {
    RemoteOpenDailyCount shortList{"t", "2024-05-01", 6, {1, 2, 3}, at(-100)};
    writeState({.activeEntries = {shortList}, .frozenBatches = {}, .recentImpressions = {}});
    EXPECT_TRUE(store.recordImpression("p", "t", t0));
    std::vector<std::int64_t> hours(24, 0);
    hours[0] = 1;
    hours[1] = 2;
    hours[2] = 3;
    hours[10] = 1;
    EXPECT_EQ(state().activeEntries,
              (std::vector<RemoteOpenDailyCount>{{"t", "2024-05-01", 7, hours, t0}}));
}

TEST_F(RemoteOpenStoreTest, SnapshotFreezesOpenCountsIntoABatchUntilAcknowledged) {
    EXPECT_EQ(store.snapshotForUnlock(t0), std::vector<RemoteOpenEventBatch>{});
    EXPECT_EQ(state(), State{});

    ASSERT_TRUE(store.recordImpression("p", "b", at(1)));
    ASSERT_TRUE(store.recordImpression("p", "a", at(2)));
    const Date nextDay = at(86400);
    ASSERT_TRUE(store.recordImpression("p", "a", nextDay));
    const auto first = store.snapshotForUnlock(nextDay);
    ASSERT_EQ(first.size(), 1u);
    EXPECT_TRUE(Uuid::parse(first[0].id).has_value());
    EXPECT_EQ(first[0].id, Uuid::parse(first[0].id)->text());
    EXPECT_EQ(first[0].createdAt, nextDay);
    std::vector<std::pair<std::string, std::string>> order;
    for (const auto& entry : first[0].entries) {
        order.emplace_back(entry.dateKey, entry.targetId);
    }
    EXPECT_EQ(order, (std::vector<std::pair<std::string, std::string>>{
                         {"2024-05-01", "a"}, {"2024-05-01", "b"}, {"2024-05-02", "a"}}));
    EXPECT_TRUE(state().activeEntries.empty());

    // Not acknowledged: returned again, with a second batch only for the opens in between.
    EXPECT_EQ(store.snapshotForUnlock(nextDay.addingSeconds(5)), first);
    ASSERT_TRUE(store.recordImpression("p", "c", nextDay.addingSeconds(60)));
    const auto second = store.snapshotForUnlock(nextDay.addingSeconds(70));
    ASSERT_EQ(second.size(), 2u);
    EXPECT_EQ(second[0], first[0]);
    ASSERT_EQ(second[1].entries.size(), 1u);
    EXPECT_EQ(second[1].entries[0].targetId, "c");

    store.acknowledge({first[0].id});
    EXPECT_EQ(state().frozenBatches, (std::vector<RemoteOpenEventBatch>{second[1]}));
}

TEST_F(RemoteOpenStoreTest, SnapshotReturnsBatchesByCreationButTheFileKeepsFreezingOrder) {
    const RemoteOpenDailyCount entry{"t", "2024-05-01", 1, hoursWith(10, 1), t0};
    const RemoteOpenEventBatch late{"late", at(50), {entry}};
    const RemoteOpenEventBatch early{"early", at(10), {entry}};
    const RemoteOpenEventBatch alsoEarly{"also-early", at(10), {entry}};
    writeState(
        {.activeEntries = {}, .frozenBatches = {late, early, alsoEarly}, .recentImpressions = {}});
    EXPECT_EQ(store.snapshotForUnlock(at(60)),
              (std::vector<RemoteOpenEventBatch>{early, alsoEarly, late}));
    EXPECT_EQ(state().frozenBatches, (std::vector<RemoteOpenEventBatch>{late, early, alsoEarly}));
}

TEST_F(RemoteOpenStoreTest, AcknowledgeWithNothingTouchesNothingAndUnknownIdsRewriteUnchanged) {
    store.acknowledge({});
    EXPECT_FALSE(fs::exists(file));
    EXPECT_FALSE(fs::exists(lockFile));

    ASSERT_TRUE(store.recordImpression("p", "t", t0));
    const auto batches = store.snapshotForUnlock(t0);
    const std::string before = testkit::readFile(file);
    store.acknowledge({"no-such-batch"});
    EXPECT_EQ(testkit::readFile(file), before);
    EXPECT_EQ(state().frozenBatches, batches);
}

TEST_F(RemoteOpenStoreTest, EverythingAgesOutSixtyDaysAfterItsLastReport) {
    const Date reference = at(remoteopen::retentionSeconds);
    const RemoteOpenDailyCount atCutoff{"keep", "2024-05-01", 1, hoursWith(10, 1), t0};
    const RemoteOpenDailyCount beforeCutoff{"drop", "2024-05-01", 1, hoursWith(10, 1), at(-1)};
    const State stored{
        .activeEntries = {atCutoff, beforeCutoff},
        .frozenBatches = {{"mixed", at(-5), {beforeCutoff, atCutoff}},
                          {"old", at(-5), {beforeCutoff}}},
        .recentImpressions = {{"p", "keep", t0}, {"p", "drop", at(-1)}},
    };

    // An acknowledgement does not age anything out.
    writeState(stored);
    store.acknowledge({"unrelated"});
    EXPECT_EQ(state(), stored);

    const State trimmed{
        .activeEntries = {atCutoff},
        .frozenBatches = {{"mixed", at(-5), {atCutoff}}},
        .recentImpressions = {{"p", "keep", t0}},
    };
    EXPECT_EQ(store.snapshotForUnlock(reference).size(), 2u);  // "mixed" and the new batch
    const State afterSnapshot = state();
    ASSERT_EQ(afterSnapshot.frozenBatches.size(), 2u);
    EXPECT_EQ(afterSnapshot.frozenBatches[0], trimmed.frozenBatches[0]);
    EXPECT_EQ(afterSnapshot.frozenBatches[1].entries, trimmed.activeEntries);

    writeState(stored);
    EXPECT_TRUE(store.recordImpression("q", "other", reference));
    const State expectedAfterRecord{
        .activeEntries = {atCutoff, {"other", "2024-06-30", 1, hoursWith(10, 1), reference}},
        .frozenBatches = trimmed.frozenBatches,
        .recentImpressions = {{"p", "keep", t0}, {"q", "other", reference}},
    };
    EXPECT_EQ(state(), expectedAfterRecord);
}

TEST_F(RemoteOpenStoreTest, UndecodableStateCountsAsEmptyAndIsReplaced) {
    const std::string damaged[] = {
        "{\"activeEntries\":[],\"frozenBatches\":[]}",
        "not json",
        "{\"activeEntries\":[],\"frozenBatches\":[{\"id\":\"x\",\"createdAt\":\"2024-05-01T00:00:"
        "00Z\"}],"
        "\"recentImpressions\":[]}",
    };
    for (const std::string& text : damaged) {
        SCOPED_TRACE(text);
        testkit::writeFile(file, text);
        EXPECT_TRUE(store.recordImpression("p", "t", t0));
        EXPECT_EQ(state().activeEntries.size(), 1u);
        EXPECT_EQ(state().recentImpressions.size(), 1u);
    }
}

TEST_F(RemoteOpenStoreTest, FailingReadStopsEveryOperationAndLeavesTheFile) {
    ASSERT_TRUE(store.recordImpression("p", "t", t0));
    const auto batches = store.snapshotForUnlock(t0);
    const std::string before = testkit::readFile(file);
    {
        const testkit::FifoInPlace failure(file);
        EXPECT_THROW((void)store.recordImpression("p", "u", at(60)), std::system_error);
        EXPECT_THROW((void)store.snapshotForUnlock(at(60)), std::system_error);
        EXPECT_THROW(store.acknowledge({batches[0].id}), std::system_error);
    }
    EXPECT_EQ(testkit::readFile(file), before);
}

// The store's path to its file is taken once; the folder may vanish between two operations and
// must come back as private as the shared state folder always is.
TEST_F(RemoteOpenStoreTest, RemakesItsFolderPrivate) {
    const mode_t previousMask = ::umask(022);
    const std::function<void()> operations[] = {
        [&] { (void)store.recordImpression("p", "t", t0); },
        [&] { (void)store.snapshotForUnlock(t0); },
        [&] { store.acknowledge({"B"}); },
    };
    for (const auto& operation : operations) {
        fs::remove_all(home.dataHome());
        operation();
        for (const fs::path& folder : {home.dataHome(), home.stateFolder()}) {
            struct stat info {};
            ASSERT_EQ(::stat(folder.c_str(), &info), 0) << folder;
            EXPECT_EQ(info.st_mode & 0777, 0700u) << folder;
        }
    }
    ::umask(previousMask);
}

// A location given as a bare file name lies in the working folder; its folder is the empty path.
TEST_F(RemoteOpenStoreTest, ABareFileNameWorksInTheWorkingFolder) {
    const pid_t child = testkit::startChild([&] {
        fs::current_path(home.stateFolder());
        RemoteOpenEventStore bare("remote-open-events.json");
        return bare.recordImpression("p", "t", t0) ? 0 : 1;
    });
    ASSERT_EQ(testkit::waitForChild(child), 0);
    EXPECT_EQ(countOf("t"), 1);
    EXPECT_TRUE(fs::exists(lockFile));
}

TEST_F(RemoteOpenStoreTest, ProcessesReportingAtOnceLoseNoCount) {
    constexpr int processes = 4;
    constexpr int reportsEach = 20;
    const auto statuses = testkit::runChildren(processes, [&](int process) {
        RemoteOpenEventStore own(RemoteOpenEventStore::defaultFilePath());
        for (int i = 0; i < reportsEach; ++i) {
            const std::string profile = std::to_string(process) + "-" + std::to_string(i);
            if (!own.recordImpression(profile, "t", at(i))) {
                return 1;
            }
        }
        return 0;
    });
    EXPECT_EQ(statuses, std::vector<int>(processes, 0));
    EXPECT_EQ(countOf("t"), processes * reportsEach);
}

}  // namespace
}  // namespace quorvel
