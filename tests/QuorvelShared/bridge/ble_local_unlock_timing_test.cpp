#include "QuorvelShared/bridge/ble_local_unlock_timing.hpp"

#include <gtest/gtest.h>

#include <limits>

namespace quorvel {
namespace {

TEST(BLELocalUnlockTiming, LifetimeIsAtLeastAnHour) {
    struct Case {
        std::int64_t configured;
        std::int64_t expected;
    };
    constexpr auto min = std::numeric_limits<std::int64_t>::min();
    constexpr auto max = std::numeric_limits<std::int64_t>::max();
    for (const Case c : {Case{0, 3600}, Case{-5, 3600}, Case{min, 3600}, Case{3599, 3600},
                         Case{3600, 3600}, Case{3601, 3601}, Case{7200, 7200}, Case{max, max}}) {
        SCOPED_TRACE(c.configured);
        EXPECT_EQ(BLELocalUnlockRequestLifetime::timeoutSeconds(c.configured), c.expected);
    }
}

TEST(BLELocalUnlockTiming, DeliveryDeadlineIsThirtySecondsAhead) {
    const Date from{736000000.125};
    EXPECT_EQ(BLELocalUnlockDeliveryConfirmation::deadline(from), Date{736000030.125});
}

}  // namespace
}  // namespace quorvel
