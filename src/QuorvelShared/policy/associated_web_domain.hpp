#pragma once

// Turns what a user types for a web site ("https://WWW.Example.com/path", "example.com.") into
// the bare lower-case host that web targets are matched by.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quorvel {

struct AssociatedWebDomain {
    // The only characters a normalised host may hold.
    static constexpr std::string_view allowedCharacters = "abcdefghijklmnopqrstuvwxyz0123456789.-";

    // The host of the text, lower case, without a leading "www." and outer dots; no value when
    // that is not a dotted host name.
    static std::optional<std::string> normalize(std::string_view text);

    // Each text normalised, in order; texts without a host dropped, repeated hosts kept once.
    static std::vector<std::string> normalizedList(const std::vector<std::string>& texts);
};

}  // namespace quorvel
