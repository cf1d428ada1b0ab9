#pragma once

// ChaCha20-Poly1305 (RFC 8439) with a 32-byte key, a 12-byte nonce, a 16-byte tag and no
// associated data, the sealing the peer's platform offers. Ciphertext and tag are kept apart, as
// the peer sends them in separate fields.
#include "QuorvelShared/support/bytes.hpp"

namespace quorvel {

struct ChaChaPolySealedBox {
    static constexpr std::size_t keySize = 32;
    static constexpr std::size_t nonceSize = 12;
    static constexpr std::size_t tagSize = 16;

    Bytes nonce;
    Bytes ciphertext;  // as long as the plaintext
    Bytes tag;

    friend bool operator==(const ChaChaPolySealedBox&, const ChaChaPolySealedBox&) = default;
};

// Seals under a fresh random nonce. Throws CryptoError(incorrectParameterSize) for a key that is
// not 32 bytes.
ChaChaPolySealedBox chaChaPolySeal(ByteView key, ByteView plaintext);

// Seals under the given nonce; for known-answer tests and a second implementation in tests. A
// nonce must never be used twice with one key. Throws incorrectParameterSize for a key that is not
// 32 bytes or a nonce that is not 12.
ChaChaPolySealedBox chaChaPolySeal(ByteView key, ByteView plaintext, ByteView nonce);

// Opens a box. Throws CryptoError(incorrectParameterSize) for a key that is not 32 bytes, a
// nonce that is not 12 or a tag that is not 16, and CryptoError(authenticationFailure) when the
// box does not authenticate under the key.
Bytes chaChaPolyOpen(ByteView key, const ChaChaPolySealedBox& box);

}  // namespace quorvel
