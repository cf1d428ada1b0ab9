#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "QuorvelMac/ui/format/remaining_time_formatter.hpp"

namespace quorvel::ui {
namespace {

struct Case {
    double secondsLeft;
    const char* text;
};

TEST(RemainingTimeFormatter, RoundsUpAndPadsAsTheTableSays) {
    const Date at{800'000'000.25};
    const Case cases[] = {
        {0, "0:00"},         {-5, "0:00"},          {-0.5, "0:00"},    {0.2, "0:01"},
        {59.2, "1:00"},      {60, "1:00"},          {125, "2:05"},     {599, "9:59"},
        {3599, "59:59"},     {3599.5, "1:00:00"},   {3600, "1:00:00"}, {3661, "1:01:01"},
        {36000, "10:00:00"}, {360000, "100:00:00"}, {75, "1:15"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(RemainingTimeFormatter::text(at.addingSeconds(c.secondsLeft), at), c.text)
            << c.secondsLeft;
    }
}

TEST(RemainingTimeFormatter, SurvivesEndsThatAreNotNumbers) {
    const Date at{0};
    EXPECT_EQ(RemainingTimeFormatter::text(Date{std::nan("")}, at), "0:00");
    EXPECT_EQ(RemainingTimeFormatter::text(Date{-1e300}, at), "0:00");
    // A far end saturates instead of overflowing; it still reads as hours.
    const std::string far = RemainingTimeFormatter::text(Date{1e300}, at);
    EXPECT_EQ(std::count(far.begin(), far.end(), ':'), 2) << far;
}

}  // namespace
}  // namespace quorvel::ui
