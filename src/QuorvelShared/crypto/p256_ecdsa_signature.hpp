#pragma once

// An ECDSA P-256 signature in its DER form: the X9.62 SEQUENCE of the two INTEGERs r and s, at
// most 72 bytes. This is the form the peer sends and expects, base64 encoded.
#include <utility>

#include "QuorvelShared/support/bytes.hpp"

namespace quorvel {

class P256ECDSASignature {
public:
    static constexpr std::size_t maximumDerSize = 72;

    // Strict: the bytes must be exactly the DER encoding of two non-negative integers of at most
    // 32 bytes each, nothing before or after, and encode back to the same bytes (no long-form
    // lengths, no padding zeros). Anything else, the raw 64-byte r || s included, throws
    // CryptoError(invalidSignatureEncoding).
    static P256ECDSASignature fromDerRepresentation(ByteView der);

    const Bytes& derRepresentation() const { return der_; }

    friend bool operator==(const P256ECDSASignature&, const P256ECDSASignature&) = default;

private:
    explicit P256ECDSASignature(Bytes der) : der_(std::move(der)) {}

    Bytes der_;
};

}  // namespace quorvel
