#include "QuorvelShared/devicekeys/keychain_device_key_store.hpp"

#include "QuorvelShared/devicekeys/device_key_store_error.hpp"
#include "QuorvelShared/support/file_lock.hpp"
#include "QuorvelShared/support/xdg_paths.hpp"

namespace quorvel {

KeychainDeviceKeyStore::KeychainDeviceKeyStore(std::shared_ptr<Keychain> keychain,
                                               std::string service)
    : keychain_(std::move(keychain)), service_(std::move(service)) {}

DeviceKeyPair KeychainDeviceKeyStore::loadOrCreateDeviceKeys(const std::string& deviceId) {
    const Bytes signing = loadOrAdd(deviceId + ".signing", [] {
        return P256SigningPrivateKey::generate(/*compactRepresentable=*/true).rawRepresentation();
    });
    const Bytes encryption = loadOrAdd(deviceId + ".encryption", [] {
        return P256KeyAgreementPrivateKey::generate().rawRepresentation();
    });
    // Fresh keys take the same road as stored ones.
    return DeviceKeyPair{
        .signingPrivateKey = P256SigningPrivateKey::fromRawRepresentation(signing),
        .encryptionPrivateKey = P256KeyAgreementPrivateKey::fromRawRepresentation(encryption),
    };
}

std::optional<Bytes> KeychainDeviceKeyStore::load(const std::string& account) const {
    KeychainItemRead read = keychain_->copyGenericPassword(service_, account);
    if (read.status.code == keychainstatus::itemNotFound) {
        return std::nullopt;
    }
    if (read.status.code != keychainstatus::success) {
        throw DeviceKeyStoreError::keychain(read.status.code, read.status.message);
    }
    if (!read.data) {
        throw DeviceKeyStoreError::invalidData(account);
    }
    return std::move(read.data);
}

Bytes KeychainDeviceKeyStore::loadOrAdd(const std::string& account,
                                        const std::function<Bytes()>& generate) const {
    if (std::optional<Bytes> stored = load(account)) {
        return *stored;
    }
    const auto lockFile = paths::sharedStateFile(".device-keys.lock");
    return files::withLockedFile(files::processMutexFor(lockFile), lockFile, [&] {
        // Whoever held the lock before us may have just created it.
        if (std::optional<Bytes> stored = load(account)) {
            return *stored;
        }
        Bytes fresh = generate();
        const KeychainStatus added = keychain_->addGenericPassword(service_, account, fresh);
        if (added.code == keychainstatus::success) {
            return fresh;
        }
        if (added.code == keychainstatus::duplicateItem) {
            // Added by someone outside this lock (a program with another data folder): the key
            // already in the keychain is the device's key.
            if (std::optional<Bytes> stored = load(account)) {
                return *stored;
            }
        }
        throw DeviceKeyStoreError::keychain(added.code, added.message);
    });
}

}  // namespace quorvel
