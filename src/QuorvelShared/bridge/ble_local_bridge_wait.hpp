#pragma once

// The requester's wait for the bridge daemon's answer to one mailbox request. Both programs that
// hand requests to the daemon (the application and the native-messaging host) wait the same way,
// each on its own loop, so this is only the decision part: the caller saves the request, posts the
// request notification, creates the wait and then calls poll() each time its own timer fires,
// until a poll returns an outcome (ble_local_bridge_hand_over.hpp holds those steps). Nothing here
// sleeps, reads a clock or touches a file.
//
// Two phases:
//   pick-up: the daemon marks each request it serves with an in-progress response. None within
//            5 s of the start (polled every 100 ms) means no daemon serves the mailbox.
//   answer:  from the first response seen, polled every 200 ms until max(lifetime, 1) + 5 s.
// A completed response ends either phase at once: its error text wins over its message.
//
// Deadlines are instants of BootClock, so a change of the wall clock moves none of them.
#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "QuorvelShared/bridge/ble_local_bridge_request.hpp"
#include "QuorvelShared/support/boot_clock.hpp"

namespace quorvel {

class BLELocalBridgeWait {
public:
    static constexpr std::chrono::milliseconds pickUpWindow{5000};
    static constexpr std::chrono::milliseconds pickUpPollInterval{100};
    static constexpr std::chrono::milliseconds answerPollInterval{200};
    // Added to the request's lifetime (at least one second) to make the answer window.
    static constexpr std::chrono::seconds answerGrace{5};

    enum class Phase { pickUp, answer, finished };

    struct Outcome {
        enum class Kind {
            answered,     // completed with a message: the phone's answer
            failed,       // completed with an error text (also when a message came along)
            emptyAnswer,  // completed with neither message nor error
            notRunning,   // nothing at all in the mailbox within the pick-up window
            timedOut,     // picked up, but not completed before the answer deadline
        };
        Kind kind;
        std::optional<BLELocalPrototypeWireMessage> message;  // answered only
        std::string error;                                    // failed only

        friend bool operator==(const Outcome&, const Outcome&) = default;
    };

    struct Step {
        // Set when the wait is over; poll() must not be called again.
        std::optional<Outcome> outcome;
        // Otherwise: poll again after this delay.
        std::chrono::milliseconds pollAgainIn{0};
        // The in-progress response this poll read, if any (a delivery receipt rides on one).
        std::optional<BLELocalBridgeResponse> progress;
    };

    using ResponseLoader = std::function<std::optional<BLELocalBridgeResponse>()>;

    // startedAt: the moment the request notification was posted.
    BLELocalBridgeWait(std::int64_t timeoutSeconds, BootClock::time_point startedAt);

    // One round: checks the current phase's deadline against now and, when it has not passed,
    // reads the mailbox through loadResponse. Errors of loadResponse propagate and leave the
    // wait as it was, so a caller may give up or poll again.
    Step poll(BootClock::time_point now, const ResponseLoader& loadResponse);

    Phase phase() const { return phase_; }

    // The outcome a completed response stands for.
    static Outcome outcomeOfCompleted(const BLELocalBridgeResponse& response);

private:
    Step finish(Outcome outcome);

    std::int64_t timeoutSeconds_;
    Phase phase_ = Phase::pickUp;
    BootClock::time_point pickUpDeadline_;
    BootClock::time_point answerDeadline_{};
};

}  // namespace quorvel
