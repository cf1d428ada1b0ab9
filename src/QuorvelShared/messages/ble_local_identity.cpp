#include "QuorvelShared/messages/ble_local_identity.hpp"

#include "QuorvelShared/crypto/sha256.hpp"
#include "QuorvelShared/support/bytes.hpp"
#include "QuorvelShared/support/text.hpp"

namespace quorvel::BLELocalAdvertisementIdentity {

std::string serviceUUID(const std::optional<std::string>& macDeviceId) {
    const std::string trimmed = trimWhitespaceAndNewlines(macDeviceId.value_or(""));
    if (trimmed.empty()) {
        return std::string(BLELocalPrototypeUUIDs::service);
    }
    static constexpr char digits[] = "0123456789ABCDEF";
    const Sha256Digest digest = sha256(bytesOf(trimmed));
    std::string text;
    for (std::size_t i = 0; i < 16; ++i) {
        if (i == 4 || i == 6 || i == 8 || i == 10) {
            text += '-';
        }
        text += digits[digest[i] >> 4];
        text += digits[digest[i] & 0x0F];
    }
    return text;
}

}  // namespace quorvel::BLELocalAdvertisementIdentity
