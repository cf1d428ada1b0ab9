#pragma once

// Fills a localised printf-style format with arguments, without handing the format to printf:
// a translated table is data, and a bad directive in it must not read memory. Understands what
// the source texts use: "%@" and "%s" (text), "%d", "%i", "%ld", "%lld" (integers), "%%", and
// positional forms such as "%1$@" and "%2$d". An argument of the other kind is written as its
// text; a directive without an argument, or one this function does not know, is written as it
// stands, so the fault shows instead of inventing a value.
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <variant>

namespace quorvel {

using FormatArgument = std::variant<std::string, std::int64_t>;

std::string formatLocalizedText(std::string_view format, std::span<const FormatArgument> arguments);

}  // namespace quorvel
