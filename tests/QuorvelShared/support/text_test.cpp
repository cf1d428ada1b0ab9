#include "QuorvelShared/support/text.hpp"

#include <gtest/gtest.h>

namespace quorvel {
namespace {

TEST(Text, TrimsUnicodeWhitespaceAndNewlinesAtBothEnds) {
    const std::pair<std::string, std::string> cases[] = {
        {"  a b  ", "a b"},
        {"\t\n\r\v\fx\n", "x"},
        {"\u3000全角\u3000", "全角"},           // ideographic space
        {"\u00a0nbsp\u2028", "nbsp"},            // no-break space, line separator
        {"\u0085x\u2009\u202f\u205f", "x"},      // next line, thin and narrow spaces
        {"\u200bzero", "\u200bzero"},            // zero-width space is not white space
        {"   ", ""},
        {"", ""},
        {"\xff  ", "\xff"},                      // stray byte kept, spaces after it trimmed
    };
    for (const auto& [input, expected] : cases) {
        EXPECT_EQ(trimWhitespaceAndNewlines(input), expected) << input;
    }
    EXPECT_TRUE(isBlank(" \n\u3000"));
    EXPECT_FALSE(isBlank(" a "));
}

TEST(Text, LowercasesAsciiOnly) {
    EXPECT_EQ(asciiLowercased("WWW.Example.COM"), "www.example.com");
    EXPECT_EQ(asciiLowercased("ÄB"), "Äb");
}

}  // namespace
}  // namespace quorvel
