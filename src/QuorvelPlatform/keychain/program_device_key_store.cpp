#include "QuorvelPlatform/keychain/program_device_key_store.hpp"

#include <string>

#include "QuorvelPlatform/keychain/secret_service_keychain.hpp"
#include "QuorvelShared/devicekeys/caching_device_key_store.hpp"
#include "QuorvelShared/devicekeys/keychain_device_key_store.hpp"

namespace quorvel {

std::shared_ptr<DeviceKeyStoring> programDeviceKeyStore() {
    return std::make_shared<CachingDeviceKeyStore>(std::make_unique<KeychainDeviceKeyStore>(
        std::make_shared<SecretServiceKeychain>(), std::string(deviceKeyKeychainService)));
}

}  // namespace quorvel
