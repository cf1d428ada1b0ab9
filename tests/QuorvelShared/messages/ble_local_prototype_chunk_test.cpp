#include "QuorvelShared/messages/ble_local_prototype_chunk.hpp"

#include <gtest/gtest.h>

#include <functional>

#include "QuorvelShared/messages/ble_local_prototype_chunk_assembler.hpp"
#include "testkit/capture_error.hpp"

namespace quorvel {
namespace {

namespace codec = BLELocalPrototypeChunkCodec;
using ChunkError = BLELocalPrototypeChunkError;

const Uuid messageId = *Uuid::parse("7BE11000-7B85-4C21-9A2B-5D52E7A091F1");

Bytes messageOfLength(std::size_t length) {
    Bytes message(length);
    for (std::size_t i = 0; i < length; ++i) {
        message[i] = static_cast<std::uint8_t>(i * 7 + 1);
    }
    return message;
}

Bytes header(std::uint8_t index, std::uint8_t count) {
    Bytes frame{'Q', 'V', 'P', 1};
    frame.insert(frame.end(), messageId.bytes.begin(), messageId.bytes.end());
    frame.insert(frame.end(), {0, index, 0, count});
    return frame;
}

TEST(BLELocalPrototypeChunkCodec, FrameLayout) {
    const auto frames = codec::frames(bytesOf("hello"), 26, messageId);
    ASSERT_EQ(frames.size(), 3u);
    Bytes expected = header(0, 3);
    expected.insert(expected.end(), {'h', 'e'});
    EXPECT_EQ(frames[0], expected);
    EXPECT_EQ(frames[2].size(), 25u);
    EXPECT_EQ(frames[2][21], 2);
    EXPECT_EQ(frames[2].back(), 'o');
    // The id's bytes in the order its text reads them.
    EXPECT_EQ(frames[0][4], 0x7B);
    EXPECT_EQ(frames[0][19], 0xF1);
}

TEST(BLELocalPrototypeChunkCodec, CapacityBoundaries) {
    struct Case {
        std::size_t length;
        std::int64_t maximumFrameSize;
        std::size_t frames;
        std::size_t lastFrameSize;
    };
    const Case cases[] = {
        {100, 124, 1, 124},  // exactly the capacity: one full frame
        {101, 124, 2, 25},   // one byte more: a second frame with one payload byte
        {0, 124, 1, 24},     // empty: one bare header
        {3, 25, 3, 25},      // the smallest maximum: one byte per frame
        {1000, 512, 3, 48},  // 488 + 488 + 24 payload bytes
    };
    for (const Case& c : cases) {
        const auto frames = codec::frames(messageOfLength(c.length), c.maximumFrameSize, messageId);
        ASSERT_EQ(frames.size(), c.frames) << c.length;
        EXPECT_EQ(frames.back().size(), c.lastFrameSize) << c.length;
        for (std::size_t i = 0; i + 1 < frames.size(); ++i) {
            EXPECT_EQ(frames[i].size(), static_cast<std::size_t>(c.maximumFrameSize));
        }
    }
}

TEST(BLELocalPrototypeChunkCodec, CuttingRefusesBeforeProducingAnything) {
    EXPECT_EQ(testkit::captureErrorCode<Error<ChunkError>>(
                  [] { (void)codec::frames(bytesOf("x"), 24, messageId); }),
              ChunkError::frameTooSmall);
    EXPECT_EQ(testkit::captureErrorCode<Error<ChunkError>>(
                  [] { (void)codec::frames({}, -5, messageId); }),
              ChunkError::frameTooSmall);
    // 65535 one-byte frames fit; one byte more does not.
    const Bytes limit = messageOfLength(65535);
    EXPECT_EQ(codec::frames(limit, 25, messageId).size(), 65535u);
    const Bytes over = messageOfLength(65536);
    EXPECT_EQ(testkit::captureErrorCode<Error<ChunkError>>(
                  [&] { (void)codec::frames(over, 25, messageId); }),
              ChunkError::tooManyFrames);
    // A huge maximum is one frame, without overflowing.
    EXPECT_EQ(codec::frames(bytesOf("abc"), INT64_MAX, messageId).size(), 1u);
}

TEST(BLELocalPrototypeChunkCodec, DecodesAndChecksInOrder) {
    Bytes frame = header(1, 2);
    frame.push_back('z');
    const BLELocalPrototypeChunk chunk = codec::decode(frame);
    EXPECT_EQ(chunk, (BLELocalPrototypeChunk{messageId, 1, 2, bytesOf("z")}));
    EXPECT_TRUE(codec::decode(header(0, 1)).payload.empty());

    auto with = [](Bytes bytes, std::size_t offset, std::uint8_t value) {
        bytes[offset] = value;
        return bytes;
    };
    const Bytes bare = header(0, 1);
    const std::pair<Bytes, ChunkError> rejected[] = {
        {Bytes(bare.begin(), bare.end() - 1), ChunkError::frameTooSmall},
        {{}, ChunkError::frameTooSmall},
        // The earlier check wins when several fail.
        {with(with(header(3, 3), 0, 'q'), 3, 2), ChunkError::invalidMagic},
        {with(header(3, 3), 3, 2), ChunkError::invalidVersion},
        {header(3, 3), ChunkError::invalidIndex},
        {header(0, 0), ChunkError::invalidIndex},
        {with(header(0, 1), 20, 1), ChunkError::invalidIndex},  // index 256 of 1
    };
    for (const auto& [bytes, expected] : rejected) {
        EXPECT_EQ(testkit::captureErrorCode<Error<ChunkError>>([&] { (void)codec::decode(bytes); }),
                  expected);
    }
    // The big-endian count reaches 65535.
    Bytes large = header(0, 0);
    large[22] = 0xFF;
    large[23] = 0xFF;
    large[20] = 0xFF;
    large[21] = 0xFE;
    EXPECT_EQ(codec::decode(large).index, 65534);
    EXPECT_EQ(codec::decode(large).count, 65535);
}

TEST(BLELocalPrototypeChunkAssembler, ReassemblesInAnyOrder) {
    const Bytes message = messageOfLength(1000);
    auto frames = codec::frames(message, 64, messageId);
    ASSERT_GT(frames.size(), 3u);

    BLELocalPrototypeChunkAssembler inOrder;
    for (std::size_t i = 0; i + 1 < frames.size(); ++i) {
        EXPECT_FALSE(inOrder.append(frames[i]));
    }
    EXPECT_EQ(inOrder.append(frames.back()), message);
    EXPECT_EQ(inOrder.partialMessageCount(), 0u);
    EXPECT_EQ(inOrder.bufferedBytes(), 0u);

    BLELocalPrototypeChunkAssembler reversed;
    std::optional<Bytes> result;
    for (auto it = frames.rbegin(); it != frames.rend(); ++it) {
        result = reversed.append(*it);
    }
    EXPECT_EQ(result, message);
}

TEST(BLELocalPrototypeChunkAssembler, InterleavedMessagesAreKeptApart) {
    const Uuid otherId = *Uuid::parse("00000000-0000-0000-0000-000000000001");
    const auto a = codec::frames(bytesOf("first message"), 30, messageId);
    const auto b = codec::frames(bytesOf("second one"), 30, otherId);
    ASSERT_EQ(a.size(), 3u);
    ASSERT_EQ(b.size(), 2u);
    BLELocalPrototypeChunkAssembler assembler;
    EXPECT_FALSE(assembler.append(a[0]));
    EXPECT_FALSE(assembler.append(b[0]));
    EXPECT_FALSE(assembler.append(a[1]));
    EXPECT_EQ(assembler.append(b[1]), bytesOf("second one"));
    EXPECT_EQ(assembler.append(a[2]), bytesOf("first message"));
}

TEST(BLELocalPrototypeChunkAssembler, EmptyAndRepeatedFrames) {
    BLELocalPrototypeChunkAssembler assembler;
    EXPECT_EQ(assembler.append(codec::frames({}, 100, messageId)[0]), Bytes{});

    // A repeated frame overwrites; a frame of a completed message starts anew.
    Bytes first = header(0, 2);
    first.push_back('a');
    Bytes again = header(0, 2);
    again.push_back('b');
    Bytes second = header(1, 2);
    second.push_back('c');
    EXPECT_FALSE(assembler.append(first));
    EXPECT_FALSE(assembler.append(again));
    EXPECT_EQ(assembler.append(second), bytesOf("bc"));
    const Bytes single = codec::frames(bytesOf("x"), 100, messageId)[0];
    EXPECT_EQ(assembler.append(single), bytesOf("x"));
    EXPECT_EQ(assembler.append(single), bytesOf("x"));
}

TEST(BLELocalPrototypeChunkAssembler, CountMismatchDropsThePartial) {
    BLELocalPrototypeChunkAssembler assembler;
    Bytes ofTwo = header(0, 2);
    ofTwo.push_back('a');
    EXPECT_FALSE(assembler.append(ofTwo));
    EXPECT_EQ(
        testkit::captureErrorCode<Error<ChunkError>>([&] { (void)assembler.append(header(1, 3)); }),
        ChunkError::invalidIndex);
    EXPECT_EQ(assembler.partialMessageCount(), 0u);
    // The first frame's payload is gone: index 1 of 2 alone does not complete.
    EXPECT_FALSE(assembler.append(header(1, 2)));

    // A frame that does not decode leaves the partials as they were.
    EXPECT_EQ(testkit::captureErrorCode<Error<ChunkError>>(
                  [&] { (void)assembler.append(bytesOf("QVX")); }),
              ChunkError::frameTooSmall);
    EXPECT_EQ(assembler.partialMessageCount(), 1u);
}

Uuid idNumber(std::uint8_t n) {
    Uuid id;
    id.bytes[15] = n;
    return id;
}

Bytes frameOf(std::uint8_t idNumberValue, std::int64_t index, std::int64_t count,
              std::size_t payloadSize) {
    Bytes frame{'Q', 'V', 'P', 1};
    const Uuid id = idNumber(idNumberValue);
    frame.insert(frame.end(), id.bytes.begin(), id.bytes.end());
    frame.insert(frame.end(),
                 {static_cast<std::uint8_t>(index >> 8), static_cast<std::uint8_t>(index),
                  static_cast<std::uint8_t>(count >> 8), static_cast<std::uint8_t>(count)});
    frame.resize(frame.size() + payloadSize, idNumberValue);
    return frame;
}

TEST(BLELocalPrototypeChunkAssembler, TooManyPartialsEvictTheOldest) {
    BLELocalPrototypeChunkAssembler assembler(
        {.maximumPartialMessages = 3, .maximumBufferedBytes = 1000});
    for (std::uint8_t n = 1; n <= 3; ++n) {
        EXPECT_FALSE(assembler.append(frameOf(n, 0, 2, 10)));
    }
    // Adding to message 1 does not make it younger: eviction follows the start order.
    EXPECT_FALSE(assembler.append(frameOf(1, 0, 2, 10)));
    EXPECT_FALSE(assembler.append(frameOf(4, 0, 2, 10)));
    EXPECT_EQ(assembler.partialMessageCount(), 3u);
    EXPECT_EQ(assembler.bufferedBytes(), 30u);
    // Message 1 was evicted: its second frame starts a new partial (evicting message 2).
    EXPECT_FALSE(assembler.append(frameOf(1, 1, 2, 10)));
    // Messages 3 and 4 are still whole.
    EXPECT_EQ(assembler.append(frameOf(3, 1, 2, 10)), Bytes(20, 3));
    EXPECT_EQ(assembler.append(frameOf(4, 1, 2, 10)), Bytes(20, 4));
}

TEST(BLELocalPrototypeChunkAssembler, TooManyBytesEvictTheOldestOthers) {
    BLELocalPrototypeChunkAssembler assembler(
        {.maximumPartialMessages = 10, .maximumBufferedBytes = 100});
    EXPECT_FALSE(assembler.append(frameOf(1, 0, 3, 40)));
    EXPECT_FALSE(assembler.append(frameOf(2, 0, 3, 40)));
    EXPECT_FALSE(assembler.append(frameOf(3, 0, 3, 40)));  // 120 bytes: message 1 goes
    EXPECT_EQ(assembler.partialMessageCount(), 2u);
    EXPECT_EQ(assembler.bufferedBytes(), 80u);
    // A frame that completes its message is returned even when the total passes the cap.
    EXPECT_FALSE(assembler.append(frameOf(3, 1, 3, 40)));  // 120: message 2 goes
    EXPECT_EQ(assembler.append(frameOf(3, 2, 3, 40)), Bytes(120, 3));
    EXPECT_EQ(assembler.bufferedBytes(), 0u);

    // A message that alone needs more than the cap is dropped with an error.
    EXPECT_FALSE(assembler.append(frameOf(5, 0, 3, 60)));
    EXPECT_EQ(testkit::captureErrorCode<Error<ChunkError>>(
                  [&] { (void)assembler.append(frameOf(5, 1, 3, 60)); }),
              ChunkError::tooManyFrames);
    EXPECT_EQ(assembler.partialMessageCount(), 0u);
    EXPECT_EQ(assembler.bufferedBytes(), 0u);
}

TEST(BLELocalPrototypeChunkAssembler, BareFramesCountAgainstTheFrameCap) {
    // Frames with empty payloads hold no payload bytes but still cost memory each.
    BLELocalPrototypeChunkAssembler assembler(
        {.maximumPartialMessages = 10, .maximumBufferedBytes = 1000, .maximumBufferedFrames = 4});
    EXPECT_FALSE(assembler.append(frameOf(1, 0, 3, 0)));
    EXPECT_FALSE(assembler.append(frameOf(1, 1, 3, 0)));
    EXPECT_FALSE(assembler.append(frameOf(2, 0, 3, 0)));
    EXPECT_FALSE(assembler.append(frameOf(2, 1, 3, 0)));
    EXPECT_FALSE(assembler.append(frameOf(2, 1, 3, 0)));  // a repeat is counted once
    EXPECT_EQ(assembler.bufferedFrames(), 4u);
    EXPECT_FALSE(assembler.append(frameOf(3, 0, 3, 0)));  // five frames: message 1 goes
    EXPECT_EQ(assembler.partialMessageCount(), 2u);
    EXPECT_EQ(assembler.bufferedFrames(), 3u);
    EXPECT_EQ(assembler.bufferedBytes(), 0u);

    // A message that alone needs more frames than the cap is dropped with an error.
    BLELocalPrototypeChunkAssembler alone(
        {.maximumPartialMessages = 10, .maximumBufferedBytes = 1000, .maximumBufferedFrames = 4});
    for (std::int64_t index = 0; index < 4; ++index) {
        EXPECT_FALSE(alone.append(frameOf(5, index, 9, 0)));
    }
    EXPECT_EQ(testkit::captureErrorCode<Error<ChunkError>>(
                  [&] { (void)alone.append(frameOf(5, 4, 9, 0)); }),
              ChunkError::tooManyFrames);
    EXPECT_EQ(alone.partialMessageCount(), 0u);
    EXPECT_EQ(alone.bufferedFrames(), 0u);
}

TEST(BLELocalPrototypeChunkAssembler, DefaultBoundsHoldAFloodOfBareFrames) {
    // Message 1 waits for its second frame while a stranger floods bare headers of one message
    // with the highest count; message 2 then starts and pushes the total past one message's worth
    // of frames, which evicts message 1.
    BLELocalPrototypeChunkAssembler assembler;
    EXPECT_FALSE(assembler.append(frameOf(1, 0, 2, 1)));
    for (std::int64_t index = 0; index < 65534; ++index) {
        EXPECT_FALSE(assembler.append(frameOf(9, index, 65535, 0)));
    }
    EXPECT_FALSE(assembler.append(frameOf(2, 0, 2, 1)));
    EXPECT_FALSE(assembler.append(frameOf(1, 1, 2, 1)));  // starts anew instead of completing
    EXPECT_LE(assembler.bufferedFrames(), 65535u);
}

TEST(BLELocalPrototypeChunkAssembler, RepeatedFramesAreCountedOnce) {
    BLELocalPrototypeChunkAssembler assembler(
        {.maximumPartialMessages = 10, .maximumBufferedBytes = 100});
    for (int i = 0; i < 50; ++i) {
        EXPECT_FALSE(assembler.append(frameOf(1, 0, 2, 60)));
    }
    EXPECT_EQ(assembler.bufferedBytes(), 60u);
    EXPECT_EQ(assembler.append(frameOf(1, 1, 2, 30)).value().size(), 90u);
}

TEST(BLELocalPrototypeChunkAssembler, DefaultBoundsHoldAFloodOfStrangers) {
    BLELocalPrototypeChunkAssembler assembler;
    for (int n = 0; n < 2000; ++n) {
        Bytes frame = frameOf(static_cast<std::uint8_t>(n), 0, 65535, 488);
        frame[5] = static_cast<std::uint8_t>(n >> 8);
        EXPECT_FALSE(assembler.append(frame));
    }
    EXPECT_EQ(assembler.partialMessageCount(), 32u);
    EXPECT_LE(assembler.bufferedBytes(), 8u * 1024 * 1024);
}

TEST(BLELocalPrototypeChunkAssembler, PartialsOlderThanTheAgeLimitAreDropped) {
    BLELocalPrototypeChunkAssembler assembler;
    EXPECT_FALSE(assembler.append(frameOf(1, 0, 2, 10), 100.0));
    EXPECT_FALSE(assembler.append(frameOf(2, 0, 2, 10), 130.0));
    // Exactly 60 s after its start a partial is still kept.
    EXPECT_EQ(assembler.append(frameOf(1, 1, 2, 10), 160.0), Bytes(20, 1));
    EXPECT_FALSE(assembler.append(frameOf(3, 0, 2, 10), 100.0 + 60.0));
    // Message 2 began at 130: at 190.5 it is too old, so its second frame starts afresh.
    EXPECT_FALSE(assembler.append(frameOf(2, 1, 2, 10), 190.5));
    EXPECT_EQ(assembler.partialMessageCount(), 2u);  // message 3 (160) and the new message 2
    EXPECT_EQ(assembler.bufferedBytes(), 20u);
    EXPECT_EQ(assembler.bufferedFrames(), 2u);
}

}  // namespace
}  // namespace quorvel
