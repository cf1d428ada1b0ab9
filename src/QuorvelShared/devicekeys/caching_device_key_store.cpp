#include "QuorvelShared/devicekeys/caching_device_key_store.hpp"

namespace quorvel {

CachingDeviceKeyStore::CachingDeviceKeyStore(std::unique_ptr<DeviceKeyStoring> base)
    : base_(std::move(base)) {}

DeviceKeyPair CachingDeviceKeyStore::loadOrCreateDeviceKeys(const std::string& deviceId) {
    std::lock_guard guard(lock_);
    if (const auto found = cachedKeysByDeviceId_.find(deviceId);
        found != cachedKeysByDeviceId_.end()) {
        return found->second;
    }
    DeviceKeyPair pair = base_->loadOrCreateDeviceKeys(deviceId);
    cachedKeysByDeviceId_.emplace(deviceId, pair);
    return pair;
}

}  // namespace quorvel
