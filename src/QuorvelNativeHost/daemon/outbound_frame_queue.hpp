#pragma once

// Frames waiting for the transmit queue, oldest first, each tagged with the request id of the
// message it belongs to so that a finished request's leftover frames can be dropped.
#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "QuorvelShared/support/bytes.hpp"

namespace quorvel::daemon {

struct BLELocalOutboundFrameQueue {
    struct Entry {
        std::optional<std::string> requestId;
        Bytes data;

        friend bool operator==(const Entry&, const Entry&) = default;
    };

    std::deque<Entry> entries;

    void append(std::vector<Bytes> frames, const std::optional<std::string>& requestId) {
        for (auto& frame : frames)
            entries.push_back({requestId, std::move(frame)});
    }
    void removeRequest(const std::string& requestId) {
        std::erase_if(entries, [&](const Entry& entry) { return entry.requestId == requestId; });
    }

    friend bool operator==(const BLELocalOutboundFrameQueue&,
                           const BLELocalOutboundFrameQueue&) = default;
};

}  // namespace quorvel::daemon
