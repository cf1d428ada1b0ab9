#pragma once

// The kind of a Bluetooth wire message, stored as its case name (exact, case-sensitive). It is
// also a field of the signed trusted-state payload, so the names are part of signed bytes.
#include <string>

#include "QuorvelShared/support/enum_names.hpp"
#include "QuorvelShared/support/json.hpp"

namespace quorvel {

enum class BLELocalPrototypeMessageKind {
    unlockRequest,
    unlockReceipt,
    unlockApproval,
    unlockCancellation,
    targetSync,
    targetSyncReceipt,
    linkedUnlock,
    linkedUnlockReceipt,
    pairingOffer,
    pairingApproval,
    pairingResult,
    unpair,
    stateRefreshRequest,
};

constexpr EnumName<BLELocalPrototypeMessageKind> bleLocalPrototypeMessageKindNames[] = {
    {BLELocalPrototypeMessageKind::unlockRequest, "unlockRequest"},
    {BLELocalPrototypeMessageKind::unlockReceipt, "unlockReceipt"},
    {BLELocalPrototypeMessageKind::unlockApproval, "unlockApproval"},
    {BLELocalPrototypeMessageKind::unlockCancellation, "unlockCancellation"},
    {BLELocalPrototypeMessageKind::targetSync, "targetSync"},
    {BLELocalPrototypeMessageKind::targetSyncReceipt, "targetSyncReceipt"},
    {BLELocalPrototypeMessageKind::linkedUnlock, "linkedUnlock"},
    {BLELocalPrototypeMessageKind::linkedUnlockReceipt, "linkedUnlockReceipt"},
    {BLELocalPrototypeMessageKind::pairingOffer, "pairingOffer"},
    {BLELocalPrototypeMessageKind::pairingApproval, "pairingApproval"},
    {BLELocalPrototypeMessageKind::pairingResult, "pairingResult"},
    {BLELocalPrototypeMessageKind::unpair, "unpair"},
    {BLELocalPrototypeMessageKind::stateRefreshRequest, "stateRefreshRequest"},
};

// True for the four kinds the iPhone sends unprompted (target list, linked unlock, pairing
// approval, unpairing); every other kind belongs to an exchange the Mac started.
bool isIOSControlMessage(BLELocalPrototypeMessageKind kind);

Json toJson(BLELocalPrototypeMessageKind kind);
BLELocalPrototypeMessageKind bleLocalPrototypeMessageKindFromJson(const Json& value,
                                                                  const std::string& path);

}  // namespace quorvel
