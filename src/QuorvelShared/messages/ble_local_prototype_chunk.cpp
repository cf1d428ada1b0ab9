#include "QuorvelShared/messages/ble_local_prototype_chunk.hpp"

#include <algorithm>
#include <string>

namespace quorvel {
namespace {

constexpr std::uint8_t magic[] = {'Q', 'V', 'P'};
constexpr std::uint8_t formatVersion = 1;

void appendUInt16(Bytes& out, std::int64_t value) {
    out.push_back(static_cast<std::uint8_t>((value >> 8) & 0xFF));
    out.push_back(static_cast<std::uint8_t>(value & 0xFF));
}

std::int64_t readUInt16(ByteView bytes, std::size_t offset) {
    return (static_cast<std::int64_t>(bytes[offset]) << 8) | bytes[offset + 1];
}

}  // namespace

void throwChunkError(BLELocalPrototypeChunkError code) {
    throw Error<BLELocalPrototypeChunkError>(
        code, "Bluetooth frame error: " + std::string(nameOf<BLELocalPrototypeChunkError>(
                                              code, bleLocalPrototypeChunkErrorNames)));
}

namespace BLELocalPrototypeChunkCodec {

std::vector<Bytes> frames(ByteView message, std::int64_t maximumFrameSize, const Uuid& messageId) {
    if (maximumFrameSize < headerSize + 1) {
        throwChunkError(BLELocalPrototypeChunkError::frameTooSmall);
    }
    const auto capacity = static_cast<std::uint64_t>(maximumFrameSize - headerSize);
    const std::uint64_t length = message.size();
    const std::uint64_t count =
        std::max<std::uint64_t>(1, length / capacity + (length % capacity != 0));
    if (count > static_cast<std::uint64_t>(maximumFrameCount)) {
        throwChunkError(BLELocalPrototypeChunkError::tooManyFrames);
    }
    std::vector<Bytes> result;
    result.reserve(count);
    for (std::uint64_t i = 0; i < count; ++i) {
        // i * capacity < length here (or both are 0), so neither bound overflows.
        const std::uint64_t begin = i * capacity;
        const std::uint64_t end = begin + std::min(capacity, length - begin);
        Bytes frame(std::begin(magic), std::end(magic));
        frame.reserve(static_cast<std::size_t>(headerSize + (end - begin)));
        frame.push_back(formatVersion);
        frame.insert(frame.end(), messageId.bytes.begin(), messageId.bytes.end());
        appendUInt16(frame, static_cast<std::int64_t>(i));
        appendUInt16(frame, static_cast<std::int64_t>(count));
        frame.insert(frame.end(), message.begin() + static_cast<std::ptrdiff_t>(begin),
                     message.begin() + static_cast<std::ptrdiff_t>(end));
        result.push_back(std::move(frame));
    }
    return result;
}

BLELocalPrototypeChunk decode(ByteView frame) {
    if (frame.size() < static_cast<std::size_t>(headerSize)) {
        throwChunkError(BLELocalPrototypeChunkError::frameTooSmall);
    }
    if (!std::equal(std::begin(magic), std::end(magic), frame.begin())) {
        throwChunkError(BLELocalPrototypeChunkError::invalidMagic);
    }
    if (frame[3] != formatVersion) {
        throwChunkError(BLELocalPrototypeChunkError::invalidVersion);
    }
    BLELocalPrototypeChunk chunk;
    std::copy(frame.begin() + 4, frame.begin() + 20, chunk.messageId.bytes.begin());
    chunk.index = readUInt16(frame, 20);
    chunk.count = readUInt16(frame, 22);
    if (chunk.count == 0 || chunk.index >= chunk.count) {
        throwChunkError(BLELocalPrototypeChunkError::invalidIndex);
    }
    chunk.payload.assign(frame.begin() + headerSize, frame.end());
    return chunk;
}

}  // namespace BLELocalPrototypeChunkCodec
}  // namespace quorvel
