#pragma once

#include "QuorvelShared/crypto/p256_private_keys.hpp"
#include "QuorvelShared/devicekeys/device_public_key_bundle.hpp"

namespace quorvel {

// The private keys of one device: the signing key for its receipts, the key-agreement key for
// which the iPhone seals the synced target list. Never serialised.
struct DeviceKeyPair {
    P256SigningPrivateKey signingPrivateKey;
    P256KeyAgreementPrivateKey encryptionPrivateKey;

    // Signing key first, key agreement second.
    DevicePublicKeyBundle publicKeys() const;

    friend bool operator==(const DeviceKeyPair&, const DeviceKeyPair&) = default;
};

}  // namespace quorvel
