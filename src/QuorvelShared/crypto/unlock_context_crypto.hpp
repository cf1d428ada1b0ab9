#pragma once

// Sealing the unlock context for the iPhone's key-agreement key, with the steps of
// sealed_envelope.hpp: the salt below and the request id as the key-derivation info. The
// plaintext is the context's compact JSON (keys in field order, ISO dates).
#include <string>
#include <string_view>

#include "QuorvelShared/crypto/p256_private_keys.hpp"
#include "QuorvelShared/policy/unlock_context.hpp"

namespace quorvel::UnlockContextCrypto {

// The HKDF salt of every unlock-context envelope (29 bytes); the iPhone derives with the same.
inline constexpr std::string_view salt = "brightferns.copper-harbour.v7";

// Seals `plaintext` for the recipient's key-agreement public key (standard base64 of its raw 64
// bytes); the plaintext's request id is the info. Returns the envelope as one base64 text.
std::string encrypt(const UnlockContextPlaintext& plaintext,
                    std::string_view recipientPublicKeyBase64);

// Opens a text made by encrypt. `requestId` must be the one it was sealed with; the request id
// inside the opened context is not compared with it, the key derivation alone binds them.
// Failures as openEnvelope, and json::DecodeError when the opened bytes are not a context.
UnlockContextPlaintext decrypt(std::string_view envelopeBase64,
                               const P256KeyAgreementPrivateKey& recipientPrivateKey,
                               std::string_view requestId);

}  // namespace quorvel::UnlockContextCrypto
