#include "QuorvelShared/unlockstate/allow_window_event_stream_state.hpp"

#include <algorithm>
#include <string>

#include "QuorvelShared/support/text.hpp"

namespace quorvel {
namespace {

// Ids compare as the peer compares text: by the code points of their NFC form, which is the byte
// order of that form in UTF-8. `summaries` come in byte order of the ids, which the stable sort
// keeps for ids of one canonical form.
void sortByCanonicalId(std::vector<AllowWindowSummary>& summaries) {
    std::vector<std::pair<std::string, AllowWindowSummary>> keyed;
    keyed.reserve(summaries.size());
    for (auto& summary : summaries) {
        keyed.emplace_back(nfcNormalized(summary.targetId), std::move(summary));
    }
    std::stable_sort(keyed.begin(), keyed.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    summaries.clear();
    for (auto& entry : keyed) {
        summaries.push_back(std::move(entry.second));
    }
}

}  // namespace

std::optional<std::vector<AllowWindowSummary>> AllowWindowEventStreamState::consume(
    const AllowWindowMap& allows) {
    if (lastAllows == allows) {
        return std::nullopt;
    }
    lastAllows = allows;
    std::vector<AllowWindowSummary> summaries;
    summaries.reserve(allows.size());
    for (const auto& [targetId, allowUntil] : allows) {
        summaries.push_back({targetId, allowUntil});
    }
    sortByCanonicalId(summaries);
    return summaries;
}

}  // namespace quorvel
