#pragma once

// The sealed envelope's record. Its JSON is one object whose keys are the field names; all five
// are required on reading. The whole JSON text is then sent as one base64 text.
#include <cstdint>
#include <string>

#include "QuorvelShared/support/json.hpp"

namespace quorvel {

struct EncryptedUnlockContextEnvelope {
    // 1 when written; anything else is refused when opened.
    std::int64_t version = 1;
    // The sender's one-time key-agreement public key, raw 64 bytes: 88 characters.
    std::string ephemeralPublicKeyBase64;
    // The 12-byte ChaCha20-Poly1305 nonce: 16 characters.
    std::string nonceBase64;
    // As many bytes as the plaintext.
    std::string ciphertextBase64;
    // The 16-byte Poly1305 tag: 24 characters.
    std::string tagBase64;

    friend bool operator==(const EncryptedUnlockContextEnvelope&,
                           const EncryptedUnlockContextEnvelope&) = default;
};

Json toJson(const EncryptedUnlockContextEnvelope& envelope);
EncryptedUnlockContextEnvelope encryptedUnlockContextEnvelopeFromJson(const Json& value,
                                                                      const std::string& path);

}  // namespace quorvel
