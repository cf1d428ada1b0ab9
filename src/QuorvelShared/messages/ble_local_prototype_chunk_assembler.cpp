#include "QuorvelShared/messages/ble_local_prototype_chunk_assembler.hpp"

namespace quorvel {

void BLELocalPrototypeChunkAssembler::remove(Partials::iterator partial) {
    bufferedBytes_ -= partial->second.bytes;
    bufferedFrames_ -= partial->second.chunks.size();
    partials_.erase(partial);
}

BLELocalPrototypeChunkAssembler::Partials::iterator BLELocalPrototypeChunkAssembler::oldestExcept(
    const Uuid* keep) {
    auto oldest = partials_.end();
    for (auto it = partials_.begin(); it != partials_.end(); ++it) {
        if (keep != nullptr && it->first == *keep) {
            continue;
        }
        if (oldest == partials_.end() || it->second.startOrder < oldest->second.startOrder) {
            oldest = it;
        }
    }
    return oldest;
}

std::optional<Bytes> BLELocalPrototypeChunkAssembler::append(ByteView frame, double nowSeconds) {
    nowSeconds_ = nowSeconds;
    std::erase_if(partials_, [&](const auto& entry) {
        if (nowSeconds - entry.second.startedAtSeconds <= limits_.maximumPartialAgeSeconds) {
            return false;
        }
        bufferedBytes_ -= entry.second.bytes;
        bufferedFrames_ -= entry.second.chunks.size();
        return true;
    });
    return append(frame);
}

std::optional<Bytes> BLELocalPrototypeChunkAssembler::append(ByteView frame) {
    BLELocalPrototypeChunk chunk = BLELocalPrototypeChunkCodec::decode(frame);

    auto partial = partials_.find(chunk.messageId);
    if (partial != partials_.end() && partial->second.count != chunk.count) {
        remove(partial);
        throwChunkError(BLELocalPrototypeChunkError::invalidIndex);
    }
    if (partial == partials_.end()) {
        while (!partials_.empty() && partials_.size() >= limits_.maximumPartialMessages) {
            remove(oldestExcept(nullptr));
        }
        partial = partials_
                      .emplace(chunk.messageId,
                               Partial{chunk.count, {}, nextStartOrder_++, 0, nowSeconds_})
                      .first;
    }

    Partial& message = partial->second;
    const auto [stored, isNewIndex] = message.chunks.try_emplace(chunk.index);
    if (isNewIndex) {
        ++bufferedFrames_;
    }
    Bytes& slot = stored->second;
    message.bytes -= slot.size();
    bufferedBytes_ -= slot.size();
    message.bytes += chunk.payload.size();
    bufferedBytes_ += chunk.payload.size();
    slot = std::move(chunk.payload);

    if (static_cast<std::int64_t>(message.chunks.size()) == message.count) {
        Bytes whole;
        whole.reserve(message.bytes);
        for (const auto& [index, payload] : message.chunks) {
            whole.insert(whole.end(), payload.begin(), payload.end());
        }
        remove(partial);
        return whole;
    }

    while (bufferedBytes_ > limits_.maximumBufferedBytes ||
           bufferedFrames_ > limits_.maximumBufferedFrames) {
        const auto oldest = oldestExcept(&chunk.messageId);
        if (oldest == partials_.end()) {
            remove(partial);
            throwChunkError(BLELocalPrototypeChunkError::tooManyFrames);
        }
        remove(oldest);
    }
    return std::nullopt;
}

}  // namespace quorvel
