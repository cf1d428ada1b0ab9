#include "QuorvelShared/bridge/ble_local_bridge_state_store.hpp"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <functional>
#include <set>

#include "QuorvelShared/support/files.hpp"
#include "QuorvelShared/support/json_errors.hpp"
#include "QuorvelShared/support/json_reader.hpp"
#include "QuorvelShared/support/json_writer.hpp"
#include "testkit/capture_error.hpp"
#include "testkit/child_process.hpp"
#include "testkit/odd_files.hpp"
#include "testkit/temp_xdg.hpp"

namespace quorvel {
namespace {

namespace fs = std::filesystem;
using State = BLELocalBridgeStateStore::State;
using Kind = BLELocalPrototypeMessageKind;

const Date t0 = parseIsoDate("2024-05-01T10:00:00Z").value();

Date at(double secondsAfterT0) {
    return t0.addingSeconds(secondsAfterT0);
}

BLELocalBridgeRequest request(const std::string& id, std::int64_t timeout = 3600) {
    return BLELocalBridgeRequest{
        id, BLELocalPrototypeWireMessage::unlockRequest(id, "c2VhbGVk", at(3600), at(30), "mac-1"),
        timeout};
}

BLELocalPrototypeWireMessage reply(const std::string& id, Kind kind) {
    BLELocalPrototypeWireMessage message;
    message.kind = kind;
    message.requestId = id;
    return message;
}

BLELocalBridgeResponse pickedUp(const std::string& id) {
    return {id, false, {}, {}};
}
BLELocalBridgeResponse delivered(const std::string& id) {
    return {id, false, reply(id, Kind::unlockReceipt), {}};
}
BLELocalBridgeResponse approved(const std::string& id) {
    return {id, true, reply(id, Kind::unlockApproval), {}};
}
BLELocalBridgeResponse failed(const std::string& id) {
    return {id, true, {}, "timed out"};
}

using testkit::modeOf;

class BLELocalBridgeStateStoreTest : public ::testing::Test {
protected:
    testkit::TempXdgHome home;
    fs::path mailbox = home.root() / "shared" / "ble-bridge-state.json";
    BLELocalBridgeStateStore store{mailbox};

    State storedState() { return bleLocalBridgeStateFromJson(json::parse(readMailbox()), ""); }
    std::string readMailbox() { return testkit::readFile(mailbox); }
};

TEST_F(BLELocalBridgeStateStoreTest, WithoutAMailboxLoadResponseMakesOnlyTheLockFile) {
    EXPECT_EQ(store.loadResponse("req_1"), std::nullopt);
    EXPECT_FALSE(fs::exists(mailbox));
    EXPECT_EQ(store.lockFilePath(), mailbox.parent_path() / ".ble-bridge-state.lock");
    EXPECT_EQ(modeOf(store.lockFilePath()), 0600u);

    EXPECT_TRUE(store.loadPendingRequests(t0).empty());
    EXPECT_EQ(readMailbox(), "{\n  \"requests\" : [],\n  \"responses\" : []\n}");
    EXPECT_EQ(modeOf(mailbox), 0600u);
}

TEST_F(BLELocalBridgeStateStoreTest, TheFileIsPrettyPrintedWithSortedKeysAndWholeSecondDates) {
    store.saveRequest(request("req_1", 7200), at(0.75));
    store.saveResponse(delivered("req_1"), at(2));
    EXPECT_EQ(readMailbox(),
              "{\n"
              "  \"requests\" : [\n"
              "    {\n"
              "      \"createdAt\" : \"2024-05-01T10:00:00Z\",\n"
              "      \"request\" : {\n"
              "        \"message\" : {\n"
              "          \"deliveryDeadline\" : \"2024-05-01T10:00:30Z\",\n"
              "          \"encryptedContext\" : \"c2VhbGVk\",\n"
              "          \"expiresAt\" : \"2024-05-01T11:00:00Z\",\n"
              "          \"kind\" : \"unlockRequest\",\n"
              "          \"macDeviceId\" : \"mac-1\",\n"
              "          \"requestId\" : \"req_1\",\n"
              "          \"version\" : 1\n"
              "        },\n"
              "        \"requestId\" : \"req_1\",\n"
              "        \"timeoutSeconds\" : 7200\n"
              "      }\n"
              "    }\n"
              "  ],\n"
              "  \"responses\" : [\n"
              "    {\n"
              "      \"response\" : {\n"
              "        \"completed\" : false,\n"
              "        \"message\" : {\n"
              "          \"kind\" : \"unlockReceipt\",\n"
              "          \"requestId\" : \"req_1\",\n"
              "          \"version\" : 1\n"
              "        },\n"
              "        \"requestId\" : \"req_1\"\n"
              "      },\n"
              "      \"updatedAt\" : \"2024-05-01T10:00:02Z\"\n"
              "    }\n"
              "  ]\n"
              "}");
}

struct MailboxCase {
    const char* name;
    std::function<void(BLELocalBridgeStateStore&)> steps;
    State expected;
    std::vector<std::string> pendingIds;
};

TEST_F(BLELocalBridgeStateStoreTest, StateMachine) {
    const auto request1v2 = request("req_1", 9000);
    const std::vector<MailboxCase> cases = {
        {"a new request drops a stale completed response",
         [](auto& s) {
             s.saveResponse(approved("req_1"), at(0));
             s.saveResponse(failed("req_2"), at(0));
             s.saveRequest(request("req_1"), at(5));
         },
         State{{{request("req_1"), at(5)}}, {{failed("req_2"), at(0)}}},
         {"req_1"}},
        {"re-saving a pending request keeps its first time and its response",
         [&](auto& s) {
             s.saveRequest(request("req_1"), at(0));
             s.saveResponse(pickedUp("req_1"), at(1));
             s.saveRequest(request1v2, at(7));
         },
         State{{{request1v2, at(0)}}, {{pickedUp("req_1"), at(1)}}},
         {"req_1"}},
        {"a completed response removes its request and stays readable",
         [](auto& s) {
             s.saveRequest(request("req_1"), at(0));
             s.saveRequest(request("req_2"), at(1));
             s.saveResponse(approved("req_1"), at(3));
         },
         State{{{request("req_2"), at(1)}}, {{approved("req_1"), at(3)}}},
         {"req_2"}},
        {"a failure text completes the request too",
         [](auto& s) {
             s.saveRequest(request("req_1"), at(0));
             s.saveResponse(failed("req_1"), at(3));
         },
         State{{}, {{failed("req_1"), at(3)}}},
         {}},
        {"responses in progress keep the request pending; the later one replaces the earlier",
         [](auto& s) {
             s.saveRequest(request("req_1"), at(0));
             s.saveResponse(pickedUp("req_1"), at(1));
             s.saveResponse(delivered("req_1"), at(4));
         },
         State{{{request("req_1"), at(0)}}, {{delivered("req_1"), at(4)}}},
         {"req_1"}},
        {"a response for an unknown request is kept on its own",
         [](auto& s) { s.saveResponse(approved("req_9"), at(0)); },
         State{{}, {{approved("req_9"), at(0)}}},
         {}},
        {"responses saved together are applied in order, as one by one",
         [](auto& s) {
             s.saveRequest(request("req_1"), at(0));
             s.saveRequest(request("req_2"), at(0));
             s.saveRequest(request("req_3"), at(0));
             s.saveResponse(pickedUp("req_1"), at(1));
             s.saveResponses({delivered("req_2"), approved("req_1"), failed("req_2")}, at(4));
         },
         State{{{request("req_3"), at(0)}}, {{approved("req_1"), at(4)}, {failed("req_2"), at(4)}}},
         {"req_3"}},
        {"pick-up marks are added only where no response is stored",
         [](auto& s) {
             s.saveRequest(request("req_1"), at(0));
             s.saveRequest(request("req_2"), at(0));
             s.saveResponse(delivered("req_1"), at(1));
             s.savePickUpMarks({"req_1", "req_2", "req_2"}, at(4));
         },
         State{{{request("req_1"), at(0)}, {request("req_2"), at(0)}},
               {{delivered("req_1"), at(1)}, {pickedUp("req_2"), at(4)}}},
         {"req_1", "req_2"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        testkit::TempXdgHome caseHome;
        BLELocalBridgeStateStore caseStore(caseHome.root() / "ble-bridge-state.json");
        c.steps(caseStore);
        EXPECT_EQ(
            bleLocalBridgeStateFromJson(json::parse(testkit::readFile(caseStore.filePath())), ""),
            c.expected);
        std::vector<std::string> pendingIds;
        for (const auto& pending : caseStore.loadPendingRequests(at(10))) {
            pendingIds.push_back(pending.requestId);
        }
        EXPECT_EQ(pendingIds, c.pendingIds);
    }
}

TEST_F(BLELocalBridgeStateStoreTest, LoadResponseAnswersTheStoredResponseOfThatId) {
    store.saveResponse(delivered("req_1"), at(0));
    store.saveResponse(approved("req_2"), at(0));
    const std::string before = readMailbox();
    EXPECT_EQ(store.loadResponse("req_1"), delivered("req_1"));
    EXPECT_EQ(store.loadResponse("req_2"), approved("req_2"));
    EXPECT_EQ(store.loadResponse("REQ_1"), std::nullopt);
    EXPECT_EQ(readMailbox(), before);
}

TEST_F(BLELocalBridgeStateStoreTest, EntriesOlderThanADayGoOnTheNextTrimmingOperation) {
    const Date now = at(100000);
    const State aged{
        {{request("req_edge"), now.addingSeconds(-86400)},
         {request("req_old"), now.addingSeconds(-86401)}},
        {{approved("rsp_edge"), now.addingSeconds(-86400)},
         {approved("rsp_old"), now.addingSeconds(-86401)}},
    };
    const State trimmed{{aged.requests[0]}, {aged.responses[0]}};
    const std::vector<std::pair<const char*, std::function<void()>>> operations = {
        {"loadPendingRequests", [&] { store.loadPendingRequests(now); }},
        {"saveRequest of another id", [&] { store.saveRequest(request("other"), now); }},
        {"saveResponse of another id", [&] { store.saveResponse(pickedUp("other"), now); }},
    };
    for (const auto& [name, operation] : operations) {
        SCOPED_TRACE(name);
        testkit::writeFile(mailbox, json::write(toJson(aged), json::Style::prettySorted));
        EXPECT_EQ(store.loadResponse("rsp_old"), approved("rsp_old"));
        operation();
        State stored = storedState();
        std::erase_if(stored.requests,
                      [](const auto& e) { return e.request.requestId == "other"; });
        std::erase_if(stored.responses,
                      [](const auto& e) { return e.response.requestId == "other"; });
        EXPECT_EQ(stored, trimmed);
    }
    EXPECT_EQ(BLELocalBridgeStateStore::trim(aged, now), trimmed);
}

TEST_F(BLELocalBridgeStateStoreTest, PendingRequestsComeOldestFirstAndTiesInSavedOrder) {
    store.saveRequest(request("b"), at(5));
    store.saveRequest(request("a"), at(5.9));
    store.saveRequest(request("c"), at(1));
    store.saveRequest(request("d"), at(5));
    std::vector<std::string> ids;
    for (const auto& pending : store.loadPendingRequests(at(10))) {
        ids.push_back(pending.requestId);
    }
    EXPECT_EQ(ids, (std::vector<std::string>{"c", "b", "a", "d"}));
    // The stored order itself is left as it was.
    EXPECT_EQ(storedState().requests.front().request.requestId, "b");
}

TEST_F(BLELocalBridgeStateStoreTest, AnUndecodableMailboxFailsEveryOperationAndIsKept) {
    const std::string good = R"({"requests":[],"responses":[]})";
    const std::vector<std::string> texts = {
        R"({"requests":[]})",
        R"({"requests":[{"createdAt":"2024-05-01T10:00:00.5Z","request":{"requestId":"a",)"
        R"("timeoutSeconds":1,"message":{"version":1,"kind":"unpair"}}}],"responses":[]})",
        R"({"requests":[],"responses":[{"updatedAt":736000000,"response":)"
        R"({"requestId":"a","completed":true}}]})",
        R"({"requests":[],"responses":[{"updatedAt":"2024-05-01T10:00:00Z","response":)"
        R"({"requestId":"a","completed":true,"message":{"version":1,"kind":"bogus"}}}]})",
        "{\"requests\":[],",
    };
    const std::vector<std::pair<const char*, std::function<void()>>> operations = {
        {"saveRequest", [&] { store.saveRequest(request("x"), t0); }},
        {"loadPendingRequests", [&] { store.loadPendingRequests(t0); }},
        {"saveResponse", [&] { store.saveResponse(approved("x"), t0); }},
        {"loadResponse", [&] { store.loadResponse("a"); }},
    };
    for (const auto& text : texts) {
        for (const auto& [name, operation] : operations) {
            SCOPED_TRACE(text + " / " + name);
            testkit::writeFile(mailbox, text);
            EXPECT_THROW(operation(), json::DecodeError);
            EXPECT_EQ(readMailbox(), text);
        }
    }
    // The locks were released on the way out.
    testkit::writeFile(mailbox, good);
    EXPECT_TRUE(store.loadPendingRequests(t0).empty());
}

TEST_F(BLELocalBridgeStateStoreTest, AFailedReadIsNotTakenForAnEmptyMailbox) {
    store.saveRequest(request("req_1"), t0);
    const std::string before = readMailbox();
    {
        const testkit::FifoInPlace failure(mailbox);
        EXPECT_THROW(store.saveRequest(request("req_2"), t0), std::system_error);
    }
    EXPECT_EQ(readMailbox(), before);
}

TEST_F(BLELocalBridgeStateStoreTest, ALockFileFromAnEarlierRunIsReusedUnchanged) {
    fs::create_directories(mailbox.parent_path());
    testkit::writeFile(store.lockFilePath(), "left by an earlier run");
    ::chmod(store.lockFilePath().c_str(), 0640);
    store.saveRequest(request("req_1"), t0);
    EXPECT_EQ(testkit::readFile(store.lockFilePath()), "left by an earlier run");
    EXPECT_EQ(modeOf(store.lockFilePath()), 0640u);
}

TEST_F(BLELocalBridgeStateStoreTest, TheLockFileNameIsFixedWhateverTheMailboxIsCalled) {
    BLELocalBridgeStateStore other(home.root() / "elsewhere" / "mailbox-copy.json");
    other.loadResponse("x");
    EXPECT_TRUE(fs::exists(home.root() / "elsewhere" / ".ble-bridge-state.lock"));
}

TEST_F(BLELocalBridgeStateStoreTest, AFolderThatCannotBeMadeFailsBeforeReadingAndReleasesTheLock) {
    testkit::writeFile(home.root() / "blocked", "a file where the folder should be");
    BLELocalBridgeStateStore blocked(home.root() / "blocked" / "ble-bridge-state.json");
    EXPECT_THROW(blocked.saveRequest(request("req_1"), t0), fs::filesystem_error);
    EXPECT_THROW(blocked.loadResponse("req_1"), fs::filesystem_error);
    store.saveRequest(request("req_1"), t0);
    EXPECT_EQ(storedState().requests.size(), 1u);
}

TEST_F(BLELocalBridgeStateStoreTest, TwoProcessesLoseNoRequestAndNoReaderSeesATornFile) {
    fs::create_directories(mailbox.parent_path());
    const fs::path writersDone = home.root() / "writers-done";
    // The reader reads the file without the lock, as a plain load relies on atomic replacement.
    const pid_t reader = testkit::startChild([&] {
        bool lastRound = false;
        while (!lastRound) {
            lastRound = fs::exists(writersDone);
            const auto text = files::readIfPresent(mailbox);
            if (text && testkit::captureError<json::DecodeError>(
                            [&] { return bleLocalBridgeStateFromJson(json::parse(*text), ""); }))
                return 1;
        }
        return 0;
    });
    const auto statuses = testkit::runChildren(2, [&](int writer) {
        BLELocalBridgeStateStore own(mailbox);
        for (int i = 0; i < 50; ++i) {
            own.saveRequest(request("req_" + std::to_string(writer) + "_" + std::to_string(i)),
                            at(i));
        }
        return 0;
    });
    testkit::writeFile(writersDone, "");
    EXPECT_EQ(statuses, (std::vector<int>{0, 0}));
    EXPECT_EQ(testkit::waitForChild(reader), 0);

    const auto pending = store.loadPendingRequests(at(60));
    ASSERT_EQ(pending.size(), 100u);
    std::set<std::string> ids;
    for (const auto& entry : pending) {
        ids.insert(entry.requestId);
    }
    EXPECT_EQ(ids.size(), 100u);
}

}  // namespace
}  // namespace quorvel
