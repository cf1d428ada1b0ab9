#include "QuorvelShared/support/text.hpp"

#include <optional>

namespace quorvel {
namespace {

struct Decoded {
    char32_t codePoint;
    std::size_t length;
};

// The code point that starts at text[i], or none when the bytes there are not well formed.
std::optional<Decoded> decodeAt(std::string_view text, std::size_t i) {
    const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(text[k]); };
    const unsigned char lead = byte(i);
    std::size_t length = 0;
    char32_t value = 0;
    if (lead < 0x80) {
        return Decoded{lead, 1};
    } else if ((lead & 0xE0) == 0xC0) {
        length = 2, value = lead & 0x1F;
    } else if ((lead & 0xF0) == 0xE0) {
        length = 3, value = lead & 0x0F;
    } else if ((lead & 0xF8) == 0xF0) {
        length = 4, value = lead & 0x07;
    } else {
        return std::nullopt;
    }
    if (i + length > text.size()) {
        return std::nullopt;
    }
    for (std::size_t k = 1; k < length; ++k) {
        if ((byte(i + k) & 0xC0) != 0x80) {
            return std::nullopt;
        }
        value = (value << 6) | (byte(i + k) & 0x3F);
    }
    return Decoded{value, length};
}

// The start of the code point that ends just before `end`, or none.
std::optional<Decoded> decodeBefore(std::string_view text, std::size_t end) {
    std::size_t start = end;
    for (int back = 0; back < 4 && start > 0; ++back) {
        --start;
        if ((static_cast<unsigned char>(text[start]) & 0xC0) != 0x80) {
            const auto decoded = decodeAt(text, start);
            if (decoded && start + decoded->length == end) {
                return decoded;
            }
            return std::nullopt;
        }
    }
    return std::nullopt;
}

}  // namespace

bool isWhitespaceOrNewline(char32_t c) {
    return (c >= 0x09 && c <= 0x0D) || c == 0x20 || c == 0x85 || c == 0xA0 || c == 0x1680 ||
           (c >= 0x2000 && c <= 0x200A) || c == 0x2028 || c == 0x2029 || c == 0x202F ||
           c == 0x205F || c == 0x3000;
}

std::string trimWhitespaceAndNewlines(std::string_view text) {
    std::size_t begin = 0;
    while (begin < text.size()) {
        const auto decoded = decodeAt(text, begin);
        if (!decoded || !isWhitespaceOrNewline(decoded->codePoint)) {
            break;
        }
        begin += decoded->length;
    }
    std::size_t end = text.size();
    while (end > begin) {
        const auto decoded = decodeBefore(text, end);
        if (!decoded || !isWhitespaceOrNewline(decoded->codePoint)) {
            break;
        }
        end -= decoded->length;
    }
    return std::string(text.substr(begin, end - begin));
}

bool isBlank(std::string_view text) { return trimWhitespaceAndNewlines(text).empty(); }

std::string asciiLowercased(std::string_view text) {
    std::string out(text);
    for (char& c : out) {
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
        }
    }
    return out;
}

}  // namespace quorvel
