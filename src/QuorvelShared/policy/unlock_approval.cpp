#include "QuorvelShared/policy/unlock_approval.hpp"

#include "QuorvelShared/support/base64.hpp"
#include "QuorvelShared/support/json_reader.hpp"
#include "QuorvelShared/support/json_writer.hpp"

namespace quorvel {
namespace {

Bytes readBase64(const Json& value, const std::string& path) {
    if (auto bytes = base64Decode(json::readString(value, path))) {
        return *std::move(bytes);
    }
    json::failDataCorrupted(path, "Encountered Data is not valid Base64.");
}

}  // namespace

Json toJson(const UnlockApproval& approval) {
    Json value = Json::object();
    value["requestId"] = approval.requestId;
    value["approvedDurationSeconds"] = approval.approvedDurationSeconds;
    value["approvedUntil"] = json::isoDateValue(approval.approvedUntil);
    value["iosDeviceId"] = approval.iosDeviceId;
    value["signature"] = base64Encode(approval.signature);
    return value;
}

UnlockApproval unlockApprovalFromJson(const Json& value, const std::string& path) {
    const json::ObjectReader object(value, path);
    return UnlockApproval{
        .requestId = object.string("requestId"),
        .approvedDurationSeconds = object.int64("approvedDurationSeconds"),
        .approvedUntil = object.isoDate("approvedUntil"),
        .iosDeviceId = object.string("iosDeviceId"),
        .signature = object.required("signature", readBase64),
    };
}

}  // namespace quorvel
