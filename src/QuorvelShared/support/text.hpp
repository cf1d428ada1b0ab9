#pragma once

// The Unicode text rules the programs share with their peers, all through ICU so that one
// implementation of each remains: UTF-8 decoding, white space, canonical (NFC) form.
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace quorvel {

// One code point decoded from the UTF-8 bytes at text[at] (at < text.size()): `length` bytes, and
// no value when those bytes are ill-formed (overlong, a surrogate, past U+10FFFF, a stray or
// missing trail byte). An ill-formed `length` spans the maximal ill-formed subpart, as when text
// is repaired with U+FFFD.
struct Utf8CodePoint {
    std::optional<char32_t> value;
    std::size_t length = 1;
};
Utf8CodePoint decodeUtf8At(std::string_view text, std::size_t at);

// The Unicode White_Space property: the white space and line breaks that the peer trims
// (U+0009...U+000D, U+0020, U+0085, U+00A0, U+1680, U+2000...U+200A, U+2028, U+2029, U+202F,
// U+205F, U+3000).
bool isWhitespaceOrNewline(char32_t codePoint);

// Removes white space and line breaks (as above) from both ends of UTF-8 text. Bytes that are not
// well-formed UTF-8 count as ordinary characters and are kept, overlong forms of a space included.
std::string trimWhitespaceAndNewlines(std::string_view text);

// True when nothing is left after trimming.
bool isBlank(std::string_view text);

// Lower-cases A-Z and leaves every other byte as it is.
std::string asciiLowercased(std::string_view text);

// The canonical composition (NFC) of UTF-8 text, in UTF-8. Two texts are canonically equivalent
// exactly when their NFC forms are equal bytes; comparing NFC forms byte by byte orders them by
// code point. Ill-formed bytes are kept as they are.
std::string nfcNormalized(std::string_view text);

}  // namespace quorvel
