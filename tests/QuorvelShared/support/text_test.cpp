#include "QuorvelShared/support/text.hpp"

#include <gtest/gtest.h>

#include <optional>

namespace quorvel {
namespace {

TEST(Text, TrimsUnicodeWhitespaceAndNewlinesAtBothEnds) {
    const std::pair<std::string, std::string> cases[] = {
        {"  a b  ", "a b"},
        {"\t\n\r\v\fx\n", "x"},
        {"\u3000全角\u3000", "全角"},        // ideographic space
        {"\u00a0nbsp\u2028", "nbsp"},        // no-break space, line separator
        {"\u0085x\u2009\u202f\u205f", "x"},  // next line, thin and narrow spaces
        {"\u200bzero", "\u200bzero"},        // zero-width space is not white space
        {"   ", ""},
        {"", ""},
        {"\xff  ", "\xff"},  // stray byte kept, spaces after it trimmed
    };
    for (const auto& [input, expected] : cases) {
        EXPECT_EQ(trimWhitespaceAndNewlines(input), expected) << input;
    }
    EXPECT_TRUE(isBlank(" \n\u3000"));
    EXPECT_FALSE(isBlank(" a "));
}

TEST(Text, IllFormedBytesAreNeverTakenForWhiteSpace) {
    const std::pair<std::string, std::string> cases[] = {
        {"\xC0\xA0x", "\xC0\xA0x"},                   // overlong space, two bytes
        {"x\xE0\x80\xA0", "x\xE0\x80\xA0"},           // overlong space, three bytes
        {"\xF0\x80\x80\xA0x ", "\xF0\x80\x80\xA0x"},  // overlong space, four bytes
        {"x\xE0\x82\x85", "x\xE0\x82\x85"},           // overlong next line
        {" \xE3\x81 ", "\xE3\x81"},                   // truncated sequence between spaces
        {"\xE3\x80\x80\xE3\x80", "\xE3\x80"},         // a space, then its truncated copy
    };
    for (const auto& [input, expected] : cases) {
        EXPECT_EQ(trimWhitespaceAndNewlines(input), expected) << input;
    }
    EXPECT_FALSE(isBlank("\xC0\xA0"));
}

TEST(Text, DecodesOneCodePointOrTheIllFormedBytesAtAnOffset) {
    struct Row {
        std::string text;
        std::size_t at;
        std::optional<char32_t> value;
        std::size_t length;
    };
    const Row rows[] = {
        {"a", 0, U'a', 1},
        {"ab\xC3\xA9", 2, U'\u00E9', 2},
        {"\xE3\x81\x82", 0, U'\u3042', 3},
        {"\xF0\x9F\x91\x8D", 0, U'\U0001F44D', 4},
        {"\xF4\x8F\xBF\xBF", 0, U'\U0010FFFF', 4},
        {"\x80", 0, std::nullopt, 1},              // stray trail byte
        {"\xC0\xAF", 0, std::nullopt, 1},          // overlong
        {"\xE3\x81", 0, std::nullopt, 2},          // truncated: one ill-formed subpart
        {"\xE3\x81x", 0, std::nullopt, 2},         // trail byte missing
        {"\xED\xA0\x80", 0, std::nullopt, 1},      // surrogate
        {"\xF4\x90\x80\x80", 0, std::nullopt, 1},  // past U+10FFFF
        {"\xFF", 0, std::nullopt, 1},
    };
    for (const Row& row : rows) {
        const Utf8CodePoint decoded = decodeUtf8At(row.text, row.at);
        EXPECT_EQ(decoded.value, row.value) << row.text;
        EXPECT_EQ(decoded.length, row.length) << row.text;
    }
}

TEST(Text, NormalisesToCanonicalComposition) {
    const std::pair<std::string, std::string> cases[] = {
        {"", ""},
        {"app.example", "app.example"},
        {"e\u0301", "\u00E9"},               // combining acute composes
        {"\u00E9", "\u00E9"},                // already composed
        {"\u212B", "\u00C5"},                // angstrom sign is a letter A with ring
        {"q\u0307\u0323", "q\u0323\u0307"},  // marks in canonical order
        {"\u304B\u3099", "\u304C"},          // kana with voiced mark
        {"\u1100\u1161\u11A8", "\uAC01"},    // Hangul jamo compose to a syllable
        {"\uFB01", "\uFB01"},                // compatibility ligature stays
        {"e\xCC\x81\xFF", "\u00E9\xFF"},     // ill-formed byte kept
    };
    for (const auto& [input, expected] : cases) {
        EXPECT_EQ(nfcNormalized(input), expected) << input;
    }
}

TEST(Text, LowercasesAsciiOnly) {
    EXPECT_EQ(asciiLowercased("WWW.Example.COM"), "www.example.com");
    EXPECT_EQ(asciiLowercased("ÄB"), "Äb");
}

}  // namespace
}  // namespace quorvel
