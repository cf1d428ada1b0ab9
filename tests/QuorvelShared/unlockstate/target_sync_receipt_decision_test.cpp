#include "QuorvelShared/unlockstate/target_sync_receipt_decision.hpp"

#include <gtest/gtest.h>

namespace quorvel {
namespace {

TEST(TargetSyncReceiptDecision, ComparesTheReceivedVersionWithThePendingOne) {
    struct Case {
        std::int64_t pending;
        std::int64_t received;
        TargetSyncReceiptDecision expected;
    };
    const Case cases[] = {
        {5, 5, TargetSyncReceiptDecision::applied()},
        {5, 7, TargetSyncReceiptDecision::rebase(7)},
        {5, 3, TargetSyncReceiptDecision::ignore()},
        {-1, INT64_MAX, TargetSyncReceiptDecision::rebase(INT64_MAX)},
        {INT64_MIN, INT64_MIN, TargetSyncReceiptDecision::applied()},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.pending) + " " + std::to_string(c.received));
        EXPECT_EQ(TargetSyncReceiptDecision::evaluate(c.pending, c.received), c.expected);
    }
}

TEST(TargetSyncReceiptDecision, RebasesAreEqualOnlyWithTheSameVersion) {
    EXPECT_EQ(TargetSyncReceiptDecision::rebase(7).rebaseVersion(), 7);
    EXPECT_NE(TargetSyncReceiptDecision::rebase(7), TargetSyncReceiptDecision::rebase(8));
    EXPECT_NE(TargetSyncReceiptDecision::rebase(0), TargetSyncReceiptDecision::applied());
    EXPECT_NE(TargetSyncReceiptDecision::applied(), TargetSyncReceiptDecision::ignore());
    EXPECT_EQ(TargetSyncReceiptDecision::ignore().rebaseVersion(), std::nullopt);
}

}  // namespace
}  // namespace quorvel
