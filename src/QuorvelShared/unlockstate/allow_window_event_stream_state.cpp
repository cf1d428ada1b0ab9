#include "QuorvelShared/unlockstate/allow_window_event_stream_state.hpp"

namespace quorvel {

std::optional<std::vector<AllowWindowSummary>> AllowWindowEventStreamState::consume(
    const AllowWindowMap& allows) {
    if (lastAllows == allows) {
        return std::nullopt;
    }
    lastAllows = allows;
    // The map is ordered by the ids' UTF-8 bytes, which is the order of their code points.
    std::vector<AllowWindowSummary> summaries;
    summaries.reserve(allows.size());
    for (const auto& [targetId, allowUntil] : allows) {
        summaries.push_back({targetId, allowUntil});
    }
    return summaries;
}

}  // namespace quorvel
