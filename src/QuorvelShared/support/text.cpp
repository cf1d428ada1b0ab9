#include "QuorvelShared/support/text.hpp"

#include <unicode/bytestream.h>
#include <unicode/normalizer2.h>
#include <unicode/uchar.h>
#include <unicode/utf8.h>

#include <algorithm>
#include <cstdint>
#include <limits>
#include <stdexcept>

namespace quorvel {

Utf8CodePoint decodeUtf8At(std::string_view text, std::size_t at) {
    // A code point takes at most four bytes; the window keeps ICU's 32-bit offsets in range.
    const auto window = static_cast<std::int32_t>(std::min<std::size_t>(4, text.size() - at));
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(text.data() + at);
    std::int32_t length = 0;
    UChar32 value = 0;
    U8_NEXT(bytes, length, window, value);
    if (value < 0) {
        return {std::nullopt, static_cast<std::size_t>(length)};
    }
    return {static_cast<char32_t>(value), static_cast<std::size_t>(length)};
}

bool isWhitespaceOrNewline(char32_t codePoint) {
    return codePoint <= 0x10FFFF && u_isUWhiteSpace(static_cast<UChar32>(codePoint));
}

std::string trimWhitespaceAndNewlines(std::string_view text) {
    const auto isSpaceAt = [&](std::size_t at, std::size_t& length) {
        const Utf8CodePoint decoded = decodeUtf8At(text, at);
        length = decoded.length;
        return decoded.value && isWhitespaceOrNewline(*decoded.value);
    };
    std::size_t begin = 0;
    std::size_t length = 0;
    while (begin < text.size() && isSpaceAt(begin, length)) {
        begin += length;
    }
    // Forward again to the end of the last character that is not white space: backward decoding
    // would have to agree with forward decoding on ill-formed bytes.
    std::size_t end = begin;
    for (std::size_t at = begin; at < text.size(); at += length) {
        if (!isSpaceAt(at, length)) {
            end = at + length;
        }
    }
    return std::string(text.substr(begin, end - begin));
}

bool isBlank(std::string_view text) {
    return trimWhitespaceAndNewlines(text).empty();
}

std::string asciiLowercased(std::string_view text) {
    std::string out(text);
    for (char& c : out) {
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
        }
    }
    return out;
}

std::string nfcNormalized(std::string_view text) {
    if (text.size() > static_cast<std::size_t>(std::numeric_limits<std::int32_t>::max())) {
        throw std::length_error("text too long to normalise");
    }
    UErrorCode status = U_ZERO_ERROR;
    const icu::Normalizer2* nfc = icu::Normalizer2::getNFCInstance(status);
    std::string out;
    icu::StringByteSink<std::string> sink(&out, static_cast<std::int32_t>(text.size()));
    if (U_SUCCESS(status)) {
        nfc->normalizeUTF8(0, icu::StringPiece(text.data(), static_cast<std::int32_t>(text.size())),
                           sink, nullptr, status);
    }
    if (U_FAILURE(status)) {
        throw std::runtime_error(std::string("Unicode normalisation failed: ") +
                                 u_errorName(status));
    }
    return out;
}

}  // namespace quorvel
