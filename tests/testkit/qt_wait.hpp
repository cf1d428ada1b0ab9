#pragma once

// Waiting in Qt tests: runs the thread's event loop until a condition holds. The patience only
// guards against a hang; nothing here measures speed. Header-only, so that the test kit itself
// stays free of Qt.
#include <QEventLoop>
#include <QTimer>
#include <functional>

namespace quorvel::testkit {

inline constexpr int qtPatienceMs = 60'000;

inline bool runLoopUntil(const std::function<bool()>& done, int patienceMs = qtPatienceMs) {
    if (done())
        return true;
    QEventLoop loop;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
        if (done())
            loop.quit();
    });
    poll.start(5);
    QTimer::singleShot(patienceMs, &loop, &QEventLoop::quit);
    loop.exec();
    return done();
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
