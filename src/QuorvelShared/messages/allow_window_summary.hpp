#pragma once

// One open allow window as the browser extension sees it.
#include <string>

#include "QuorvelShared/support/date.hpp"
#include "QuorvelShared/support/json.hpp"

namespace quorvel {

struct AllowWindowSummary {
    std::string targetId;
    Date allowUntil;

    friend bool operator==(const AllowWindowSummary&, const AllowWindowSummary&) = default;
};

Json toJson(const AllowWindowSummary& summary);
AllowWindowSummary allowWindowSummaryFromJson(const Json& value, const std::string& path);

}  // namespace quorvel
