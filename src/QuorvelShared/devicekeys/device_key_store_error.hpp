#pragma once

#include <cstdint>
#include <string>

#include "QuorvelShared/support/typed_error.hpp"

namespace quorvel {

enum class DeviceKeyStoreErrorCode {
    // A keychain call answered a status other than success (and other than "not found" on a
    // read); status() tells which.
    keychain,
    // The keychain reported success but gave no bytes.
    invalidData,
};

class DeviceKeyStoreError : public Error<DeviceKeyStoreErrorCode> {
public:
    // `message` is the keychain library's text; it goes into what() for logs and users.
    [[nodiscard]] static DeviceKeyStoreError keychain(std::int32_t status,
                                                      const std::string& message);
    [[nodiscard]] static DeviceKeyStoreError invalidData(const std::string& account);

    // The keychain status of a `keychain` error; 0 for `invalidData`.
    std::int32_t status() const { return status_; }

    // Equal when the same case and, for `keychain`, the same status; the text does not count.
    friend bool operator==(const DeviceKeyStoreError& a, const DeviceKeyStoreError& b) {
        return a.code() == b.code() && a.status_ == b.status_;
    }

private:
    DeviceKeyStoreError(DeviceKeyStoreErrorCode code, std::int32_t status,
                        const std::string& message)
        : Error(code, message), status_(status) {}

    std::int32_t status_;
};

}  // namespace quorvel
