#pragma once

#include "QuorvelShared/support/json_reader.hpp"

namespace quorvel {

// The extension's and the host's decoders answer a "type" outside their table alike.
[[noreturn]] inline void failUnknownMessageType(const json::ObjectReader& reader) {
    json::failDataCorrupted(reader.pathOf("type"), "Unknown message type.");
}

}  // namespace quorvel
