#pragma once

#include <stdexcept>
#include <string>
#include <string_view>

#include "QuorvelShared/support/bytes.hpp"

namespace quorvel::testing {

inline Bytes hexBytes(std::string_view hex) {
    auto value = [](char c) -> int {
        if (c >= '0' && c <= '9')
            return c - '0';
        if (c >= 'a' && c <= 'f')
            return c - 'a' + 10;
        if (c >= 'A' && c <= 'F')
            return c - 'A' + 10;
        throw std::invalid_argument("not hex");
    };
    Bytes bytes;
    for (std::size_t i = 0; i + 1 < hex.size(); i += 2) {
        bytes.push_back(static_cast<std::uint8_t>(value(hex[i]) * 16 + value(hex[i + 1])));
    }
    return bytes;
}

inline std::string hexText(ByteView bytes) {
    static constexpr char digits[] = "0123456789abcdef";
    std::string text;
    for (const std::uint8_t b : bytes) {
        text += digits[b >> 4];
        text += digits[b & 15];
    }
    return text;
}

}  // namespace quorvel::testing
