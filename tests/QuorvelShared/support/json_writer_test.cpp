#include "QuorvelShared/support/json_writer.hpp"

#include <gtest/gtest.h>

#include <limits>

namespace quorvel {
namespace {

struct StringCase {
    std::string input;
    std::string expected;
};

TEST(JsonWriter, CanonicalStringsHaveExactBytes) {
    const StringCase cases[] = {
        {"a/b", R"("a\/b")"},
        {"say \"hi\"", R"("say \"hi\"")"},
        {"back\\slash", R"("back\\slash")"},
        {"line\nbreak", R"("line\nbreak")"},
        {"tab\tcr\rff\fbs\b", R"("tab\tcr\rff\fbs\b")"},
        {std::string("\x01", 1), R"("\u0001")"},
        {std::string("\x1f", 1), R"("\u001f")"},
        {std::string("nul\0end", 7), R"("nul\u0000end")"},
        {"\x7f", "\"\x7f\""},
        {"スクワット", "\"スクワット\""},
        {"🔒 lock", "\"🔒 lock\""},
        {"", R"("")"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(json::write(Json(c.input), json::Style::canonical), c.expected) << c.input;
    }
}

TEST(JsonWriter, CanonicalSortsKeysByBytesAndLeavesNoWhitespace) {
    Json value = Json::object();
    value["requestId"] = "req_1";
    value["approvedUntil"] = "2024-01-01T00:00:00Z";
    value["Zulu"] = 1;
    value["é"] = true;
    value["nested"] = Json::object({{"b", 1}, {"a", Json::array({1, 2})}});
    EXPECT_EQ(json::write(value, json::Style::canonical),
              R"({"Zulu":1,"approvedUntil":"2024-01-01T00:00:00Z","nested":{"a":[1,2],"b":1},)"
              R"("requestId":"req_1","é":true})");
}

TEST(JsonWriter, CompactKeepsInsertionOrder) {
    Json value = Json::object();
    value["version"] = 1;
    value["kind"] = "unlockRequest";
    value["url"] = "https://x/y";
    EXPECT_EQ(json::write(value, json::Style::compact),
              R"({"version":1,"kind":"unlockRequest","url":"https:\/\/x\/y"})");
}

TEST(JsonWriter, PrettySortedIndentsByTwoWithSpacedColons) {
    Json value = Json::object();
    value["b"] = Json::array({1, Json::object({{"y", nullptr}, {"x", false}})});
    value["a"] = "s";
    value["c"] = Json::object();
    value["d"] = Json::array();
    EXPECT_EQ(json::write(value, json::Style::prettySorted),
              "{\n"
              "  \"a\" : \"s\",\n"
              "  \"b\" : [\n"
              "    1,\n"
              "    {\n"
              "      \"x\" : false,\n"
              "      \"y\" : null\n"
              "    }\n"
              "  ],\n"
              "  \"c\" : {},\n"
              "  \"d\" : []\n"
              "}");
}

TEST(JsonWriter, NumbersUseIntegersAndShortestDoubles) {
    EXPECT_EQ(json::write(Json(std::numeric_limits<std::int64_t>::min()), json::Style::compact),
              "-9223372036854775808");
    EXPECT_EQ(json::write(Json(5.0), json::Style::compact), "5");
    EXPECT_EQ(json::write(Json(0.1), json::Style::compact), "0.1");
    EXPECT_EQ(json::write(Json(786123456.789), json::Style::compact), "786123456.789");
    EXPECT_EQ(json::write(Json(-12.5), json::Style::compact), "-12.5");
}

TEST(JsonWriter, RefusesValuesWithoutJsonText) {
    EXPECT_THROW(json::write(Json(std::numeric_limits<double>::infinity()), json::Style::compact),
                 json::EncodeError);
    EXPECT_THROW(json::write(Json(std::numeric_limits<double>::quiet_NaN()), json::Style::compact),
                 json::EncodeError);
    for (const std::string bad : {"\xff", "\xc3", "\xe3\x81", "\xed\xa0\x80", "\xc0\xaf"}) {
        EXPECT_THROW(json::write(Json(bad), json::Style::canonical), json::EncodeError);
    }
}

}  // namespace
}  // namespace quorvel
