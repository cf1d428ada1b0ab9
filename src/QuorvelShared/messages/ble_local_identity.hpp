#pragma once

// The fixed numbers of the Bluetooth LE link with the paired iPhone.
#include <optional>
#include <string>
#include <string_view>

namespace quorvel {

// The GATT service the bridge daemon publishes and its two characteristics.
namespace BLELocalPrototypeUUIDs {
// The fixed service; the advertised identity falls back to it when there is no Mac id.
inline constexpr std::string_view service = "7BE11000-7B85-4C21-9A2B-5D52E7A091F1";
// The Mac sends frames to the iPhone here (notifications).
inline constexpr std::string_view macToIOS = "7BE11001-7B85-4C21-9A2B-5D52E7A091F1";
// The iPhone writes frames for the Mac here.
inline constexpr std::string_view iosToMac = "7BE11002-7B85-4C21-9A2B-5D52E7A091F1";
}  // namespace BLELocalPrototypeUUIDs

namespace BLELocalAdvertisementIdentity {

// The service UUID the daemon advertises, which anyone who knows the Mac's device id can compute
// and which differs from Mac to Mac: the first 16 bytes of SHA-256 over the UTF-8 of the id
// (trimmed of white space and line breaks, no salt), as upper-case 8-4-4-4-12 hexadecimal. No
// UUID version or variant bits are set. An absent or blank id gives the fixed service UUID.
std::string serviceUUID(const std::optional<std::string>& macDeviceId);

}  // namespace BLELocalAdvertisementIdentity

namespace BLELocalTransportPrototype {
inline constexpr bool enabled = true;
inline constexpr std::string_view settingsLabel = "Bluetooth";
inline constexpr std::string_view preparingLabel = "準備中";
}  // namespace BLELocalTransportPrototype

}  // namespace quorvel
