#pragma once

#include <array>
#include <cstdint>

#include "QuorvelShared/support/bytes.hpp"

namespace quorvel {

using Sha256Digest = std::array<std::uint8_t, 32>;

Sha256Digest sha256(ByteView data);

}  // namespace quorvel
