#pragma once

// Waiting in Qt tests: runs the thread's event loop until a condition holds. The patience only
// guards against a hang; nothing here measures speed. Header-only, so that the test kit itself
// stays free of Qt.
#include <QEventLoop>
#include <QTimer>
#include <chrono>
#include <functional>

#include "testkit/poll.hpp"

namespace quorvel::testkit {

inline constexpr int qtPatienceMs = 60'000;

// Runs the event loop for a moment, so that what runs before the loop sleeps runs too.
inline void turnEventLoop() {
    QEventLoop loop;
    QTimer::singleShot(5, &loop, &QEventLoop::quit);
    loop.exec();
}

inline bool runLoopUntil(const std::function<bool()>& done, int patienceMs = qtPatienceMs) {
    return pollUntil(done, std::chrono::milliseconds(patienceMs), turnEventLoop);
}

// Runs the loop until every event already posted has been handled, then a little more.
inline void drainLoop() {
    for (int i = 0; i < 3; ++i) {
        QEventLoop loop;
        QTimer::singleShot(0, &loop, &QEventLoop::quit);
        loop.exec();
    }
}

}  // namespace quorvel::testkit
