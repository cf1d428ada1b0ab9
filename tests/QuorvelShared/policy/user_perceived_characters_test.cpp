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
        {"\xe3\x81", 2},      // truncated sequence
        {"\xc0\xaf", 2},      // overlong
        {"\xed\xa0\x80", 3},  // surrogate
        {"a\xcc", 2},         // truncated mark
    };
    for (const auto& row : rows) {
        EXPECT_EQ(userPerceivedCharacters(row.text).size(), row.count) << row.text;
    }
}

}  // namespace
}  // namespace quorvel
