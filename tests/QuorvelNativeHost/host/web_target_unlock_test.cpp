// Unlock requests for web targets through the real program and a fake bridge daemon process.
#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <cstdlib>
#include <functional>
#include <vector>

#include "QuorvelShared/support/clock.hpp"
#include "QuorvelShared/support/json_reader.hpp"
#include "QuorvelShared/unlockstate/allow_window_state_store.hpp"
#include "QuorvelShared/unlockstate/ble_local_accepted_approval_receipt_store.hpp"
#include "QuorvelShared/unlockstate/linked_unlock_revision_state_store.hpp"
#include "QuorvelShared/unlockstate/remote_open_event_store.hpp"
#include "fake_bridge_daemon.hpp"
#include "host_fixture.hpp"
#include "host_process.hpp"
#include "testkit/capture_error.hpp"
#include "testkit/poll.hpp"
#include "testkit/recording_poster.hpp"
#include "testkit/report_lines.hpp"

namespace quorvel::testkit {
namespace {

using Out = MacToExtensionMessage;

// Whole seconds: the mailbox keeps dates as ISO text without fractions.
Date inAnHour() {
    return Date{std::floor(systemClock().now().secondsSinceReferenceDate) + 3600};
}

// The lines of the host's standard error that report the denial of `target` with `reason`.
std::vector<std::string> denialLines(const std::string& errors, const std::string& target,
                                     const std::string& reason) {
    return linesStartingWith(
        errors, "quorvel.host: unlock request for " + target + " denied with " + reason + ": ");
}

// The one line that reports the denial; empty (and a failure) when there is not exactly one.
std::string denialLine(const std::string& errors, const std::string& target,
                       const std::string& reason) {
    const auto found = denialLines(errors, target, reason);
    EXPECT_EQ(found.size(), 1u) << "standard error:\n" << errors;
    return found.size() == 1 ? found[0] : std::string();
}

class HostUnlock : public ::testing::Test {
protected:
    TempXdgHome home;
    ScopedRecordingPoster poster;
    FakeIPhone phone;
    // What the host wrote on standard error while it served the last request.
    std::string errors;

    // Sends one inline unlock request for `target` and returns the answer.
    Out requestUnlock(const std::string& target) {
        HostProcess host;
        host.send(unlockMessage(target));
        auto answer = host.readMessage(std::chrono::seconds(60));
        host.closeInput();
        EXPECT_EQ(host.waitForExit(), 0);
        // The answer is all the browser receives.
        EXPECT_TRUE(host.outputEndsWithoutMore());
        errors = host.errorOutput();
        if (!answer) {
            ADD_FAILURE() << "no answer";
            return Out{Out::PolicyUpdated{}};
        }
        return *answer;
    }
};

TEST_F(HostUnlock, WithoutAUsableLinkTheRequestIsDeniedBeforeTheBridge) {
    const std::string linkFile = MacLinkConfigurationStore::filePath().string();
    EXPECT_EQ(as<Out::UnlockDenied>(requestUnlock("t1")).reason, "native_host_not_configured");
    EXPECT_NE(denialLine(errors, "t1", "native_host_not_configured").find(linkFile),
              std::string::npos);

    MacLinkConfiguration incomplete = phone.link();
    incomplete.iosEncryptionPublicKeyBase64.clear();
    MacLinkConfigurationStore::save(incomplete);
    const auto denied = as<Out::UnlockDenied>(requestUnlock("t1"));
    EXPECT_EQ(denied.targetLocalId, "t1");
    EXPECT_EQ(denied.reason, "native_host_config_incomplete");
    EXPECT_TRUE(BLELocalBridgeStore::loadPendingRequests().empty());
    EXPECT_NE(denialLine(errors, "t1", "native_host_config_incomplete").find(linkFile),
              std::string::npos);
}

TEST_F(HostUnlock, WithoutADaemonTheRequestIsDeniedAsMacAppNotRunning) {
    MacLinkConfigurationStore::save(phone.link());
    EXPECT_EQ(as<Out::UnlockDenied>(requestUnlock("t1")).reason, "macAppNotRunning");
    // The request stays in the mailbox for a daemon that may still come.
    EXPECT_EQ(BLELocalBridgeStore::loadPendingRequests().size(), 1u);
    EXPECT_NE(
        denialLine(errors, "t1", "macAppNotRunning").find(BLELocalBridgeStore::stateURL().string()),
        std::string::npos);
}

TEST_F(HostUnlock, WithoutASessionBusUnlockRequestsAreDeniedAndTheHostGoesOn) {
    MacLinkConfigurationStore::save(phone.link());
    const char* previous = std::getenv("DBUS_SESSION_BUS_ADDRESS");
    const std::string saved = previous ? previous : "";
    ::setenv("DBUS_SESSION_BUS_ADDRESS", "unix:path=/nonexistent/quorvel-test-bus", 1);
    HostProcess host;
    previous ? ::setenv("DBUS_SESSION_BUS_ADDRESS", saved.c_str(), 1)
             : ::unsetenv("DBUS_SESSION_BUS_ADDRESS");
    host.send(unlockMessage("t1"));
    EXPECT_EQ(as<Out::UnlockDenied>(host.readMessage()).reason, "distributedNotificationError");
    host.send(targetsSyncMessage());
    as<Out::TargetsState>(host.readMessage());
    host.closeInput();
    EXPECT_EQ(host.waitForExit(), 0);
    EXPECT_NE(denialLine(host.errorOutput(), "t1", "distributedNotificationError")
                  .find("posting app.quorvel.bleBridge.request"),
              std::string::npos);
}

TEST_F(HostUnlock, EveryDaemonAnswerThatIsNoValidApprovalBecomesADenial) {
    struct Case {
        const char* name;
        std::function<DaemonReply(const BLELocalBridgeRequest&, const FakeIPhone&)> reply;
        std::string reason;
    };
    const FakeIPhone stranger;
    const std::vector<Case> cases = {
        {"daemon failure",
         [](auto& r, auto&) {
             return DaemonReply{true, completed(r, {}, "iphone_delivery_unconfirmed")};
         },
         R"(bluetoothBridgeFailed("iphone_delivery_unconfirmed"))"},
        {"failure with a message too",
         [](auto& r, auto& p) {
             return DaemonReply{true, completed(r, p.approval(r.requestId, inAnHour()), "x")};
         },
         R"(bluetoothBridgeFailed("x"))"},
        {"completed without anything",
         [](auto& r, auto&) {
             return DaemonReply{true, completed(r, {})};
         },
         "invalidBluetoothResponse"},
        {"signed by another key",
         [&](auto& r, auto&) {
             return DaemonReply{true, completed(r, stranger.approval(r.requestId, inAnHour()))};
         },
         "approval_signature_invalid"},
        {"another request id",
         [](auto& r, auto& p) {
             return DaemonReply{true, completed(r, p.approval("req_other", inAnHour()))};
         },
         "approval_incomplete"},
        {"no approvedUntil",
         [](auto& r, auto& p) {
             auto m = p.approval(r.requestId, inAnHour());
             m.approvedUntil.reset();
             return DaemonReply{false, completed(r, m)};
         },
         "approval_incomplete"},
        {"another kind",
         [](auto& r, auto& p) {
             auto m = p.approval(r.requestId, inAnHour());
             m.kind = BLELocalPrototypeMessageKind::unlockReceipt;
             return DaemonReply{true, completed(r, m)};
         },
         "approval_incomplete"},
        {"cancelled, even for another request",
         [](auto& r, auto&) {
             BLELocalPrototypeWireMessage m;
             m.kind = BLELocalPrototypeMessageKind::unlockCancellation;
             m.requestId = "req_other";
             return DaemonReply{true, completed(r, m)};
         },
         "request_cancelled"},
        {"signature not base64",
         [](auto& r, auto& p) {
             auto m = p.approval(r.requestId, inAnHour());
             m.approvalSignature = "***";
             return DaemonReply{true, completed(r, m)};
         },
         "unlockContextCryptoError"},
        {"linked signature invalid",
         [&](auto& r, auto& p) {
             auto m = p.approval(r.requestId, inAnHour());
             stranger.link(m, "ios-app", 9);
             return DaemonReply{true, completed(r, m)};
         },
         "linked_approval_invalid_or_stale"},
        {"stale linked revision",
         [](auto& r, auto& p) {
             auto m = p.approval(r.requestId, inAnHour());
             p.link(m, "ios-app", 3);
             return DaemonReply{true, completed(r, m)};
         },
         "linked_approval_invalid_or_stale"},
    };
    MacLinkConfigurationStore::save(phone.link());
    ASSERT_TRUE(LinkedUnlockRevisionStateStore::accept("ios-app", 5,
                                                       LinkedUnlockRevisionStateStore::filePath()));
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const FakeIPhone& iphone = phone;
        const pid_t daemon = startFakeDaemon(
            phone, 1, [&](const BLELocalBridgeRequest& r, const UnlockContextPlaintext&) {
                return c.reply(r, iphone);
            });
        const auto denied = as<Out::UnlockDenied>(requestUnlock("t1"));
        EXPECT_EQ(denied.targetLocalId, "t1");
        EXPECT_EQ(denied.reason, c.reason);
        EXPECT_FALSE(denialLine(errors, "t1", c.reason).empty());
        EXPECT_EQ(waitForChild(daemon), 0);
        EXPECT_TRUE(AllowWindowStateStore::load(systemClock().now()).empty());
    }
    EXPECT_EQ(LinkedUnlockRevisionStateStore::load(LinkedUnlockRevisionStateStore::filePath()),
              (LinkedUnlockRevisionMap{{"ios-app", 5}}));
}

TEST_F(HostUnlock, APlainApprovalOpensEveryWebTargetOfTheSameLinkedTarget) {
    MacLinkConfigurationStore::save(phone.link(7200));
    SyncedWebTarget first = webTarget("link:ios-app#a", "ios-app");
    first.policy.durationOptions = {5, 15};
    storeSyncedList(3, {first, webTarget("c"), webTarget("link:ios-app#b", "ios-app")});
    RemoteOpenEventStore remoteOpens(RemoteOpenEventStore::defaultFilePath());
    ASSERT_TRUE(remoteOpens.recordImpression("p1", "ios-app", systemClock().now()));

    const Date until = inAnHour();
    const pid_t daemon = startFakeDaemon(phone, 1, [&](auto& r, auto&) {
        return DaemonReply{true, completed(r, phone.approval(r.requestId, until))};
    });
    const auto approved = as<Out::UnlockApproved>(requestUnlock("link:ios-app#a"));
    EXPECT_EQ(waitForChild(daemon), 0);
    EXPECT_EQ(approved.targetLocalId, "link:ios-app#a");
    EXPECT_EQ(approved.allowUntil, until);

    EXPECT_EQ(AllowWindowStateStore::load(systemClock().now()),
              (AllowWindowMap{{"link:ios-app#a", until}, {"link:ios-app#b", until}}));
    // The receipt is kept and the counts that rode along are acknowledged.
    const auto pending = BLELocalBridgeStore::loadPendingRequests();
    ASSERT_TRUE(pending.empty());
    EXPECT_TRUE(remoteOpens.snapshotForUnlock(systemClock().now()).empty());
    const std::string receipts = readFile(BLELocalAcceptedApprovalReceiptStore::filePath());
    EXPECT_NE(receipts.find("req_"), std::string::npos);

    // What the iPhone was told: the target's policy, the counts, and the request's lifetime.
    std::optional<std::string> seen;
    for (const auto& entry :
         std::filesystem::directory_iterator(BLELocalBridgeStore::stateURL().parent_path())) {
        if (entry.path().filename().string().starts_with("seen-"))
            seen = readFile(entry.path());
    }
    ASSERT_TRUE(seen);
    const Json record = json::parse(*seen);
    const UnlockContextPlaintext context =
        unlockContextPlaintextFromJson(record.at("context"), "context");
    EXPECT_EQ(context.targetLocalId, "link:ios-app#a");
    EXPECT_EQ(context.policySnapshot.durationOptions, (std::vector<std::int64_t>{5, 15}));
    ASSERT_TRUE(context.remoteOpenBatches);
    EXPECT_EQ(context.remoteOpenBatches->size(), 1u);
    EXPECT_EQ(record.at("timeoutSeconds"), Json(7200));
    EXPECT_TRUE(context.requestId.starts_with("req_"));
}

TEST_F(HostUnlock, ALinkedApprovalOpensTheLinkedTargetsAndRaisesTheRevision) {
    struct Case {
        const char* name;
        std::string linkedTarget;
        AllowWindowMap::size_type opened;
    };
    for (const Case& c :
         {Case{"linked web targets", "ios-app", 2}, Case{"no linked web target", "ios-other", 1}}) {
        SCOPED_TRACE(c.name);
        TempXdgHome caseHome;
        MacLinkConfigurationStore::save(phone.link());
        storeSyncedList(3, {webTarget("link:ios-app#a", "ios-app"), webTarget("c"),
                            webTarget("link:ios-app#b", "ios-app")});
        const Date until = inAnHour();
        const pid_t daemon = startFakeDaemon(phone, 1, [&](auto& r, auto&) {
            auto m = phone.approval(r.requestId, until);
            phone.link(m, c.linkedTarget, 4);
            return DaemonReply{true, completed(r, m)};
        });
        EXPECT_EQ(as<Out::UnlockApproved>(requestUnlock("c")).allowUntil, until);
        EXPECT_EQ(waitForChild(daemon), 0);
        const AllowWindowMap windows = AllowWindowStateStore::load(systemClock().now());
        EXPECT_EQ(windows.size(), c.opened);
        EXPECT_EQ(windows.count(c.opened == 2 ? "link:ios-app#a" : "c"), 1u);
        EXPECT_EQ(LinkedUnlockRevisionStateStore::load(LinkedUnlockRevisionStateStore::filePath()),
                  (LinkedUnlockRevisionMap{{c.linkedTarget, 4}}));
    }
}

// The application refuses such an approval; the host takes it as a plain one, which opens the web
// targets of the requested target's own linked target and leaves the revisions alone.
TEST_F(HostUnlock, AnApprovalWithOnlySomeOfItsLinkedFieldsIsAPlainOne) {
    MacLinkConfigurationStore::save(phone.link());
    storeSyncedList(3, {webTarget("link:ios-app#a", "ios-app"), webTarget("c"),
                        webTarget("link:ios-app#b", "ios-app")});
    const Date until = inAnHour();
    const pid_t daemon = startFakeDaemon(phone, 1, [&](auto& r, auto&) {
        auto m = phone.approval(r.requestId, until);
        phone.link(m, "ios-other", 4);
        m.linkedSignature.reset();
        return DaemonReply{true, completed(r, m)};
    });
    EXPECT_EQ(as<Out::UnlockApproved>(requestUnlock("link:ios-app#a")).allowUntil, until);
    EXPECT_EQ(waitForChild(daemon), 0);
    EXPECT_EQ(AllowWindowStateStore::load(systemClock().now()),
              (AllowWindowMap{{"link:ios-app#a", until}, {"link:ios-app#b", until}}));
    EXPECT_TRUE(
        LinkedUnlockRevisionStateStore::load(LinkedUnlockRevisionStateStore::filePath()).empty());
}

TEST_F(HostUnlock, AnApprovalWhoseReceiptCannotBeSavedIsStillApproved) {
    MacLinkConfigurationStore::save(phone.link());
    std::filesystem::create_directories(BLELocalAcceptedApprovalReceiptStore::filePath());
    const Date until = inAnHour();
    const pid_t daemon = startFakeDaemon(phone, 1, [&](auto& r, auto&) {
        return DaemonReply{true, completed(r, phone.approval(r.requestId, until))};
    });
    HostProcess host;
    host.send(unlockMessage("t1"));
    EXPECT_EQ(as<Out::UnlockApproved>(host.readMessage(std::chrono::seconds(60))).allowUntil,
              until);
    host.closeInput();
    EXPECT_EQ(host.waitForExit(), 0);
    EXPECT_NE(host.errorOutput().find("receipt"), std::string::npos);
    EXPECT_EQ(waitForChild(daemon), 0);
    EXPECT_EQ(AllowWindowStateStore::load(systemClock().now()).count("t1"), 1u);
}

TEST_F(HostUnlock, BeforeASubscriptionAnUnlockRequestHoldsBackTheNextMessage) {
    MacLinkConfigurationStore::save(phone.link());
    const Date until = inAnHour();
    const pid_t daemon = startFakeDaemon(phone, 1, [&](auto& r, auto&) {
        DaemonReply reply{true, completed(r, phone.approval(r.requestId, until))};
        reply.waitForGo = true;
        return reply;
    });
    HostProcess host;
    host.send(unlockMessage("t1"));
    const std::string listQuestion =
        HostProcess::frameOf(encodeExtensionToMacMessage(targetsSyncMessage()));
    ASSERT_TRUE(host.writeRaw(listQuestion));
    // The filed request shows that the host is inside the unlock: the list's question is still
    // in its input, whole and unread, and its answer comes after the unlock's.
    ASSERT_TRUE(pollUntil([] { return !BLELocalBridgeStore::loadPendingRequests().empty(); }));
    EXPECT_EQ(host.unreadInput(), listQuestion.size());
    writeFile(goFile(), "");
    EXPECT_EQ(as<Out::UnlockApproved>(host.readMessage(std::chrono::seconds(60))).targetLocalId,
              "t1");
    as<Out::TargetsState>(host.readMessage());
    host.closeInput();
    EXPECT_EQ(host.waitForExit(), 0);
    EXPECT_EQ(waitForChild(daemon), 0);
}

TEST_F(HostUnlock, AfterASubscriptionRequestsRunConcurrentlyAndAnswerInTheirOwnOrder) {
    MacLinkConfigurationStore::save(phone.link());
    const Date until = inAnHour();
    const pid_t daemon = startFakeDaemon(phone, 2, [&](auto& r, auto& context) {
        DaemonReply reply{true, completed(r, phone.approval(r.requestId, until))};
        reply.waitForGo = context.targetLocalId == "slow";
        return reply;
    });
    HostProcess host;
    host.send(subscribeMessage());
    as<Out::TargetsState>(host.readMessage());
    as<Out::AllowState>(host.readMessage());
    host.send(unlockMessage("slow"));
    host.send(unlockMessage("fast"));

    // The later request is answered first, while the earlier one still waits.
    std::optional<MacToExtensionMessage> message;
    do {
        message = host.readMessage(std::chrono::seconds(60));
    } while (message && !std::holds_alternative<Out::UnlockApproved>(message->value));
    EXPECT_EQ(as<Out::UnlockApproved>(message).targetLocalId, "fast");

    host.send(targetsSyncMessage());
    do {
        message = host.readMessage();
    } while (message && std::holds_alternative<Out::AllowState>(message->value));
    as<Out::TargetsState>(message);

    writeFile(goFile(), "");
    do {
        message = host.readMessage(std::chrono::seconds(60));
    } while (message && !std::holds_alternative<Out::UnlockApproved>(message->value));
    EXPECT_EQ(as<Out::UnlockApproved>(message).targetLocalId, "slow");

    host.closeInput();
    EXPECT_EQ(host.waitForExit(), 0);
    EXPECT_EQ(waitForChild(daemon), 0);
}

TEST_F(HostUnlock, EndOfInputWithRequestsInFlightEndsAtOnceAndWritesNothingMore) {
    MacLinkConfigurationStore::save(phone.link());
    // Picked up and never answered.
    const pid_t daemon = startFakeDaemon(phone, 2, [](auto&, auto&) { return DaemonReply{}; });
    HostProcess host;
    host.send(subscribeMessage());
    as<Out::TargetsState>(host.readMessage());
    as<Out::AllowState>(host.readMessage());
    host.send(unlockMessage("a"));
    host.send(unlockMessage("b"));
    EXPECT_EQ(waitForChild(daemon), 0);
    host.closeInput();
    EXPECT_EQ(host.waitForExit(), 0);
    EXPECT_TRUE(host.outputEndsWithoutMore());
}

// Denials for a state file that cannot be used: the reason stays the error's fixed word, and the
// host's standard error names the step, the file and the error, which the browser never sees.
// The file is left as it was.
class HostDenialRobustness : public HostUnlock {};

TEST_F(HostDenialRobustness, ADenialForAStateFileNamesTheFileAndTheErrorOnStandardError) {
    struct Case {
        const char* name;
        std::function<void()> spoil;
        // The step and the file the line names, and the denial's reason.
        std::string step;
        std::function<std::filesystem::path()> file;
        std::string reason;
        // The same store call in this process, for the error's own text.
        std::function<void()> sameFailure;
    };
    const auto mailbox = [] { return BLELocalBridgeStore::stateURL(); };
    const auto link = [] { return MacLinkConfigurationStore::filePath(); };
    const auto fileRequest = [this] {
        BLELocalBridgeStore::saveRequest({"req_here", phone.approval("req_here", inAnHour()), 1});
    };
    const Case cases[] = {
        {"a mailbox that does not decode", [&] { writeFile(mailbox(), R"({"requests":7})"); },
         "filing the request in the mailbox", mailbox, "decodingError", fileRequest},
        {"a folder where the mailbox's lock file belongs",
         [&] {
             std::filesystem::create_directories(mailbox().parent_path() /
                                                 ".ble-bridge-state.lock");
         },
         "filing the request in the mailbox", mailbox, "systemError", fileRequest},
        {"a link configuration that does not decode", [&] { writeFile(link(), "[]"); },
         "loading the link configuration", link, "decodingError",
         [] { MacLinkConfigurationStore::load(); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TempXdgHome caseHome;
        MacLinkConfigurationStore::save(phone.link());
        c.spoil();
        const bool spoiltFile = std::filesystem::is_regular_file(c.file());
        const std::string before = spoiltFile ? readFile(c.file()) : "";
        const auto error = captureErrorText(c.sameFailure);
        ASSERT_TRUE(error) << "the store call did not fail";

        const auto denied = as<Out::UnlockDenied>(requestUnlock("t1"));
        EXPECT_EQ(denied.reason, c.reason);
        EXPECT_EQ(denialLine(errors, "t1", c.reason),
                  "quorvel.host: unlock request for t1 denied with " + c.reason + ": " + c.step +
                      " (" + c.file().string() + "): " + *error);
        if (spoiltFile) {
            EXPECT_EQ(readFile(c.file()), before);
        }
    }
}

}  // namespace
}  // namespace quorvel::testkit
