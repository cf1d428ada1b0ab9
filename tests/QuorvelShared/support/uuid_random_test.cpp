#include <gtest/gtest.h>

#include <regex>
#include <set>

#include "QuorvelShared/support/random.hpp"
#include "QuorvelShared/support/uuid.hpp"
#include "testkit/fakes.hpp"

namespace quorvel {
namespace {

TEST(Uuid, NewTextsAreUpperCaseVersionFour) {
    const std::regex form("[0-9A-F]{8}-[0-9A-F]{4}-4[0-9A-F]{3}-[89AB][0-9A-F]{3}-[0-9A-F]{12}");
    std::set<std::string> seen;
    for (int i = 0; i < 100; ++i) {
        const std::string text = newUuidText();
        EXPECT_TRUE(std::regex_match(text, form)) << text;
        seen.insert(text);
    }
    EXPECT_EQ(seen.size(), 100u);
}

TEST(Uuid, ParsesEitherCaseAndRefusesOtherForms) {
    const auto parsed = Uuid::parse("7be11000-7b85-4c21-9a2b-5d52e7a091f1");
    ASSERT_TRUE(parsed);
    EXPECT_EQ(parsed->text(), "7BE11000-7B85-4C21-9A2B-5D52E7A091F1");
    EXPECT_EQ(parsed->bytes[0], 0x7B);
    EXPECT_EQ(parsed->bytes[15], 0xF1);
    for (const char* bad :
         {"7BE110007B854C219A2B5D52E7A091F1", "7BE11000-7B85-4C21-9A2B-5D52E7A091F",
          "7BE11000-7B85-4C21-9A2B_5D52E7A091F1", "GBE11000-7B85-4C21-9A2B-5D52E7A091F1",
          "{7BE11000-7B85-4C21-9A2B-5D52E7A091F1}", ""}) {
        EXPECT_FALSE(Uuid::parse(bad)) << bad;
    }
}

TEST(RandomSource, UniformStaysInRangeAndReachesEveryValue) {
    testkit::SeededRandomSource source(7);
    std::vector<int> hits(57, 0);
    for (int i = 0; i < 57 * 200; ++i) {
        const auto value = source.uniform(57);
        ASSERT_LT(value, 57u);
        ++hits[value];
    }
    for (const int count : hits) {
        EXPECT_GT(count, 100);
    }
    EXPECT_EQ(source.uniform(1), 0u);
}

TEST(RandomSource, SeededSourcesRepeat) {
    testkit::SeededRandomSource a(42);
    testkit::SeededRandomSource b(42);
    for (int i = 0; i < 10; ++i) {
        EXPECT_EQ(a.nextUInt64(), b.nextUInt64());
    }
    EXPECT_EQ(Uuid::random(a), Uuid::random(b));
}

}  // namespace
}  // namespace quorvel
