#include <gtest/gtest.h>

#include <cerrno>
#include <functional>
#include <system_error>

#include "QuorvelShared/support/json_writer.hpp"
#include "QuorvelShared/unlockstate/ble_local_accepted_approval_receipt.hpp"
#include "QuorvelShared/unlockstate/ble_local_accepted_approval_receipt_store.hpp"
#include "testkit/fakes.hpp"
#include "testkit/odd_files.hpp"
#include "testkit/temp_xdg.hpp"

namespace quorvel {
namespace {

namespace fs = std::filesystem;
using Kind = BLELocalPrototypeMessageKind;

// 2024-05-01T10:00:00Z, the end of the approved window.
const Date windowEnd = Date::fromUnixSeconds(1714557600);
const Date accepted = windowEnd.addingSeconds(-1200);

BLELocalPrototypeWireMessage approval() {
    BLELocalPrototypeWireMessage message;
    message.kind = Kind::unlockApproval;
    message.requestId = "req_1";
    message.approvedDurationSeconds = 1200;
    message.approvedUntil = windowEnd;
    message.approvalSignature = "c2lnbmF0dXJl";
    return message;
}

BLELocalPrototypeWireMessage linkedApproval() {
    BLELocalPrototypeWireMessage message = approval();
    message.linkedTargetId = "ios-app";
    message.linkedRevision = 4;
    message.linkedSignature = "bGlua2Vk";
    return message;
}

BLELocalAcceptedApprovalReceipt receiptOf(const BLELocalPrototypeWireMessage& message) {
    return BLELocalAcceptedApprovalReceipt::fromMessage(message, accepted).value();
}

TEST(AcceptedApprovalReceipt, IsMadeOnlyFromACompleteApproval) {
    using Field = std::function<void(BLELocalPrototypeWireMessage&)>;
    const std::pair<const char*, Field> incomplete[] = {
        {"requestId", [](auto& m) { m.requestId.reset(); }},
        {"approvedDurationSeconds", [](auto& m) { m.approvedDurationSeconds.reset(); }},
        {"approvedUntil", [](auto& m) { m.approvedUntil.reset(); }},
        {"approvalSignature", [](auto& m) { m.approvalSignature.reset(); }},
    };
    for (const auto& [name, remove] : incomplete) {
        SCOPED_TRACE(name);
        BLELocalPrototypeWireMessage message = linkedApproval();
        remove(message);
        EXPECT_EQ(BLELocalAcceptedApprovalReceipt::fromMessage(message, accepted), std::nullopt);
    }
    for (const Kind kind : {Kind::unlockRequest, Kind::unlockReceipt, Kind::linkedUnlock}) {
        BLELocalPrototypeWireMessage message = linkedApproval();
        message.kind = kind;
        EXPECT_EQ(BLELocalAcceptedApprovalReceipt::fromMessage(message, accepted), std::nullopt);
    }

    BLELocalPrototypeWireMessage versionTwo = linkedApproval();
    versionTwo.version = 2;
    const BLELocalAcceptedApprovalReceipt expected{"req_1",   1200, windowEnd,  "c2lnbmF0dXJl",
                                                   "ios-app", 4,    "bGlua2Vk", accepted};
    EXPECT_EQ(BLELocalAcceptedApprovalReceipt::fromMessage(versionTwo, accepted), expected);
}

TEST(AcceptedApprovalReceipt, JsonLeavesAbsentLinkedFieldsOut) {
    EXPECT_EQ(json::write(toJson(receiptOf(approval())), json::Style::compact),
              "{\"requestId\":\"req_1\",\"approvedDurationSeconds\":1200,"
              "\"approvedUntil\":\"2024-05-01T10:00:00Z\",\"approvalSignature\":\"c2lnbmF0dXJl\","
              "\"acceptedAt\":\"2024-05-01T09:40:00Z\"}");
    for (const auto& message : {approval(), linkedApproval()}) {
        const auto receipt = receiptOf(message);
        EXPECT_EQ(bleLocalAcceptedApprovalReceiptFromJson(toJson(receipt), ""), receipt);
    }
}

TEST(AcceptedApprovalReceipt, MatchesTheSameApprovalWhileItsWindowLasts) {
    using Change = std::function<void(BLELocalPrototypeWireMessage&)>;
    struct Case {
        const char* what;
        Change change;
        Date at;
        bool matches;
    };
    const Date before = windowEnd.addingSeconds(-60);
    const auto endsAt = [](double offset) {
        return [offset](BLELocalPrototypeWireMessage& m) {
            m.approvedUntil = windowEnd.addingSeconds(offset);
        };
    };
    const Case cases[] = {
        {"the same approval", [](auto&) {}, before, true},
        {"the window has ended", [](auto&) {}, windowEnd, false},
        {"end 0.9 s later", endsAt(0.9), before, true},
        {"end 0.9 s earlier", endsAt(-0.9), before, true},
        {"end 1.0 s later", endsAt(1.0), before, false},
        {"end 1.0 s earlier", endsAt(-1.0), before, false},
        {"no end", [](auto& m) { m.approvedUntil.reset(); }, before, false},
        {"another kind", [](auto& m) { m.kind = Kind::unlockCancellation; }, before, false},
        {"no request id", [](auto& m) { m.requestId.reset(); }, before, false},
        {"another request", [](auto& m) { m.requestId = "req_2"; }, before, false},
        {"another duration", [](auto& m) { m.approvedDurationSeconds = 300; }, before, false},
        {"another signature", [](auto& m) { m.approvalSignature = "b3RoZXI="; }, before, false},
        {"a linked revision", [](auto& m) { m.linkedRevision = 4; }, before, false},
        {"a linked target", [](auto& m) { m.linkedTargetId = "ios-app"; }, before, false},
        {"a linked signature", [](auto& m) { m.linkedSignature = "bGlua2Vk"; }, before, false},
        {"another version", [](auto& m) { m.version = 7; }, before, true},
    };
    const auto receipt = receiptOf(approval());
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        BLELocalPrototypeWireMessage message = approval();
        c.change(message);
        EXPECT_EQ(receipt.matches(message, c.at), c.matches);
    }
    EXPECT_TRUE(receiptOf(linkedApproval()).matches(linkedApproval(), before));
    EXPECT_FALSE(receiptOf(linkedApproval()).matches(approval(), before));
}

class ReceiptStoreTest : public ::testing::Test {
protected:
    testkit::TempXdgHome home;
    testkit::FixedClock clock{accepted};
    fs::path file = BLELocalAcceptedApprovalReceiptStore::filePath();

    std::optional<BLELocalAcceptedApprovalReceipt> lookUp(const BLELocalPrototypeWireMessage& m,
                                                          Date at = accepted) const {
        return BLELocalAcceptedApprovalReceiptStore::matchingReceipt(m, at, file);
    }
};

TEST_F(ReceiptStoreTest, SavedReceiptIsFoundUntilItsWindowEnds) {
    EXPECT_EQ(file, home.stateFolder() / "ble-accepted-approval-receipts.json");
    EXPECT_EQ(lookUp(approval()), std::nullopt);
    BLELocalAcceptedApprovalReceiptStore::save(receiptOf(approval()), file, clock);
    EXPECT_EQ(lookUp(approval()), receiptOf(approval()));
    EXPECT_EQ(lookUp(approval(), windowEnd), std::nullopt);
    EXPECT_EQ(lookUp(linkedApproval()), std::nullopt);

    BLELocalPrototypeWireMessage withoutId = approval();
    withoutId.requestId.reset();
    EXPECT_EQ(lookUp(withoutId), std::nullopt);
}

TEST_F(ReceiptStoreTest, FileIsPrettySortedInsideEachReceiptToo) {
    BLELocalAcceptedApprovalReceiptStore::save(receiptOf(linkedApproval()), file, clock);
    EXPECT_EQ(testkit::readFile(file),
              "{\n"
              "  \"req_1\" : {\n"
              "    \"acceptedAt\" : \"2024-05-01T09:40:00Z\",\n"
              "    \"approvalSignature\" : \"c2lnbmF0dXJl\",\n"
              "    \"approvedDurationSeconds\" : 1200,\n"
              "    \"approvedUntil\" : \"2024-05-01T10:00:00Z\",\n"
              "    \"linkedRevision\" : 4,\n"
              "    \"linkedSignature\" : \"bGlua2Vk\",\n"
              "    \"linkedTargetId\" : \"ios-app\",\n"
              "    \"requestId\" : \"req_1\"\n"
              "  }\n"
              "}");
}

TEST_F(ReceiptStoreTest, SavesReplaceByRequestIdKeepOthersAndDropEndedOnes) {
    BLELocalPrototypeWireMessage second = approval();
    second.requestId = "req_2";
    second.approvedUntil = windowEnd.addingSeconds(600);
    BLELocalAcceptedApprovalReceiptStore::save(receiptOf(approval()), file, clock);
    BLELocalAcceptedApprovalReceiptStore::save(receiptOf(second), file, clock);
    EXPECT_TRUE(lookUp(approval()));
    EXPECT_TRUE(lookUp(second));

    BLELocalPrototypeWireMessage replacement = approval();
    replacement.approvalSignature = "bmV3";
    BLELocalAcceptedApprovalReceiptStore::save(receiptOf(replacement), file, clock);
    EXPECT_EQ(lookUp(approval()), std::nullopt);
    EXPECT_EQ(lookUp(replacement), receiptOf(replacement));

    // Once req_1's window has ended, the next save leaves it out of the file.
    clock.set(windowEnd);
    BLELocalPrototypeWireMessage third = second;
    third.requestId = "req_3";
    BLELocalAcceptedApprovalReceiptStore::save(receiptOf(third), file, clock);
    const std::string contents = testkit::readFile(file);
    EXPECT_EQ(contents.find("req_1"), std::string::npos);
    EXPECT_NE(contents.find("req_2"), std::string::npos);
    EXPECT_NE(contents.find("req_3"), std::string::npos);
}

TEST_F(ReceiptStoreTest, DamagedFileFindsNothingAndIsReplacedByTheNextSave) {
    BLELocalAcceptedApprovalReceiptStore::save(receiptOf(approval()), file, clock);
    std::string damaged = testkit::readFile(file);
    damaged.insert(damaged.size() - 1, ", \"req_9\" : {\"requestId\" : \"req_9\"}");
    testkit::writeFile(file, damaged);
    EXPECT_EQ(lookUp(approval()), std::nullopt);

    BLELocalPrototypeWireMessage second = approval();
    second.requestId = "req_2";
    BLELocalAcceptedApprovalReceiptStore::save(receiptOf(second), file, clock);
    EXPECT_EQ(lookUp(approval()), std::nullopt);
    EXPECT_TRUE(lookUp(second));
}

TEST_F(ReceiptStoreTest, FailingReadStopsTheSaveAndLeavesTheFile) {
    BLELocalAcceptedApprovalReceiptStore::save(receiptOf(approval()), file, clock);
    const std::string before = testkit::readFile(file);
    {
        const testkit::FifoInPlace failure(file);
        EXPECT_EQ(lookUp(approval()), std::nullopt);
        BLELocalPrototypeWireMessage second = approval();
        second.requestId = "req_2";
        EXPECT_THROW(BLELocalAcceptedApprovalReceiptStore::save(receiptOf(second), file, clock),
                     std::system_error);
    }
    EXPECT_EQ(testkit::readFile(file), before);
}

}  // namespace
}  // namespace quorvel
