#include "QuorvelPlatform/timers/boot_clock_timer.hpp"

#include <gtest/gtest.h>
#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>

#include <cmath>
#include <functional>
#include <limits>

namespace quorvel {
namespace {

// Runs the loop until `done` or a generous limit; returns whether `done` came.
bool runUntil(const std::function<bool()>& done, int limitMs = 20000) {
    QEventLoop loop;
    QTimer guard;
    guard.setSingleShot(true);
    QObject::connect(&guard, &QTimer::timeout, &loop, &QEventLoop::quit);
    guard.start(limitMs);
    while (!done() && guard.isActive())
        loop.processEvents(QEventLoop::WaitForMoreEvents);
    return done();
}

TEST(BootClockTimer, FiresOnceAfterItsLengthOnTheBootClock) {
    BootClockTimer timer;
    int fired = 0;
    double firedAt = 0;
    QObject::connect(&timer, &BootClockTimer::timeout, [&] {
        ++fired;
        firedAt = bootClockSeconds();
    });
    double startedAt = bootClockSeconds();
    timer.start(0.2);
    ASSERT_TRUE(runUntil([&] { return fired > 0; }));
    EXPECT_GE(firedAt - startedAt, 0.2);
    EXPECT_FALSE(timer.isActive());
    QCoreApplication::processEvents();
    EXPECT_EQ(fired, 1);
}

TEST(BootClockTimer, RestartingReplacesTheEarlierLength) {
    BootClockTimer timer;
    int fired = 0;
    QObject::connect(&timer, &BootClockTimer::timeout, [&] { ++fired; });
    timer.start(3600);
    timer.start(0.05);
    ASSERT_TRUE(runUntil([&] { return fired > 0; }));
    EXPECT_EQ(fired, 1);
}

TEST(BootClockTimer, StoppedTimerNeverFires) {
    BootClockTimer timer;
    BootClockTimer witness;
    int fired = 0;
    bool witnessFired = false;
    QObject::connect(&timer, &BootClockTimer::timeout, [&] { ++fired; });
    QObject::connect(&witness, &BootClockTimer::timeout, [&] { witnessFired = true; });
    timer.start(0.05);
    timer.stop();
    witness.start(0.3);
    ASSERT_TRUE(runUntil([&] { return witnessFired; }));
    EXPECT_EQ(fired, 0);
}

TEST(BootClockTimer, OddLengthsAreAcceptedAndClamped) {
    for (double seconds : {0.0, -5.0, std::nan(""), -std::numeric_limits<double>::infinity()}) {
        BootClockTimer timer;
        bool fired = false;
        QObject::connect(&timer, &BootClockTimer::timeout, [&] { fired = true; });
        timer.start(seconds);
        EXPECT_TRUE(runUntil([&] { return fired; })) << seconds;
    }
    BootClockTimer far;
    EXPECT_NO_THROW(far.start(1e300));
    EXPECT_NO_THROW(far.start(std::numeric_limits<double>::infinity()));
    EXPECT_TRUE(far.isActive());
}

}  // namespace
}  // namespace quorvel
