#include "QuorvelShared/bridge/ble_local_connection_store.hpp"

#include <gtest/gtest.h>

#include "QuorvelShared/support/json_errors.hpp"
#include "testkit/fakes.hpp"
#include "testkit/recording_poster.hpp"
#include "testkit/temp_xdg.hpp"

namespace quorvel {
namespace {

const std::vector<std::string> oneChange = {"app.quorvel.bleBridge.connectionChanged"};

class BLELocalConnectionStoreTest : public ::testing::Test {
protected:
    testkit::TempXdgHome home;
    testkit::ScopedRecordingPoster poster;
    testkit::FixedClock clock{Date{736000000.25}};
};

TEST_F(BLELocalConnectionStoreTest, AnAbsentDetailWritesTwoKeysAndReadsBackAbsent) {
    BLELocalConnectionStore::save(BluetoothLinkState::advertising, std::nullopt, clock);
    EXPECT_EQ(BLELocalConnectionStore::filePath(),
              home.stateFolder() / "ble-connection-state.json");
    EXPECT_EQ(testkit::readFile(BLELocalConnectionStore::filePath()),
              "{\"status\":\"advertising\",\"updatedAt\":736000000.25}");
    EXPECT_EQ(
        BLELocalConnectionStore::load(),
        (BLELocalConnectionSnapshot{BluetoothLinkState::advertising, std::nullopt, clock.now()}));
    EXPECT_EQ(poster.posted(), oneChange);
}

TEST_F(BLELocalConnectionStoreTest, ADetailIsWrittenBetweenStatusAndTime) {
    BLELocalConnectionStore::save(BluetoothLinkState::connected, "iPhone と接続しました/OK", clock);
    EXPECT_EQ(testkit::readFile(BLELocalConnectionStore::filePath()),
              "{\"status\":\"connected\",\"detail\":\"iPhone と接続しました\\/OK\","
              "\"updatedAt\":736000000.25}");
    EXPECT_EQ(BLELocalConnectionStore::load(),
              (BLELocalConnectionSnapshot{BluetoothLinkState::connected, "iPhone と接続しました/OK",
                                          clock.now()}));
}

TEST_F(BLELocalConnectionStoreTest, EverySaveWritesItsOwnTimeAndPostsOnce) {
    BLELocalConnectionStore::save(BluetoothLinkState::waiting, "same", clock);
    EXPECT_EQ(poster.posted(), oneChange);
    clock.advance(1.5);
    BLELocalConnectionStore::save(BluetoothLinkState::waiting, "same", clock);
    EXPECT_EQ(poster.posted(), (std::vector<std::string>{oneChange[0], oneChange[0]}));
    EXPECT_EQ(BLELocalConnectionStore::load()->updatedAt, Date{736000001.75});
}

TEST_F(BLELocalConnectionStoreTest, AFailedWritePostsNothing) {
    // A folder standing where the file should be makes the replacement fail.
    const auto file = BLELocalConnectionStore::filePath();
    std::filesystem::create_directories(file / "blocker");
    EXPECT_THROW(BLELocalConnectionStore::save(BluetoothLinkState::connected, std::nullopt, clock),
                 std::system_error);
    EXPECT_TRUE(poster.posted().empty());
    EXPECT_TRUE(std::filesystem::is_directory(file / "blocker"));
}

TEST(BLELocalConnectionStore, AFailedPostAfterTheWriteLeavesTheSaveStanding) {
    testkit::TempXdgHome home;
    testkit::ScopedFailingPoster poster;
    const testkit::FixedClock clock{Date{736000000.25}};
    testing::internal::CaptureStderr();
    EXPECT_NO_THROW(
        BLELocalConnectionStore::save(BluetoothLinkState::connected, std::nullopt, clock));
    const std::string reported = testing::internal::GetCapturedStderr();
    EXPECT_EQ(poster.attempts(), 1);
    EXPECT_NE(reported.find("app.quorvel.bleBridge.connectionChanged"), std::string::npos);
    EXPECT_EQ(
        BLELocalConnectionStore::load(),
        (BLELocalConnectionSnapshot{BluetoothLinkState::connected, std::nullopt, clock.now()}));
}

TEST_F(BLELocalConnectionStoreTest, NoFileLoadsAsAbsent) {
    EXPECT_EQ(BLELocalConnectionStore::load(), std::nullopt);
}

TEST_F(BLELocalConnectionStoreTest, FilesFromOtherWritersDecodeByTheirKeys) {
    struct Case {
        const char* text;
        std::optional<BLELocalConnectionSnapshot> expected;  // no value: the load fails
    };
    const std::vector<Case> cases = {
        {R"({"status":"off","detail":null,"updatedAt":0})",
         BLELocalConnectionSnapshot{BluetoothLinkState::off, std::nullopt, Date{0}}},
        {R"({"updatedAt":-1.5,"status":"novelWord","extra":[1]})",
         BLELocalConnectionSnapshot{BluetoothLinkStatus::fromWord("novelWord"), std::nullopt,
                                    Date{-1.5}}},
        {R"({"status":"off","updatedAt":12})",
         BLELocalConnectionSnapshot{BluetoothLinkState::off, {}, Date{12}}},
        {R"({"status":"off"})", std::nullopt},
        {R"({"status":"off","updatedAt":null})", std::nullopt},
        {R"({"status":"off","updatedAt":"2024-01-01T00:00:00Z"})", std::nullopt},
        {R"({"status":3,"updatedAt":0})", std::nullopt},
        {R"({"status":"off","detail":7,"updatedAt":0})", std::nullopt},
        {R"(["off"])", std::nullopt},
        {"status=off", std::nullopt},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        testkit::writeFile(BLELocalConnectionStore::filePath(), c.text);
        if (c.expected) {
            EXPECT_EQ(BLELocalConnectionStore::load(), c.expected);
        } else {
            EXPECT_THROW(BLELocalConnectionStore::load(), json::DecodeError);
        }
    }
}

TEST_F(BLELocalConnectionStoreTest, AZeroTimeIsTheStartOf2001) {
    testkit::writeFile(BLELocalConnectionStore::filePath(), R"({"status":"off","updatedAt":0})");
    EXPECT_EQ(BLELocalConnectionStore::load()->updatedAt.unixSeconds(), 978307200.0);
}

TEST_F(BLELocalConnectionStoreTest, FractionsOfASecondRoundTripExactly) {
    for (const double seconds : {0.1, 1e-7, -123.456789, 745123456.7890123, 1.0 / 3.0}) {
        SCOPED_TRACE(seconds);
        clock.set(Date{seconds});
        BLELocalConnectionStore::save(BluetoothLinkState::checking, std::nullopt, clock);
        EXPECT_EQ(BLELocalConnectionStore::load()->updatedAt.secondsSinceReferenceDate, seconds);
    }
}

}  // namespace
}  // namespace quorvel
