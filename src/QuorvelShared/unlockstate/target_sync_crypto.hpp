#pragma once

// Sealing of the synced target list for the Mac's key-agreement key: the steps of the sealed
// envelope (sealed_envelope.hpp) under the list's own salt, with the Mac's device id as the
// key-derivation info and the list's compact JSON as the plaintext. A list opens only with the
// device id it was sealed for, and never as an unlock context (the salts differ).
#include <string>
#include <string_view>

#include "QuorvelShared/crypto/p256_private_keys.hpp"
#include "QuorvelShared/unlockstate/synced_target_list.hpp"

namespace quorvel::TargetSyncCrypto {

inline constexpr std::string_view salt = "mossgroves.lantern-pier.v3";

// The sealed list as one base64 text. Fails as sealEnvelope does, and with json::EncodeError for
// a list that has no JSON form.
std::string encrypt(const SyncedTargetList& list, std::string_view recipientPublicKeyBase64,
                    std::string_view macDeviceId);

// The list, whatever its version (the version rules belong to the store). Fails as openEnvelope
// does, and with json::DecodeError when the opened bytes are not a complete list.
SyncedTargetList decrypt(std::string_view envelopeBase64,
                         const P256KeyAgreementPrivateKey& recipientPrivateKey,
                         std::string_view macDeviceId);

}  // namespace quorvel::TargetSyncCrypto
