#pragma once

#include "QuorvelShared/unlockstate/synced_target_list.hpp"

namespace quorvel::testing {

// A list with one linked and one stand-alone web target and every optional field present.
inline SyncedTargetList sampleSyncedList(std::int64_t version) {
    DefaultLockPolicy strict;
    strict.lockMode = LockMode::always;
    strict.durationOptions = {600, 1800};
    strict.warningBeforeEndSeconds = 120;
    return {
        .version = version,
        .generatedAt = Date::fromUnixSeconds(1714557600),
        .webTargets =
            {
                {"link:ios-app-1#example.com", "example.com", "Example", true, "ios-app-1", strict},
                {"web:news.example.org/", "news.example.org", "News", false, std::nullopt, {}},
            },
        .settingsRelaxationProtection = SettingsRelaxationProtectionConfiguration::make(true, 20),
        .macAppUnlockPolicy = strict,
        .macAppUsesDefaultMissions = false,
    };
}

}  // namespace quorvel::testing
