#pragma once

// The records of the pairing-session endpoints. The status word, the code and the QR text are
// the server's and are carried unread. A nested public-key object must hold both its keys.
#include <optional>
#include <string>

#include "QuorvelShared/devicekeys/device_public_key_bundle.hpp"
#include "QuorvelShared/support/date.hpp"
#include "QuorvelShared/support/json.hpp"

namespace quorvel::backend {

struct PairingSessionCreateResponse {
    std::string pairingSessionId;
    std::string code;
    std::string qrURL;
    Date expiresAt;

    friend bool operator==(const PairingSessionCreateResponse&,
                           const PairingSessionCreateResponse&) = default;
};

struct PairingSessionStatusResponse {
    std::string pairingSessionId;
    std::string status;
    Date expiresAt;
    std::optional<std::string> macDeviceId;
    std::optional<std::string> iosDeviceId;
    std::optional<DevicePublicKeyBundle> iosPublicKeys;

    friend bool operator==(const PairingSessionStatusResponse&,
                           const PairingSessionStatusResponse&) = default;
};

struct PairingApproveResponse {
    std::string status;
    std::optional<std::string> macDeviceId;
    std::optional<DevicePublicKeyBundle> macPublicKeys;

    friend bool operator==(const PairingApproveResponse&, const PairingApproveResponse&) = default;
};

// {"pairing_session_id", "code", "qr_url", "expires_at"}, all required.
Json toJson(const PairingSessionCreateResponse& response);
PairingSessionCreateResponse pairingSessionCreateResponseFromJson(const Json& value,
                                                                  const std::string& path);

// "pairing_session_id", "status", "expires_at" required; "mac_device_id", "ios_device_id",
// "ios_public_keys" optional.
Json toJson(const PairingSessionStatusResponse& response);
PairingSessionStatusResponse pairingSessionStatusResponseFromJson(const Json& value,
                                                                  const std::string& path);

// "status" required; "mac_device_id", "mac_public_keys" optional.
Json toJson(const PairingApproveResponse& response);
PairingApproveResponse pairingApproveResponseFromJson(const Json& value, const std::string& path);

}  // namespace quorvel::backend
