#pragma once

// The user's choice of interface language, and the pure rules that match a language identifier
// against the localisations the program ships. The lookups that need the stored choice, the
// shipped tables and the user's preferred languages live in QuorvelLocalization.
#include <string>
#include <string_view>
#include <vector>

#include "QuorvelShared/support/enum_names.hpp"
#include "QuorvelShared/support/preferences.hpp"

namespace quorvel {

// "system" follows the user's preferred languages; the others are fixed.
enum class QuorvelLanguage {
    system,
    japanese,
    english,
    spanish,
    french,
    german,
    korean,
    portuguese,
    indonesian,
    simplifiedChinese,
    traditionalChinese,
};
constexpr EnumName<QuorvelLanguage> quorvelLanguageNames[] = {
    {QuorvelLanguage::system, "system"},
    {QuorvelLanguage::japanese, "japanese"},
    {QuorvelLanguage::english, "english"},
    {QuorvelLanguage::spanish, "spanish"},
    {QuorvelLanguage::french, "french"},
    {QuorvelLanguage::german, "german"},
    {QuorvelLanguage::korean, "korean"},
    {QuorvelLanguage::portuguese, "portuguese"},
    {QuorvelLanguage::indonesian, "indonesian"},
    {QuorvelLanguage::simplifiedChinese, "simplifiedChinese"},
    {QuorvelLanguage::traditionalChinese, "traditionalChinese"},
};
// allCases and selectableCases are the same list.
constexpr QuorvelLanguage quorvelLanguageAllCases[] = {
    QuorvelLanguage::system,
    QuorvelLanguage::japanese,
    QuorvelLanguage::english,
    QuorvelLanguage::spanish,
    QuorvelLanguage::french,
    QuorvelLanguage::german,
    QuorvelLanguage::korean,
    QuorvelLanguage::portuguese,
    QuorvelLanguage::indonesian,
    QuorvelLanguage::simplifiedChinese,
    QuorvelLanguage::traditionalChinese,
};
inline constexpr auto& quorvelLanguageSelectableCases = quorvelLanguageAllCases;

// The user-defaults key of the choice, kept in the program's own defaults and in the shared
// application-group suite.
inline constexpr std::string_view quorvelLanguageStorageKey = "quorvel.language";
inline constexpr std::string_view quorvelLanguageSharedAppGroupIdentifier =
    preferenceDomains::sharedAppGroup;
inline constexpr std::string_view quorvelLanguageFallbackCode = "en";

// The locale identifier of a fixed language ("ja", "zh-Hans"); empty for `system`, whose code
// depends on the user's preferred languages (QuorvelLocalization::localeIdentifier).
std::string_view fixedLanguageCode(QuorvelLanguage language);

// The source text of the choice's title.
std::string_view titleLocalizationKey(QuorvelLanguage language);

// "_" as "-", lower case: the form in which identifiers are compared.
std::string normalizedLanguageIdentifier(std::string_view identifier);

// The identifiers to try for `identifier`, narrowest first: itself, the Chinese script its
// region implies, and its bare language ("zh_TW" -> zh-tw, zh-hant, zh).
std::vector<std::string> candidateLanguageIdentifiers(std::string_view identifier);

// The fixed languages that the shipped localisations cover (in the fixed order), then the other
// shipped localisations (in their order); ["en"] when that leaves nothing. "Base" is no language.
std::vector<std::string> supportedLanguageCodes(const std::vector<std::string>& localizations);

// The first supported code that a candidate of `identifier` names; else the first supported
// code; else "en".
std::string bestSupportedLanguageCode(std::string_view identifier,
                                      const std::vector<std::string>& supportedCodes);

}  // namespace quorvel
