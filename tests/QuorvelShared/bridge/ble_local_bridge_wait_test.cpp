#include "QuorvelShared/bridge/ble_local_bridge_wait.hpp"

#include <gtest/gtest.h>

#include <limits>
#include <stdexcept>
#include <vector>

namespace quorvel {
namespace {

using namespace std::chrono_literals;
using Kind = BLELocalBridgeWait::Outcome::Kind;
using Response = std::optional<BLELocalBridgeResponse>;

const BootClock::time_point start{1000s};

BLELocalPrototypeWireMessage approval() {
    BLELocalPrototypeWireMessage message;
    message.kind = BLELocalPrototypeMessageKind::unlockApproval;
    message.requestId = "req_1";
    return message;
}

BLELocalPrototypeWireMessage receipt() {
    BLELocalPrototypeWireMessage message;
    message.kind = BLELocalPrototypeMessageKind::unlockReceipt;
    message.requestId = "req_1";
    return message;
}

BLELocalBridgeResponse pickedUp() {
    return {"req_1", false, std::nullopt, std::nullopt};
}
BLELocalBridgeResponse completedWith(std::optional<BLELocalPrototypeWireMessage> message,
                                     std::optional<std::string> error) {
    return {"req_1", true, std::move(message), std::move(error)};
}

// Drives a wait the way a caller's timer does: time advances by each requested delay, and the
// mailbox shows, at each read, whatever `mailbox` gives for the time of that read.
struct Drive {
    std::optional<BLELocalBridgeWait::Outcome> outcome;
    BootClock::time_point endedAt;
    int reads = 0;
    std::vector<BLELocalBridgeResponse> progress;
};

template <class Mailbox>
Drive drive(std::int64_t timeoutSeconds, Mailbox mailbox, int maxPolls = 1'000'000) {
    BLELocalBridgeWait wait(timeoutSeconds, start);
    Drive result;
    BootClock::time_point now = start;
    for (int i = 0; i < maxPolls; ++i) {
        auto step = wait.poll(now, [&] {
            ++result.reads;
            return mailbox(now - start);
        });
        if (step.progress) {
            result.progress.push_back(*step.progress);
        }
        if (step.outcome) {
            result.outcome = step.outcome;
            result.endedAt = now;
            EXPECT_EQ(wait.phase(), BLELocalBridgeWait::Phase::finished);
            return result;
        }
        now += step.pollAgainIn;
    }
    ADD_FAILURE() << "the wait did not end";
    return result;
}

TEST(BLELocalBridgeWait, NoDaemonEndsAsNotRunningAfterFiveSecondsOfPolls) {
    const Drive d = drive(3600, [](auto) { return Response{}; });
    ASSERT_TRUE(d.outcome);
    EXPECT_EQ(d.outcome->kind, Kind::notRunning);
    EXPECT_EQ(d.endedAt - start, 5s);
    EXPECT_EQ(d.reads, 50);
}

TEST(BLELocalBridgeWait, CompletedResponsesEndEitherPhaseWithTheirOutcome) {
    struct Case {
        const char* name;
        BLELocalBridgeResponse completed;
        BLELocalBridgeWait::Outcome expected;
    };
    const std::vector<Case> cases = {
        {"message", completedWith(approval(), std::nullopt), {Kind::answered, approval(), {}}},
        {"error",
         completedWith(std::nullopt, "iphone_delivery_unconfirmed"),
         {Kind::failed, std::nullopt, "iphone_delivery_unconfirmed"}},
        {"error wins over message",
         completedWith(approval(), "bluetooth_unavailable"),
         {Kind::failed, std::nullopt, "bluetooth_unavailable"}},
        {"empty error text is still an error",
         completedWith(approval(), ""),
         {Kind::failed, std::nullopt, ""}},
        {"neither", completedWith(std::nullopt, std::nullopt), {Kind::emptyAnswer, {}, {}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        // Already completed at the first read: no answer phase at all.
        const Drive direct = drive(3600, [&](auto) { return Response{c.completed}; });
        EXPECT_EQ(direct.outcome, c.expected);
        EXPECT_EQ(direct.reads, 1);
        EXPECT_TRUE(direct.progress.empty());

        // Picked up after 1 s, completed 20 minutes later.
        const Drive later = drive(3600, [&](auto t) -> Response {
            if (t < 1s)
                return std::nullopt;
            if (t < 1201s)
                return pickedUp();
            return c.completed;
        });
        EXPECT_EQ(later.outcome, c.expected);
        EXPECT_GE(later.endedAt - start, 1201s);
        EXPECT_LT(later.endedAt - start, 1201s + 200ms + 1ms);
    }
}

TEST(BLELocalBridgeWait, AnswerWindowIsTheLifetimeAtLeastOneSecondPlusFiveFromThePickUp) {
    struct Case {
        std::int64_t timeoutSeconds;
        std::chrono::seconds window;
    };
    for (const Case c : {Case{0, 6s}, Case{-30, 6s}, Case{1, 6s}, Case{2, 7s}, Case{60, 65s}}) {
        SCOPED_TRACE(c.timeoutSeconds);
        // Picked up at 3 s: still within the pick-up window.
        const Drive d = drive(c.timeoutSeconds, [](auto t) -> Response {
            if (t < 3s)
                return std::nullopt;
            return pickedUp();
        });
        ASSERT_TRUE(d.outcome);
        EXPECT_EQ(d.outcome->kind, Kind::timedOut);
        EXPECT_GE(d.endedAt - start, 3s + c.window);
        EXPECT_LT(d.endedAt - start, 3s + c.window + 200ms);
    }
}

TEST(BLELocalBridgeWait, AResponseThatVanishesKeepsTheRequesterWaitingUntilTheDeadline) {
    const Drive d = drive(1, [](auto t) -> Response {
        if (t < 500ms)
            return pickedUp();
        return std::nullopt;
    });
    ASSERT_TRUE(d.outcome);
    EXPECT_EQ(d.outcome->kind, Kind::timedOut);
    EXPECT_GE(d.endedAt - start, 6s);
}

TEST(BLELocalBridgeWait, InProgressResponsesAreHandedToTheCaller) {
    const Drive d = drive(3600, [](auto t) -> Response {
        if (t < 1s)
            return pickedUp();
        if (t < 2s)
            return BLELocalBridgeResponse{"req_1", false, receipt(), std::nullopt};
        return completedWith(approval(), std::nullopt);
    });
    ASSERT_FALSE(d.progress.empty());
    EXPECT_EQ(d.progress.front(), pickedUp());
    EXPECT_EQ(d.progress.back().message, receipt());
    EXPECT_EQ(d.outcome->kind, Kind::answered);
}

TEST(BLELocalBridgeWait, TheFirstAnswerReadFollowsThePickUpAtOnce) {
    BLELocalBridgeWait wait(3600, start);
    const auto step = wait.poll(start, [] { return Response{pickedUp()}; });
    EXPECT_EQ(wait.phase(), BLELocalBridgeWait::Phase::answer);
    EXPECT_EQ(step.pollAgainIn, 0ms);
    const auto next = wait.poll(start, [] { return Response{pickedUp()}; });
    EXPECT_EQ(next.pollAgainIn, BLELocalBridgeWait::answerPollInterval);
}

TEST(BLELocalBridgeWait, PollsAreSpacedAsTheWaitAsks) {
    BLELocalBridgeWait wait(3600, start);
    EXPECT_EQ(wait.poll(start, [] { return Response{}; }).pollAgainIn, 100ms);
}

TEST(BLELocalBridgeWait, HugeLifetimesNeverOverflowTheDeadline) {
    const auto max = std::numeric_limits<std::int64_t>::max();
    BLELocalBridgeWait wait(max, start);
    ASSERT_FALSE(wait.poll(start, [] { return Response{pickedUp()}; }).outcome);
    // Far in the future, yet not past the deadline.
    const auto step =
        wait.poll(start + std::chrono::hours(24 * 365 * 100), [] { return Response{pickedUp()}; });
    EXPECT_FALSE(step.outcome);
}

TEST(BLELocalBridgeWait, ALoadErrorPropagatesAndLeavesTheWaitUsable) {
    BLELocalBridgeWait wait(3600, start);
    EXPECT_THROW(wait.poll(start, []() -> Response { throw std::runtime_error("io"); }),
                 std::runtime_error);
    EXPECT_EQ(wait.phase(), BLELocalBridgeWait::Phase::pickUp);
    const auto step = wait.poll(start + 100ms, [] { return Response{pickedUp()}; });
    EXPECT_EQ(wait.phase(), BLELocalBridgeWait::Phase::answer);
    EXPECT_FALSE(step.outcome);
}

TEST(BLELocalBridgeWait, TheDeadlineIsCheckedBeforeTheMailboxIsRead) {
    BLELocalBridgeWait wait(3600, start);
    int reads = 0;
    const auto step = wait.poll(start + 5s, [&] {
        ++reads;
        return Response{completedWith(approval(), std::nullopt)};
    });
    EXPECT_EQ(reads, 0);
    ASSERT_TRUE(step.outcome);
    EXPECT_EQ(step.outcome->kind, Kind::notRunning);
    EXPECT_THROW(wait.poll(start + 6s, [] { return Response{}; }), std::logic_error);
}

}  // namespace
}  // namespace quorvel
