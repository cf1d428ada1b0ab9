#pragma once

// The string tables the program ships: a resources folder with one folder per localisation,
// named "<code>.lproj" ("ja.lproj", "Base.lproj"), each holding the table "Localizable.json", a
// JSON object from source text to translated text. Tables are read on every lookup, so nothing
// goes stale and nothing is held.
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quorvel {

class LocalizationBundle {
public:
    // An empty path is a bundle without tables (never the working directory).
    explicit LocalizationBundle(std::filesystem::path resourcesFolder);

    // The tables installed beside the running program: "share/quorvel/localizations" in the
    // parent of the executable's folder. When the executable cannot be found, a bundle without
    // tables.
    static LocalizationBundle installed();

    const std::filesystem::path& resourcesFolder() const { return resourcesFolder_; }

    // The names of the localisation folders without ".lproj", sorted; none when the resources
    // folder is missing or unreadable.
    std::vector<std::string> localizations() const;

    bool hasLocalization(std::string_view name) const;

    // The text for `key` in the localisation's table; no value when the table or the entry is
    // missing, the entry is empty or not a string, or the table does not decode (a damaged
    // resource falls back to the source text rather than failing the interface).
    std::optional<std::string> string(std::string_view localization, std::string_view key) const;

private:
    std::filesystem::path resourcesFolder_;
};

}  // namespace quorvel
