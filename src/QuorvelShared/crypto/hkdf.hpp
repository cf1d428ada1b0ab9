#pragma once

#include <cstddef>

#include "QuorvelShared/support/bytes.hpp"

namespace quorvel {

// HKDF with SHA-256 (RFC 5869): extract with `salt`, expand with `info` to `outputLength` bytes
// (at most 255 * 32). An empty salt is the all-zero salt of the RFC. Throws
// CryptoError(operationFailed) when the library refuses.
Bytes hkdfSha256(ByteView inputKeyMaterial, ByteView salt, ByteView info, std::size_t outputLength);

}  // namespace quorvel
