#pragma once

// Turns the allow-window map, polled while the browser extension is subscribed to events, into
// an allow-state update only when the map changed since the last report.
#include <optional>
#include <vector>

#include "QuorvelShared/messages/allow_window_summary.hpp"
#include "QuorvelShared/unlockstate/allow_window_state_store.hpp"

namespace quorvel {

struct AllowWindowEventStreamState {
    // The map last reported; absent until the first report.
    std::optional<AllowWindowMap> lastAllows;

    // No value when `allows` equals the map last reported. Otherwise remembers it and returns one
    // summary per window, ascending by the code points of the target ids' NFC form (an empty list
    // for an empty map); the first call always reports.
    std::optional<std::vector<AllowWindowSummary>> consume(const AllowWindowMap& allows);

    friend bool operator==(const AllowWindowEventStreamState&,
                           const AllowWindowEventStreamState&) = default;
};

}  // namespace quorvel
