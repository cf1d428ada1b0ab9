// The unlock request's way through the backend: the Mac creates and reads it, the iPhone finds
// the pending one, approves or cancels it.
#include "QuorvelShared/backend/backend_address.hpp"
#include "QuorvelShared/backend/backend_api_client.hpp"
#include "QuorvelShared/support/json_reader.hpp"
#include "QuorvelShared/support/json_writer.hpp"

namespace quorvel::backend {
namespace {

constexpr std::string_view unlockRequests = "/v1/unlock-requests/";

}  // namespace

UnlockRequestCreateResponse BackendAPIClient::createUnlockRequest(
    const std::optional<std::string>& requestId, const std::string& macDeviceId,
    const std::string& iosDeviceId, const std::string& encryptedContext) {
    Json body = Json::object();
    if (requestId) {
        body["request_id"] = *requestId;
    }
    body["mac_device_id"] = macDeviceId;
    body["ios_device_id"] = iosDeviceId;
    body["encrypted_context"] = encryptedContext;
    return unlockRequestCreateResponseFromJson(
        json::parse(send("/v1/unlock-requests", "POST", body)), "");
}

UnlockRequestFetchResponse BackendAPIClient::fetchUnlockRequest(const std::string& requestId) {
    const std::string url = address(pathWith(unlockRequests, requestId));
    return unlockRequestFetchResponseFromJson(json::parse(send(url, "GET")), "");
}

PendingUnlockRequestResponse BackendAPIClient::fetchPendingUnlockRequest(
    const std::string& iosDeviceId) {
    const std::string url = address::withSingleQueryItem(address("/v1/unlock-requests/pending"),
                                                         "ios_device_id", iosDeviceId);
    return pendingUnlockRequestResponseFromJson(json::parse(send(url, "GET")), "");
}

void BackendAPIClient::approveUnlockRequest(const std::string& requestId,
                                            const std::string& iosDeviceId,
                                            std::int64_t approvedDurationSeconds,
                                            Date approvedUntil, const std::string& signature,
                                            const LinkedApprovalFields& linked) {
    const std::string path = pathWith(unlockRequests, requestId, "/approve");
    Json body = Json::object();
    body["ios_device_id"] = iosDeviceId;
    body["approved_duration_seconds"] = approvedDurationSeconds;
    body["approved_until"] = json::isoDateValue(approvedUntil);
    body["signature"] = signature;
    if (linked.linkedTargetId) {
        body["linked_target_id"] = *linked.linkedTargetId;
    }
    if (linked.linkedRevision) {
        body["linked_revision"] = *linked.linkedRevision;
    }
    if (linked.linkedSignature) {
        body["linked_signature"] = *linked.linkedSignature;
    }
    send(path, "POST", body);
}

void BackendAPIClient::cancelUnlockRequest(const std::string& requestId,
                                           const std::string& iosDeviceId) {
    const std::string path = pathWith(unlockRequests, requestId, "/cancel");
    Json body = Json::object();
    body["ios_device_id"] = iosDeviceId;
    send(path, "POST", body);
}

}  // namespace quorvel::backend
