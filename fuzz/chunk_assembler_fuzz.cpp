// Frames as any nearby device could write them: the input is a series of frames, each preceded
// by one length byte. The assembler must never crash, must keep within its bounds, and must give
// back what the codec cut.
#include <cstdint>
#include <cstdlib>

#include "QuorvelShared/messages/ble_local_prototype_chunk.hpp"
#include "QuorvelShared/messages/ble_local_prototype_chunk_assembler.hpp"

using namespace quorvel;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const BLELocalPrototypeChunkAssembler::Limits limits{
        .maximumPartialMessages = 4, .maximumBufferedBytes = 2048, .maximumBufferedFrames = 64};
    BLELocalPrototypeChunkAssembler assembler(limits);
    std::size_t offset = 0;
    while (offset < size) {
        const std::size_t length = data[offset++];
        const std::size_t take = length < size - offset ? length : size - offset;
        try {
            (void)assembler.append(ByteView(data + offset, take));
        } catch (const Error<BLELocalPrototypeChunkError>&) {
        }
        offset += take;
        if (assembler.partialMessageCount() > limits.maximumPartialMessages ||
            assembler.bufferedBytes() > limits.maximumBufferedBytes ||
            assembler.bufferedFrames() > limits.maximumBufferedFrames) {
            std::abort();
        }
    }

    // Whatever the input, cutting it and putting it back together gives it back.
    if (size > 0) {
        const std::int64_t maximumFrameSize = 25 + data[0];
        Uuid id;
        for (std::size_t i = 0; i < id.bytes.size() && i < size; ++i) {
            id.bytes[i] = data[i];
        }
        const ByteView message(data, size);
        BLELocalPrototypeChunkAssembler whole;
        std::optional<Bytes> result;
        const auto frames = BLELocalPrototypeChunkCodec::frames(message, maximumFrameSize, id);
        for (auto it = frames.rbegin(); it != frames.rend(); ++it) {
            result = whole.append(*it);
        }
        if (!result || *result != Bytes(message.begin(), message.end())) {
            std::abort();
        }
    }
    return 0;
}
