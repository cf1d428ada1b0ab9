#include <gtest/gtest.h>

#include "QuorvelPlatform/timers/boot_clock_deadlines.hpp"
#include "daemon_test_support.hpp"

namespace quorvel::daemon::testing {
namespace {

Message unlockRequest(const std::string& id) {
    Message message = messageOf(Kind::unlockRequest, id);
    message.encryptedContext = "sealed";
    return message;
}

Message answer(Kind kind, const std::string& id) {
    return messageOf(kind, id);
}

TEST(UnlockRequestTimeout, AtLeastOneSecondAndNeverWrapping) {
    EXPECT_EQ(unlockRequestTimeoutSeconds(0), 1.0);
    EXPECT_EQ(unlockRequestTimeoutSeconds(-30), 1.0);
    EXPECT_EQ(unlockRequestTimeoutSeconds(1), 1.0);
    EXPECT_EQ(unlockRequestTimeoutSeconds(3600), 3600.0);
    // Beyond 24.8 days an int of milliseconds would wrap; a file may hold anything.
    EXPECT_EQ(unlockRequestTimeoutSeconds(3'000'000), 3'000'000.0);
    const double huge = unlockRequestTimeoutSeconds(INT64_MAX);
    EXPECT_GT(huge, 1e9);
    EXPECT_LE(huge, 100.0 * 365 * 24 * 3600);
}

TEST_F(PeripheralTest, RequestsWithoutIdOrAlreadyPendingAreRefusedAtOnce) {
    start();
    UnlockWaiter empty, missing, first, second;
    peripheral->requestUnlock(unlockRequest(""), 60, empty.completion());
    Message noId = unlockRequest("x");
    noId.requestId.reset();
    peripheral->requestUnlock(noId, 60, missing.completion());
    EXPECT_EQ(empty.failure(), "bluetooth_message_invalid");
    EXPECT_EQ(missing.failure(), "bluetooth_message_invalid");
    EXPECT_TRUE(peripheral->deliveryRecoveryState().activeMessages().empty());

    peripheral->requestUnlock(unlockRequest("r"), 60, first.completion());
    peripheral->requestUnlock(unlockRequest("r"), 60, second.completion());
    EXPECT_EQ(second.failure(), "bluetooth_request_already_pending");
    EXPECT_FALSE(first.done());
    EXPECT_TRUE(peripheral->isPending("r"));
}

TEST_F(PeripheralTest, WithoutSubscriberRecoveryThenUnconfirmed) {
    start();
    UnlockWaiter waiter;
    const double startedAt = bootClockSeconds();
    peripheral->requestUnlock(unlockRequest("r"), 600, waiter.completion());
    EXPECT_EQ(peripheral->snapshot().status, BluetoothLinkState::waiting);
    fake.holdServiceAdded = true;

    ASSERT_TRUE(runLoopUntil([&] { return fake.heldServiceAdded > 0; }));
    EXPECT_GE(bootClockSeconds() - startedAt, fastDelivery().deliveryCheckSeconds);
    EXPECT_EQ(peripheral->snapshot().detail, "iPhoneとのBluetooth接続を再確認しています");
    EXPECT_TRUE(peripheral->deliveryRecoveryState().hasUsedRecovery("r"));
    EXPECT_FALSE(waiter.done());
    fake.answerAddService();

    ASSERT_TRUE(runLoopUntil([&] { return waiter.done(); }));
    EXPECT_GE(bootClockSeconds() - startedAt,
              fastDelivery().deliveryCheckSeconds + fastDelivery().recoveryRecheckSeconds);
    EXPECT_EQ(waiter.failure(), "iphone_delivery_unconfirmed");
    EXPECT_EQ(statusFile()->status, BluetoothLinkState::waiting);
    EXPECT_EQ(statusFile()->detail,
              "iPhoneへの解除申請到達を確認できませんでした。再接続を待っています");
    EXPECT_TRUE(peripheral->deliveryRecoveryState().activeMessages().empty());
}

TEST_F(PeripheralTest, TheRecoveryResendsTheRequestWhenThePhoneSubscribesAgain) {
    start();
    subscribe();
    UnlockWaiter waiter;
    peripheral->requestUnlock(unlockRequest("r"), 600, waiter.completion());
    EXPECT_EQ(peripheral->snapshot().status, BluetoothLinkState::checking);
    EXPECT_EQ(peripheral->snapshot().detail, "iPhoneへの到達を確認しています");
    ASSERT_EQ(kindsOf(messagesSent(fake)).back(), Kind::unlockRequest);

    ASSERT_TRUE(runLoopUntil([&] { return peripheral->subscribedCentrals().empty(); }));
    EXPECT_TRUE(peripheral->deliveryRecoveryState().hasUsedRecovery("r"));
    ASSERT_TRUE(runLoopUntil([&] { return fake.isAdvertising(); }));
    fake.sent.clear();
    subscribe();
    EXPECT_EQ(kindsOf(messagesSent(fake)).back(), Kind::unlockRequest);
    EXPECT_EQ(phoneWrites(answer(Kind::unlockApproval, "r")), bluetooth::AttResult::success);
    ASSERT_TRUE(waiter.done());
    EXPECT_EQ(waiter.reply()->kind, Kind::unlockApproval);
}

TEST_F(PeripheralTest, AnAcceptedReceiptStopsTheRecoveryAndTheRequestWaitsForItsAnswer) {
    start();
    subscribe();
    UnlockWaiter waiter;
    peripheral->requestUnlock(unlockRequest("r"), 2, waiter.completion());
    const int published = fake.addServiceCalls;
    EXPECT_EQ(phoneWrites(answer(Kind::unlockReceipt, "r")), bluetooth::AttResult::success);
    EXPECT_EQ(receipts.size(), 1u);
    EXPECT_TRUE(peripheral->deliveredRequestIds().contains("r"));
    EXPECT_EQ(statusFile()->status, BluetoothLinkState::connected);
    EXPECT_EQ(statusFile()->detail, "iPhoneへの解除申請到達を確認済み");

    ASSERT_TRUE(runLoopUntil([&] { return waiter.done(); }));
    EXPECT_EQ(waiter.failure(), "iphone_bluetooth_timeout");
    EXPECT_EQ(fake.addServiceCalls, published);  // no recovery happened
    EXPECT_FALSE(peripheral->deliveredRequestIds().contains("r"));
}

TEST_F(PeripheralTest, ATimeOutOfOneSecondComesBeforeAnyDeliveryCheck) {
    start(std::nullopt, {1.5, 1.5});
    UnlockWaiter waiter;
    peripheral->requestUnlock(unlockRequest("r"), 0, waiter.completion());
    const int published = fake.addServiceCalls;
    ASSERT_TRUE(runLoopUntil([&] { return waiter.done(); }));
    EXPECT_EQ(waiter.failure(), "iphone_bluetooth_timeout");
    EXPECT_EQ(peripheral->snapshot().status,
              BluetoothLinkState::waiting);  // the time-out writes no status
    runPastBootClock(1.0);  // the delivery check was due 1.5 s after a start 1 s ago or more
    EXPECT_EQ(fake.addServiceCalls, published);
}

TEST_F(PeripheralTest, ATimeOutDueWithTheDeliveryCheckRunsFirst) {
    start(std::nullopt, {1.0, 5.0});
    UnlockWaiter waiter;
    peripheral->requestUnlock(unlockRequest("r"), 1, waiter.completion());
    const int published = fake.addServiceCalls;
    ASSERT_TRUE(runLoopUntil([&] { return waiter.done(); }));
    EXPECT_EQ(waiter.failure(), "iphone_bluetooth_timeout");
    testkit::drainLoop();
    EXPECT_EQ(fake.addServiceCalls, published);
}

TEST_F(PeripheralTest, AnApprovalAnswersItsRequestAndClearsItsTraces) {
    start();
    subscribe("phone", 64);
    fake.transmitRoom = 1;  // leave the request's frames waiting
    UnlockWaiter waiter;
    peripheral->requestUnlock(unlockRequest("r"), 600, waiter.completion());
    fake.transmitRoom = -1;
    Message approval = answer(Kind::unlockApproval, "r");
    approval.approvedDurationSeconds = 300;
    EXPECT_EQ(phoneWrites(approval), bluetooth::AttResult::success);
    ASSERT_TRUE(waiter.done());
    EXPECT_EQ(waiter.reply(), approval);
    EXPECT_FALSE(peripheral->isPending("r"));
    EXPECT_TRUE(peripheral->outboundFrames().entries.empty());
    EXPECT_TRUE(peripheral->deliveryRecoveryState().activeMessages().empty());
    // Answered once: the same approval again answers nothing.
    EXPECT_EQ(phoneWrites(approval), bluetooth::AttResult::unlikelyError);
}

TEST_F(PeripheralTest, AnEndedRequestsTimersNeverTouchALaterRequestOfTheSameId) {
    start(std::nullopt, {0.5, 0.5});
    subscribe();
    UnlockWaiter first, second;
    peripheral->requestUnlock(unlockRequest("r"), 1, first.completion());
    EXPECT_EQ(phoneWrites(answer(Kind::unlockCancellation, "r")), bluetooth::AttResult::success);
    ASSERT_TRUE(first.done());
    peripheral->requestUnlock(unlockRequest("r"), 600, second.completion());
    EXPECT_EQ(phoneWrites(answer(Kind::unlockReceipt, "r")), bluetooth::AttResult::success);
    runPastBootClock(1.5);  // past the first request's time-out, due 1 s after its start
    EXPECT_FALSE(second.done());
    EXPECT_TRUE(peripheral->isPending("r"));
}

TEST_F(PeripheralTest, ServingSeveralRequestsAtOnce) {
    start();
    subscribe();
    UnlockWaiter a, b;
    peripheral->requestUnlock(unlockRequest("a"), 600, a.completion());
    peripheral->requestUnlock(unlockRequest("b"), 600, b.completion());
    EXPECT_EQ(phoneWrites(answer(Kind::unlockCancellation, "b")), bluetooth::AttResult::success);
    EXPECT_TRUE(b.done());
    EXPECT_FALSE(a.done());
    fake.setState(bluetooth::AdapterState::poweredOff);
    EXPECT_EQ(a.failure(), "bluetooth_unavailable");
}

}  // namespace
}  // namespace quorvel::daemon::testing
