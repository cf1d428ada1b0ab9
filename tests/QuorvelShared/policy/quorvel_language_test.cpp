#include "QuorvelShared/policy/quorvel_language.hpp"

#include <gtest/gtest.h>

namespace quorvel {
namespace {

using Codes = std::vector<std::string>;

TEST(QuorvelLanguage, CasesCodesAndTitles) {
    struct Row {
        QuorvelLanguage language;
        std::string_view stored;
        std::string_view code;
        std::string_view title;
    };
    const Row rows[] = {
        {QuorvelLanguage::system, "system", "", "iOSの言語を使う"},
        {QuorvelLanguage::japanese, "japanese", "ja", "日本語"},
        {QuorvelLanguage::english, "english", "en", "English"},
        {QuorvelLanguage::spanish, "spanish", "es", "Español"},
        {QuorvelLanguage::french, "french", "fr", "Français"},
        {QuorvelLanguage::german, "german", "de", "Deutsch"},
        {QuorvelLanguage::korean, "korean", "ko", "한국어"},
        {QuorvelLanguage::portuguese, "portuguese", "pt", "Português"},
        {QuorvelLanguage::indonesian, "indonesian", "id", "Bahasa Indonesia"},
        {QuorvelLanguage::simplifiedChinese, "simplifiedChinese", "zh-Hans", "简体中文"},
        {QuorvelLanguage::traditionalChinese, "traditionalChinese", "zh-Hant", "繁體中文"},
    };
    ASSERT_EQ(std::size(quorvelLanguageAllCases), std::size(rows));
    for (std::size_t i = 0; i < std::size(rows); ++i) {
        const Row& row = rows[i];
        EXPECT_EQ(quorvelLanguageAllCases[i], row.language);
        EXPECT_EQ(quorvelLanguageSelectableCases[i], row.language);
        EXPECT_EQ(nameOf<QuorvelLanguage>(row.language, quorvelLanguageNames), row.stored);
        EXPECT_EQ(fixedLanguageCode(row.language), row.code) << row.stored;
        EXPECT_EQ(titleLocalizationKey(row.language), row.title) << row.stored;
    }
    EXPECT_EQ(enumFromName<QuorvelLanguage>("English", quorvelLanguageNames), std::nullopt);
    EXPECT_EQ(quorvelLanguageStorageKey, "quorvel.language");
    EXPECT_EQ(quorvelLanguageSharedAppGroupIdentifier, "group.com.merrowind.tollquake");
}

TEST(QuorvelLanguage, CandidateIdentifiers) {
    struct Row {
        const char* identifier;
        Codes candidates;
    };
    const Row rows[] = {
        {"zh_TW", {"zh-tw", "zh-hant", "zh"}},
        {"zh-Hans-CN", {"zh-hans-cn", "zh-hans", "zh"}},
        {"zh-HK", {"zh-hk", "zh-hant", "zh"}},
        {"zh-SG", {"zh-sg", "zh-hans", "zh"}},
        {"zh_MY", {"zh-my", "zh-hans", "zh"}},
        {"zh-MO", {"zh-mo", "zh-hant", "zh"}},
        {"zh-Hant-CN", {"zh-hant-cn", "zh-hant", "zh"}},
        {"zh", {"zh"}},
        {"en-GB", {"en-gb", "en"}},
        {"ja_JP", {"ja-jp", "ja"}},
        {"EN", {"en"}},
        {"", {}},
        {"-", {"-"}},
        // The bare language is the first non-empty part, as the region check reads it.
        {"_x", {"-x", "x"}},
        {"-zh-TW", {"-zh-tw", "zh-hant", "zh"}},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(candidateLanguageIdentifiers(row.identifier), row.candidates) << row.identifier;
    }
}

TEST(QuorvelLanguage, SupportedCodes) {
    struct Row {
        Codes shipped;
        Codes supported;
    };
    const Row rows[] = {
        {{"Base", "en", "ja", "zh-Hant", "it"}, {"ja", "en", "zh-Hant", "it"}},
        {{"Base"}, {"en"}},
        {{}, {"en"}},
        {{"zh_hans", "JA", "base", ""}, {"ja", "zh-Hans"}},
        {{"it", "nl"}, {"it", "nl"}},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(supportedLanguageCodes(row.shipped), row.supported)
            << ::testing::PrintToString(row.shipped);
    }
}

TEST(QuorvelLanguage, BestSupportedCode) {
    const Codes supported = {"ja", "en", "zh-Hant", "it"};
    struct Row {
        const char* identifier;
        const char* best;
    };
    const Row rows[] = {
        {"zh-HK", "zh-Hant"}, {"pt-BR", "ja"}, {"zh", "ja"},         {"en_US", "en"},
        {"it-IT", "it"},      {"", "ja"},      {"ZH_TW", "zh-Hant"},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(bestSupportedLanguageCode(row.identifier, supported), row.best) << row.identifier;
    }
    EXPECT_EQ(bestSupportedLanguageCode("de", {}), "en");
}

}  // namespace
}  // namespace quorvel
