// The sealed synced target list and the linked-unlock grants, both kept on the backend under the
// Mac's device id.
#include "QuorvelShared/backend/backend_address.hpp"
#include "QuorvelShared/backend/backend_api_client.hpp"
#include "QuorvelShared/support/json_reader.hpp"
#include "QuorvelShared/support/json_writer.hpp"

namespace quorvel::backend {
namespace {

constexpr std::string_view targetSync = "/v1/target-sync/";

}  // namespace

TargetSyncPutResponse BackendAPIClient::putTargetSync(const std::string& macDeviceId,
                                                      const std::string& iosDeviceId,
                                                      std::int64_t version,
                                                      const std::string& encryptedPayload) {
    const std::string path = pathWith(targetSync, macDeviceId);
    Json body = Json::object();
    body["version"] = version;
    body["encrypted_payload"] = encryptedPayload;
    body["ios_device_id"] = iosDeviceId;
    return targetSyncPutResponseFromJson(json::parse(send(path, "PUT", body)), "");
}

TargetSyncStateResponse BackendAPIClient::fetchTargetSync(const std::string& macDeviceId) {
    const std::string url = address(pathWith(targetSync, macDeviceId));
    return targetSyncStateResponseFromJson(json::parse(send(url, "GET")), "");
}

void BackendAPIClient::createLinkedUnlock(const std::string& macDeviceId,
                                          const std::string& iosDeviceId,
                                          const std::string& targetId, Date approvedUntil,
                                          const std::string& signature, std::int64_t revision) {
    Json body = Json::object();
    body["mac_device_id"] = macDeviceId;
    body["ios_device_id"] = iosDeviceId;
    body["target_id"] = targetId;
    body["approved_until"] = json::isoDateValue(approvedUntil);
    body["signature"] = signature;
    body["revision"] = revision;
    send("/v1/linked-unlocks", "POST", body);
}

LinkedUnlockStateResponse BackendAPIClient::fetchLinkedUnlocks(const std::string& macDeviceId) {
    const std::string url =
        address::withSingleQueryItem(address("/v1/linked-unlocks"), "mac_device_id", macDeviceId);
    return linkedUnlockStateResponseFromJson(json::parse(send(url, "GET")), "");
}

}  // namespace quorvel::backend
