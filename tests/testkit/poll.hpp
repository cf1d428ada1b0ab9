#pragma once

// Waiting for a condition that something else makes true: another process, a server thread, the
// event loop. The patience only guards against a hang on a loaded machine; nothing here
// measures speed. Header-only and free of Qt, so that every test program and tool can use it.
#include <chrono>
#include <functional>
#include <thread>

namespace quorvel::testkit {

inline constexpr std::chrono::milliseconds pollPatience{60'000};

// Lets whatever the condition waits for run for a moment.
inline void pauseBriefly() {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
}

// Checks `done` until it holds or the patience has run out, calling `between` between checks;
// returns the last check's answer.
inline bool pollUntil(const std::function<bool()>& done,
                      std::chrono::milliseconds patience = pollPatience,
                      const std::function<void()>& between = pauseBriefly) {
    const auto giveUpAt = std::chrono::steady_clock::now() + patience;
    while (!done()) {
        if (std::chrono::steady_clock::now() > giveUpAt)
            return done();
        between();
    }
    return true;
}

}  // namespace quorvel::testkit
