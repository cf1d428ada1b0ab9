#include "QuorvelShared/policy/quorvel_localization.hpp"

#include <gtest/gtest.h>

#include "QuorvelShared/policy/mission_kind.hpp"
#include "QuorvelShared/support/files.hpp"
#include "testkit/temp_xdg.hpp"

namespace quorvel {
namespace {

class QuorvelLocalizationTest : public ::testing::Test {
protected:
    void ship(const std::string& localization, const std::string& table) {
        const auto folder = resources() / (localization + ".lproj");
        files::createDirectories(folder);
        if (!table.empty()) {
            testkit::writeFile(folder / "Localizable.json", table);
        }
    }

    std::filesystem::path resources() const { return home.root() / "resources"; }

    QuorvelLocalization localization(Preferences* suite) {
        return QuorvelLocalization(standard, suite, LocalizationBundle(resources()),
                                   [this] { return preferred; });
    }

    testkit::TempXdgHome home;
    JsonFilePreferences standard{std::string(preferenceDomains::application)};
    JsonFilePreferences suite{std::string(preferenceDomains::sharedAppGroup)};
    std::vector<std::string> preferred = {"en-US"};
};

TEST_F(QuorvelLocalizationTest, CurrentChoice) {
    QuorvelLocalization withSuite = localization(&suite);
    EXPECT_EQ(withSuite.current(), QuorvelLanguage::system) << "nothing stored";

    suite.setString("quorvel.language", "english");
    EXPECT_EQ(withSuite.current(), QuorvelLanguage::english) << "the suite answers";
    EXPECT_EQ(localization(nullptr).current(), QuorvelLanguage::system) << "no suite";

    standard.setString("quorvel.language", "korean");
    EXPECT_EQ(withSuite.current(), QuorvelLanguage::korean) << "own defaults win";

    standard.setString("quorvel.language", "klingon");
    EXPECT_EQ(withSuite.current(), QuorvelLanguage::system) << "no case of that name";
    standard.setBoolean("quorvel.language", true);
    EXPECT_EQ(withSuite.current(), QuorvelLanguage::english) << "not a string: the suite's";
}

TEST_F(QuorvelLocalizationTest, PersistSelection) {
    QuorvelLocalization withSuite = localization(&suite);
    withSuite.persistSelection("korean");
    EXPECT_EQ(standard.string("quorvel.language"), "korean");
    EXPECT_EQ(suite.string("quorvel.language"), "korean");
    withSuite.persistSelection("Korean");
    EXPECT_EQ(standard.string("quorvel.language"), "system");
    EXPECT_EQ(suite.string("quorvel.language"), "system");

    localization(nullptr).persistSelection("german");
    EXPECT_EQ(standard.string("quorvel.language"), "german");
    EXPECT_EQ(suite.string("quorvel.language"), "system");
}

TEST_F(QuorvelLocalizationTest, SystemLanguageFollowsThePreferredLanguages) {
    for (const char* name : {"Base", "en", "ja", "zh-Hant", "it"}) {
        ship(name, "");
    }
    QuorvelLocalization languages = localization(nullptr);
    EXPECT_EQ(languages.supportedLanguageCodes(),
              (std::vector<std::string>{"ja", "en", "zh-Hant", "it"}));
    struct Row {
        std::vector<std::string> preferred;
        const char* code;
    };
    const Row rows[] = {
        {{"zh-HK"}, "zh-Hant"}, {{"pt-BR", "en"}, "ja"}, {{}, "en"}, {{"it_IT"}, "it"}};
    for (const auto& row : rows) {
        preferred = row.preferred;
        EXPECT_EQ(languages.systemLocaleIdentifier(), row.code);
        EXPECT_EQ(languages.localeIdentifier(QuorvelLanguage::system), row.code);
    }
    EXPECT_EQ(languages.localeIdentifier(QuorvelLanguage::simplifiedChinese), "zh-Hans");
    EXPECT_EQ(languages.languageCode(QuorvelLanguage::simplifiedChinese), "zh-Hans");
    EXPECT_EQ(languages.bestSupportedLanguageCode("zh-TW"), "zh-Hant");
}

TEST_F(QuorvelLocalizationTest, LookupInTheChosenTable) {
    ship("ja", R"({"深呼吸": "深呼吸"})");
    ship("en", R"({"深呼吸": "Deep breathing", "空": ""})");
    ship("Base", R"({"数学": "Mathematics"})");
    QuorvelLocalization languages = localization(nullptr);

    standard.setString("quorvel.language", "english");
    EXPECT_EQ(quorvelLocalized(languages, "深呼吸"), "Deep breathing");
    EXPECT_EQ(quorvelLocalized(languages, "数学"), "数学") << "a chosen table that lacks the key";
    EXPECT_EQ(quorvelLocalized(languages, "空"), "空") << "an empty entry shows the source text";

    standard.setString("quorvel.language", "japanese");
    EXPECT_EQ(quorvelLocalized(languages, "深呼吸"), "深呼吸") << "re-read at each call";

    standard.setString("quorvel.language", "german");
    preferred = {"en-GB"};
    EXPECT_EQ(quorvelLocalized(languages, "深呼吸"), "Deep breathing")
        << "no table for the choice: the user's own language";
    EXPECT_EQ(quorvelLocalized(languages, "数学"), "Mathematics") << "then Base";
    EXPECT_EQ(quorvelLocalized(languages, "歩"), "歩");
}

TEST_F(QuorvelLocalizationTest, MissingOrDamagedTablesGiveTheSourceText) {
    QuorvelLocalization languages = localization(nullptr);
    standard.setString("quorvel.language", "japanese");
    EXPECT_EQ(displayName(MissionKind::steps, languages), "歩行・足踏み");
    EXPECT_EQ(unitLabel(MissionKind::breathing, languages), "秒");

    ship("ja", "{not json");
    EXPECT_EQ(displayName(MissionKind::steps, languages), "歩行・足踏み");
    ship("ja", R"(["歩行・足踏み"])");
    EXPECT_EQ(displayName(MissionKind::steps, languages), "歩行・足踏み");
    ship("ja", R"({"歩行・足踏み": 5})");
    EXPECT_EQ(displayName(MissionKind::steps, languages), "歩行・足踏み");
}

TEST_F(QuorvelLocalizationTest, LocalizedFormat) {
    ship("en", R"({"%@を%d回": "%2$d × %1$@"})");
    ship("ja", "{}");
    QuorvelLocalization languages = localization(nullptr);
    standard.setString("quorvel.language", "english");
    EXPECT_EQ(
        quorvelLocalizedFormat(languages, "%@を%d回", {std::string("squats"), std::int64_t{5}}),
        "5 × squats");
    standard.setString("quorvel.language", "japanese");
    EXPECT_EQ(
        quorvelLocalizedFormat(languages, "%@を%d回", {std::string("スクワット"), std::int64_t{5}}),
        "スクワットを5回");
}

}  // namespace
}  // namespace quorvel
