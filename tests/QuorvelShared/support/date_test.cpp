#include "QuorvelShared/support/date.hpp"

#include <gtest/gtest.h>

#include "QuorvelShared/support/json_errors.hpp"

namespace quorvel {
namespace {

TEST(Date, IsoTextRoundTrips) {
    struct Case {
        const char* text;
        double unixSeconds;
    };
    const Case cases[] = {
        {"1970-01-01T00:00:00Z", 0},
        {"2001-01-01T00:00:00Z", 978307200},
        {"2024-02-29T23:59:59Z", 1709251199},
        {"1969-12-31T23:59:59Z", -1},
        {"0000-01-01T00:00:00Z", -62167219200},
        {"9999-12-31T23:59:59Z", 253402300799},
    };
    for (const auto& c : cases) {
        const auto parsed = parseIsoDate(c.text);
        ASSERT_TRUE(parsed) << c.text;
        EXPECT_EQ(parsed->unixSeconds(), c.unixSeconds) << c.text;
        EXPECT_EQ(formatIsoDate(*parsed), c.text);
    }
}

TEST(Date, WritingDropsTheFractionTowardsThePast) {
    EXPECT_EQ(formatIsoDate(Date{0.999}), "2001-01-01T00:00:00Z");
    EXPECT_EQ(formatIsoDate(Date{-0.25}), "2000-12-31T23:59:59Z");
}

TEST(Date, RefusesEveryOtherForm) {
    for (const char* text : {
             "2024-05-01T10:00:00.5Z",     // fraction
             "2024-05-01T10:00:00+00:00",  // offset
             "2024-05-01T10:00:00",        // no zone
             "2024-05-01t10:00:00z",       // lower case
             "2024-05-01 10:00:00Z",       // space
             "2024-5-01T10:00:00Z",        // short month
             "2024-13-01T10:00:00Z",       // month 13
             "2023-02-29T10:00:00Z",       // not a leap year
             "2024-04-31T10:00:00Z",       // April 31st
             "2024-05-01T24:00:00Z",       // hour 24
             "2024-05-01T10:60:00Z",       // minute 60
             "2024-05-01T10:00:60Z",       // leap second
             "+2024-05-01T10:00:00Z",      // sign
             "",
         }) {
        EXPECT_FALSE(parseIsoDate(text)) << text;
    }
}

TEST(Date, ReferenceNumberIsSecondsSince2001) {
    EXPECT_EQ(Date::fromUnixSeconds(978307200).secondsSinceReferenceDate, 0);
    EXPECT_EQ(Date{90.5}.addingSeconds(0.5), Date{91});
    EXPECT_EQ(Date{100}.secondsSince(Date{40}), 60);
}

TEST(Date, DatesWithoutTextFailToEncode) {
    EXPECT_THROW(formatIsoDate(Date{1e300}), json::EncodeError);
    EXPECT_THROW(formatIsoDate(Date{std::numeric_limits<double>::quiet_NaN()}), json::EncodeError);
}

}  // namespace
}  // namespace quorvel
