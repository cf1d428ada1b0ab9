#include "QuorvelShared/policy/localization_bundle.hpp"

#include <gtest/gtest.h>

#include "QuorvelShared/policy/mission_kind.hpp"
#include "QuorvelShared/policy/quorvel_language.hpp"
#include "testkit/temp_xdg.hpp"

namespace quorvel {
namespace {

TEST(LocalizationBundle, ShippedJapaneseTableMapsKeysToThemselves) {
    const LocalizationBundle bundle(std::filesystem::path(QUORVEL_LOCALIZATIONS));
    EXPECT_EQ(bundle.localizations(), std::vector<std::string>{"ja"});
    for (const MissionKind kind : missionKindAllCases) {
        for (const std::string_view key : {displayNameKey(kind), unitLabelKey(kind)}) {
            EXPECT_EQ(bundle.string("ja", key), std::string(key));
        }
    }
    for (const QuorvelLanguage language : quorvelLanguageAllCases) {
        EXPECT_EQ(bundle.string("ja", titleLocalizationKey(language)),
                  std::string(titleLocalizationKey(language)));
    }
}

TEST(LocalizationBundle, InstalledBesideTheProgram) {
    const std::filesystem::path folder = LocalizationBundle::installed().resourcesFolder();
    EXPECT_TRUE(folder.is_absolute());
    EXPECT_EQ(folder.filename(), "localizations");
    EXPECT_EQ(folder.parent_path().parent_path().filename(), "share");
    EXPECT_EQ(folder.parent_path().parent_path().parent_path(),
              std::filesystem::read_symlink("/proc/self/exe").parent_path().parent_path());
}

TEST(LocalizationBundle, MissingResourcesFolder) {
    testkit::TempXdgHome home;
    const LocalizationBundle bundle(home.root() / "nothing here");
    EXPECT_TRUE(bundle.localizations().empty());
    EXPECT_FALSE(bundle.hasLocalization("ja"));
    EXPECT_EQ(bundle.string("ja", "回"), std::nullopt);
    EXPECT_EQ(supportedLanguageCodes(bundle.localizations()), std::vector<std::string>{"en"});

    // An empty path never means the working directory.
    const std::filesystem::path previous = std::filesystem::current_path();
    std::filesystem::create_directories(home.root() / "ja.lproj");
    std::filesystem::current_path(home.root());
    const LocalizationBundle none{std::filesystem::path()};
    EXPECT_TRUE(none.localizations().empty());
    EXPECT_FALSE(none.hasLocalization("ja"));
    std::filesystem::current_path(previous);
}

}  // namespace
}  // namespace quorvel
