#pragma once

// Why the peripheral could not carry an unlock request. The texts are machine-readable codes: the
// mailbox response carries them to the application and the browser host, which read them.
#include <string>
#include <string_view>

#include "QuorvelShared/support/enum_names.hpp"

namespace quorvel::daemon {

enum class BLELocalUnlockPrototypeError {
    bluetoothUnavailable,
    invalidMessage,
    requestAlreadyPending,
    deliveryUnconfirmed,
    timeout,
    unexpectedResponse,
};

constexpr EnumName<BLELocalUnlockPrototypeError> bleLocalUnlockPrototypeErrorTexts[] = {
    {BLELocalUnlockPrototypeError::bluetoothUnavailable, "bluetooth_unavailable"},
    {BLELocalUnlockPrototypeError::invalidMessage, "bluetooth_message_invalid"},
    {BLELocalUnlockPrototypeError::requestAlreadyPending, "bluetooth_request_already_pending"},
    {BLELocalUnlockPrototypeError::deliveryUnconfirmed, "iphone_delivery_unconfirmed"},
    {BLELocalUnlockPrototypeError::timeout, "iphone_bluetooth_timeout"},
    {BLELocalUnlockPrototypeError::unexpectedResponse, "bluetooth_response_unexpected"},
};

inline std::string errorDescription(BLELocalUnlockPrototypeError error) {
    return std::string(
        nameOf<BLELocalUnlockPrototypeError>(error, bleLocalUnlockPrototypeErrorTexts));
}

}  // namespace quorvel::daemon
