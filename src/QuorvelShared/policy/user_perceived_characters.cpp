#include "QuorvelShared/policy/user_perceived_characters.hpp"

#include <cstdint>
#include <optional>

namespace quorvel {
namespace {

struct Scalar {
    char32_t value;
    std::size_t length;  // bytes
};

constexpr char32_t invalidScalar = 0xFFFFFFFF;

struct Lead {
    std::size_t length;
    char32_t bits;
    char32_t minimum;  // smaller values are overlong encodings
};

std::optional<Lead> leadOf(std::uint8_t byte) {
    if ((byte & 0xE0) == 0xC0) {
        return Lead{2, static_cast<char32_t>(byte & 0x1F), 0x80};
    }
    if ((byte & 0xF0) == 0xE0) {
        return Lead{3, static_cast<char32_t>(byte & 0x0F), 0x800};
    }
    if ((byte & 0xF8) == 0xF0) {
        return Lead{4, static_cast<char32_t>(byte & 0x07), 0x10000};
    }
    return std::nullopt;
}

Scalar decodeAt(std::string_view text, std::size_t at) {
    const auto byte = [&](std::size_t i) { return static_cast<std::uint8_t>(text[at + i]); };
    if (byte(0) < 0x80) {
        return {byte(0), 1};
    }
    const std::optional<Lead> lead = leadOf(byte(0));
    if (!lead || at + lead->length > text.size()) {
        return {invalidScalar, 1};
    }
    char32_t value = lead->bits;
    for (std::size_t i = 1; i < lead->length; ++i) {
        if ((byte(i) & 0xC0) != 0x80) {
            return {invalidScalar, 1};
        }
        value = (value << 6) | (byte(i) & 0x3F);
    }
    if (value < lead->minimum || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) {
        return {invalidScalar, 1};
    }
    return {value, lead->length};
}

bool inRange(char32_t c, char32_t first, char32_t last) {
    return c >= first && c <= last;
}

// Marks that attach to the character before them.
bool extendsPrevious(char32_t c) {
    return inRange(c, 0x0300, 0x036F) ||    // combining diacritical marks
           inRange(c, 0x0483, 0x0489) ||    // Cyrillic
           inRange(c, 0x0591, 0x05BD) ||    // Hebrew points
           inRange(c, 0x064B, 0x065F) ||    // Arabic marks
           inRange(c, 0x1AB0, 0x1AFF) ||    // diacritical marks extended
           inRange(c, 0x1DC0, 0x1DFF) ||    // diacritical marks supplement
           inRange(c, 0x200C, 0x200D) ||    // zero-width non-joiner and joiner
           inRange(c, 0x20D0, 0x20FF) ||    // marks for symbols, the keycap included
           inRange(c, 0x3099, 0x309A) ||    // combining kana voiced sound marks
           inRange(c, 0xFE00, 0xFE0F) ||    // variation selectors
           inRange(c, 0xFE20, 0xFE2F) ||    // half marks
           inRange(c, 0x1F3FB, 0x1F3FF) ||  // emoji skin tones
           inRange(c, 0xE0020, 0xE007F) ||  // tags
           inRange(c, 0xE0100, 0xE01EF);    // variation selectors supplement
}

bool isRegionalIndicator(char32_t c) {
    return inRange(c, 0x1F1E6, 0x1F1FF);
}

constexpr char32_t zeroWidthJoiner = 0x200D;

}  // namespace

std::vector<std::string_view> userPerceivedCharacters(std::string_view text) {
    std::vector<std::string_view> characters;
    std::size_t at = 0;
    while (at < text.size()) {
        const std::size_t start = at;
        const Scalar first = decodeAt(text, at);
        at += first.length;
        char32_t previous = first.value;
        std::size_t regionalIndicators = isRegionalIndicator(first.value) ? 1 : 0;
        while (at < text.size()) {
            const Scalar next = decodeAt(text, at);
            const bool joins = next.value != invalidScalar &&
                               (extendsPrevious(next.value) || previous == zeroWidthJoiner ||
                                (previous == U'\r' && next.value == U'\n' && at - start == 1) ||
                                (isRegionalIndicator(next.value) && regionalIndicators == 1));
            if (!joins || previous == invalidScalar) {
                break;
            }
            if (isRegionalIndicator(next.value)) {
                ++regionalIndicators;
            }
            at += next.length;
            previous = next.value;
        }
        characters.push_back(text.substr(start, at - start));
    }
    return characters;
}

}  // namespace quorvel
