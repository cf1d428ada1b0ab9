#include "QuorvelShared/policy/localized_format.hpp"

#include <gtest/gtest.h>

#include <vector>

namespace quorvel {
namespace {

TEST(LocalizedFormat, FillsDirectivesSafely) {
    using Arguments = std::vector<FormatArgument>;
    struct Row {
        const char* format;
        Arguments arguments;
        const char* expected;
    };
    const Row rows[] = {
        {"%@を%d回", {std::string("スクワット"), std::int64_t{12}}, "スクワットを12回"},
        {"%s: %ld / %lld / %i",
         {std::string("a"), std::int64_t{-3}, std::int64_t{4}, std::int64_t{5}},
         "a: -3 / 4 / 5"},
        {"%2$@ %1$@", {std::string("後"), std::string("先")}, "先 後"},
        {"%1$d回 (%1$d)", {std::int64_t{7}}, "7回 (7)"},
        {"100%%", {}, "100%"},
        {"no directives", {std::string("unused")}, "no directives"},
        // Wrong kinds are written as text.
        {"%d", {std::string("abc")}, "abc"},
        {"%@", {std::int64_t{42}}, "42"},
        // Missing arguments and unknown directives stay as written.
        {"%@ and %d", {std::string("x")}, "x and %d"},
        {"%3$@", {std::string("x")}, "%3$@"},
        {"%f %x %n %5d", {std::int64_t{1}}, "%f %x %n %5d"},
        {"%0$@", {std::string("x")}, "%0$@"},
        {"%99999999999999999999$@", {std::string("x")}, "%99999999999999999999$@"},
        {"end %", {}, "end %"},
        {"%l", {}, "%l"},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(formatLocalizedText(row.format, row.arguments), row.expected) << row.format;
    }
}

}  // namespace
}  // namespace quorvel
