#pragma once

// What the daemon does with the messages the paired iPhone sends unprompted (pairing approval,
// synced target list, linked unlock, unpairing) and with its unlock receipts: each is checked
// against the link configuration and the iPhone's signature, applied to the shared state files,
// and answered with a reply signed by the Mac where the kind has one. None of these throws back
// to the peripheral: a refused message is dropped without reply, except a refused pairing
// approval, which is answered.
#include <optional>

#include "QuorvelShared/devicekeys/device_key_storing.hpp"
#include "QuorvelShared/messages/ble_local_prototype_wire_message.hpp"

namespace quorvel::daemon {

// The reply for the iPhone, or none.
std::optional<BLELocalPrototypeWireMessage> applyBluetoothIncomingMessage(
    const BLELocalPrototypeWireMessage& message, DeviceKeyStoring& deviceKeys);

// Checks the approval against the pending offer and saves the new link configuration. Throws
// host::NativeHostError(invalidPairingApproval) for a refused approval and passes store errors on.
void applyBluetoothPairingApproval(const BLELocalPrototypeWireMessage& message);

// Records a valid receipt as the request's progress entry in the mailbox; false when refused.
bool acceptBluetoothUnlockReceipt(const BLELocalPrototypeWireMessage& message);

// The text a refused pairing approval is answered with.
inline constexpr std::string_view pairingRefusedText = "コードまたは有効期限を確認してください";

}  // namespace quorvel::daemon
