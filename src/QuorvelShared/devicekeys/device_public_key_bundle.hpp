#pragma once

// The public halves of one device's keys, as the iPhone receives them in the pairing offer. Each
// text is the standard base64 of the key's 64-byte raw form (X then Y, big-endian), 88
// characters. The JSON keys are snake_case wherever the bundle is nested, also inside records
// whose own keys are camelCase: the peer reads them under these names.
#include <string>

#include "QuorvelShared/support/json.hpp"

namespace quorvel {

struct DevicePublicKeyBundle {
    std::string signingPublicKeyBase64;
    std::string encryptionPublicKeyBase64;

    friend bool operator==(const DevicePublicKeyBundle&, const DevicePublicKeyBundle&) = default;
};

// {"public_signing_key": ..., "public_encryption_key": ...}
Json toJson(const DevicePublicKeyBundle& bundle);
// Both keys are required.
DevicePublicKeyBundle devicePublicKeyBundleFromJson(const Json& value, const std::string& path);

}  // namespace quorvel
