#pragma once

#include <string>
#include <string_view>

namespace quorvel {

// True for the Unicode white space and line breaks that the peer trims: U+0009...U+000D, U+0020,
// U+0085, U+00A0, U+1680, U+2000...U+200A, U+2028, U+2029, U+202F, U+205F, U+3000.
bool isWhitespaceOrNewline(char32_t codePoint);

// Removes white space and line breaks (as above) from both ends of UTF-8 text. Bytes that are not
// well-formed UTF-8 count as ordinary characters and are kept.
std::string trimWhitespaceAndNewlines(std::string_view text);

// True when nothing is left after trimming.
bool isBlank(std::string_view text);

// Lower-cases A-Z and leaves every other byte as it is.
std::string asciiLowercased(std::string_view text);

}  // namespace quorvel
