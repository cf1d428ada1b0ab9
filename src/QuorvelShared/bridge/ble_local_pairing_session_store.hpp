#pragma once

// The pending pairing offer ("ble-pairing-session.json") that the application makes when the user
// starts pairing; the bridge daemon accepts the iPhone's approval only while it has not expired
// and when its session id and code match. Compact, in field order, with the expiry as a number of
// seconds since 2001, fractions kept. Writing it posts nothing.
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "QuorvelShared/devicekeys/device_public_key_bundle.hpp"
#include "QuorvelShared/support/date.hpp"
#include "QuorvelShared/support/json.hpp"

namespace quorvel {

struct BLELocalPairingSession {
    // "pair_" followed by a UUID.
    std::string sessionId;
    // The six digits shown with the QR code.
    std::string code;
    Date expiresAt;
    std::string macDeviceId;
    DevicePublicKeyBundle macPublicKeys;

    friend bool operator==(const BLELocalPairingSession&, const BLELocalPairingSession&) = default;
};

Json toJson(const BLELocalPairingSession& session);
BLELocalPairingSession bleLocalPairingSessionFromJson(const Json& value, const std::string& path);

namespace BLELocalPairingSessionStore {

// Announces a change of the link configuration (not of the pairing session). The bridge daemon
// posts it after saving a link for an approved pairing and after clearing it on unpairing.
inline constexpr std::string_view configurationChangedNotification =
    "app.quorvel.bleBridge.configurationChanged";

std::filesystem::path filePath();

// No file gives no value; read and decoding errors are thrown.
std::optional<BLELocalPairingSession> load();

// Replaces the file with the session as given; nothing is validated.
void save(const BLELocalPairingSession& session);

}  // namespace BLELocalPairingSessionStore
}  // namespace quorvel
