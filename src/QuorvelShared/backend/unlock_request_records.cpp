#include "QuorvelShared/backend/unlock_request_records.hpp"

#include "QuorvelShared/support/json_reader.hpp"
#include "QuorvelShared/support/json_writer.hpp"

namespace quorvel::backend {

Json toJson(const UnlockRequestCreateResponse& response) {
    Json object = Json::object();
    object["request_id"] = response.requestId;
    object["status"] = response.status;
    object["expires_at"] = json::isoDateValue(response.expiresAt);
    return object;
}

UnlockRequestCreateResponse unlockRequestCreateResponseFromJson(const Json& value,
                                                                const std::string& path) {
    const json::ObjectReader reader(value, path);
    return {
        .requestId = reader.string("request_id"),
        .status = reader.string("status"),
        .expiresAt = reader.isoDate("expires_at"),
    };
}

Json toJson(const UnlockRequestFetchResponse& response) {
    Json object = Json::object();
    object["request_id"] = response.requestId;
    object["mac_device_id"] = response.macDeviceId;
    object["status"] = response.status;
    object["encrypted_context"] = response.encryptedContext;
    object["expires_at"] = json::isoDateValue(response.expiresAt);
    if (response.approvedDurationSeconds) {
        object["approved_duration_seconds"] = *response.approvedDurationSeconds;
    }
    if (response.approvedUntil) {
        object["approved_until"] = json::isoDateValue(*response.approvedUntil);
    }
    if (response.approvalSignature) {
        object["approval_signature"] = *response.approvalSignature;
    }
    if (response.linkedTargetId) {
        object["linked_target_id"] = *response.linkedTargetId;
    }
    if (response.linkedRevision) {
        object["linked_revision"] = *response.linkedRevision;
    }
    if (response.linkedSignature) {
        object["linked_signature"] = *response.linkedSignature;
    }
    return object;
}

UnlockRequestFetchResponse unlockRequestFetchResponseFromJson(const Json& value,
                                                              const std::string& path) {
    const json::ObjectReader reader(value, path);
    return {
        .requestId = reader.string("request_id"),
        .macDeviceId = reader.string("mac_device_id"),
        .status = reader.string("status"),
        .encryptedContext = reader.string("encrypted_context"),
        .expiresAt = reader.isoDate("expires_at"),
        .approvedDurationSeconds = reader.optionalInt64("approved_duration_seconds"),
        .approvedUntil = reader.optionalIsoDate("approved_until"),
        .approvalSignature = reader.optionalString("approval_signature"),
        .linkedTargetId = reader.optionalString("linked_target_id"),
        .linkedRevision = reader.optionalInt64("linked_revision"),
        .linkedSignature = reader.optionalString("linked_signature"),
    };
}

Json toJson(const PendingUnlockRequestResponse& response) {
    Json object = Json::object();
    if (response.request) {
        object["request"] = toJson(*response.request);
    }
    return object;
}

PendingUnlockRequestResponse pendingUnlockRequestResponseFromJson(const Json& value,
                                                                  const std::string& path) {
    const json::ObjectReader reader(value, path);
    return {.request = reader.optional("request", unlockRequestFetchResponseFromJson)};
}

}  // namespace quorvel::backend
