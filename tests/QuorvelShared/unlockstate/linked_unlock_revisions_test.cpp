#include <gtest/gtest.h>

#include <cerrno>
#include <system_error>

#include "QuorvelShared/support/typed_error.hpp"
#include "QuorvelShared/unlockstate/allow_window_state_store.hpp"
#include "QuorvelShared/unlockstate/linked_unlock_local_state_applier.hpp"
#include "QuorvelShared/unlockstate/linked_unlock_revision_state_store.hpp"
#include "testkit/capture_error.hpp"
#include "testkit/odd_files.hpp"
#include "testkit/temp_xdg.hpp"

namespace quorvel {
namespace {

namespace fs = std::filesystem;

const Date now = Date::fromUnixSeconds(1714557600);

Date at(double secondsFromNow) {
    return now.addingSeconds(secondsFromNow);
}

class RevisionStoreTest : public ::testing::Test {
protected:
    testkit::TempXdgHome home;
    fs::path file = LinkedUnlockRevisionStateStore::filePath();
};

TEST_F(RevisionStoreTest, FileLiesInTheSharedStateFolderAndIsCompact) {
    EXPECT_EQ(file, home.stateFolder() / "linked-unlock-revisions.json");
    EXPECT_TRUE(LinkedUnlockRevisionStateStore::accept("t2", 9, file));
    EXPECT_TRUE(LinkedUnlockRevisionStateStore::accept("t1", 5, file));
    EXPECT_EQ(testkit::readFile(file), "{\"t1\":5,\"t2\":9}");
    EXPECT_EQ(LinkedUnlockRevisionStateStore::load(file),
              (LinkedUnlockRevisionMap{{"t1", 5}, {"t2", 9}}));
}

TEST_F(RevisionStoreTest, WithoutHistoryNegativeIsRefusedAndZeroIsAcceptedWithoutAWrite) {
    EXPECT_FALSE(LinkedUnlockRevisionStateStore::accept("t", -1, file));
    EXPECT_TRUE(LinkedUnlockRevisionStateStore::accept("t", 0, file));
    EXPECT_FALSE(fs::exists(file));
    EXPECT_TRUE(LinkedUnlockRevisionStateStore::accept("t", 5, file));
    EXPECT_EQ(LinkedUnlockRevisionStateStore::load(file), (LinkedUnlockRevisionMap{{"t", 5}}));
}

TEST_F(RevisionStoreTest, RevisionsAreAcceptedOnlyInOrder) {
    ASSERT_TRUE(LinkedUnlockRevisionStateStore::accept("t", 5, file));
    struct Case {
        std::int64_t revision;
        bool accepted;
        std::int64_t storedAfter;
    };
    const Case cases[] = {{4, false, 5}, {-7, false, 5}, {5, true, 5}, {6, true, 6}, {5, false, 6}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.revision);
        EXPECT_EQ(LinkedUnlockRevisionStateStore::accept("t", c.revision, file), c.accepted);
        EXPECT_EQ(LinkedUnlockRevisionStateStore::load(file).at("t"), c.storedAfter);
    }
}

TEST_F(RevisionStoreTest, RefusedAndEqualRevisionsLeaveTheFileUntouched) {
    // Spaced differently from what the store writes, so that any rewrite would show.
    const std::string stored = "{ \"t\" : 5 }";
    testkit::writeFile(file, stored);
    EXPECT_FALSE(LinkedUnlockRevisionStateStore::accept("t", 4, file));
    EXPECT_TRUE(LinkedUnlockRevisionStateStore::accept("t", 5, file));
    EXPECT_EQ(testkit::readFile(file), stored);
}

TEST_F(RevisionStoreTest, UndecodableFileCountsAsEmptyAndIsReplacedByTheNextRaise) {
    const std::string damaged[] = {"garbage", "[1]", "{\"a\":1,\"b\":\"2\"}", "{\"a\":1.5}",
                                   "{\"a\":9223372036854775808}"};
    for (const std::string& text : damaged) {
        SCOPED_TRACE(text);
        testkit::writeFile(file, text);
        EXPECT_EQ(LinkedUnlockRevisionStateStore::load(file), LinkedUnlockRevisionMap{});
        EXPECT_TRUE(LinkedUnlockRevisionStateStore::accept("t", 0, file));
        EXPECT_EQ(testkit::readFile(file), text);
        EXPECT_TRUE(LinkedUnlockRevisionStateStore::accept("t", 3, file));
        EXPECT_EQ(testkit::readFile(file), "{\"t\":3}");
    }
}

TEST_F(RevisionStoreTest, FailingReadFailsAcceptAndLeavesTheHistory) {
    ASSERT_TRUE(LinkedUnlockRevisionStateStore::accept("t", 5, file));
    const std::string before = testkit::readFile(file);
    {
        const testkit::FifoInPlace failure(file);
        EXPECT_EQ(LinkedUnlockRevisionStateStore::load(file), LinkedUnlockRevisionMap{});
        const auto error = testkit::captureError<std::system_error>(
            [&] { return LinkedUnlockRevisionStateStore::accept("t", 2, file); });
        ASSERT_TRUE(error) << "accept went on without its history";
        // The read's own failure, naming the file.
        EXPECT_EQ(error->code().value(), ENOTSUP);
        EXPECT_NE(std::string(error->what()).find(file.string()), std::string::npos);
    }
    EXPECT_EQ(testkit::readFile(file), before);
}

class ApplierTest : public RevisionStoreTest {
protected:
    fs::path windows = AllowWindowStateStore::filePath();

    bool apply(std::int64_t revision, Date until, const std::vector<std::string>& webTargets) {
        return LinkedUnlockLocalStateApplier::apply("linked", revision, until, webTargets, now,
                                                    file, windows);
    }
};

TEST_F(ApplierTest, EmptyTargetListIsRefusedBeforeTheRevisionIsConsulted) {
    ASSERT_TRUE(LinkedUnlockRevisionStateStore::accept("linked", 5, file));
    for (const std::int64_t revision : {4, 6}) {
        EXPECT_EQ(testkit::captureErrorCode<Error<LinkedUnlockLocalStateApplyError>>(
                      [&] { return apply(revision, at(60), {}); }),
                  LinkedUnlockLocalStateApplyError::noLinkedWebTargets)
            << "no error for an empty target list";
    }
    EXPECT_EQ(LinkedUnlockRevisionStateStore::load(file).at("linked"), 5);
    EXPECT_FALSE(fs::exists(windows));
}

TEST_F(ApplierTest, RefusedRevisionLeavesTheWindowsUntouched) {
    AllowWindowStateStore::save({{"w1", at(100)}}, windows);
    ASSERT_TRUE(LinkedUnlockRevisionStateStore::accept("linked", 5, file));
    const std::string before = testkit::readFile(windows);
    EXPECT_FALSE(apply(4, at(600), {"w1"}));
    EXPECT_EQ(testkit::readFile(windows), before);
}

TEST_F(ApplierTest, AcceptedUnlockGivesEveryDistinctTargetExactlyItsWindow) {
    AllowWindowStateStore::save(
        {{"w1", at(1000)}, {"w2", at(10)}, {"other", at(50)}, {"ended", at(-1)}}, windows);
    EXPECT_TRUE(apply(1, at(600), {"w1", "w2", "w1"}));
    EXPECT_EQ(AllowWindowStateStore::load(windows, Date{}),
              (AllowWindowMap{{"w1", at(600)}, {"w2", at(600)}, {"other", at(50)}}));
    EXPECT_EQ(LinkedUnlockRevisionStateStore::load(file).at("linked"), 1);
}

TEST_F(ApplierTest, UnlockEndingNowClosesTheWindowsOfItsTargets) {
    AllowWindowStateStore::save({{"w1", at(100)}, {"w2", at(100)}, {"other", at(50)}}, windows);
    EXPECT_TRUE(apply(0, now, {"w1", "w2"}));
    EXPECT_EQ(AllowWindowStateStore::load(windows, now), (AllowWindowMap{{"other", at(50)}}));
}

TEST_F(ApplierTest, RevisionStaysStoredWhenTheWindowWriteFailsAndTheRetryRepeatsIt) {
    AllowWindowStateStore::save({{"w1", at(100)}}, windows);
    {
        const testkit::FifoInPlace failure(windows);
        EXPECT_THROW(apply(3, at(600), {"w1"}), std::system_error);
    }
    EXPECT_EQ(LinkedUnlockRevisionStateStore::load(file).at("linked"), 3);
    EXPECT_TRUE(apply(3, at(600), {"w1"}));
    EXPECT_EQ(AllowWindowStateStore::load(windows, now), (AllowWindowMap{{"w1", at(600)}}));
}

}  // namespace
}  // namespace quorvel
