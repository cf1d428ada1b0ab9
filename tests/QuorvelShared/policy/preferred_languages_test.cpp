#include "QuorvelShared/policy/preferred_languages.hpp"

#include <gtest/gtest.h>

#include <map>

namespace quorvel {
namespace {

using Environment = std::map<std::string, std::string, std::less<>>;

std::vector<std::string> languagesOf(const Environment& environment) {
    return preferredLanguagesFromEnvironment(
        [&](std::string_view name) -> std::optional<std::string> {
            const auto it = environment.find(name);
            if (it == environment.end()) {
                return std::nullopt;
            }
            return it->second;
        });
}

TEST(PreferredLanguages, FromTheEnvironment) {
    using Languages = std::vector<std::string>;
    struct Row {
        const char* name;
        Environment environment;
        Languages languages;
    };
    const Row rows[] = {
        {"nothing set", {}, {}},
        {"LANG only", {{"LANG", "ja_JP.UTF-8"}}, {"ja_JP"}},
        {"modifier dropped", {{"LANG", "de_DE@euro"}}, {"de_DE"}},
        {"C is none", {{"LANG", "C.UTF-8"}}, {}},
        {"POSIX is none", {{"LC_ALL", "POSIX"}}, {}},
        {"LC_ALL wins",
         {{"LC_ALL", "fr_FR.UTF-8"}, {"LC_MESSAGES", "de_DE"}, {"LANG", "ja_JP"}},
         {"fr_FR"}},
        {"LC_MESSAGES before LANG", {{"LC_MESSAGES", "ko_KR"}, {"LANG", "ja_JP"}}, {"ko_KR"}},
        {"empty LC_ALL skipped", {{"LC_ALL", ""}, {"LANG", "ja_JP"}}, {"ja_JP"}},
        {"LANGUAGE list first",
         {{"LANGUAGE", "zh_TW:en::ja"}, {"LANG", "en_US.UTF-8"}},
         {"zh_TW", "en", "ja", "en_US"}},
        {"repeats kept once", {{"LANGUAGE", "ja:ja"}, {"LANG", "ja.UTF-8"}}, {"ja"}},
        {"C locale under LANGUAGE", {{"LANGUAGE", "es"}, {"LANG", "C"}}, {"es"}},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(languagesOf(row.environment), row.languages) << row.name;
    }
}

}  // namespace
}  // namespace quorvel
