#pragma once

// The records of the sign-in and device-registration endpoints. Backend JSON keys are snake_case,
// one explicit table per record; unlisted keys are ignored when reading.
#include <string>
#include <string_view>

#include "QuorvelShared/support/json.hpp"

namespace quorvel::backend {

enum class DeviceType { ios, mac };

// "ios" or "mac", the form the registration body carries.
std::string_view deviceTypeText(DeviceType type);

struct AppleAuthResponse {
    std::string userId;
    std::string accessToken;
    std::string refreshToken;

    friend bool operator==(const AppleAuthResponse&, const AppleAuthResponse&) = default;
};

struct DeviceRegistrationResponse {
    std::string deviceId;

    friend bool operator==(const DeviceRegistrationResponse&,
                           const DeviceRegistrationResponse&) = default;
};

// {"user_id", "access_token", "refresh_token"}, all required.
Json toJson(const AppleAuthResponse& response);
AppleAuthResponse appleAuthResponseFromJson(const Json& value, const std::string& path);

// {"device_id"}, required.
Json toJson(const DeviceRegistrationResponse& response);
DeviceRegistrationResponse deviceRegistrationResponseFromJson(const Json& value,
                                                              const std::string& path);

}  // namespace quorvel::backend
