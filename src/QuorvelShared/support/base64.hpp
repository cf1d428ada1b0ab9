#pragma once

// Standard base64: the alphabet with "+" and "/", "=" padding, no line breaks.
#include <optional>
#include <string>
#include <string_view>

#include "QuorvelShared/support/bytes.hpp"

namespace quorvel {

std::string base64Encode(ByteView bytes);

// Strict: a length that is not a multiple of four, missing or misplaced padding, whitespace or
// any character outside the alphabet gives no value. The empty text is the empty byte string.
std::optional<Bytes> base64Decode(std::string_view text);

}  // namespace quorvel
