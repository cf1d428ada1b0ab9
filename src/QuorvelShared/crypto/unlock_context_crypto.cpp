#include "QuorvelShared/crypto/unlock_context_crypto.hpp"

#include "QuorvelShared/crypto/sealed_envelope.hpp"
#include "QuorvelShared/support/json_reader.hpp"
#include "QuorvelShared/support/json_writer.hpp"

namespace quorvel::UnlockContextCrypto {

std::string encrypt(const UnlockContextPlaintext& plaintext,
                    std::string_view recipientPublicKeyBase64) {
    const std::string json = json::write(toJson(plaintext), json::Style::compact);
    return sealEnvelope(bytesOf(json), recipientPublicKeyBase64, bytesOf(salt),
                        bytesOf(plaintext.requestId));
}

UnlockContextPlaintext decrypt(std::string_view envelopeBase64,
                               const P256KeyAgreementPrivateKey& recipientPrivateKey,
                               std::string_view requestId) {
    const Bytes opened =
        openEnvelope(envelopeBase64, recipientPrivateKey, bytesOf(salt), bytesOf(requestId));
    return unlockContextPlaintextFromJson(json::parse(textOf(opened)), "");
}

}  // namespace quorvel::UnlockContextCrypto
