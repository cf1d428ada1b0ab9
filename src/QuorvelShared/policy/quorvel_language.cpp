#include "QuorvelShared/policy/quorvel_language.hpp"

#include <algorithm>
#include <iterator>

#include "QuorvelShared/support/text.hpp"

namespace quorvel {
namespace {

struct LanguageTraits {
    QuorvelLanguage language;
    std::string_view code;
    std::string_view titleKey;
};

constexpr LanguageTraits traitsTable[] = {
    {QuorvelLanguage::system, "", "iOSの言語を使う"},
    {QuorvelLanguage::japanese, "ja", "日本語"},
    {QuorvelLanguage::english, "en", "English"},
    {QuorvelLanguage::spanish, "es", "Español"},
    {QuorvelLanguage::french, "fr", "Français"},
    {QuorvelLanguage::german, "de", "Deutsch"},
    {QuorvelLanguage::korean, "ko", "한국어"},
    {QuorvelLanguage::portuguese, "pt", "Português"},
    {QuorvelLanguage::indonesian, "id", "Bahasa Indonesia"},
    {QuorvelLanguage::simplifiedChinese, "zh-Hans", "简体中文"},
    {QuorvelLanguage::traditionalChinese, "zh-Hant", "繁體中文"},
};

const LanguageTraits* traitsOf(QuorvelLanguage language) {
    for (const auto& traits : traitsTable) {
        if (traits.language == language) {
            return &traits;
        }
    }
    return nullptr;
}

std::vector<std::string> splitAtHyphens(std::string_view text) {
    std::vector<std::string> parts;
    std::size_t start = 0;
    while (start <= text.size()) {
        const std::size_t end = std::min(text.find('-', start), text.size());
        if (end > start) {
            parts.emplace_back(text.substr(start, end - start));
        }
        start = end + 1;
    }
    return parts;
}

bool containsAny(const std::vector<std::string>& parts,
                 std::initializer_list<std::string_view> wanted) {
    return std::any_of(parts.begin(), parts.end(), [&](const std::string& part) {
        return std::find(wanted.begin(), wanted.end(), part) != wanted.end();
    });
}

void addOnce(std::vector<std::string>& list, std::string value) {
    if (!value.empty() && std::find(list.begin(), list.end(), value) == list.end()) {
        list.push_back(std::move(value));
    }
}

}  // namespace

std::string_view fixedLanguageCode(QuorvelLanguage language) {
    const LanguageTraits* traits = traitsOf(language);
    return traits ? traits->code : std::string_view();
}

std::string_view titleLocalizationKey(QuorvelLanguage language) {
    const LanguageTraits* traits = traitsOf(language);
    return traits ? traits->titleKey : std::string_view();
}

std::string normalizedLanguageIdentifier(std::string_view identifier) {
    std::string normalized = asciiLowercased(identifier);
    std::replace(normalized.begin(), normalized.end(), '_', '-');
    return normalized;
}

std::vector<std::string> candidateLanguageIdentifiers(std::string_view identifier) {
    const std::string normalized = normalizedLanguageIdentifier(identifier);
    const std::vector<std::string> parts = splitAtHyphens(normalized);
    std::vector<std::string> candidates;
    addOnce(candidates, normalized);
    if (!parts.empty() && parts.front() == "zh") {
        if (containsAny(parts, {"hant", "tw", "hk", "mo"})) {
            addOnce(candidates, "zh-hant");
        } else if (containsAny(parts, {"hans", "cn", "sg", "my"})) {
            addOnce(candidates, "zh-hans");
        }
    }
    addOnce(candidates, parts.empty() ? std::string() : parts.front());
    return candidates;
}

std::vector<std::string> supportedLanguageCodes(const std::vector<std::string>& localizations) {
    std::vector<std::string> shipped;
    for (const auto& name : localizations) {
        if (!name.empty() && normalizedLanguageIdentifier(name) != "base") {
            shipped.push_back(name);
        }
    }
    const auto sameLanguage = [](std::string_view a, std::string_view b) {
        return normalizedLanguageIdentifier(a) == normalizedLanguageIdentifier(b);
    };
    std::vector<std::string> supported;
    for (const auto& traits : traitsTable) {
        const bool isShipped = std::any_of(shipped.begin(), shipped.end(), [&](const auto& name) {
            return sameLanguage(name, traits.code);
        });
        if (!traits.code.empty() && isShipped) {
            supported.emplace_back(traits.code);
        }
    }
    for (const auto& name : shipped) {
        const bool isFixed =
            std::any_of(std::begin(traitsTable), std::end(traitsTable), [&](const auto& traits) {
                return !traits.code.empty() && sameLanguage(name, traits.code);
            });
        if (!isFixed) {
            supported.push_back(name);
        }
    }
    if (supported.empty()) {
        supported.emplace_back(quorvelLanguageFallbackCode);
    }
    return supported;
}

std::string bestSupportedLanguageCode(std::string_view identifier,
                                      const std::vector<std::string>& supportedCodes) {
    for (const auto& candidate : candidateLanguageIdentifiers(identifier)) {
        for (const auto& code : supportedCodes) {
            if (normalizedLanguageIdentifier(code) == candidate) {
                return code;
            }
        }
    }
    return supportedCodes.empty() ? std::string(quorvelLanguageFallbackCode)
                                  : supportedCodes.front();
}

}  // namespace quorvel
