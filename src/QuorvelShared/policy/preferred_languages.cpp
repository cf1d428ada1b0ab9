#include "QuorvelShared/policy/preferred_languages.hpp"

#include <algorithm>
#include <cstdlib>

namespace quorvel {
namespace {

std::optional<std::string> languageOfLocale(std::string_view locale) {
    const std::string_view name = locale.substr(0, locale.find_first_of(".@"));
    if (name.empty() || name == "C" || name == "POSIX") {
        return std::nullopt;
    }
    return std::string(name);
}

void addOnce(std::vector<std::string>& list, std::optional<std::string> language) {
    if (language && std::find(list.begin(), list.end(), *language) == list.end()) {
        list.push_back(*std::move(language));
    }
}

}  // namespace

std::optional<std::string> processEnvironmentVariable(std::string_view name) {
    const char* value = std::getenv(std::string(name).c_str());
    if (value == nullptr) {
        return std::nullopt;
    }
    return std::string(value);
}

std::vector<std::string> preferredLanguagesFromEnvironment(const EnvironmentLookup& lookup) {
    std::vector<std::string> languages;
    if (const auto list = lookup("LANGUAGE")) {
        std::size_t start = 0;
        while (start <= list->size()) {
            const std::size_t end = std::min(list->find(':', start), list->size());
            addOnce(languages,
                    languageOfLocale(std::string_view(*list).substr(start, end - start)));
            start = end + 1;
        }
    }
    for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        if (const auto locale = lookup(name); locale && !locale->empty()) {
            addOnce(languages, languageOfLocale(*locale));
            break;
        }
    }
    return languages;
}

}  // namespace quorvel
