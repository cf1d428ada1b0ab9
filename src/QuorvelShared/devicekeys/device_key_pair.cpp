#include "QuorvelShared/devicekeys/device_key_pair.hpp"

#include "QuorvelShared/support/base64.hpp"

namespace quorvel {

DevicePublicKeyBundle DeviceKeyPair::publicKeys() const {
    return DevicePublicKeyBundle{
        .signingPublicKeyBase64 = base64Encode(signingPrivateKey.publicKey().rawRepresentation()),
        .encryptionPublicKeyBase64 =
            base64Encode(encryptionPrivateKey.publicKey().rawRepresentation()),
    };
}

}  // namespace quorvel
