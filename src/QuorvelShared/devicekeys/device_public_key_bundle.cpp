#include "QuorvelShared/devicekeys/device_public_key_bundle.hpp"

#include "QuorvelShared/support/json_reader.hpp"

namespace quorvel {

Json toJson(const DevicePublicKeyBundle& bundle) {
    Json object = Json::object();
    object["public_signing_key"] = bundle.signingPublicKeyBase64;
    object["public_encryption_key"] = bundle.encryptionPublicKeyBase64;
    return object;
}

DevicePublicKeyBundle devicePublicKeyBundleFromJson(const Json& value, const std::string& path) {
    const json::ObjectReader reader(value, path);
    return DevicePublicKeyBundle{
        .signingPublicKeyBase64 = reader.string("public_signing_key"),
        .encryptionPublicKeyBase64 = reader.string("public_encryption_key"),
    };
}

}  // namespace quorvel
