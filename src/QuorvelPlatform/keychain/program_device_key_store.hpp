#pragma once

// The device-key store both programs use: the Mac's keys in the Secret Service under
// deviceKeyKeychainService, kept in memory once read.
#include <memory>

#include "QuorvelShared/devicekeys/device_key_storing.hpp"

namespace quorvel {

std::shared_ptr<DeviceKeyStoring> programDeviceKeyStore();

}  // namespace quorvel
