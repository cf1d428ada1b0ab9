#include "QuorvelShared/unlockstate/ble_local_accepted_approval_receipt.hpp"

#include <cmath>

#include "QuorvelShared/support/json_reader.hpp"
#include "QuorvelShared/support/json_writer.hpp"

namespace quorvel {

std::optional<BLELocalAcceptedApprovalReceipt> BLELocalAcceptedApprovalReceipt::fromMessage(
    const BLELocalPrototypeWireMessage& message, Date acceptedAt) {
    if (message.kind != BLELocalPrototypeMessageKind::unlockApproval || !message.requestId ||
        !message.approvedDurationSeconds || !message.approvedUntil || !message.approvalSignature) {
        return std::nullopt;
    }
    return BLELocalAcceptedApprovalReceipt{
        .requestId = *message.requestId,
        .approvedDurationSeconds = *message.approvedDurationSeconds,
        .approvedUntil = *message.approvedUntil,
        .approvalSignature = *message.approvalSignature,
        .linkedTargetId = message.linkedTargetId,
        .linkedRevision = message.linkedRevision,
        .linkedSignature = message.linkedSignature,
        .acceptedAt = acceptedAt,
    };
}

bool BLELocalAcceptedApprovalReceipt::matches(const BLELocalPrototypeWireMessage& message,
                                              Date at) const {
    return approvedUntil > at && message.kind == BLELocalPrototypeMessageKind::unlockApproval &&
           message.requestId == requestId &&
           message.approvedDurationSeconds == approvedDurationSeconds && message.approvedUntil &&
           std::fabs(message.approvedUntil->secondsSince(approvedUntil)) < 1.0 &&
           message.approvalSignature == approvalSignature &&
           message.linkedTargetId == linkedTargetId && message.linkedRevision == linkedRevision &&
           message.linkedSignature == linkedSignature;
}

Json toJson(const BLELocalAcceptedApprovalReceipt& receipt) {
    Json value = Json::object();
    value["requestId"] = receipt.requestId;
    value["approvedDurationSeconds"] = receipt.approvedDurationSeconds;
    value["approvedUntil"] = json::isoDateValue(receipt.approvedUntil);
    value["approvalSignature"] = receipt.approvalSignature;
    if (receipt.linkedTargetId) {
        value["linkedTargetId"] = *receipt.linkedTargetId;
    }
    if (receipt.linkedRevision) {
        value["linkedRevision"] = *receipt.linkedRevision;
    }
    if (receipt.linkedSignature) {
        value["linkedSignature"] = *receipt.linkedSignature;
    }
    value["acceptedAt"] = json::isoDateValue(receipt.acceptedAt);
    return value;
}

BLELocalAcceptedApprovalReceipt bleLocalAcceptedApprovalReceiptFromJson(const Json& value,
                                                                        const std::string& path) {
    const json::ObjectReader object(value, path);
    return {
        .requestId = object.string("requestId"),
        .approvedDurationSeconds = object.int64("approvedDurationSeconds"),
        .approvedUntil = object.isoDate("approvedUntil"),
        .approvalSignature = object.string("approvalSignature"),
        .linkedTargetId = object.optionalString("linkedTargetId"),
        .linkedRevision = object.optionalInt64("linkedRevision"),
        .linkedSignature = object.optionalString("linkedSignature"),
        .acceptedAt = object.isoDate("acceptedAt"),
    };
}

}  // namespace quorvel
