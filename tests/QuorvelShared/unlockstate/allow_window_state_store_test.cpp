#include "QuorvelShared/unlockstate/allow_window_state_store.hpp"

#include <gtest/gtest.h>

#include <cerrno>
#include <system_error>

#include "testkit/child_process.hpp"
#include "testkit/fakes.hpp"
#include "testkit/odd_files.hpp"
#include "testkit/temp_xdg.hpp"

namespace quorvel {
namespace {

namespace fs = std::filesystem;

// 2024-05-01T10:00:00Z
const Date now = Date::fromUnixSeconds(1714557600);

Date at(double secondsFromNow) {
    return now.addingSeconds(secondsFromNow);
}

class AllowWindowStoreTest : public ::testing::Test {
protected:
    testkit::TempXdgHome home;
    testkit::FixedClock clock{now};
    fs::path file = AllowWindowStateStore::filePath();

    std::string contents() const { return testkit::readFile(file); }
};

TEST_F(AllowWindowStoreTest, FileLiesInTheSharedStateFolder) {
    EXPECT_EQ(file, home.stateFolder() / "allow-windows.json");
    AllowWindowStateStore::grant("app.example", at(60), file, clock);
    EXPECT_EQ(AllowWindowStateStore::load(now), (AllowWindowMap{{"app.example", at(60)}}));
}

TEST_F(AllowWindowStoreTest, WithoutAFileLoadIsEmptyAndRevokeWritesAnEmptyObject) {
    EXPECT_EQ(AllowWindowStateStore::load(file, now), AllowWindowMap{});
    AllowWindowStateStore::revoke("anything", file, clock);
    EXPECT_EQ(contents(), "{}");
}

TEST_F(AllowWindowStoreTest, AWindowEndingExactlyNowIsGone) {
    AllowWindowStateStore::save({{"ended", now}, {"live", at(1)}, {"past", at(-5)}}, file);
    EXPECT_EQ(AllowWindowStateStore::load(file, now), (AllowWindowMap{{"live", at(1)}}));
}

TEST_F(AllowWindowStoreTest, FileIsPrettySortedWithWholeSecondDates) {
    AllowWindowStateStore::grant("zeta", at(60.75), file, clock);
    AllowWindowStateStore::grant("", at(3600.5), file, clock);
    EXPECT_EQ(contents(),
              "{\n"
              "  \"\" : \"2024-05-01T11:00:00Z\",\n"
              "  \"zeta\" : \"2024-05-01T10:01:00Z\"\n"
              "}");
}

TEST_F(AllowWindowStoreTest, GrantReplacesTheWindowWhetherEarlierLaterOrPast) {
    AllowWindowStateStore::grant("a", at(600), file, clock);
    AllowWindowStateStore::grant("a", at(120), file, clock);
    EXPECT_EQ(AllowWindowStateStore::load(file, now), (AllowWindowMap{{"a", at(120)}}));

    AllowWindowStateStore::grant("a", at(-60), file, clock);
    EXPECT_NE(contents().find("\"a\" : \"2024-05-01T09:59:00Z\""), std::string::npos);
    EXPECT_EQ(AllowWindowStateStore::load(file, now), AllowWindowMap{});

    AllowWindowStateStore::grant("b", at(60), file, clock);
    EXPECT_EQ(contents(), "{\n  \"b\" : \"2024-05-01T10:01:00Z\"\n}");
}

TEST_F(AllowWindowStoreTest, ChangesReadTheClockInsideAndDropEndedWindowsOfOthers) {
    AllowWindowStateStore::save({{"a", at(30)}, {"b", at(90)}, {"c", at(200)}}, file);
    clock.set(at(90));
    AllowWindowStateStore::revoke("c", file, clock);
    EXPECT_EQ(AllowWindowStateStore::load(file, Date{}), AllowWindowMap{});
}

TEST_F(AllowWindowStoreTest, DamagedFileReadsEmptyAndTheNextGrantWritesOnlyItsWindow) {
    const std::string damaged[] = {
        "not json",
        "[]",
        "{\"good\": \"2024-05-01T11:00:00Z\", \"bad\": 5}",
        "{\"good\": \"2024-05-01T11:00:00Z\", \"fraction\": \"2024-05-01T11:00:00.5Z\"}",
        "{\"offset\": \"2024-05-01T11:00:00+01:00\"}",
        "",
    };
    for (const std::string& text : damaged) {
        SCOPED_TRACE(text);
        testkit::writeFile(file, text);
        EXPECT_EQ(AllowWindowStateStore::load(file, now), AllowWindowMap{});
        AllowWindowStateStore::grant("mine", at(60), file, clock);
        EXPECT_EQ(AllowWindowStateStore::load(file, now), (AllowWindowMap{{"mine", at(60)}}));
    }
}

TEST_F(AllowWindowStoreTest, ReconcileGivesLinkedTargetsExactlyTheGrantedWindows) {
    AllowWindowStateStore::save({{"a", at(100)}, {"b", at(100)}, {"d", at(300)}, {"e", at(-1)}},
                                file);
    const AllowWindowMap result = AllowWindowStateStore::reconcileLinkedTargets(
        {"a", "b"}, {{"a", at(900)}, {"c", at(900)}}, now, file);
    const AllowWindowMap expected{{"a", at(900)}, {"d", at(300)}};
    EXPECT_EQ(result, expected);
    EXPECT_EQ(AllowWindowStateStore::load(file, Date{}), expected);
}

TEST_F(AllowWindowStoreTest, ReconcileIgnoresGrantsNotLaterThanNowAndWorksWithNoLinkedSet) {
    AllowWindowStateStore::save({{"a", at(100)}, {"b", at(100)}}, file);
    EXPECT_EQ(AllowWindowStateStore::reconcileLinkedTargets({"a", "b"}, {{"a", now}, {"b", at(50)}},
                                                            now, file),
              (AllowWindowMap{{"b", at(50)}}));
    EXPECT_EQ(AllowWindowStateStore::reconcileLinkedTargets({}, {{"x", at(50)}}, now, file),
              (AllowWindowMap{{"b", at(50)}}));
}

TEST_F(AllowWindowStoreTest, FailingReadStopsEveryChangeAndLeavesTheFile) {
    AllowWindowStateStore::save({{"a", at(100)}, {"b", at(200)}}, file);
    const std::string before = contents();
    {
        const testkit::FifoInPlace failure(file);

        EXPECT_EQ(AllowWindowStateStore::load(file, now), AllowWindowMap{});
        EXPECT_THROW(AllowWindowStateStore::grant("c", at(60), file, clock), std::system_error);
        EXPECT_THROW(AllowWindowStateStore::revoke("a", file, clock), std::system_error);
        EXPECT_THROW(AllowWindowStateStore::reconcileLinkedTargets({"a"}, {}, now, file),
                     std::system_error);
    }
    EXPECT_EQ(contents(), before);
}

TEST_F(AllowWindowStoreTest, AnEncodingFailureLeavesTheFile) {
    AllowWindowStateStore::grant("a", at(100), file, clock);
    const std::string before = contents();
    EXPECT_ANY_THROW(AllowWindowStateStore::grant("b", Date{1e300}, file, clock));
    EXPECT_EQ(contents(), before);
}

// A location given as a bare file name lies in the working folder; its folder is the empty path.
TEST_F(AllowWindowStoreTest, ABareFileNameWorksInTheWorkingFolder) {
    const pid_t child = testkit::startChild([&] {
        fs::current_path(file.parent_path());
        AllowWindowStateStore::grant("a", at(60), "allow-windows.json", clock);
        return 0;
    });
    ASSERT_EQ(testkit::waitForChild(child), 0);
    EXPECT_EQ(AllowWindowStateStore::load(file, now), (AllowWindowMap{{"a", at(60)}}));
}

TEST_F(AllowWindowStoreTest, ProcessesGrantingAtOnceKeepEachOthersWindows) {
    constexpr int processes = 4;
    constexpr int grantsEach = 25;
    const auto statuses = testkit::runChildren(processes, [&](int process) {
        for (int i = 0; i < grantsEach; ++i) {
            const std::string target = std::to_string(process) + "-" + std::to_string(i);
            AllowWindowStateStore::grant(target, at(600 + i), file, clock);
        }
        return 0;
    });
    EXPECT_EQ(statuses, std::vector<int>(processes, 0));
    const AllowWindowMap windows = AllowWindowStateStore::load(file, now);
    EXPECT_EQ(windows.size(), static_cast<std::size_t>(processes * grantsEach));
    for (int process = 0; process < processes; ++process) {
        EXPECT_EQ(windows.at(std::to_string(process) + "-7"), at(607));
    }
}

}  // namespace
}  // namespace quorvel
