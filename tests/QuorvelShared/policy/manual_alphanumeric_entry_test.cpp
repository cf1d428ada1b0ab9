#include "QuorvelShared/policy/manual_alphanumeric_entry.hpp"

#include <gtest/gtest.h>

namespace quorvel {
namespace {

TEST(ManualAlphanumericEntry, AllowsReplacement) {
    struct Row {
        const char* text;
        bool allowed;
    };
    const Row rows[] = {
        {"", true},
        {"a", true},
        {"Z", true},
        {"9", true},
        {"l", false},
        {"O", false},
        {"I", false},
        {"0", false},
        {"1", false},
        {" ", false},
        {"ab", false},
        {"-", false},
        {"あ", false},
        {"Ａ", false},
        {"a\u0301", true},
        {"a\u0301b", false},
        {"\xff", false},
        {"👍🏽", false},
        // Marks of any script belong to the letter before them; a joiner between letters does not
        // make them one.
        {"a\u0903", true},
        {"a\u0610", true},
        {"k\u1AB0", true},
        {"a\u200Db", false},
        {"a\u200D", true},
        {"\u200Da", false},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(ManualAlphanumericEntry::allowsReplacement(row.text), row.allowed) << row.text;
    }
}

}  // namespace
}  // namespace quorvel
