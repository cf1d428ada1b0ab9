#include "QuorvelNativeHost/daemon/delivery_recovery_state.hpp"

#include <gtest/gtest.h>

namespace quorvel::daemon {
namespace {

BLELocalPrototypeWireMessage request(std::optional<std::string> id, std::string context = "c") {
    BLELocalPrototypeWireMessage message;
    message.requestId = std::move(id);
    message.encryptedContext = std::move(context);
    return message;
}

TEST(DeliveryRecoveryState, AMessageWithoutRequestIdIsNotRecorded) {
    BLELocalUnlockDeliveryRecoveryState state;
    state.begin(request(std::nullopt));
    EXPECT_EQ(state, BLELocalUnlockDeliveryRecoveryState{});
    EXPECT_TRUE(state.activeMessages().empty());
}

TEST(DeliveryRecoveryState, BeginAgainKeepsThePlaceAndResetsTheRecord) {
    BLELocalUnlockDeliveryRecoveryState state;
    state.begin(request("a", "first"));
    state.begin(request("b"));
    EXPECT_TRUE(state.prepareRetry("a"));
    state.begin(request("a", "second"));
    EXPECT_FALSE(state.hasUsedRecovery("a"));
    const auto active = state.activeMessages();
    ASSERT_EQ(active.size(), 2u);
    EXPECT_EQ(active[0].encryptedContext, "second");
    EXPECT_EQ(active[1].requestId, "b");
    EXPECT_EQ(state.takeMessageForSend("a")->encryptedContext, "second");
}

TEST(DeliveryRecoveryState, TakeHandsOutOnceAndARetryQueuesAgainOnce) {
    BLELocalUnlockDeliveryRecoveryState state;
    state.begin(request("a"));
    EXPECT_TRUE(state.takeMessageForSend("a"));
    EXPECT_FALSE(state.takeMessageForSend("a"));
    EXPECT_FALSE(state.takeMessageForSend("unknown"));
    EXPECT_TRUE(state.prepareRetry("a"));
    EXPECT_TRUE(state.hasUsedRecovery("a"));
    EXPECT_EQ(state.takeMessageForSend("a"), request("a"));
    EXPECT_FALSE(state.prepareRetry("a"));
    EXPECT_FALSE(state.takeMessageForSend("a"));
    // A taken message is still active until finished.
    EXPECT_EQ(state.activeMessages().size(), 1u);
}

TEST(DeliveryRecoveryState, FinishKeepsTheOrderOfTheOthers) {
    BLELocalUnlockDeliveryRecoveryState state;
    for (const char* id : {"a", "b", "c"})
        state.begin(request(id));
    state.finish("b");
    state.finish("unknown");
    const auto active = state.activeMessages();
    ASSERT_EQ(active.size(), 2u);
    EXPECT_EQ(active[0].requestId, "a");
    EXPECT_EQ(active[1].requestId, "c");
}

TEST(DeliveryRecoveryState, AnEmptyStateAnswersNothing) {
    BLELocalUnlockDeliveryRecoveryState state;
    EXPECT_FALSE(state.prepareRetry("a"));
    EXPECT_FALSE(state.hasUsedRecovery("a"));
    EXPECT_FALSE(state.takeMessageForSend("a"));
    state.finish("a");
    EXPECT_EQ(state, BLELocalUnlockDeliveryRecoveryState{});
}

TEST(DeliveryRecoveryState, TheEmptyTextIsARequestIdLikeAnyOther) {
    BLELocalUnlockDeliveryRecoveryState state;
    state.begin(request(""));
    EXPECT_EQ(state.activeMessages().size(), 1u);
    EXPECT_TRUE(state.prepareRetry(""));
}

}  // namespace
}  // namespace quorvel::daemon
