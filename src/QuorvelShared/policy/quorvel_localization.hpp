#pragma once

// The language choice at work: where it is stored, which language "system" means for this user,
// and the lookup of source texts in the chosen language's table. Nothing is remembered between
// calls, so a choice changed by the other program takes effect at the next lookup.
#include <functional>
#include <initializer_list>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "QuorvelShared/policy/localization_bundle.hpp"
#include "QuorvelShared/policy/localized_format.hpp"
#include "QuorvelShared/policy/preferred_languages.hpp"
#include "QuorvelShared/policy/quorvel_language.hpp"
#include "QuorvelShared/support/preferences.hpp"

namespace quorvel {

class QuorvelLocalization {
public:
    using PreferredLanguages = std::function<std::vector<std::string>()>;

    // `sharedSuite` is null when the application-group suite cannot be opened. Both preferences
    // objects must outlive this one.
    QuorvelLocalization(
        Preferences& standardDefaults, Preferences* sharedSuite, LocalizationBundle bundle,
        PreferredLanguages preferredLanguages = [] { return preferredLanguagesFromEnvironment(); });

    // The stored choice: the program's own defaults first, then the suite; `system` when neither
    // holds one or the stored text names no case.
    QuorvelLanguage current() const;
    // Stores the choice named `raw` (or `system`) in the program's defaults and in the suite.
    void persistSelection(std::string_view raw);

    // The language's code; for `system` the best supported code for the user's first preferred
    // language.
    std::string localeIdentifier(QuorvelLanguage language) const;
    // The same code under the name the language settings screen uses.
    std::string languageCode(QuorvelLanguage language) const { return localeIdentifier(language); }
    std::string systemLocaleIdentifier() const;
    std::vector<std::string> supportedLanguageCodes() const;
    std::string bestSupportedLanguageCode(std::string_view identifier) const;

    // The text of `key` in the chosen language's table. Without a table for that language, the
    // table the user's own preferred languages select (then "Base") answers. A key that no
    // table answers for is returned itself: the keys are the Japanese source texts.
    std::string localized(std::string_view key) const;
    std::string localizedFormat(std::string_view key,
                                std::span<const FormatArgument> arguments) const;

    const LocalizationBundle& bundle() const { return bundle_; }

private:
    Preferences& standardDefaults_;
    Preferences* sharedSuite_;
    LocalizationBundle bundle_;
    PreferredLanguages preferredLanguages_;
};

inline std::string quorvelLocalized(const QuorvelLocalization& localization, std::string_view key) {
    return localization.localized(key);
}

inline std::string quorvelLocalizedFormat(const QuorvelLocalization& localization,
                                          std::string_view key,
                                          std::initializer_list<FormatArgument> arguments) {
    return localization.localizedFormat(key, std::span(arguments.begin(), arguments.size()));
}

}  // namespace quorvel
