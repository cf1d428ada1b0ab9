#include "QuorvelShared/policy/settings_relaxation_protection_configuration.hpp"

#include <algorithm>

#include "QuorvelShared/support/json_reader.hpp"

namespace quorvel {

SettingsRelaxationProtectionConfiguration SettingsRelaxationProtectionConfiguration::make(
    bool isEnabled, std::int64_t codeLength) {
    return {isEnabled, std::clamp(codeLength, minimumCodeLength, maximumCodeLength)};
}

Json toJson(const SettingsRelaxationProtectionConfiguration& configuration) {
    Json value = Json::object();
    value["isEnabled"] = configuration.isEnabled;
    value["codeLength"] = configuration.codeLength;
    return value;
}

SettingsRelaxationProtectionConfiguration settingsRelaxationProtectionConfigurationFromJson(
    const Json& value, const std::string& path) {
    const json::ObjectReader object(value, path);
    return {object.boolean("isEnabled"), object.int64("codeLength")};
}

}  // namespace quorvel
