#include "QuorvelShared/unlockstate/target_sync_receipt_decision.hpp"

namespace quorvel {

TargetSyncReceiptDecision TargetSyncReceiptDecision::evaluate(std::int64_t pendingVersion,
                                                              std::int64_t receivedVersion) {
    if (receivedVersion == pendingVersion) {
        return applied();
    }
    if (receivedVersion > pendingVersion) {
        return rebase(receivedVersion);
    }
    return ignore();
}

std::optional<std::int64_t> TargetSyncReceiptDecision::rebaseVersion() const {
    if (outcome_ != Outcome::rebase) {
        return std::nullopt;
    }
    return version_;
}

}  // namespace quorvel
