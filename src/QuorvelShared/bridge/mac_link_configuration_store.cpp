#include "QuorvelShared/bridge/mac_link_configuration_store.hpp"

#include "QuorvelShared/support/files.hpp"
#include "QuorvelShared/support/json_reader.hpp"
#include "QuorvelShared/support/json_writer.hpp"
#include "QuorvelShared/support/xdg_paths.hpp"

namespace quorvel::MacLinkConfigurationStore {

std::filesystem::path applicationSupportDirectory() {
    return paths::sharedStateFolder();
}

std::filesystem::path filePath() {
    return applicationSupportDirectory() / "native-host-config.json";
}

std::optional<MacLinkConfiguration> load() {
    const auto text = files::readIfPresent(filePath());
    if (!text) {
        return std::nullopt;
    }
    return macLinkConfigurationFromJson(json::parse(*text), "");
}

void save(const MacLinkConfiguration& configuration) {
    const std::string bytes = json::write(toJson(configuration), json::Style::prettySorted);
    files::writeAtomically(filePath(), bytes);
}

void clear() {
    files::removeIfPresent(filePath());
}

}  // namespace quorvel::MacLinkConfigurationStore
