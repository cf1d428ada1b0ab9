// What the programs' logging writes: one line per report on standard error, headed by the
// area's category, and nothing on standard output (the browser's, in the host).
#include <gtest/gtest.h>

#include <string>

#include "QuorvelPlatform/logging/log_categories.hpp"

namespace quorvel {
namespace {

TEST(QtLogSink, SharedReportsGoToTheirAreasCategoryOnStandardError) {
    struct Case {
        LogArea area;
        std::string category;
    };
    const Case cases[] = {
        {LogArea::state, "quorvel.state"},   {LogArea::process, "quorvel.process"},
        {LogArea::model, "quorvel.model"},   {LogArea::shell, "quorvel.shell"},
        {LogArea::daemon, "quorvel.daemon"}, {LogArea::host, "quorvel.host"},
        {LogArea::bluez, "quorvel.bluez"},   {LogArea::windows, "quorvel.windows"},
    };
    installQtLogSink();
    for (const Case& c : cases) {
        ::testing::internal::CaptureStdout();
        ::testing::internal::CaptureStderr();
        logWarning(c.area, "iPhoneへの解除申請 failed:\nno answer");
        const std::string errors = ::testing::internal::GetCapturedStderr();
        EXPECT_EQ(::testing::internal::GetCapturedStdout(), "");
        EXPECT_EQ(errors, c.category + ": iPhoneへの解除申請 failed: no answer\n");
    }
    installLogSink(nullptr);
}

}  // namespace
}  // namespace quorvel
