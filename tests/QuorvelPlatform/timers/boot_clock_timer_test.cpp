#include "QuorvelPlatform/timers/boot_clock_timer.hpp"

#include <gtest/gtest.h>
#include <QCoreApplication>

#include <cmath>
#include <functional>
#include <limits>

#include "testkit/qt_wait.hpp"

namespace quorvel {
namespace {

using testkit::runLoopUntil;

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
    ASSERT_TRUE(runLoopUntil([&] { return fired > 0; }));
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
    ASSERT_TRUE(runLoopUntil([&] { return fired > 0; }));
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
    ASSERT_TRUE(runLoopUntil([&] { return witnessFired; }));
    EXPECT_EQ(fired, 0);
}

TEST(BootClockTimer, OddLengthsAreAcceptedAndClamped) {
    for (double seconds : {0.0, -5.0, std::nan(""), -std::numeric_limits<double>::infinity()}) {
        BootClockTimer timer;
        bool fired = false;
        QObject::connect(&timer, &BootClockTimer::timeout, [&] { fired = true; });
        timer.start(seconds);
        EXPECT_TRUE(runLoopUntil([&] { return fired; })) << seconds;
    }
    BootClockTimer far;
    EXPECT_NO_THROW(far.start(1e300));
    EXPECT_NO_THROW(far.start(std::numeric_limits<double>::infinity()));
    EXPECT_TRUE(far.isActive());
}

}  // namespace
}  // namespace quorvel
