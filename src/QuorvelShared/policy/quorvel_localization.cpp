#include "QuorvelShared/policy/quorvel_localization.hpp"

namespace quorvel {

QuorvelLocalization::QuorvelLocalization(Preferences& standardDefaults, Preferences* sharedSuite,
                                         LocalizationBundle bundle,
                                         PreferredLanguages preferredLanguages)
    : standardDefaults_(standardDefaults),
      sharedSuite_(sharedSuite),
      bundle_(std::move(bundle)),
      preferredLanguages_(std::move(preferredLanguages)) {}

QuorvelLanguage QuorvelLocalization::current() const {
    std::optional<std::string> stored = standardDefaults_.string(quorvelLanguageStorageKey);
    if (!stored && sharedSuite_ != nullptr) {
        stored = sharedSuite_->string(quorvelLanguageStorageKey);
    }
    if (!stored) {
        return QuorvelLanguage::system;
    }
    return enumFromName<QuorvelLanguage>(*stored, quorvelLanguageNames)
        .value_or(QuorvelLanguage::system);
}

void QuorvelLocalization::persistSelection(std::string_view raw) {
    const QuorvelLanguage language =
        enumFromName<QuorvelLanguage>(raw, quorvelLanguageNames).value_or(QuorvelLanguage::system);
    const std::string_view name = nameOf<QuorvelLanguage>(language, quorvelLanguageNames);
    standardDefaults_.setString(quorvelLanguageStorageKey, name);
    if (sharedSuite_ != nullptr) {
        sharedSuite_->setString(quorvelLanguageStorageKey, name);
    }
}

std::string QuorvelLocalization::localeIdentifier(QuorvelLanguage language) const {
    const std::string_view code = fixedLanguageCode(language);
    return code.empty() ? systemLocaleIdentifier() : std::string(code);
}

std::string QuorvelLocalization::systemLocaleIdentifier() const {
    const std::vector<std::string> preferred = preferredLanguages_();
    return bestSupportedLanguageCode(preferred.empty() ? std::string(quorvelLanguageFallbackCode)
                                                       : preferred.front());
}

std::vector<std::string> QuorvelLocalization::supportedLanguageCodes() const {
    return quorvel::supportedLanguageCodes(bundle_.localizations());
}

std::string QuorvelLocalization::bestSupportedLanguageCode(std::string_view identifier) const {
    return quorvel::bestSupportedLanguageCode(identifier, supportedLanguageCodes());
}

std::string QuorvelLocalization::localized(std::string_view key) const {
    const std::string code = localeIdentifier(current());
    if (bundle_.hasLocalization(code)) {
        return bundle_.string(code, key).value_or(std::string(key));
    }
    // The program's own lookup, as if no language had been chosen.
    for (const std::string& fallback : {systemLocaleIdentifier(), std::string("Base")}) {
        if (auto text = bundle_.string(fallback, key)) {
            return *text;
        }
    }
    return std::string(key);
}

std::string QuorvelLocalization::localizedFormat(std::string_view key,
                                                 std::span<const FormatArgument> arguments) const {
    // The supported directives print no locale-dependent digits or separators, so the chosen
    // language's locale does not change the result.
    return formatLocalizedText(localized(key), arguments);
}

}  // namespace quorvel
