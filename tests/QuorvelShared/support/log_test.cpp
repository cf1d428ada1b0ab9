// Reports of the shared code: through the sink a program installs, else straight to standard
// error; one line either way.
#include <errno.h>
#include <gtest/gtest.h>

#include <memory>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "QuorvelShared/support/event_boundary.hpp"
#include "QuorvelShared/support/log.hpp"
#include "QuorvelShared/support/notifications.hpp"
#include "testkit/recording_poster.hpp"

namespace quorvel {
namespace {

class RecordingSink final : public LogSink {
public:
    std::vector<std::pair<LogArea, std::string>> lines;
    void warning(LogArea area, std::string_view line) noexcept override {
        lines.emplace_back(area, std::string(line));
    }
};

TEST(Log, WithoutASinkEachReportIsOneLineOnStandardError) {
    struct Case {
        std::string text;
        std::string line;
    };
    const std::string program = program_invocation_short_name;
    const Case cases[] = {
        {"the mailbox does not decode", program + ": the mailbox does not decode\n"},
        {"a text\nof two lines\r\n", program + ": a text of two lines  \n"},
        {"", program + ": \n"},
    };
    for (const Case& c : cases) {
        ::testing::internal::CaptureStderr();
        logWarning(LogArea::state, c.text);
        EXPECT_EQ(::testing::internal::GetCapturedStderr(), c.line);
    }
}

TEST(Log, AnInstalledSinkTakesEveryReportWithItsArea) {
    const auto sink = std::make_shared<RecordingSink>();
    installLogSink(sink);
    ::testing::internal::CaptureStderr();
    logWarning(LogArea::daemon, "first\nsecond");
    reportEscapedException(LogArea::host, "a message of the extension",
                           std::make_exception_ptr(std::runtime_error("broken")));
    {
        testkit::ScopedFailingPoster poster;
        postAfterWrite("app.quorvel.bleBridge.response");
    }
    const std::string direct = ::testing::internal::GetCapturedStderr();
    installLogSink(nullptr);
    EXPECT_EQ(direct, "");
    ASSERT_EQ(sink->lines.size(), 3u);
    EXPECT_EQ(sink->lines[0], (std::pair<LogArea, std::string>{LogArea::daemon, "first second"}));
    EXPECT_EQ(sink->lines[1], (std::pair<LogArea, std::string>{
                                  LogArea::host, "a message of the extension: broken"}));
    EXPECT_EQ(sink->lines[2].first, LogArea::state);
    EXPECT_NE(sink->lines[2].second.find("app.quorvel.bleBridge.response"), std::string::npos);
}

}  // namespace
}  // namespace quorvel
