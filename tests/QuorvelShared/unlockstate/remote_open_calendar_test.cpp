#include "QuorvelShared/unlockstate/remote_open_calendar.hpp"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <limits>
#include <stdexcept>

#include "testkit/child_process.hpp"

namespace quorvel {
namespace {

// In a child process, so that the zone this test captures stays out of the other tests.
TEST(RemoteOpenCalendar, UsesTheZoneOfTheEnvironmentAtFirstUseAndKeepsIt) {
    const pid_t child = testkit::startChild([] {
        ::setenv("TZ", "Asia/Tokyo", 1);
        const Date lastTokyoSecondOfMay1 = Date::fromUnixSeconds(1714575599.9);  // 14:59:59.9Z
        const Date firstTokyoSecondOfMay2 = Date::fromUnixSeconds(1714575600);   // 15:00:00Z
        if (localDayAndHour(lastTokyoSecondOfMay1) != LocalDayAndHour{"2024-05-01", 23}) {
            return 1;
        }
        if (localDayAndHour(firstTokyoSecondOfMay2) != LocalDayAndHour{"2024-05-02", 0}) {
            return 2;
        }
        ::setenv("TZ", "UTC", 1);
        if (localDayAndHour(firstTokyoSecondOfMay2) != LocalDayAndHour{"2024-05-02", 0}) {
            return 3;
        }
        return 0;
    });
    EXPECT_EQ(testkit::waitForChild(child), 0);
}

TEST(RemoteOpenCalendar, RefusesDatesItCannotPlace) {
    for (const double seconds : {std::numeric_limits<double>::quiet_NaN(),
                                 std::numeric_limits<double>::infinity(), 1e300}) {
        EXPECT_THROW(localDayAndHour(Date{seconds}), std::out_of_range);
    }
}

}  // namespace
}  // namespace quorvel
