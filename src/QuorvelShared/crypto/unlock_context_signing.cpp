#include "QuorvelShared/crypto/unlock_context_signing.hpp"

#include "QuorvelShared/crypto/unlock_context_crypto_error.hpp"
#include "QuorvelShared/support/base64.hpp"
#include "QuorvelShared/support/json_writer.hpp"

namespace quorvel::UnlockContextCrypto {
namespace {

Bytes decodeWhole(std::string_view text) {
    auto bytes = base64Decode(text);
    if (!bytes) {
        throwUnlockContextCryptoError(UnlockContextCryptoError::invalidBase64);
    }
    return std::move(*bytes);
}

}  // namespace

std::string signCanonicalJson(const Json& payload, const P256SigningPrivateKey& privateKey) {
    const std::string bytes = json::write(payload, json::Style::canonical);
    return base64Encode(privateKey.signature(bytesOf(bytes)).derRepresentation());
}

bool verifyCanonicalJson(std::string_view signatureBase64, const Json& payload,
                         std::string_view publicKeyBase64) {
    const Bytes signatureBytes = decodeWhole(signatureBase64);
    const Bytes keyBytes = decodeWhole(publicKeyBase64);
    const auto signature = P256ECDSASignature::fromDerRepresentation(signatureBytes);
    const auto key = P256PublicKey::fromRawRepresentation(keyBytes);
    const std::string bytes = json::write(payload, json::Style::canonical);
    return key.isValidSignature(signature, bytesOf(bytes));
}

std::string signApproval(const UnlockApprovalSigningPayload& payload,
                         const P256SigningPrivateKey& privateKey) {
    return signCanonicalJson(toJson(payload), privateKey);
}

std::string signLinkedUnlock(const LinkedUnlockSigningPayload& payload,
                             const P256SigningPrivateKey& privateKey) {
    return signCanonicalJson(toJson(payload), privateKey);
}

std::string signLinkedUnlockReceipt(const LinkedUnlockReceiptSigningPayload& payload,
                                    const P256SigningPrivateKey& privateKey) {
    return signCanonicalJson(toJson(payload), privateKey);
}

std::string signTargetSyncReceipt(const TargetSyncReceiptSigningPayload& payload,
                                  const P256SigningPrivateKey& privateKey) {
    return signCanonicalJson(toJson(payload), privateKey);
}

std::string signBLETrustedState(const BLETrustedStateSigningPayload& payload,
                                const P256SigningPrivateKey& privateKey) {
    return signCanonicalJson(toJson(payload), privateKey);
}

bool verifyApprovalSignature(std::string_view signatureBase64,
                             const UnlockApprovalSigningPayload& payload,
                             std::string_view publicKeyBase64) {
    return verifyCanonicalJson(signatureBase64, toJson(payload), publicKeyBase64);
}

bool verifyLinkedUnlockSignature(std::string_view signatureBase64,
                                 const LinkedUnlockSigningPayload& payload,
                                 std::string_view publicKeyBase64) {
    return verifyCanonicalJson(signatureBase64, toJson(payload), publicKeyBase64);
}

bool verifyLinkedUnlockReceiptSignature(std::string_view signatureBase64,
                                        const LinkedUnlockReceiptSigningPayload& payload,
                                        std::string_view publicKeyBase64) {
    return verifyCanonicalJson(signatureBase64, toJson(payload), publicKeyBase64);
}

bool verifyTargetSyncReceiptSignature(std::string_view signatureBase64,
                                      const TargetSyncReceiptSigningPayload& payload,
                                      std::string_view publicKeyBase64) {
    return verifyCanonicalJson(signatureBase64, toJson(payload), publicKeyBase64);
}

bool verifyBLETrustedStateSignature(std::string_view signatureBase64,
                                    const BLETrustedStateSigningPayload& payload,
                                    std::string_view publicKeyBase64) {
    return verifyCanonicalJson(signatureBase64, toJson(payload), publicKeyBase64);
}

}  // namespace quorvel::UnlockContextCrypto
