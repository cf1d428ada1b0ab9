// A failure met again and again is new only when it begins or its text changes.
#include "QuorvelShared/support/repeated_failure.hpp"

#include <gtest/gtest.h>

#include <optional>
#include <string>

namespace quorvel {
namespace {

TEST(RepeatedFailure, IsNewWhenItBeginsOrChangesAndAfterASuccess) {
    struct Step {
        // The failure met, or no value for a success.
        std::optional<std::string> failure;
        bool isNew;
    };
    const Step steps[] = {
        {"cannot read the file: a FIFO", true},
        {"cannot read the file: a FIFO", false},
        {"cannot read the file: a FIFO", false},
        {"cannot read the file: a directory", true},
        {"cannot read the file: a FIFO", true},
        {std::nullopt, false},
        {"cannot read the file: a FIFO", true},
        {"", true},
        {"", false},
    };
    RepeatedFailure repeated;
    int index = 0;
    for (const Step& step : steps) {
        SCOPED_TRACE(index++);
        if (!step.failure) {
            repeated.ended();
            continue;
        }
        EXPECT_EQ(repeated.isNew(*step.failure), step.isNew);
    }
}

}  // namespace
}  // namespace quorvel
