#include "QuorvelShared/devicekeys/device_key_store_error.hpp"

namespace quorvel {

DeviceKeyStoreError DeviceKeyStoreError::keychain(std::int32_t status, const std::string& message) {
    std::string text = "keychain status " + std::to_string(status);
    if (!message.empty()) {
        text += ": " + message;
    }
    return DeviceKeyStoreError(DeviceKeyStoreErrorCode::keychain, status, text);
}

DeviceKeyStoreError DeviceKeyStoreError::invalidData(const std::string& account) {
    return DeviceKeyStoreError(DeviceKeyStoreErrorCode::invalidData, 0,
                               "the keychain answered without data for " + account);
}

}  // namespace quorvel
