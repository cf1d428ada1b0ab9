#pragma once

// Device keys kept in the keychain: per device id two items of the store's service, accounts
// "<device id>.signing" and "<device id>.encryption", each holding the key's 32-byte raw scalar.
//
// The application and the Bluetooth bridge daemon both create keys on first use. A key is
// created only as "add if absent" while holding a lock file in the shared state folder, after
// reading again under that lock, and an existing item is never replaced: two programs that find
// a device's key missing at once end up with the one key, instead of each going on with a key
// of its own while the later add overwrites the earlier.
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "QuorvelShared/devicekeys/device_key_storing.hpp"
#include "QuorvelShared/devicekeys/keychain.hpp"

namespace quorvel {

// The keychain service under which both programs keep the Mac's device keys.
inline constexpr std::string_view deviceKeyKeychainService = "app.quorvel.device-keys";

class KeychainDeviceKeyStore final : public DeviceKeyStoring {
public:
    KeychainDeviceKeyStore(std::shared_ptr<Keychain> keychain, std::string service);

    // Loads both keys, creating each missing one on its own (an existing signing key stays when
    // only the key-agreement key is missing, and the other way round). Throws
    // DeviceKeyStoreError for keychain failures, CryptoError(invalidKey) when stored bytes are
    // no key (the item is left alone), std::system_error when the lock file cannot be used.
    DeviceKeyPair loadOrCreateDeviceKeys(const std::string& deviceId) override;

    const std::string& service() const { return service_; }

private:
    std::optional<Bytes> load(const std::string& account) const;
    Bytes loadOrAdd(const std::string& account, const std::function<Bytes()>& generate) const;

    std::shared_ptr<Keychain> keychain_;
    std::string service_;
};

}  // namespace quorvel
