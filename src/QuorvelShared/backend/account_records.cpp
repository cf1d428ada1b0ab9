#include "QuorvelShared/backend/account_records.hpp"

#include "QuorvelShared/support/json_reader.hpp"

namespace quorvel::backend {

std::string_view deviceTypeText(DeviceType type) {
    return type == DeviceType::mac ? "mac" : "ios";
}

Json toJson(const AppleAuthResponse& response) {
    Json object = Json::object();
    object["user_id"] = response.userId;
    object["access_token"] = response.accessToken;
    object["refresh_token"] = response.refreshToken;
    return object;
}

AppleAuthResponse appleAuthResponseFromJson(const Json& value, const std::string& path) {
    const json::ObjectReader reader(value, path);
    return {
        .userId = reader.string("user_id"),
        .accessToken = reader.string("access_token"),
        .refreshToken = reader.string("refresh_token"),
    };
}

Json toJson(const DeviceRegistrationResponse& response) {
    Json object = Json::object();
    object["device_id"] = response.deviceId;
    return object;
}

DeviceRegistrationResponse deviceRegistrationResponseFromJson(const Json& value,
                                                              const std::string& path) {
    return {.deviceId = json::ObjectReader(value, path).string("device_id")};
}

}  // namespace quorvel::backend
