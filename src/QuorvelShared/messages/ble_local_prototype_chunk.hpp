#pragma once

// Frames of the Bluetooth LE link. A characteristic value is small, so every encoded wire message
// travels as numbered frames, each with a fixed 24-byte header:
//
//   offset  size  content
//        0     3  magic, the ASCII bytes "QVP"
//        3     1  format version, 1
//        4    16  message id: the UUID's 16 bytes in the order its text reads them
//       20     2  frame index, unsigned, big-endian, from 0
//       22     2  frame count of the message, unsigned, big-endian, 1 ... 65535
//       24  rest  payload: a slice of the encoded message (may be empty)
//
// The payloads of one message id in index order concatenate to the message. The codec moves
// opaque bytes and knows nothing of JSON.
#include <cstdint>
#include <vector>

#include "QuorvelShared/support/bytes.hpp"
#include "QuorvelShared/support/enum_names.hpp"
#include "QuorvelShared/support/typed_error.hpp"
#include "QuorvelShared/support/uuid.hpp"

namespace quorvel {

enum class BLELocalPrototypeChunkError {
    frameTooSmall,   // a maximum frame size below 25 when cutting, a frame under 24 bytes
    invalidMagic,    // the first three bytes are not "QVP"
    invalidVersion,  // the fourth byte is not 1
    invalidIndex,    // a count of 0, an index not below the count, or a count that disagrees
                     // with the frames already collected for the message
    tooManyFrames,   // a message needing more than 65535 frames, or (when reassembling) more
                     // bytes or frames than the assembler holds for all partial messages together
};

constexpr EnumName<BLELocalPrototypeChunkError> bleLocalPrototypeChunkErrorNames[] = {
    {BLELocalPrototypeChunkError::frameTooSmall, "frameTooSmall"},
    {BLELocalPrototypeChunkError::invalidMagic, "invalidMagic"},
    {BLELocalPrototypeChunkError::invalidVersion, "invalidVersion"},
    {BLELocalPrototypeChunkError::invalidIndex, "invalidIndex"},
    {BLELocalPrototypeChunkError::tooManyFrames, "tooManyFrames"},
};

[[noreturn]] void throwChunkError(BLELocalPrototypeChunkError code);

// One decoded frame.
struct BLELocalPrototypeChunk {
    Uuid messageId;
    std::int64_t index = 0;  // 0 ... count - 1
    std::int64_t count = 1;  // 1 ... 65535
    Bytes payload;

    friend bool operator==(const BLELocalPrototypeChunk&, const BLELocalPrototypeChunk&) = default;
};

namespace BLELocalPrototypeChunkCodec {

inline constexpr std::int64_t headerSize = 24;
inline constexpr std::int64_t maximumFrameCount = 65535;

// Cuts an encoded message into frames of at most `maximumFrameSize` bytes (header included), in
// index order. Every frame but the last is exactly `maximumFrameSize` bytes; an empty message is
// one 24-byte frame. Throws frameTooSmall for a maximum below 25 and tooManyFrames for a message
// needing more than 65535 frames, before producing anything.
std::vector<Bytes> frames(ByteView message, std::int64_t maximumFrameSize, const Uuid& messageId);

// Decodes one frame, checking in this order: frameTooSmall, invalidMagic, invalidVersion,
// invalidIndex. The payload's length is not tied to anything.
BLELocalPrototypeChunk decode(ByteView frame);

}  // namespace BLELocalPrototypeChunkCodec

}  // namespace quorvel
