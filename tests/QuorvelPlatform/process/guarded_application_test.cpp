#include "QuorvelPlatform/process/guarded_application.hpp"

#include <gtest/gtest.h>

#include <QMetaObject>
#include <QTimer>
#include <stdexcept>
#include <string>
#include <vector>

#include "testkit/qt_wait.hpp"

namespace quorvel {
namespace {

// An exception that a handler lets escape stops at the application object: it is reported, and
// the loop goes on with the handlers after it.
TEST(GuardedApplication, AnEscapingExceptionIsReportedAndTheLoopGoesOn) {
    QObject context;
    std::vector<std::string> ran;
    QTimer::singleShot(0, &context, [] { throw std::runtime_error("timer handler failed"); });
    QMetaObject::invokeMethod(
        &context, [] { throw std::logic_error("queued call failed"); }, Qt::QueuedConnection);
    QMetaObject::invokeMethod(
        &context, [] { throw 7; }, Qt::QueuedConnection);
    QTimer::singleShot(0, &context, [&] { ran.push_back("after"); });
    ::testing::internal::CaptureStderr();
    const bool done = testkit::runLoopUntil([&] { return !ran.empty(); });
    const std::string errors = ::testing::internal::GetCapturedStderr();
    ASSERT_TRUE(done);
    EXPECT_EQ(ran, std::vector<std::string>{"after"});
    EXPECT_NE(errors.find("timer handler failed"), std::string::npos) << errors;
    EXPECT_NE(errors.find("queued call failed"), std::string::npos) << errors;
    EXPECT_NE(errors.find("no std::exception"), std::string::npos) << errors;
}

}  // namespace
}  // namespace quorvel
