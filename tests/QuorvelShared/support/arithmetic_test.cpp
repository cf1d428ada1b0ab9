#include "QuorvelShared/support/arithmetic.hpp"

#include <gtest/gtest.h>

#include <limits>

namespace quorvel {
namespace {

constexpr auto maxInt = std::numeric_limits<std::int64_t>::max();
constexpr auto minInt = std::numeric_limits<std::int64_t>::min();

TEST(Arithmetic, SaturatesInsteadOfOverflowing) {
    EXPECT_EQ(saturatingAdd(maxInt, 1), maxInt);
    EXPECT_EQ(saturatingAdd(minInt, -1), minInt);
    EXPECT_EQ(saturatingAdd(2, 3), 5);
    EXPECT_EQ(saturatingSubtract(minInt, 1), minInt);
    EXPECT_EQ(saturatingSubtract(maxInt, -1), maxInt);
    EXPECT_EQ(saturatingSubtract(0, minInt), maxInt);
    EXPECT_EQ(saturatingMultiply(maxInt, 2), maxInt);
    EXPECT_EQ(saturatingMultiply(maxInt, -2), minInt);
    EXPECT_EQ(saturatingMultiply(minInt, -1), maxInt);
    EXPECT_EQ(saturatingMultiply(-4, 5), -20);
}

TEST(Arithmetic, RoundsHalvesAwayFromZero) {
    const std::pair<double, std::int64_t> cases[] = {
        {1.5, 2},         {0.5, 1},         {0.49999, 0},
        {-0.5, -1},       {-1.5, -2},       {2.4, 2},
        {1e300, maxInt},  {-1e300, minInt}, {std::numeric_limits<double>::quiet_NaN(), 0},
        {9.3e18, maxInt},
    };
    for (const auto& [value, expected] : cases) {
        EXPECT_EQ(roundHalfAwayFromZero(value), expected) << value;
    }
}

TEST(Arithmetic, ParsesIntegersLikeTheStrictParser) {
    const std::pair<const char*, std::optional<std::int64_t>> cases[] = {
        {"42", 42},
        {"+42", 42},
        {"-42", -42},
        {"007", 7},
        {"9223372036854775807", maxInt},
        {"-9223372036854775808", minInt},
        {"9223372036854775808", std::nullopt},
        {"", std::nullopt},
        {"-", std::nullopt},
        {" 1", std::nullopt},
        {"1 ", std::nullopt},
        {"1.0", std::nullopt},
        {"0x10", std::nullopt},
        {"--1", std::nullopt},
        {"+-1", std::nullopt},
    };
    for (const auto& [text, expected] : cases) {
        EXPECT_EQ(parseInt64(text), expected) << text;
    }
}

}  // namespace
}  // namespace quorvel
