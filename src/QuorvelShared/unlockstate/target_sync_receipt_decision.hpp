#pragma once

// What the sender of a synced target list does with a target-sync receipt that reports a list
// version: the receipt confirms the version it waits for, reports a newer one (the receiver holds
// a list the sender has not seen: continue from that version), or reports an older one (a late
// receipt: ignore it).
#include <cstdint>
#include <optional>

namespace quorvel {

class TargetSyncReceiptDecision {
public:
    enum class Outcome { applied, rebase, ignore };

    static TargetSyncReceiptDecision applied() { return {Outcome::applied, 0}; }
    static TargetSyncReceiptDecision rebase(std::int64_t to) { return {Outcome::rebase, to}; }
    static TargetSyncReceiptDecision ignore() { return {Outcome::ignore, 0}; }

    static TargetSyncReceiptDecision evaluate(std::int64_t pendingVersion,
                                              std::int64_t receivedVersion);

    Outcome outcome() const { return outcome_; }
    // The version to continue from; only a rebase carries one.
    std::optional<std::int64_t> rebaseVersion() const;

    friend bool operator==(const TargetSyncReceiptDecision&,
                           const TargetSyncReceiptDecision&) = default;

private:
    TargetSyncReceiptDecision(Outcome outcome, std::int64_t version)
        : outcome_(outcome), version_(version) {}

    Outcome outcome_;
    std::int64_t version_;
};

}  // namespace quorvel
