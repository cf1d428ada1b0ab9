#pragma once

#include <string>

#include "QuorvelShared/devicekeys/device_key_pair.hpp"

namespace quorvel {

// Where a program gets its device's keys. Holders keep a std::shared_ptr to any implementation.
class DeviceKeyStoring {
public:
    virtual ~DeviceKeyStoring() = default;

    // The keys of `deviceId` (taken exactly as given), creating and storing those missing.
    virtual DeviceKeyPair loadOrCreateDeviceKeys(const std::string& deviceId) = 0;
};

}  // namespace quorvel
