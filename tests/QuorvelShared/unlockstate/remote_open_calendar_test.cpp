#include "QuorvelShared/unlockstate/remote_open_calendar.hpp"

#include <gtest/gtest.h>
#include <stdlib.h>
#include <time.h>

#include <limits>
#include <stdexcept>
#include <string>

#include "testkit/child_process.hpp"

namespace quorvel {
namespace {

// 2024-05-01T14:59:59.9Z and 15:00:00Z: the turn of the day in Tokyo.
const Date lastTokyoSecondOfMay1 = Date::fromUnixSeconds(1714575599.9);
const Date firstTokyoSecondOfMay2 = Date::fromUnixSeconds(1714575600);

// Whatever the process does to its zone setting after the first count, later counts keep the
// zone of the first. Each row runs in a child process, so that the captured zone stays there.
TEST(RemoteOpenCalendar, KeepsTheZoneOfTheEnvironmentAtFirstUse) {
    struct Row {
        const char* what;
        void (*changeZone)();
    };
    const Row rows[] = {
        {"TZ changes", [] { ::setenv("TZ", "UTC", 1); }},
        {"TZ changes and tzset() runs",
         [] {
             ::setenv("TZ", "America/Los_Angeles", 1);
             ::tzset();
         }},
        {"TZ changes and localtime() runs",
         [] {
             ::setenv("TZ", "Europe/London", 1);
             const time_t now = 0;
             (void)::localtime(&now);
         }},
        {"TZ is removed and tzset() runs",
         [] {
             ::unsetenv("TZ");
             ::tzset();
         }},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        const pid_t child = testkit::startChild([&row] {
            ::setenv("TZ", "Asia/Tokyo", 1);
            if (localDayAndHour(lastTokyoSecondOfMay1) != LocalDayAndHour{"2024-05-01", 23}) {
                return 1;
            }
            row.changeZone();
            if (localDayAndHour(firstTokyoSecondOfMay2) != LocalDayAndHour{"2024-05-02", 0}) {
                return 2;
            }
            if (localDayAndHour(lastTokyoSecondOfMay1) != LocalDayAndHour{"2024-05-01", 23}) {
                return 3;
            }
            return 0;
        });
        EXPECT_EQ(testkit::waitForChild(child), 0);
    }
}

TEST(RemoteOpenCalendar, PlacesInstantsInTheLocalDayAndHour) {
    struct Row {
        const char* zone;
        double unixSeconds;
        LocalDayAndHour expected;
    };
    const Row rows[] = {
        {"UTC", 1714575600, {"2024-05-01", 15}},
        {"Asia/Kolkata", 1714575600, {"2024-05-01", 20}},     // +05:30
        {"America/New_York", 1710054000, {"2024-03-10", 3}},  // 07:00Z, just after the clocks go on
        {"America/New_York", 1710053999, {"2024-03-10", 1}},
        {"UTC", 253402300799, {"9999-12-31", 23}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.zone);
        const pid_t child = testkit::startChild([&row] {
            ::setenv("TZ", row.zone, 1);
            return localDayAndHour(Date::fromUnixSeconds(row.unixSeconds)) == row.expected ? 0 : 1;
        });
        EXPECT_EQ(testkit::waitForChild(child), 0) << row.unixSeconds;
    }
}

TEST(RemoteOpenCalendar, RefusesDatesItCannotPlace) {
    for (const double seconds :
         {std::numeric_limits<double>::quiet_NaN(), std::numeric_limits<double>::infinity(),
          -std::numeric_limits<double>::infinity(), 1e300, -1e300}) {
        EXPECT_THROW(localDayAndHour(Date{seconds}), std::out_of_range);
    }
}

}  // namespace
}  // namespace quorvel
