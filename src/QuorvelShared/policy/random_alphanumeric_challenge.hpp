#pragma once

// The code the user types to confirm an edit that loosens the lock settings. Letters and digits
// that are easy to confuse (I, O, l, 0, 1) are left out.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "QuorvelShared/support/random.hpp"

namespace quorvel {

struct RandomAlphanumericChallenge {
    static constexpr std::string_view uppercase = "ABCDEFGHJKLMNPQRSTUVWXYZ";
    static constexpr std::string_view lowercase = "abcdefghijkmnopqrstuvwxyz";
    static constexpr std::string_view digits = "23456789";
    static constexpr std::string_view all =
        "ABCDEFGHJKLMNPQRSTUVWXYZabcdefghijkmnopqrstuvwxyz23456789";

    // A code of max(length, 3) characters holding at least one upper-case letter, one lower-case
    // letter and one digit, drawn with unbiased picks from the system's secure source.
    static std::string generate(std::int64_t length);
    // The same with the caller's random source.
    static std::string generate(std::int64_t length, RandomSource& random);

    // The code cut into groups of at most five for display, the longer groups first.
    static std::vector<std::string> displayGroups(std::string_view code);
};

}  // namespace quorvel
