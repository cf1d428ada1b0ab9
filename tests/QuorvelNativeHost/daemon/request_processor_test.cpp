#include "QuorvelNativeHost/daemon/request_processor.hpp"

#include <gtest/gtest.h>

#include "QuorvelShared/bridge/ble_local_bridge_store.hpp"
#include "QuorvelShared/bridge/ble_local_pairing_session_store.hpp"
#include "QuorvelShared/bridge/mac_link_configuration_store.hpp"
#include "QuorvelShared/support/clock.hpp"
#include "daemon_test_support.hpp"

namespace quorvel::daemon::testing {
namespace {

const std::string responseNotification = "app.quorvel.bleBridge.response";

class ProcessorTest : public PeripheralTest {
protected:
    void SetUp() override {
        start("mac-1", UnlockDeliveryTiming{});
        processor = std::make_unique<BLELocalBridgeRequestProcessor>(*peripheral);
    }
    void request(const std::string& id, Message message, std::int64_t timeoutSeconds = 600) {
        message.requestId = id;
        BLELocalBridgeStore::saveRequest({id, message, timeoutSeconds});
    }
    std::optional<BLELocalBridgeResponse> response(const std::string& id) {
        return BLELocalBridgeStore::loadResponse(id);
    }
    bool completed(const std::string& id) {
        const auto found = response(id);
        return found && found->completed;
    }
    std::size_t pendingCount() { return BLELocalBridgeStore::loadPendingRequests().size(); }

    std::unique_ptr<BLELocalBridgeRequestProcessor> processor;
};

Message unlockRequest() {
    Message message = messageOf(Kind::unlockRequest);
    message.encryptedContext = "sealed";
    return message;
}

TEST_F(ProcessorTest, APassMarksThePickUpAndServesOnALaterTurn) {
    request("sync-1", messageOf(Kind::targetSyncReceipt));
    poster.clear();
    processor->processPendingRequests();
    EXPECT_EQ(response("sync-1"),
              (BLELocalBridgeResponse{"sync-1", false, std::nullopt, std::nullopt}));
    EXPECT_EQ(poster.posted(), std::vector<std::string>{responseNotification});
    EXPECT_TRUE(processor->isServing("sync-1"));

    ASSERT_TRUE(runLoopUntil([&] { return completed("sync-1"); }));
    EXPECT_EQ(response("sync-1"),
              (BLELocalBridgeResponse{"sync-1", true, std::nullopt, std::nullopt}));
    EXPECT_EQ(pendingCount(), 0u);
    EXPECT_FALSE(processor->isServing("sync-1"));
    EXPECT_EQ(peripheral->queuedMessages().size(), 1u);  // nobody subscribed: kept for later
}

TEST_F(ProcessorTest, AnExistingResponseIsLeftAsItIsAndTheRequestServedAgain) {
    request("req-1", unlockRequest());
    Message receipt = messageOf(Kind::unlockReceipt, "req-1");
    BLELocalBridgeStore::saveResponse({"req-1", false, receipt, std::nullopt});
    poster.clear();
    processor->processPendingRequests();
    EXPECT_EQ(response("req-1")->message, receipt);
    EXPECT_EQ(poster.posted(), std::vector<std::string>{responseNotification});
    ASSERT_TRUE(runLoopUntil([&] { return peripheral->isPending("req-1"); }));
}

TEST_F(ProcessorTest, ARequestBeingServedIsSkippedByLaterPasses) {
    request("req-1", unlockRequest());
    processor->processPendingRequests();
    ASSERT_TRUE(runLoopUntil([&] { return peripheral->isPending("req-1"); }));
    poster.clear();
    processor->processPendingRequests();
    testkit::drainLoop();
    EXPECT_TRUE(poster.posted().empty());
    EXPECT_EQ(response("req-1"),
              (BLELocalBridgeResponse{"req-1", false, std::nullopt, std::nullopt}));
}

TEST_F(ProcessorTest, AnUnlockRequestIsAnsweredWithThePhonesReply) {
    subscribe();
    request("req-1", unlockRequest());
    processor->processPendingRequests();
    ASSERT_TRUE(runLoopUntil([&] { return peripheral->isPending("req-1"); }));
    Message approval = messageOf(Kind::unlockApproval, "req-1");
    approval.approvedDurationSeconds = 300;
    ASSERT_EQ(phoneWrites(approval), bluetooth::AttResult::success);
    // Answers that come in one turn of the loop are written together on the next.
    ASSERT_TRUE(runLoopUntil([&] { return completed("req-1"); }));
    EXPECT_EQ(response("req-1"), (BLELocalBridgeResponse{"req-1", true, approval, std::nullopt}));
    EXPECT_EQ(pendingCount(), 0u);
}

TEST_F(ProcessorTest, PeripheralFailuresAreWrittenWithTheirTexts) {
    request("req-1", unlockRequest(), 1);
    Message noId = unlockRequest();
    BLELocalBridgeStore::saveRequest({"req-2", noId, 600});  // the message itself has no id
    processor->processPendingRequests();
    ASSERT_TRUE(runLoopUntil([&] { return completed("req-1") && completed("req-2"); }));
    EXPECT_EQ(response("req-1")->error, "iphone_bluetooth_timeout");
    EXPECT_EQ(response("req-2")->error, "bluetooth_message_invalid");
    EXPECT_FALSE(response("req-1")->message);
}

TEST_F(ProcessorTest, CancelledRequestsWriteNothing) {
    request("req-1", unlockRequest(), 1);
    processor->processPendingRequests();
    ASSERT_TRUE(runLoopUntil([&] { return peripheral->isPending("req-1"); }));
    processor->cancelAll();
    EXPECT_FALSE(processor->isServing("req-1"));
    ASSERT_TRUE(runLoopUntil([&] { return !peripheral->isPending("req-1"); }));
    EXPECT_FALSE(completed("req-1"));
    EXPECT_EQ(pendingCount(), 1u);
}

TEST_F(ProcessorTest, APairingOfferAdvertisesTheDefaultIdentityUntilItExpires) {
    MacLinkConfigurationStore::save(
        {"https://api.quorvel.app", "", "mac-1", "ios-1", "c2lnbg==", "ZW5j", 600, 120});
    const Date expiresAt = systemClock().now().addingSeconds(1.0);
    BLELocalPairingSessionStore::save({"pair_1", "123456", expiresAt, "mac-1", {}});
    Message offer = messageOf(Kind::pairingOffer);
    offer.pairingSessionId = "pair_1";
    offer.expiresAt = expiresAt;
    request("event_1", offer);
    processor->processPendingRequests();
    ASSERT_TRUE(runLoopUntil([&] { return completed("event_1"); }));
    EXPECT_EQ(response("event_1"),
              (BLELocalBridgeResponse{"event_1", true, std::nullopt, std::nullopt}));
    // A loaded machine may reach this line after the offer's end: what is checked is the
    // order of publications, and the offer kept for as long as the default identity is out.
    if (peripheral->serviceUUID() == BLELocalPrototypeUUIDs::service) {
        EXPECT_TRUE(peripheral->latestPairingOffer());
    }
    const std::string paired = BLELocalAdvertisementIdentity::serviceUUID("mac-1");
    ASSERT_TRUE(runLoopUntil([&] { return fake.publishedServiceUUIDs.size() >= 3; }));
    EXPECT_EQ(
        fake.publishedServiceUUIDs,
        (std::vector<std::string>{paired, std::string(BLELocalPrototypeUUIDs::service), paired}));
    EXPECT_EQ(peripheral->serviceUUID(), paired);
    EXPECT_FALSE(peripheral->latestPairingOffer());
}

TEST_F(ProcessorTest, AnOfferReplacedByANewerSessionOrWithoutExpiryIsNotRestored) {
    const Date expiresAt = systemClock().now().addingSeconds(0.5);
    BLELocalPairingSessionStore::save({"pair_2", "654321", expiresAt, "mac-1", {}});
    Message replaced = messageOf(Kind::pairingOffer);
    replaced.pairingSessionId = "pair_1";
    replaced.expiresAt = expiresAt;
    Message endless = messageOf(Kind::pairingOffer);
    endless.pairingSessionId = "pair_2";
    request("event_1", replaced);
    request("event_2", endless);
    processor->processPendingRequests();
    ASSERT_TRUE(runLoopUntil([&] { return completed("event_1") && completed("event_2"); }));
    runPastBootClock(expiresAt.secondsSince(systemClock().now()) + 0.2);  // past the offer's end
    EXPECT_EQ(peripheral->serviceUUID(), BLELocalPrototypeUUIDs::service);
}

TEST_F(ProcessorTest, AnUnreadableMailboxEndsThePassQuietly) {
    std::filesystem::create_directories(BLELocalBridgeStore::stateURL().parent_path());
    testkit::writeFile(BLELocalBridgeStore::stateURL(), "{ not a mailbox");
    processor->processPendingRequests();
    testkit::drainLoop();
    EXPECT_EQ(processor->passCount(), 1);
}

}  // namespace
}  // namespace quorvel::daemon::testing
