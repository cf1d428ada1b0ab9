#pragma once

// The counts of blocked opens of web targets that ride to the iPhone with the next unlock
// request: one target's tally for one local day, and a frozen set of such tallies. Counting,
// freezing and the state file belong to the remote-open store; these records only hold the
// values and keep the hour buckets in shape.
#include <cstdint>
#include <string>
#include <vector>

#include "QuorvelShared/support/date.hpp"
#include "QuorvelShared/support/json.hpp"

namespace quorvel {

struct RemoteOpenDailyCount {
    std::string targetId;
    // The local calendar day as "yyyy-MM-dd".
    std::string dateKey;
    // Stored as given; it need not equal the sum of the hour buckets.
    std::int64_t count = 0;
    // Entry h counts the opens in the hour starting at h:00. make() keeps exactly 24 entries,
    // none negative; a decoded or assigned list is kept as it is.
    std::vector<std::int64_t> hourlyCounts;
    Date lastImpressionAt;

    // The constructor of the peer's record: normalises the hour buckets, stores the rest.
    static RemoteOpenDailyCount make(std::string targetId, std::string dateKey, std::int64_t count,
                                     const std::vector<std::int64_t>& hourlyCounts,
                                     Date lastImpressionAt);

    // targetId + "#" + dateKey, joined as they stand.
    std::string id() const { return targetId + "#" + dateKey; }

    friend bool operator==(const RemoteOpenDailyCount&, const RemoteOpenDailyCount&) = default;
};

struct RemoteOpenEventBatch {
    // The text of a fresh UUID when the store freezes a batch.
    std::string id;
    Date createdAt;
    std::vector<RemoteOpenDailyCount> entries;

    friend bool operator==(const RemoteOpenEventBatch&, const RemoteOpenEventBatch&) = default;
};

// Keys equal the field names, all required; dates as ISO text.
Json toJson(const RemoteOpenDailyCount& count);
RemoteOpenDailyCount remoteOpenDailyCountFromJson(const Json& value, const std::string& path);
Json toJson(const RemoteOpenEventBatch& batch);
RemoteOpenEventBatch remoteOpenEventBatchFromJson(const Json& value, const std::string& path);

}  // namespace quorvel
