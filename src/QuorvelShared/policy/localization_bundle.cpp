#include "QuorvelShared/policy/localization_bundle.hpp"

#include <algorithm>
#include <system_error>

#include "QuorvelShared/support/files.hpp"
#include "QuorvelShared/support/json_reader.hpp"

namespace quorvel {
namespace {

constexpr std::string_view folderSuffix = ".lproj";
constexpr std::string_view tableName = "Localizable.json";

}  // namespace

LocalizationBundle::LocalizationBundle(std::filesystem::path resourcesFolder)
    : resourcesFolder_(std::move(resourcesFolder)) {}

LocalizationBundle LocalizationBundle::installed() {
    std::error_code error;
    const std::filesystem::path executable = std::filesystem::read_symlink("/proc/self/exe", error);
    const std::filesystem::path programFolder =
        error ? std::filesystem::path() : executable.parent_path();
    return LocalizationBundle(
        (programFolder / ".." / "share" / "quorvel" / "localizations").lexically_normal());
}

std::vector<std::string> LocalizationBundle::localizations() const {
    std::vector<std::string> names;
    if (resourcesFolder_.empty()) {
        return names;
    }
    std::error_code error;
    for (std::filesystem::directory_iterator it(resourcesFolder_, error), end; !error && it != end;
         it.increment(error)) {
        const std::string name = it->path().filename().string();
        if (name.size() > folderSuffix.size() && name.ends_with(folderSuffix) &&
            it->is_directory(error)) {
            names.push_back(name.substr(0, name.size() - folderSuffix.size()));
        }
    }
    std::sort(names.begin(), names.end());
    return names;
}

bool LocalizationBundle::hasLocalization(std::string_view name) const {
    std::error_code error;
    return !name.empty() && !resourcesFolder_.empty() &&
           std::filesystem::is_directory(
               resourcesFolder_ / (std::string(name) + std::string(folderSuffix)), error);
}

std::optional<std::string> LocalizationBundle::string(std::string_view localization,
                                                      std::string_view key) const {
    if (!hasLocalization(localization)) {
        return std::nullopt;
    }
    const auto path =
        resourcesFolder_ / (std::string(localization) + std::string(folderSuffix)) / tableName;
    try {
        const auto contents = files::readIfPresent(path);
        if (!contents) {
            return std::nullopt;
        }
        const Json table = json::parse(*contents);
        const auto entry = table.is_object() ? table.find(key) : table.end();
        if (entry == table.end() || !entry->is_string() ||
            entry->get_ref<const std::string&>().empty()) {
            return std::nullopt;
        }
        return entry->get<std::string>();
    } catch (const json::DecodeError&) {
        return std::nullopt;
    } catch (const std::system_error&) {
        return std::nullopt;
    }
}

}  // namespace quorvel
