#include "QuorvelShared/policy/random_alphanumeric_challenge.hpp"

#include <gtest/gtest.h>

#include <set>

#include "QuorvelShared/policy/manual_alphanumeric_entry.hpp"
#include "testkit/fakes.hpp"

namespace quorvel {
namespace {

using Challenge = RandomAlphanumericChallenge;

bool containsAny(std::string_view code, std::string_view alphabet) {
    return code.find_first_of(alphabet) != std::string_view::npos;
}

TEST(RandomAlphanumericChallenge, Alphabets) {
    EXPECT_EQ(Challenge::uppercase.size(), 24u);
    EXPECT_EQ(Challenge::lowercase.size(), 25u);
    EXPECT_EQ(Challenge::digits.size(), 8u);
    EXPECT_EQ(std::string(Challenge::all), std::string(Challenge::uppercase) +
                                               std::string(Challenge::lowercase) +
                                               std::string(Challenge::digits));
    EXPECT_EQ(std::set<char>(Challenge::all.begin(), Challenge::all.end()).size(), 57u);
    EXPECT_FALSE(containsAny(Challenge::all, "IOl01"));
    EXPECT_EQ(ManualAlphanumericEntry::allowedCharacters, Challenge::all);
}

TEST(RandomAlphanumericChallenge, CodesHoldEveryGroup) {
    testkit::SeededRandomSource random(7);
    const std::pair<std::int64_t, std::size_t> lengths[] = {{16, 16}, {50, 50}, {3, 3},
                                                            {0, 3},   {-5, 3},  {4, 4}};
    for (const auto& [requested, expected] : lengths) {
        for (int round = 0; round < 200; ++round) {
            const std::string code = Challenge::generate(requested, random);
            ASSERT_EQ(code.size(), expected) << requested;
            ASSERT_TRUE(containsAny(code, Challenge::uppercase)) << code;
            ASSERT_TRUE(containsAny(code, Challenge::lowercase)) << code;
            ASSERT_TRUE(containsAny(code, Challenge::digits)) << code;
            ASSERT_EQ(code.find_first_not_of(Challenge::all), std::string::npos) << code;
        }
    }
    const std::string fromSystem = Challenge::generate(16);
    EXPECT_EQ(fromSystem.size(), 16u);
    EXPECT_EQ(fromSystem.find_first_not_of(Challenge::all), std::string::npos);
}

TEST(RandomAlphanumericChallenge, ShuffleMovesTheGuaranteedCharacters) {
    // Without the shuffle the first three would always be upper, lower, digit.
    testkit::SeededRandomSource random(11);
    std::set<char> leading;
    for (int round = 0; round < 200; ++round) {
        leading.insert(Challenge::generate(3, random).front());
    }
    EXPECT_TRUE(containsAny(std::string(leading.begin(), leading.end()), Challenge::lowercase));
    EXPECT_TRUE(containsAny(std::string(leading.begin(), leading.end()), Challenge::digits));
}

TEST(RandomAlphanumericChallenge, SameSeedSameCode) {
    testkit::SeededRandomSource first(3);
    testkit::SeededRandomSource second(3);
    EXPECT_EQ(Challenge::generate(20, first), Challenge::generate(20, second));
}

TEST(RandomAlphanumericChallenge, DisplayGroups) {
    struct Row {
        std::size_t length;
        std::vector<std::size_t> sizes;
    };
    const Row rows[] = {
        {16, {4, 4, 4, 4}},
        {17, {5, 4, 4, 4}},
        {21, {5, 4, 4, 4, 4}},
        {50, std::vector<std::size_t>(10, 5)},
        {7, {4, 3}},
        {3, {3}},
        {5, {5}},
        {6, {3, 3}},
        {1, {1}},
        {0, {}},
    };
    const std::string source = "ABCDEFGHJKLMNPQRSTUVWXYZabcdefghijkmnopqrstuvwxyz23456789";
    for (const auto& row : rows) {
        const std::string code = source.substr(0, row.length);
        const std::vector<std::string> groups = Challenge::displayGroups(code);
        std::vector<std::size_t> sizes;
        std::string joined;
        for (const auto& group : groups) {
            sizes.push_back(group.size());
            joined += group;
        }
        EXPECT_EQ(sizes, row.sizes) << row.length;
        EXPECT_EQ(joined, code) << "groups keep the code's order";
    }
    EXPECT_EQ(Challenge::displayGroups("あいうえおか"),
              (std::vector<std::string>{"あいう", "えおか"}));
}

}  // namespace
}  // namespace quorvel
