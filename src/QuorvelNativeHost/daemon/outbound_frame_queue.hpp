#pragma once

// Frames waiting for the transmit queue, oldest first, each tagged with the request id of the
// message it belongs to so that a finished request's leftover frames can be dropped.
//
// The queue holds the frames of at most `maximumMessages` messages: a phone that stops taking
// notifications must not make the daemon's memory grow without end. Appending beyond that drops
// the oldest message's frames (the delivery recovery and the next subscription re-send what
// still matters).
#include <cstddef>
#include <cstdint>
#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "QuorvelShared/support/bytes.hpp"

namespace quorvel::daemon {

struct BLELocalOutboundFrameQueue {
    static constexpr std::size_t maximumMessages = 64;

    struct Entry {
        std::optional<std::string> requestId;
        Bytes data;
        // Which append the frame came with: the frames of one message share it.
        std::uint64_t message = 0;

        friend bool operator==(const Entry&, const Entry&) = default;
    };

    std::deque<Entry> entries;
    std::uint64_t lastMessage = 0;

    void append(std::vector<Bytes> frames, const std::optional<std::string>& requestId) {
        if (frames.empty())
            return;
        ++lastMessage;
        for (auto& frame : frames)
            entries.push_back({requestId, std::move(frame), lastMessage});
        while (messageCount() > maximumMessages) {
            const std::uint64_t oldest = entries.front().message;
            while (!entries.empty() && entries.front().message == oldest)
                entries.pop_front();
        }
    }
    void removeRequest(const std::string& requestId) {
        std::erase_if(entries, [&](const Entry& entry) { return entry.requestId == requestId; });
    }
    // Frames stay in the order they were appended, so each message is one run of entries.
    std::size_t messageCount() const {
        std::size_t count = 0;
        for (std::size_t i = 0; i < entries.size(); ++i) {
            if (i == 0 || entries[i].message != entries[i - 1].message)
                ++count;
        }
        return count;
    }

    friend bool operator==(const BLELocalOutboundFrameQueue&,
                           const BLELocalOutboundFrameQueue&) = default;
};

}  // namespace quorvel::daemon
