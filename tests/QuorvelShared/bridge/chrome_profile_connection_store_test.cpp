#include "QuorvelShared/bridge/chrome_profile_connection_store.hpp"

#include <gtest/gtest.h>

#include <optional>

#include "QuorvelShared/support/date.hpp"
#include "QuorvelShared/support/json_errors.hpp"
#include "testkit/odd_files.hpp"
#include "testkit/temp_xdg.hpp"

namespace quorvel {
namespace {

namespace fs = std::filesystem;
namespace store = ChromeProfileConnectionStore;

Date at(const char* iso) {
    return parseIsoDate(iso).value();
}

class ChromeProfileConnectionStoreTest : public ::testing::Test {
protected:
    testkit::TempXdgHome home;

    std::vector<std::string> storedIds() {
        std::vector<std::string> ids;
        for (const auto& connection : store::load()) {
            ids.push_back(connection.profileId);
        }
        return ids;
    }
};

TEST_F(ChromeProfileConnectionStoreTest, ABlankProfileIdTouchesNothing) {
    store::recordConnected(" \t\n\u3000", "名前", at("2024-05-01T10:00:00Z"));
    EXPECT_FALSE(fs::exists(store::filePath()));
}

TEST_F(ChromeProfileConnectionStoreTest, IdAndNameAreTrimmedAndABlankNameBecomesTheId) {
    store::recordConnected("  Profile 1\n", " \u00a0 ", at("2024-05-01T10:00:00Z"));
    EXPECT_EQ(store::filePath(), home.stateFolder() / "chrome-profile-connections.json");
    EXPECT_EQ(testkit::readFile(store::filePath()),
              "[\n"
              "  {\n"
              "    \"displayName\" : \"Profile 1\",\n"
              "    \"lastSeenAt\" : \"2024-05-01T10:00:00Z\",\n"
              "    \"profileId\" : \"Profile 1\"\n"
              "  }\n"
              "]");
    store::recordConnected("Profile 2", "  仕事用  ", at("2024-05-01T10:00:01Z"));
    EXPECT_EQ(store::load().front(),
              (ChromeProfileConnection{"Profile 2", "仕事用", at("2024-05-01T10:00:01Z")}));
}

TEST_F(ChromeProfileConnectionStoreTest, RecordingAgainRefreshesTheRecordAndItsPlace) {
    store::recordConnected("A", "Work", at("2024-05-01T10:00:00Z"));
    store::recordConnected("B", std::nullopt, at("2024-05-01T10:00:05Z"));
    EXPECT_EQ(storedIds(), (std::vector<std::string>{"B", "A"}));

    store::recordConnected("A", "Home", at("2024-05-01T10:00:09Z"));
    EXPECT_EQ(store::load(), (std::vector<ChromeProfileConnection>{
                                 {"A", "Home", at("2024-05-01T10:00:09Z")},
                                 {"B", "B", at("2024-05-01T10:00:05Z")},
                             }));

    // No name takes the id again; an earlier time is stored as given.
    store::recordConnected("A", std::nullopt, at("2024-05-01T09:00:00Z"));
    EXPECT_EQ(store::load(), (std::vector<ChromeProfileConnection>{
                                 {"B", "B", at("2024-05-01T10:00:05Z")},
                                 {"A", "A", at("2024-05-01T09:00:00Z")},
                             }));
}

TEST_F(ChromeProfileConnectionStoreTest, IdsMatchExactlyAndCaseSensitively) {
    store::recordConnected("Default", std::nullopt, at("2024-05-01T10:00:00Z"));
    store::recordConnected("default", std::nullopt, at("2024-05-01T10:00:01Z"));
    EXPECT_EQ(storedIds(), (std::vector<std::string>{"default", "Default"}));
}

TEST_F(ChromeProfileConnectionStoreTest, SightingsInOneSecondKeepTheirOrderAndLoseTheFraction) {
    const Date second = at("2024-05-01T10:00:00Z");
    store::recordConnected("first", std::nullopt, second.addingSeconds(0.2));
    store::recordConnected("second", std::nullopt, second.addingSeconds(0.7));
    store::recordConnected("third", std::nullopt, second.addingSeconds(0.5));
    // Each new sighting still carries its fraction while the stored ones do not.
    EXPECT_EQ(storedIds(), (std::vector<std::string>{"third", "second", "first"}));
    store::recordConnected("fourth", std::nullopt, second);
    EXPECT_EQ(storedIds(), (std::vector<std::string>{"third", "second", "first", "fourth"}));
    for (const auto& connection : store::load()) {
        EXPECT_EQ(connection.lastSeenAt, second);
    }
}

TEST_F(ChromeProfileConnectionStoreTest, ARecordingThatChangesNoByteLeavesTheFileAlone) {
    struct Case {
        const char* profileId;
        std::optional<std::string> displayName;
        const char* now;
        bool rewritten;
        const char* lastSeenAtOfA;
    };
    const Case cases[] = {
        {"A", "Work", "2024-05-01T10:00:00Z", false, "2024-05-01T10:00:00Z"},
        {" A\n", " Work\t", "2024-05-01T10:00:00Z", false, "2024-05-01T10:00:00Z"},
        {"A", "Home", "2024-05-01T10:00:00Z", true, "2024-05-01T10:00:00Z"},
        {"A", std::nullopt, "2024-05-01T10:00:00Z", true, "2024-05-01T10:00:00Z"},
        {"B", std::nullopt, "2024-05-01T10:00:00Z", true, "2024-05-01T10:00:00Z"},
        {"A", "Work", "2024-05-01T10:00:01Z", true, "2024-05-01T10:00:01Z"},
        {"A", "Work", "2024-05-01T09:59:59Z", true, "2024-05-01T09:59:59Z"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.profileId + std::string(" at ") + c.now);
        fs::remove(store::filePath());
        store::recordConnected("A", "Work", at("2024-05-01T10:00:00Z"));
        testkit::ageFile(store::filePath());
        const testkit::FileIdentity before = testkit::fileIdentity(store::filePath());
        const std::string text = testkit::readFile(store::filePath());

        // A fraction of a second is not stored, so it cannot tell a repeat from the first.
        store::recordConnected(c.profileId, c.displayName, at(c.now).addingSeconds(0.75));

        EXPECT_EQ(testkit::fileIdentity(store::filePath()) == before, !c.rewritten);
        EXPECT_EQ(testkit::readFile(store::filePath()) == text, !c.rewritten);
        std::optional<Date> seenA;
        for (const auto& connection : store::load()) {
            if (connection.profileId == "A")
                seenA = connection.lastSeenAt;
        }
        EXPECT_EQ(seenA, at(c.lastSeenAtOfA));
    }
}

TEST_F(ChromeProfileConnectionStoreTest, AStoredTextInAnotherLayoutIsRewrittenEvenForTheSameList) {
    const std::string compact =
        R"([{"profileId":"A","displayName":"A","lastSeenAt":"2024-05-01T10:00:00Z","extra":1}])";
    testkit::writeFile(store::filePath(), compact);
    store::recordConnected("A", std::nullopt, at("2024-05-01T10:00:00Z"));
    EXPECT_EQ(testkit::readFile(store::filePath()),
              "[\n"
              "  {\n"
              "    \"displayName\" : \"A\",\n"
              "    \"lastSeenAt\" : \"2024-05-01T10:00:00Z\",\n"
              "    \"profileId\" : \"A\"\n"
              "  }\n"
              "]");
}

TEST_F(ChromeProfileConnectionStoreTest, LoadSortsAStoredListLatestFirstAndStably) {
    testkit::writeFile(store::filePath(), R"([
        {"profileId":"old","displayName":"old","lastSeenAt":"2024-01-01T00:00:00Z"},
        {"profileId":"tie1","displayName":"x","lastSeenAt":"2024-02-01T00:00:00Z","extra":1},
        {"profileId":"new","displayName":"new","lastSeenAt":"2024-03-01T00:00:00Z"},
        {"profileId":"tie2","displayName":"y","lastSeenAt":"2024-02-01T00:00:00Z"}])");
    EXPECT_EQ(storedIds(), (std::vector<std::string>{"new", "tie1", "tie2", "old"}));
}

TEST_F(ChromeProfileConnectionStoreTest, NoFileAndAnEmptyArrayAreTheEmptyList) {
    EXPECT_TRUE(store::load().empty());
    testkit::writeFile(store::filePath(), "[]");
    EXPECT_TRUE(store::load().empty());
}

TEST_F(ChromeProfileConnectionStoreTest, AnUndecodableFileBlocksRecordingAndIsKept) {
    const std::vector<std::string> texts = {
        "not json",
        R"({"profileId":"a","displayName":"a","lastSeenAt":"2024-01-01T00:00:00Z"})",
        R"([{"profileId":"a","lastSeenAt":"2024-01-01T00:00:00Z"}])",
        R"([{"profileId":"a","displayName":"a","lastSeenAt":"2024-01-01T00:00:00.5Z"}])",
        R"([{"profileId":"a","displayName":"a","lastSeenAt":725760000}])",
    };
    for (const auto& text : texts) {
        SCOPED_TRACE(text);
        testkit::writeFile(store::filePath(), text);
        EXPECT_THROW(store::load(), json::DecodeError);
        EXPECT_THROW(store::recordConnected("b", std::nullopt, at("2024-05-01T10:00:00Z")),
                     json::DecodeError);
        EXPECT_EQ(testkit::readFile(store::filePath()), text);
    }
}

TEST_F(ChromeProfileConnectionStoreTest, AFailedReadIsNotTakenForAnEmptyList) {
    store::recordConnected("a", std::nullopt, at("2024-05-01T10:00:00Z"));
    const std::string before = testkit::readFile(store::filePath());
    {
        const testkit::FifoInPlace failure(store::filePath());
        EXPECT_THROW(store::recordConnected("b", std::nullopt, at("2024-05-01T10:00:01Z")),
                     std::system_error);
    }
    EXPECT_EQ(testkit::readFile(store::filePath()), before);
}

TEST(ChromeProfileConnection, IsConnectedWithinTheStaleLimitInclusive) {
    const Date seen = at("2024-05-01T10:00:00Z");
    const ChromeProfileConnection connection{"p", "p", seen};
    struct Case {
        double secondsAfterSighting;
        bool connected;
    };
    for (const Case c : {Case{0, true}, Case{9.5, true}, Case{10, true}, Case{10.001, false},
                         Case{11, false}, Case{-3600, true}}) {
        SCOPED_TRACE(c.secondsAfterSighting);
        EXPECT_EQ(connection.isConnected(seen.addingSeconds(c.secondsAfterSighting), 10),
                  c.connected);
    }
    EXPECT_EQ(connection.id(), "p");
}

}  // namespace
}  // namespace quorvel
