#include "QuorvelShared/unlockstate/target_sync_crypto.hpp"

#include "QuorvelShared/crypto/sealed_envelope.hpp"
#include "QuorvelShared/support/bytes.hpp"
#include "QuorvelShared/support/json_reader.hpp"
#include "QuorvelShared/support/json_writer.hpp"

namespace quorvel::TargetSyncCrypto {

std::string encrypt(const SyncedTargetList& list, std::string_view recipientPublicKeyBase64,
                    std::string_view macDeviceId) {
    const std::string plaintext = json::write(toJson(list), json::Style::compact);
    return sealEnvelope(bytesOf(plaintext), recipientPublicKeyBase64, bytesOf(salt),
                        bytesOf(macDeviceId));
}

SyncedTargetList decrypt(std::string_view envelopeBase64,
                         const P256KeyAgreementPrivateKey& recipientPrivateKey,
                         std::string_view macDeviceId) {
    const Bytes plaintext =
        openEnvelope(envelopeBase64, recipientPrivateKey, bytesOf(salt), bytesOf(macDeviceId));
    return syncedTargetListFromJson(json::parse(textOf(plaintext)), "");
}

}  // namespace quorvel::TargetSyncCrypto
