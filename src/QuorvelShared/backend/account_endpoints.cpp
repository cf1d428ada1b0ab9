// Sign-in, device registration and account deletion.
#include "QuorvelShared/backend/backend_api_client.hpp"
#include "QuorvelShared/support/json_reader.hpp"

namespace quorvel::backend {

AppleAuthResponse BackendAPIClient::authenticateWithApple(const std::string& identityToken,
                                                          const std::string& authorizationCode) {
    Json body = Json::object();
    body["identity_token"] = identityToken;
    body["authorization_code"] = authorizationCode;
    // The backend knows the sign-in flow only under the iPhone's name, whoever signs in.
    body["client"] = "ios";
    return appleAuthResponseFromJson(json::parse(send("/v1/auth/apple", "POST", body)), "");
}

DeviceRegistrationResponse BackendAPIClient::registerDevice(
    DeviceType type, const std::optional<std::string>& deviceId,
    const std::optional<std::string>& deviceName, const DevicePublicKeyBundle& publicKeys,
    const std::optional<std::string>& apnsToken) {
    Json body = Json::object();
    if (deviceId) {
        body["device_id"] = *deviceId;
    }
    body["device_type"] = std::string(deviceTypeText(type));
    if (deviceName) {
        body["device_name"] = *deviceName;
    }
    body["public_signing_key"] = publicKeys.signingPublicKeyBase64;
    body["public_encryption_key"] = publicKeys.encryptionPublicKeyBase64;
    if (apnsToken) {
        body["apns_token"] = *apnsToken;
    }
    return deviceRegistrationResponseFromJson(json::parse(send("/v1/devices", "POST", body)), "");
}

void BackendAPIClient::deleteAccount() {
    send(address("/v1/account"), "DELETE");
}

}  // namespace quorvel::backend
