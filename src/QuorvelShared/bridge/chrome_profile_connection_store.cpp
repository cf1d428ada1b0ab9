#include "QuorvelShared/bridge/chrome_profile_connection_store.hpp"

#include <algorithm>

#include "QuorvelShared/support/files.hpp"
#include "QuorvelShared/support/json_reader.hpp"
#include "QuorvelShared/support/json_writer.hpp"
#include "QuorvelShared/support/text.hpp"
#include "QuorvelShared/support/xdg_paths.hpp"

namespace quorvel::ChromeProfileConnectionStore {
namespace {

void sortLatestFirst(std::vector<ChromeProfileConnection>& connections) {
    std::stable_sort(connections.begin(), connections.end(),
                     [](const ChromeProfileConnection& a, const ChromeProfileConnection& b) {
                         return a.lastSeenAt > b.lastSeenAt;
                     });
}

void save(const std::vector<ChromeProfileConnection>& connections) {
    const std::filesystem::path file = fileURL();
    files::createDirectories(file.parent_path());
    Json value = json::arrayOf(connections);
    files::writeAtomically(file, json::write(value, json::Style::prettySorted));
}

}  // namespace

std::filesystem::path fileURL() {
    return paths::sharedStateFile("chrome-profile-connections.json");
}

std::vector<ChromeProfileConnection> load() {
    const auto text = files::readIfPresent(fileURL());
    if (!text) {
        return {};
    }
    auto connections = json::readArray(json::parse(*text), "", chromeProfileConnectionFromJson);
    sortLatestFirst(connections);
    return connections;
}

void recordConnected(const std::string& profileId, const std::optional<std::string>& displayName,
                     Date now) {
    const std::string id = trimWhitespaceAndNewlines(profileId);
    if (id.empty()) {
        return;
    }
    auto connections = load();
    std::string name = displayName ? trimWhitespaceAndNewlines(*displayName) : std::string();
    if (name.empty()) {
        name = id;
    }
    const auto found =
        std::find_if(connections.begin(), connections.end(),
                     [&](const ChromeProfileConnection& c) { return c.profileId == id; });
    if (found != connections.end()) {
        found->displayName = name;
        found->lastSeenAt = now;
    } else {
        connections.push_back(ChromeProfileConnection{id, name, now});
    }
    sortLatestFirst(connections);
    save(connections);
}

}  // namespace quorvel::ChromeProfileConnectionStore
