#include "QuorvelShared/policy/user_perceived_characters.hpp"

#include <gtest/gtest.h>

namespace quorvel {
namespace {

TEST(UserPerceivedCharacters, Clusters) {
    struct Row {
        const char* text;
        std::size_t count;
    };
    const Row rows[] = {
        {"", 0},
        {"abc", 3},
        {"e\u0301", 1},        // combining acute
        {"か\u3099", 1},       // combining voiced mark
        {"👍🏽", 1},       // skin tone
        {"👩\u200D💻", 1},       // joined emoji
        {"❤\uFE0F", 1},        // variation selector
        {"1\uFE0F\u20E3", 1},  // keycap
        {"🇯🇵", 1},             // flag
        {"🇯🇵🇫🇷", 2},           // two flags
        {"🇯🇵🇫", 2},            // a flag and a lone indicator
        {"\r\n", 1},
        {"\n\r", 2},
        {"\xff\xfe", 2},      // ill-formed bytes
        {"\xe3\x81", 1},      // truncated sequence: one ill-formed subpart
        {"\xc0\xaf", 2},      // overlong
        {"\xed\xa0\x80", 3},  // surrogate
        {"a\xcc", 2},         // truncated mark
        {"\xff\u0301", 1},    // a mark attaches to a replaced byte, as in repaired text
        {"a\u0903", 1},       // Devanagari sign visarga, a spacing mark
        {"a\u0610", 1},       // Arabic sign, a mark outside the common blocks
        {"a\u200Db", 2},      // a joiner joins only pictographs
        {"\U0001F468\u200D\U0001F469\u200D\U0001F467", 1},  // family of three
        {"\u1100\u1161\u11A8", 1},                          // Hangul jamo
        {"e\u0301\u0301\u0301", 1},
        {"\U0001F1EF\U0001F1F5\U0001F1EB\U0001F1F7\U0001F1EF", 3},  // two flags, a lone indicator
    };
    for (const auto& row : rows) {
        EXPECT_EQ(userPerceivedCharacters(row.text).size(), row.count) << row.text;
    }
}

}  // namespace
}  // namespace quorvel
