#include "QuorvelMac/model/native_messaging_registrar.hpp"

#include <unistd.h>

#include <algorithm>

#include "QuorvelShared/support/files.hpp"
#include "QuorvelShared/support/json_writer.hpp"
#include "QuorvelShared/support/text.hpp"
#include "QuorvelShared/support/typed_error.hpp"
#include "QuorvelShared/support/xdg_paths.hpp"

namespace quorvel::NativeMessagingRegistrar {

namespace {

bool isExtensionId(const std::string& id) {
    return id.size() == 32 &&
           std::all_of(id.begin(), id.end(), [](char c) { return c >= 'a' && c <= 'p'; });
}

std::vector<std::string> checkedIds(const std::vector<std::string>& extensionIds) {
    std::vector<std::string> ids;
    for (const auto& raw : extensionIds) {
        std::string id = trimWhitespaceAndNewlines(raw);
        if (std::find(ids.begin(), ids.end(), id) == ids.end())
            ids.push_back(std::move(id));
    }
    if (ids.empty() || !std::all_of(ids.begin(), ids.end(), isExtensionId))
        throw Error<NativeMessagingRegistrarError>(
            NativeMessagingRegistrarError::invalidExtensionId, invalidExtensionIdText);
    return ids;
}

// The project's writer escapes every "/" as "\/"; the browser reads either, but the manifest is
// for people too, so the escapes of slashes are undone (only real escapes, never "\\/").
std::string unescapingSlashes(const std::string& text) {
    std::string result;
    result.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\\' && i + 1 < text.size()) {
            if (text[i + 1] != '/')
                result += text[i];
            result += text[++i];
            continue;
        }
        result += text[i];
    }
    return result;
}

}  // namespace

std::vector<std::filesystem::path> defaultManifestFiles() {
    const std::string file = std::string(hostName) + ".json";
    return {paths::configHome() / "google-chrome" / "NativeMessagingHosts" / file,
            paths::configHome() / "chromium" / "NativeMessagingHosts" / file};
}

std::string defaultHostBinaryPath() {
    std::error_code error;
    const auto self = std::filesystem::read_symlink("/proc/self/exe", error);
    return (error ? std::filesystem::path("QuorvelNativeHost")
                  : self.parent_path() / "QuorvelNativeHost")
        .string();
}

std::string manifestText(const std::vector<std::string>& extensionIds,
                         const std::string& hostBinaryPath) {
    Json origins = Json::array();
    for (const auto& id : checkedIds(extensionIds))
        origins.push_back("chrome-extension://" + id + "/");
    Json manifest = Json::object();
    manifest["name"] = hostName;
    manifest["description"] = "Pellorim native messaging host";
    manifest["path"] = hostBinaryPath;
    manifest["type"] = "stdio";
    manifest["allowed_origins"] = origins;
    return unescapingSlashes(json::write(manifest, json::Style::prettySorted));
}

void installManifest(const std::vector<std::string>& extensionIds,
                     const std::string& hostBinaryPath,
                     const std::vector<std::filesystem::path>& manifestFiles) {
    const std::string text = manifestText(
        extensionIds, hostBinaryPath.empty() ? defaultHostBinaryPath() : hostBinaryPath);
    for (const auto& file : manifestFiles) {
        std::filesystem::create_directories(file.parent_path());
        files::writeAtomically(file, text);
    }
}

}  // namespace quorvel::NativeMessagingRegistrar
