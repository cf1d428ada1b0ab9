#pragma once

// Whether an edit that loosens the lock settings must first be confirmed by typing a random
// code, and how long that code is. The iPhone can also send it inside the synced target list.
#include <cstdint>
#include <string>

#include "QuorvelShared/support/json.hpp"

namespace quorvel {

struct SettingsRelaxationProtectionConfiguration {
    static constexpr std::int64_t minimumCodeLength = 16;
    static constexpr std::int64_t maximumCodeLength = 50;

    bool isEnabled = false;
    std::int64_t codeLength = minimumCodeLength;

    // Clamps the code length to minimumCodeLength...maximumCodeLength. The reader does not: a
    // stored length is taken as it stands.
    static SettingsRelaxationProtectionConfiguration make(bool isEnabled, std::int64_t codeLength);

    friend bool operator==(const SettingsRelaxationProtectionConfiguration&,
                           const SettingsRelaxationProtectionConfiguration&) = default;
};

// "isEnabled" and "codeLength", both written and both required.
Json toJson(const SettingsRelaxationProtectionConfiguration& configuration);
SettingsRelaxationProtectionConfiguration settingsRelaxationProtectionConfigurationFromJson(
    const Json& value, const std::string& path);

}  // namespace quorvel
