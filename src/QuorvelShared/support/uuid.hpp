#pragma once

#include <array>
#include <compare>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "QuorvelShared/support/random.hpp"

namespace quorvel {

struct Uuid {
    std::array<std::uint8_t, 16> bytes{};

    // A version 4 UUID.
    static Uuid random(RandomSource& source = systemRandomSource());
    // 8-4-4-4-12 hexadecimal digits in either case; anything else gives no value.
    static std::optional<Uuid> parse(std::string_view text);
    // Upper case, 8-4-4-4-12, as the peer writes UUIDs.
    std::string text() const;

    friend auto operator<=>(const Uuid&, const Uuid&) = default;
};

// The text of a fresh random UUID: "req_" + newUuidText() and the like.
std::string newUuidText();

}  // namespace quorvel
