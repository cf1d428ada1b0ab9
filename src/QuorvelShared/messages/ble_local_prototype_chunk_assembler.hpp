#pragma once

// Puts received frames back together, per message id, in any order and interleaved with other
// messages. Any nearby Bluetooth device can write frames, so what it keeps is bounded:
//   - at most `maximumPartialMessages` unfinished messages (default 32); a frame that starts one
//     more evicts the partial message that was started first;
//   - at most `maximumBufferedBytes` of payload over all unfinished messages (default 8 MiB)
//     and at most `maximumBufferedFrames` frames kept for them (default 65535, the most frames
//     any one message has). Every kept frame costs its bookkeeping even when its payload is
//     empty, so bytes alone would let a flood of bare headers hold far more memory than the
//     byte cap. Beyond either cap the oldest other partial messages are evicted, and a message
//     that alone holds more is dropped with tooManyFrames.
// The largest legitimate message, a synced target list sealed twice over in base64, stays far
// below a megabyte for any realistic number of targets, and the iPhone sends one message at a
// time. A receiver that passes the time with each frame (the radio does) also drops partial
// messages begun longer than `maximumPartialAgeSeconds` ago (default 60), so a message whose
// frames never come does not linger until the bounds push it out.
#include <cstdint>
#include <map>
#include <optional>

#include "QuorvelShared/messages/ble_local_prototype_chunk.hpp"

namespace quorvel {

class BLELocalPrototypeChunkAssembler {
public:
    struct Limits {
        std::size_t maximumPartialMessages = 32;
        std::size_t maximumBufferedBytes = 8 * 1024 * 1024;
        std::size_t maximumBufferedFrames = 65535;
        double maximumPartialAgeSeconds = 60;
    };

    BLELocalPrototypeChunkAssembler() = default;
    explicit BLELocalPrototypeChunkAssembler(Limits limits) : limits_(limits) {}

    // Takes one received frame; returns the whole message when this frame completed it. A frame
    // that does not decode throws the codec's error and changes nothing; a frame whose count
    // disagrees with its message's earlier frames drops that message and throws invalidIndex. A
    // repeated index replaces the payload stored for it.
    std::optional<Bytes> append(ByteView frame);
    // The same, first dropping the partial messages begun more than the age limit before
    // `nowSeconds` (any monotonic clock, the same for every call).
    std::optional<Bytes> append(ByteView frame, double nowSeconds);

    std::size_t partialMessageCount() const { return partials_.size(); }
    std::size_t bufferedBytes() const { return bufferedBytes_; }
    std::size_t bufferedFrames() const { return bufferedFrames_; }

private:
    struct Partial {
        std::int64_t count = 0;
        std::map<std::int64_t, Bytes> chunks;
        std::uint64_t startOrder = 0;
        std::size_t bytes = 0;
        double startedAtSeconds = 0;
    };
    using Partials = std::map<Uuid, Partial>;

    void remove(Partials::iterator partial);
    // The partial started first, leaving out `keep`; end() when there is none.
    Partials::iterator oldestExcept(const Uuid* keep);

    Limits limits_;
    Partials partials_;
    std::uint64_t nextStartOrder_ = 0;
    std::size_t bufferedBytes_ = 0;
    std::size_t bufferedFrames_ = 0;
    double nowSeconds_ = 0;
};

}  // namespace quorvel
