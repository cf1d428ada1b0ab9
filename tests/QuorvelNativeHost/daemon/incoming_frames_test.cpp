#include <gtest/gtest.h>

#include <cmath>

#include "QuorvelShared/support/clock.hpp"
#include "QuorvelShared/unlockstate/ble_local_accepted_approval_receipt_store.hpp"
#include "daemon_test_support.hpp"

namespace quorvel::daemon::testing {
namespace {

using bluetooth::AttResult;

Message unlockRequest(const std::string& id) {
    Message message = messageOf(Kind::unlockRequest, id);
    message.encryptedContext = "sealed";
    return message;
}

// A frame whose payload is the given text, alone as one message.
Bytes singleFrame(const std::string& payload) {
    return BLELocalPrototypeChunkCodec::frames(bytesOf(payload), 512, Uuid::random()).front();
}

TEST_F(PeripheralTest, WriteResultTable) {
    start();
    Message unsupportedVersion = messageOf(Kind::targetSync, "s");
    unsupportedVersion.version = 2;
    Bytes badMagic = framesFor(messageOf(Kind::targetSync, "s")).front();
    badMagic[0] = 'X';
    const struct {
        std::string name;
        std::string characteristic;
        std::optional<Bytes> value;
        AttResult result;
    } cases[] = {
        {"another characteristic", notifyUUID, framesFor(messageOf(Kind::unpair, "u")).front(),
         AttResult::requestNotSupported},
        {"no value", writeUUID, std::nullopt, AttResult::requestNotSupported},
        {"bad magic", writeUUID, badMagic, AttResult::unlikelyError},
        {"too short", writeUUID, Bytes{'Q', 'V', 'P'}, AttResult::unlikelyError},
        {"not JSON", writeUUID, singleFrame("{not json"), AttResult::unlikelyError},
        {"no kind", writeUUID, singleFrame(R"({"version":1})"), AttResult::unlikelyError},
        {"other version", writeUUID,
         singleFrame(encodeBLELocalPrototypeWireMessage(unsupportedVersion)),
         AttResult::unlikelyError},
        {"control message", writeUUID, framesFor(messageOf(Kind::targetSync, "s")).front(),
         AttResult::success},
        {"lower-case characteristic", "7be11002-7b85-4c21-9a2b-5d52e7a091f1",
         framesFor(messageOf(Kind::linkedUnlock)).front(), AttResult::success},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(fake.writeOne(c.characteristic, c.value), c.result) << c.name;
    }
    EXPECT_EQ(controlMessages.size(), 2u);
}

TEST_F(PeripheralTest, ControlMessagesGoToTheHandler) {
    start();
    for (Kind kind : {Kind::targetSync, Kind::linkedUnlock, Kind::pairingApproval, Kind::unpair}) {
        EXPECT_EQ(phoneWrites(messageOf(kind, "c")), AttResult::success);
    }
    EXPECT_EQ(kindsOf(controlMessages), (std::vector<Kind>{Kind::targetSync, Kind::linkedUnlock,
                                                           Kind::pairingApproval, Kind::unpair}));
}

TEST_F(PeripheralTest, AMessageInThreeFramesIsRoutedWithItsLastFrame) {
    start();
    Message sync = messageOf(Kind::targetSync, "s");
    sync.encryptedTargetPayload = std::string(300, 'p');
    const auto frames = framesFor(sync, 185);
    ASSERT_EQ(frames.size(), 3u);
    EXPECT_EQ(fake.writeOne(writeUUID, frames[2]), AttResult::success);
    EXPECT_EQ(fake.writeOne(writeUUID, frames[0]), AttResult::success);
    EXPECT_TRUE(controlMessages.empty());
    EXPECT_EQ(fake.writeOne(writeUUID, frames[1]), AttResult::success);
    EXPECT_EQ(controlMessages, std::vector<Message>{sync});
}

TEST_F(PeripheralTest, ARefusedFrameLeavesOtherPartialMessagesAlone) {
    start();
    Message sync = messageOf(Kind::targetSync, "s");
    sync.encryptedTargetPayload = std::string(300, 'p');
    const auto frames = framesFor(sync, 185);
    EXPECT_EQ(fake.writeOne(writeUUID, frames[0]), AttResult::success);
    Bytes bad = frames[1];
    bad[3] = 9;  // format version
    EXPECT_EQ(fake.writeOne(writeUUID, bad), AttResult::unlikelyError);
    EXPECT_EQ(fake.writeOne(writeUUID, frames[1]), AttResult::success);
    EXPECT_EQ(fake.writeOne(writeUUID, frames[2]), AttResult::success);
    EXPECT_EQ(controlMessages.size(), 1u);
}

TEST_F(PeripheralTest, TwoWritesInOneCallbackAreAnsweredEachOnTheirOwn) {
    start();
    const auto answers = fake.write({{notifyUUID, framesFor(messageOf(Kind::unpair)).front()},
                                     {writeUUID, framesFor(messageOf(Kind::unpair)).front()}});
    EXPECT_EQ(answers, (std::vector<std::optional<AttResult>>{AttResult::requestNotSupported,
                                                              AttResult::success}));
    EXPECT_EQ(controlMessages.size(), 1u);
}

TEST_F(PeripheralTest, ReceiptsCountOnlyForPendingRequests) {
    start();
    EXPECT_EQ(phoneWrites(messageOf(Kind::unlockReceipt, "nobody")), AttResult::success);
    EXPECT_EQ(phoneWrites(messageOf(Kind::unlockReceipt)), AttResult::success);
    EXPECT_TRUE(receipts.empty());

    UnlockWaiter waiter;
    peripheral->requestUnlock(unlockRequest("r"), 600, waiter.completion());
    acceptReceipts = false;
    EXPECT_EQ(phoneWrites(messageOf(Kind::unlockReceipt, "r")), AttResult::unlikelyError);
    EXPECT_EQ(receipts.size(), 1u);
    EXPECT_TRUE(peripheral->isPending("r"));
    EXPECT_FALSE(peripheral->deliveredRequestIds().contains("r"));
    EXPECT_FALSE(waiter.done());
}

TEST_F(PeripheralTest, AnswersWithoutPendingRequest) {
    start();
    const struct {
        Kind kind;
        AttResult result;
    } cases[] = {
        {Kind::unlockCancellation, AttResult::success},
        {Kind::unlockApproval, AttResult::unlikelyError},
        {Kind::pairingResult, AttResult::unlikelyError},
        {Kind::stateRefreshRequest, AttResult::unlikelyError},
        {Kind::targetSyncReceipt, AttResult::unlikelyError},
        {Kind::unlockRequest, AttResult::unlikelyError},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(phoneWrites(messageOf(c.kind, "none")), c.result)
            << nameOf<Kind>(c.kind, bleLocalPrototypeMessageKindNames);
    }
}

TEST_F(PeripheralTest, AnApprovalTheMacAlreadyAcceptedIsIgnoredQuietly) {
    start();
    Message approval = messageOf(Kind::unlockApproval, "done");
    approval.approvedDurationSeconds = 600;
    approval.approvedUntil = Date{std::floor(systemClock().now().secondsSinceReferenceDate) + 600};
    approval.approvalSignature = "c2ln";
    EXPECT_EQ(phoneWrites(approval), AttResult::unlikelyError);
    BLELocalAcceptedApprovalReceiptStore::save(
        *BLELocalAcceptedApprovalReceipt::fromMessage(approval, systemClock().now()),
        BLELocalAcceptedApprovalReceiptStore::filePath());
    EXPECT_EQ(phoneWrites(approval), AttResult::success);
}

TEST_F(PeripheralTest, AFloodOfFramesWithDistinctMessageIdsStaysBounded) {
    start();
    Message sync = messageOf(Kind::targetSync, "s");
    sync.encryptedTargetPayload = std::string(2000, 'p');
    for (int i = 0; i < 500; ++i) {
        // The first frame of a different message each time; none ever completes.
        EXPECT_EQ(fake.writeOne(writeUUID, framesFor(sync, 512).front()), AttResult::success);
    }
    EXPECT_LE(peripheral->responseAssembler().partialMessageCount(), 32u);
    EXPECT_LE(peripheral->responseAssembler().bufferedBytes(), 32u * 512);
    EXPECT_TRUE(controlMessages.empty());
}

}  // namespace
}  // namespace quorvel::daemon::testing
