#pragma once

// Splits UTF-8 text into the characters a user sees: Unicode extended grapheme clusters, as ICU's
// character break iterator finds them. Ill-formed bytes read as U+FFFD (one per maximal
// ill-formed subpart), so each such run is a character of its own unless a mark follows it.
#include <string_view>
#include <vector>

namespace quorvel {

std::vector<std::string_view> userPerceivedCharacters(std::string_view text);

}  // namespace quorvel
