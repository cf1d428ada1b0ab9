#include "QuorvelPlatform/timers/boot_clock_deadlines.hpp"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <cmath>
#include <filesystem>
#include <limits>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "testkit/qt_wait.hpp"

namespace quorvel {
namespace {

using testkit::runLoopUntil;

std::size_t openDescriptors() {
    std::size_t count = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator("/proc/self/fd"))
        ++count;
    return count;
}

TEST(BootClockDeadlines, ADeadlineRunsOnceAfterItsLengthOnTheBootClock) {
    BootClockDeadlines deadlines;
    int ran = 0;
    double ranAt = 0;
    const double startedAt = bootClockSeconds();
    deadlines.after(0.2, [&] {
        ++ran;
        ranAt = bootClockSeconds();
    });
    EXPECT_EQ(ran, 0) << "never inside the call that set it";
    ASSERT_TRUE(runLoopUntil([&] { return ran > 0; }));
    EXPECT_GE(ranAt - startedAt, 0.2);
    EXPECT_EQ(deadlines.pendingCount(), 0u);
    // The marker runs later than any second run of the first could.
    bool marker = false;
    deadlines.after(0.05, [&] { marker = true; });
    ASSERT_TRUE(runLoopUntil([&] { return marker; }));
    EXPECT_EQ(ran, 1);
}

TEST(BootClockDeadlines, DeadlinesRunByTimeAndTiesInTheOrderTheyWereSet) {
    BootClockDeadlines deadlines;
    std::vector<std::string> order;
    const auto base = BootClock::now() + std::chrono::milliseconds(100);
    deadlines.at(base + std::chrono::milliseconds(50), [&] { order.push_back("late"); });
    deadlines.at(base, [&] { order.push_back("tie 1"); });
    deadlines.at(base, [&] { order.push_back("tie 2"); });
    deadlines.at(base - std::chrono::milliseconds(50), [&] { order.push_back("early"); });
    ASSERT_TRUE(runLoopUntil([&] { return order.size() == 4; }));
    EXPECT_EQ(order, (std::vector<std::string>{"early", "tie 1", "tie 2", "late"}));
}

TEST(BootClockDeadlines, ACancelledDeadlineNeverRuns) {
    BootClockDeadlines deadlines;
    bool cancelledRan = false;
    bool marker = false;
    const auto id = deadlines.after(0.05, [&] { cancelledRan = true; });
    EXPECT_TRUE(deadlines.isPending(id));
    deadlines.after(0.2, [&] { marker = true; });
    deadlines.cancel(id);
    deadlines.cancel(id);     // twice: ignored
    deadlines.cancel(12345);  // unknown: ignored
    EXPECT_FALSE(deadlines.isPending(id));
    ASSERT_TRUE(runLoopUntil([&] { return marker; }));
    EXPECT_FALSE(cancelledRan);
}

TEST(BootClockDeadlines, OddLengthsAreAcceptedAndClamped) {
    BootClockDeadlines deadlines;
    int ran = 0;
    for (double seconds : {0.0, -5.0, std::nan(""), -std::numeric_limits<double>::infinity()})
        deadlines.after(seconds, [&] { ++ran; });
    EXPECT_EQ(ran, 0);
    EXPECT_TRUE(runLoopUntil([&] { return ran == 4; }));
    const auto far = deadlines.after(1e300, [] {});
    const auto endless = deadlines.after(std::numeric_limits<double>::infinity(), [] {});
    const auto beyond = deadlines.at(BootClock::time_point::max(), [] {});
    EXPECT_TRUE(deadlines.isPending(far));
    EXPECT_TRUE(deadlines.isPending(endless));
    EXPECT_TRUE(deadlines.isPending(beyond));
}

// The reason the queue exists: a daemon with thousands of pending requests would otherwise run
// out of descriptors.
TEST(BootClockDeadlines, ThousandsOfDeadlinesShareOneDescriptor) {
    const std::size_t before = openDescriptors();
    BootClockDeadlines deadlines;
    int ran = 0;
    for (int i = 0; i < 5000; ++i)
        deadlines.after(i % 2 ? 3600.0 : 0.01 * (i % 7), [&] { ++ran; });
    EXPECT_EQ(openDescriptors(), before + 1);
    EXPECT_TRUE(runLoopUntil([&] { return ran == 2500; }));
    EXPECT_EQ(deadlines.pendingCount(), 2500u);
}

TEST(BootClockDeadlines, AThrowingActionIsReportedAndTheOthersStillRun) {
    BootClockDeadlines deadlines;
    std::vector<int> ran;
    deadlines.after(0.05, [&] { ran.push_back(1); });
    deadlines.after(0.05, [] { throw std::runtime_error("broken deadline"); });
    deadlines.after(0.05, [&] { ran.push_back(3); });
    deadlines.after(0.1, [&] { ran.push_back(4); });
    ::testing::internal::CaptureStderr();
    const bool done = runLoopUntil([&] { return ran.size() == 3; });
    const std::string errors = ::testing::internal::GetCapturedStderr();
    ASSERT_TRUE(done);
    EXPECT_EQ(ran, (std::vector<int>{1, 3, 4}));
    EXPECT_NE(errors.find("broken deadline"), std::string::npos) << errors;
}

TEST(BootClockDeadlines, ActionsMaySetCancelAndEndTheirOwner) {
    auto deadlines = std::make_unique<BootClockDeadlines>();
    std::vector<std::string> order;
    BootClockDeadlines::Id doomed = 0;
    deadlines->after(0.02, [&] {
        order.push_back("first");
        deadlines->cancel(doomed);
        // Due at once, yet never inside this run: the next turn.
        deadlines->after(0, [&] {
            order.push_back("set by first");
            deadlines.reset();
        });
    });
    doomed = deadlines->after(0.02, [&] { order.push_back("doomed"); });
    ASSERT_TRUE(runLoopUntil([&] { return !deadlines; }));
    EXPECT_EQ(order, (std::vector<std::string>{"first", "set by first"}));
}

}  // namespace
}  // namespace quorvel
