#include "QuorvelShared/support/preferences.hpp"

#include "QuorvelShared/support/file_lock.hpp"
#include "QuorvelShared/support/files.hpp"
#include "QuorvelShared/support/json_reader.hpp"
#include "QuorvelShared/support/json_writer.hpp"
#include "QuorvelShared/support/xdg_paths.hpp"

namespace quorvel {
namespace {

Json decodedOrEmpty(const std::optional<std::string>& contents) {
    if (!contents) {
        return Json::object();
    }
    try {
        Json value = json::parse(*contents);
        return value.is_object() ? value : Json::object();
    } catch (const json::DecodeError&) {
        return Json::object();
    }
}

Json readDomain(const std::filesystem::path& file) {
    try {
        return decodedOrEmpty(files::readIfPresent(file));
    } catch (const std::system_error&) {
        return Json::object();
    }
}

// The folder of the domain files and "Quorvel" above it are the programs' own, unlike the
// config home that holds them.
void makeDomainFolder(const std::filesystem::path& folder) {
    files::createDirectories(folder);
    files::keepFolderPrivate(folder.parent_path());
    files::keepFolderPrivate(folder);
}

void change(const std::filesystem::path& file, std::string_view key, Json value) {
    makeDomainFolder(file.parent_path());
    files::withCoordinatedFile(file, [&] {
        Json domain = decodedOrEmpty(files::readIfPresent(file));
        domain[std::string(key)] = std::move(value);
        files::writeAtomically(file, json::write(domain, json::Style::prettySorted));
    });
}

}  // namespace

JsonFilePreferences::JsonFilePreferences(std::string domain) : domain_(std::move(domain)) {}

std::filesystem::path JsonFilePreferences::fileLocation() const {
    return paths::configHome() / "Quorvel" / "defaults" / (domain_ + ".json");
}

std::optional<std::string> JsonFilePreferences::string(std::string_view key) const {
    const Json domain = readDomain(fileLocation());
    const auto it = domain.find(key);
    if (it == domain.end() || !it->is_string()) {
        return std::nullopt;
    }
    return it->get<std::string>();
}

std::optional<bool> JsonFilePreferences::boolean(std::string_view key) const {
    const Json domain = readDomain(fileLocation());
    const auto it = domain.find(key);
    if (it == domain.end() || !it->is_boolean()) {
        return std::nullopt;
    }
    return it->get<bool>();
}

void JsonFilePreferences::setString(std::string_view key, std::string_view value) {
    change(fileLocation(), key, Json(std::string(value)));
}

void JsonFilePreferences::setBoolean(std::string_view key, bool value) {
    change(fileLocation(), key, Json(value));
}

}  // namespace quorvel
