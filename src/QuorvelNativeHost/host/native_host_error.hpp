#pragma once

// The errors of the native-host program, shared by its two roles. They have no prose of their
// own: where one reaches the browser extension it travels as its plain textual form, the case
// name, and for bluetoothBridgeFailed the case name with the quoted reason in parentheses.
#include <optional>
#include <string>
#include <string_view>

#include "QuorvelShared/support/enum_names.hpp"
#include "QuorvelShared/support/typed_error.hpp"

namespace quorvel::host {

enum class NativeHostErrorCase {
    bluetoothBridgeFailed,  // carries a reason text
    messageTooLarge,
    unexpectedEndOfInput,
    invalidBluetoothRequest,
    invalidBluetoothResponse,
    macAppNotRunning,
    bluetoothBridgeTimeout,
    invalidPairingApproval,
};

constexpr EnumName<NativeHostErrorCase> nativeHostErrorCaseNames[] = {
    {NativeHostErrorCase::bluetoothBridgeFailed, "bluetoothBridgeFailed"},
    {NativeHostErrorCase::messageTooLarge, "messageTooLarge"},
    {NativeHostErrorCase::unexpectedEndOfInput, "unexpectedEndOfInput"},
    {NativeHostErrorCase::invalidBluetoothRequest, "invalidBluetoothRequest"},
    {NativeHostErrorCase::invalidBluetoothResponse, "invalidBluetoothResponse"},
    {NativeHostErrorCase::macAppNotRunning, "macAppNotRunning"},
    {NativeHostErrorCase::bluetoothBridgeTimeout, "bluetoothBridgeTimeout"},
    {NativeHostErrorCase::invalidPairingApproval, "invalidPairingApproval"},
};

// The error as thrown: Error<NativeHostErrorCase> whose what() is the plain textual form.
class NativeHostError : public Error<NativeHostErrorCase> {
public:
    // A case without payload (bluetoothBridgeFailed takes its reason through bridgeFailed).
    explicit NativeHostError(NativeHostErrorCase code);
    static NativeHostError bridgeFailed(const std::string& reason);

    // The reason of bluetoothBridgeFailed; absent for every other case.
    const std::optional<std::string>& reason() const { return reason_; }

private:
    NativeHostError(NativeHostErrorCase code, std::optional<std::string> reason);
    std::optional<std::string> reason_;
};

// The plain textual form: "macAppNotRunning", or bluetoothBridgeFailed("reason") with the reason
// quoted and its quotes, backslashes and control characters escaped.
std::string textualForm(NativeHostErrorCase code, const std::optional<std::string>& reason = {});

}  // namespace quorvel::host
