#pragma once

// The approvals the Mac has accepted, by unlock request id, in
// "ble-accepted-approval-receipts.json": one JSON object, request id -> receipt, pretty-printed
// with sorted keys, replaced atomically. A receipt stays while its approved window lasts; saves
// are one locked read-modify-write of the file, lookups take no lock.
#include <filesystem>
#include <optional>

#include "QuorvelShared/messages/ble_local_prototype_wire_message.hpp"
#include "QuorvelShared/support/clock.hpp"
#include "QuorvelShared/unlockstate/ble_local_accepted_approval_receipt.hpp"

namespace quorvel::BLELocalAcceptedApprovalReceiptStore {

// "ble-accepted-approval-receipts.json" in the shared state folder (made when missing).
std::filesystem::path filePath();

// The live receipt stored under the message's request id when it matches the message at `at`.
// Never fails: a missing, unreadable or undecodable file gives no receipt.
std::optional<BLELocalAcceptedApprovalReceipt> matchingReceipt(
    const BLELocalPrototypeWireMessage& message, Date at, const std::filesystem::path& from);

// Stores the receipt under its request id, replacing the one stored there, and drops receipts
// whose window has ended (by the clock, read inside the lock). Undecodable content is replaced;
// a failed read throws and leaves the file as it is, as do encoding and writing errors.
void save(const BLELocalAcceptedApprovalReceipt& receipt, const std::filesystem::path& to,
          const Clock& clock = systemClock());

}  // namespace quorvel::BLELocalAcceptedApprovalReceiptStore
