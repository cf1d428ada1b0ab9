#pragma once

// Counts and durations are signed 64-bit. Where the peer's arithmetic would trap on overflow we
// saturate instead, so no input can reach undefined behaviour.
#include <cstdint>
#include <optional>
#include <string_view>

namespace quorvel {

std::int64_t saturatingAdd(std::int64_t a, std::int64_t b);
std::int64_t saturatingSubtract(std::int64_t a, std::int64_t b);
std::int64_t saturatingMultiply(std::int64_t a, std::int64_t b);

// Nearest integer, halves away from zero (1.5 -> 2, -0.5 -> -1); values beyond the int64 range
// saturate; NaN gives 0.
std::int64_t roundHalfAwayFromZero(double value);

// Swift's Int("..."): one optional "+" or "-", then decimal digits, nothing else, within range.
std::optional<std::int64_t> parseInt64(std::string_view text);

}  // namespace quorvel
