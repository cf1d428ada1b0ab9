#pragma once

// The per-keystroke filter of the field in which the user types a challenge code: one allowed
// character at a time, or a deletion.
#include <string_view>

namespace quorvel {

struct ManualAlphanumericEntry {
    // The characters a challenge code can hold.
    static constexpr std::string_view allowedCharacters =
        "ABCDEFGHJKLMNPQRSTUVWXYZabcdefghijkmnopqrstuvwxyz23456789";

    // True for the empty text (a deletion) and for a single user-perceived character whose first
    // Unicode scalar is an allowed character.
    static bool allowsReplacement(std::string_view text);
};

}  // namespace quorvel
