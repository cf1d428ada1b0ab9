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

std::vector<ChromeProfileConnection> decode(const std::string& text) {
    auto connections = json::readArray(json::parse(text), "", chromeProfileConnectionFromJson);
    sortLatestFirst(connections);
    return connections;
}

// `stored` is the text the caller read from `file`, if there was a file. The host records on
// every message and every stream pass, and a stored date keeps only whole seconds, so most
// recordings encode to the very bytes already there: those leave the file alone instead of
// paying for a synced replacement that would change nothing a reader can see.
void save(const std::filesystem::path& file,
          const std::vector<ChromeProfileConnection>& connections,
          const std::optional<std::string>& stored) {
    files::createDirectories(file.parent_path());
    const std::string encoded = json::write(json::arrayOf(connections), json::Style::prettySorted);
    if (stored && *stored == encoded) {
        return;
    }
    files::writeAtomically(file, encoded);
}

}  // namespace

std::filesystem::path filePath() {
    return paths::sharedStateFile("chrome-profile-connections.json");
}

std::vector<ChromeProfileConnection> load() {
    const auto text = files::readIfPresent(filePath());
    if (!text) {
        return {};
    }
    return decode(*text);
}

void recordConnected(const std::string& profileId, const std::optional<std::string>& displayName,
                     Date now) {
    const std::string id = trimWhitespaceAndNewlines(profileId);
    if (id.empty()) {
        return;
    }
    // One path for the read and the write: working it out makes the shared folder again.
    const std::filesystem::path file = filePath();
    const auto stored = files::readIfPresent(file);
    auto connections = stored ? decode(*stored) : std::vector<ChromeProfileConnection>{};
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
    save(file, connections, stored);
}

}  // namespace quorvel::ChromeProfileConnectionStore
