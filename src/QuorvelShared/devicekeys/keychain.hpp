#pragma once

// The keychain as the device-key store sees it: generic-password items found by exactly two
// attributes, a service and an account, each holding a byte string. Statuses keep the values
// the peer platform gives them, so that a status reported anywhere means the same thing.
#include <cstdint>
#include <optional>
#include <string>

#include "QuorvelShared/support/bytes.hpp"

namespace quorvel {

namespace keychainstatus {
inline constexpr std::int32_t success = 0;
inline constexpr std::int32_t itemNotFound = -25300;
inline constexpr std::int32_t duplicateItem = -25299;
}  // namespace keychainstatus

struct KeychainStatus {
    std::int32_t code = keychainstatus::success;
    // The keychain library's own words for a failure; empty on success.
    std::string message;

    bool operator==(const KeychainStatus&) const = default;
};

struct KeychainItemRead {
    KeychainStatus status;
    // The item's bytes when the status is success. A keychain that reports success without
    // bytes leaves it empty; the caller treats that as invalid data.
    std::optional<Bytes> data;
};

class Keychain {
public:
    virtual ~Keychain() = default;

    // The item of `service` and `account`: success with its bytes, itemNotFound, or any other
    // status with the library's message. Never asks the user anything. A service or account
    // that the keychain cannot store exactly (the Secret Service takes no NUL and only UTF-8)
    // answers a status of its own, never another item's bytes.
    virtual KeychainItemRead copyGenericPassword(const std::string& service,
                                                 const std::string& account) = 0;

    // Adds the item. An item of that service and account already there answers duplicateItem
    // and stays as it was: an add never replaces. Any other failure is its own status with the
    // library's message.
    virtual KeychainStatus addGenericPassword(const std::string& service,
                                              const std::string& account, ByteView data) = 0;
};

}  // namespace quorvel
