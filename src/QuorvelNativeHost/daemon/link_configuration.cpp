#include "QuorvelNativeHost/daemon/link_configuration.hpp"

#include "QuorvelPlatform/logging/failure_report.hpp"
#include "QuorvelPlatform/logging/log_categories.hpp"
#include "QuorvelShared/bridge/mac_link_configuration_store.hpp"

namespace quorvel::daemon {

std::optional<MacLinkConfiguration> loadLinkConfiguration() {
    static RepeatedFailure failure;
    return loadReportingFailure(lcDaemon, failure, "reading the link configuration",
                                MacLinkConfigurationStore::filePath,
                                MacLinkConfigurationStore::load);
}

std::optional<std::string> configuredMacDeviceId() {
    if (const auto configuration = loadLinkConfiguration())
        return configuration->macDeviceId;
    return std::nullopt;
}

}  // namespace quorvel::daemon
