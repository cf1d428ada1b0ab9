#pragma once

#include <map>
#include <memory>
#include <mutex>
#include <string>

#include "QuorvelShared/devicekeys/device_key_storing.hpp"

namespace quorvel {

// Remembers every pair its base store returned, for the life of the holder; failures are not
// remembered, so the next call tries the base again. One lock serialises all calls, held across
// the base's work, so threads asking for the same new device id create its keys once.
class CachingDeviceKeyStore final : public DeviceKeyStoring {
public:
    explicit CachingDeviceKeyStore(std::unique_ptr<DeviceKeyStoring> base);

    // Passes the base store's failures on unchanged.
    DeviceKeyPair loadOrCreateDeviceKeys(const std::string& deviceId) override;

private:
    std::unique_ptr<DeviceKeyStoring> base_;
    std::map<std::string, DeviceKeyPair> cachedKeysByDeviceId_;
    std::mutex lock_;
};

}  // namespace quorvel
