#include "QuorvelShared/bridge/ble_local_bridge_wait.hpp"

#include <stdexcept>

#include "QuorvelShared/support/arithmetic.hpp"

namespace quorvel {

namespace {

using std::chrono::nanoseconds;

// from + seconds, held at the clock's far end instead of overflowing for huge lifetimes.
BootClock::time_point addSaturating(BootClock::time_point from, std::int64_t seconds) {
    constexpr std::int64_t nanosPerSecond = 1'000'000'000;
    const std::int64_t room =
        BootClock::time_point::max().time_since_epoch().count() - from.time_since_epoch().count();
    if (seconds >= room / nanosPerSecond) {
        return BootClock::time_point::max();
    }
    return from + nanoseconds(seconds * nanosPerSecond);
}

}  // namespace

BLELocalBridgeWait::BLELocalBridgeWait(std::int64_t timeoutSeconds, BootClock::time_point startedAt)
    : timeoutSeconds_(timeoutSeconds), pickUpDeadline_(startedAt + pickUpWindow) {}

BLELocalBridgeWait::Outcome BLELocalBridgeWait::outcomeOfCompleted(
    const BLELocalBridgeResponse& response) {
    if (response.error) {
        return Outcome{Outcome::Kind::failed, std::nullopt, *response.error};
    }
    if (response.message) {
        return Outcome{Outcome::Kind::answered, response.message, {}};
    }
    return Outcome{Outcome::Kind::emptyAnswer, std::nullopt, {}};
}

BLELocalBridgeWait::Step BLELocalBridgeWait::finish(Outcome outcome) {
    phase_ = Phase::finished;
    return Step{std::move(outcome), std::chrono::milliseconds(0), std::nullopt};
}

BLELocalBridgeWait::Step BLELocalBridgeWait::poll(BootClock::time_point now,
                                                  const ResponseLoader& loadResponse) {
    switch (phase_) {
        case Phase::finished:
            throw std::logic_error("the bridge wait has already ended");
        case Phase::pickUp: {
            if (now >= pickUpDeadline_) {
                return finish(Outcome{Outcome::Kind::notRunning, std::nullopt, {}});
            }
            std::optional<BLELocalBridgeResponse> response = loadResponse();
            if (!response) {
                return Step{std::nullopt, pickUpPollInterval, std::nullopt};
            }
            if (response->completed) {
                return finish(outcomeOfCompleted(*response));
            }
            // The daemon has seen the request: from now on its lifetime bounds the wait. The
            // first read of the answer phase follows at once.
            phase_ = Phase::answer;
            const std::int64_t lifetime = timeoutSeconds_ > 1 ? timeoutSeconds_ : 1;
            answerDeadline_ = addSaturating(now, saturatingAdd(lifetime, answerGrace.count()));
            return Step{std::nullopt, std::chrono::milliseconds(0), std::move(response)};
        }
        case Phase::answer: {
            if (now >= answerDeadline_) {
                return finish(Outcome{Outcome::Kind::timedOut, std::nullopt, {}});
            }
            std::optional<BLELocalBridgeResponse> response = loadResponse();
            if (response && response->completed) {
                return finish(outcomeOfCompleted(*response));
            }
            return Step{std::nullopt, answerPollInterval, std::move(response)};
        }
    }
    throw std::logic_error("unknown bridge wait phase");
}

}  // namespace quorvel
