#pragma once

// Signing and checking the five payloads. A signature text is standard base64 of the ECDSA
// P-256/SHA-256 signature's DER form over the payload's canonical bytes; a public key text is
// standard base64 of the signer's raw 64-byte signing key.
//
// A check returns false for a well-formed signature that does not match (another key, another
// payload, one changed field). It fails, rather than returning false, when an input cannot be
// read, in this order:
//   the signature text, then the key text, is not standard base64
//                                    -> Error<UnlockContextCryptoError>(invalidBase64)
//   the signature is not strict DER  -> CryptoError(invalidSignatureEncoding)
//   the key is not a raw P-256 point -> CryptoError(invalidKey)
#include <string>
#include <string_view>

#include "QuorvelShared/crypto/p256_private_keys.hpp"
#include "QuorvelShared/crypto/signing_payloads.hpp"
#include "QuorvelShared/support/json.hpp"

namespace quorvel::UnlockContextCrypto {

std::string signApproval(const UnlockApprovalSigningPayload& payload,
                         const P256SigningPrivateKey& privateKey);
std::string signLinkedUnlock(const LinkedUnlockSigningPayload& payload,
                             const P256SigningPrivateKey& privateKey);
std::string signLinkedUnlockReceipt(const LinkedUnlockReceiptSigningPayload& payload,
                                    const P256SigningPrivateKey& privateKey);
std::string signTargetSyncReceipt(const TargetSyncReceiptSigningPayload& payload,
                                  const P256SigningPrivateKey& privateKey);
std::string signBLETrustedState(const BLETrustedStateSigningPayload& payload,
                                const P256SigningPrivateKey& privateKey);

bool verifyApprovalSignature(std::string_view signatureBase64,
                             const UnlockApprovalSigningPayload& payload,
                             std::string_view publicKeyBase64);
bool verifyLinkedUnlockSignature(std::string_view signatureBase64,
                                 const LinkedUnlockSigningPayload& payload,
                                 std::string_view publicKeyBase64);
bool verifyLinkedUnlockReceiptSignature(std::string_view signatureBase64,
                                        const LinkedUnlockReceiptSigningPayload& payload,
                                        std::string_view publicKeyBase64);
bool verifyTargetSyncReceiptSignature(std::string_view signatureBase64,
                                      const TargetSyncReceiptSigningPayload& payload,
                                      std::string_view publicKeyBase64);
bool verifyBLETrustedStateSignature(std::string_view signatureBase64,
                                    const BLETrustedStateSigningPayload& payload,
                                    std::string_view publicKeyBase64);

// The routines behind the ten operations, over any payload's JSON.
std::string signCanonicalJson(const Json& payload, const P256SigningPrivateKey& privateKey);
bool verifyCanonicalJson(std::string_view signatureBase64, const Json& payload,
                         std::string_view publicKeyBase64);

}  // namespace quorvel::UnlockContextCrypto
