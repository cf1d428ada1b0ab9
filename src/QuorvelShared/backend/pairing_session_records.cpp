#include "QuorvelShared/backend/pairing_session_records.hpp"

#include "QuorvelShared/support/json_reader.hpp"
#include "QuorvelShared/support/json_writer.hpp"

namespace quorvel::backend {

Json toJson(const PairingSessionCreateResponse& response) {
    Json object = Json::object();
    object["pairing_session_id"] = response.pairingSessionId;
    object["code"] = response.code;
    object["qr_url"] = response.qrURL;
    object["expires_at"] = json::isoDateValue(response.expiresAt);
    return object;
}

PairingSessionCreateResponse pairingSessionCreateResponseFromJson(const Json& value,
                                                                  const std::string& path) {
    const json::ObjectReader reader(value, path);
    return {
        .pairingSessionId = reader.string("pairing_session_id"),
        .code = reader.string("code"),
        .qrURL = reader.string("qr_url"),
        .expiresAt = reader.isoDate("expires_at"),
    };
}

Json toJson(const PairingSessionStatusResponse& response) {
    Json object = Json::object();
    object["pairing_session_id"] = response.pairingSessionId;
    object["status"] = response.status;
    object["expires_at"] = json::isoDateValue(response.expiresAt);
    if (response.macDeviceId) {
        object["mac_device_id"] = *response.macDeviceId;
    }
    if (response.iosDeviceId) {
        object["ios_device_id"] = *response.iosDeviceId;
    }
    if (response.iosPublicKeys) {
        object["ios_public_keys"] = toJson(*response.iosPublicKeys);
    }
    return object;
}

PairingSessionStatusResponse pairingSessionStatusResponseFromJson(const Json& value,
                                                                  const std::string& path) {
    const json::ObjectReader reader(value, path);
    return {
        .pairingSessionId = reader.string("pairing_session_id"),
        .status = reader.string("status"),
        .expiresAt = reader.isoDate("expires_at"),
        .macDeviceId = reader.optionalString("mac_device_id"),
        .iosDeviceId = reader.optionalString("ios_device_id"),
        .iosPublicKeys = reader.optional("ios_public_keys", devicePublicKeyBundleFromJson),
    };
}

Json toJson(const PairingApproveResponse& response) {
    Json object = Json::object();
    object["status"] = response.status;
    if (response.macDeviceId) {
        object["mac_device_id"] = *response.macDeviceId;
    }
    if (response.macPublicKeys) {
        object["mac_public_keys"] = toJson(*response.macPublicKeys);
    }
    return object;
}

PairingApproveResponse pairingApproveResponseFromJson(const Json& value, const std::string& path) {
    const json::ObjectReader reader(value, path);
    return {
        .status = reader.string("status"),
        .macDeviceId = reader.optionalString("mac_device_id"),
        .macPublicKeys = reader.optional("mac_public_keys", devicePublicKeyBundleFromJson),
    };
}

}  // namespace quorvel::backend
