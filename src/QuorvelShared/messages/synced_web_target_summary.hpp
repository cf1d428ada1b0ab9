#pragma once

// One synced web target as the browser extension sees it.
#include <cstdint>
#include <optional>
#include <string>

#include "QuorvelShared/support/json.hpp"

namespace quorvel {

struct SyncedWebTargetSummary {
    std::string id;
    std::string domain;
    std::string displayName;
    bool enabled = false;
    std::optional<std::string> linkedTargetId;
    std::optional<std::int64_t> warningBeforeEndSeconds;

    friend bool operator==(const SyncedWebTargetSummary&, const SyncedWebTargetSummary&) = default;
};

Json toJson(const SyncedWebTargetSummary& summary);
SyncedWebTargetSummary syncedWebTargetSummaryFromJson(const Json& value, const std::string& path);

}  // namespace quorvel
