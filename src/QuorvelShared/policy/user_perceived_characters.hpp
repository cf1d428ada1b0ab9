#pragma once

// Splits UTF-8 text into the characters a user sees, closely enough for short code entries: a
// base character together with the combining marks, variation selectors, emoji modifiers and
// tags that follow it, characters joined by a zero-width joiner, a pair of regional indicators
// (a flag), and CR LF. Hangul jamo sequences and the rarer combining marks outside the common
// blocks are not joined. A byte that is not well-formed UTF-8 is a character of its own.
#include <string_view>
#include <vector>

namespace quorvel {

std::vector<std::string_view> userPerceivedCharacters(std::string_view text);

}  // namespace quorvel
