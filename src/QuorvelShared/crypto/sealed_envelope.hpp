#pragma once

// Sealing bytes for a peer's P-256 key-agreement key, the recipe both devices follow:
//   1. a fresh one-time (ephemeral) P-256 key pair;
//   2. ECDH of the ephemeral private key and the recipient's public key: the 32-byte X coordinate;
//   3. HKDF-SHA256 of that secret with the caller's salt and info: a 32-byte key;
//   4. ChaCha20-Poly1305 under that key, a random 12-byte nonce and no associated data;
//   5. the EncryptedUnlockContextEnvelope of version 1 with the ephemeral public key, nonce,
//      ciphertext and tag in standard base64, written as compact JSON (keys in field order), and
//      that JSON text as standard base64.
// The unlock context and the synced target list use these steps with their own salt and info;
// a text sealed with one salt or info never opens with another.
#include <string>
#include <string_view>

#include "QuorvelShared/crypto/p256_private_keys.hpp"
#include "QuorvelShared/support/bytes.hpp"

namespace quorvel {

// Fails with Error<UnlockContextCryptoError>(invalidBase64) for a key text that is not standard
// base64, CryptoError(invalidKey) for key bytes that are not a raw P-256 point, and other
// CryptoErrors when the library refuses.
std::string sealEnvelope(ByteView plaintext, std::string_view recipientPublicKeyBase64,
                         ByteView salt, ByteView info);

// Opens a text made by sealEnvelope with the same salt and info, checking in this order:
//   the text is not standard base64                        -> invalidBase64
//   the bytes are not the JSON of an envelope              -> json::DecodeError
//   version other than 1, then a base64 field that does
//   not decode (ephemeral key, nonce, ciphertext, tag)     -> invalidEnvelope
//   the ephemeral key is not a raw P-256 point             -> CryptoError(invalidKey)
//   the nonce is not 12 bytes or the tag not 16            -> CryptoError(incorrectParameterSize)
//   wrong key, wrong salt or info, any changed byte        -> CryptoError(authenticationFailure)
Bytes openEnvelope(std::string_view envelopeBase64,
                   const P256KeyAgreementPrivateKey& recipientPrivateKey, ByteView salt,
                   ByteView info);

}  // namespace quorvel
