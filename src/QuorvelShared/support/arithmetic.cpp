#include "QuorvelShared/support/arithmetic.hpp"

#include <charconv>
#include <cmath>
#include <limits>

namespace quorvel {
namespace {
constexpr std::int64_t maxInt = std::numeric_limits<std::int64_t>::max();
constexpr std::int64_t minInt = std::numeric_limits<std::int64_t>::min();
}  // namespace

std::int64_t saturatingAdd(std::int64_t a, std::int64_t b) {
    std::int64_t result = 0;
    if (__builtin_add_overflow(a, b, &result)) {
        return b > 0 ? maxInt : minInt;
    }
    return result;
}

std::int64_t saturatingSubtract(std::int64_t a, std::int64_t b) {
    std::int64_t result = 0;
    if (__builtin_sub_overflow(a, b, &result)) {
        return b < 0 ? maxInt : minInt;
    }
    return result;
}

std::int64_t saturatingMultiply(std::int64_t a, std::int64_t b) {
    std::int64_t result = 0;
    if (__builtin_mul_overflow(a, b, &result)) {
        return (a < 0) == (b < 0) ? maxInt : minInt;
    }
    return result;
}

std::int64_t roundHalfAwayFromZero(double value) {
    if (std::isnan(value)) {
        return 0;
    }
    const double rounded = std::round(value);        // halves away from zero
    constexpr double limit = 9223372036854775808.0;  // 2^63
    if (rounded >= limit) {
        return maxInt;
    }
    if (rounded < -limit) {
        return minInt;
    }
    return static_cast<std::int64_t>(rounded);
}

std::optional<std::int64_t> parseInt64(std::string_view text) {
    bool negative = false;
    if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    if (text.empty()) {
        return std::nullopt;
    }
    std::uint64_t magnitude = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), magnitude);
    if (error != std::errc() || end != text.data() + text.size()) {
        return std::nullopt;
    }
    if (negative) {
        if (magnitude > static_cast<std::uint64_t>(maxInt) + 1) {
            return std::nullopt;
        }
        return static_cast<std::int64_t>(0 - magnitude);
    }
    if (magnitude > static_cast<std::uint64_t>(maxInt)) {
        return std::nullopt;
    }
    return static_cast<std::int64_t>(magnitude);
}

}  // namespace quorvel
