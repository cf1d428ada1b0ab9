#include "QuorvelShared/backend/target_sync_records.hpp"

#include "QuorvelShared/support/json_reader.hpp"
#include "QuorvelShared/support/json_writer.hpp"

namespace quorvel::backend {
namespace {

TargetSyncStateResponse::State stateFromJson(const Json& value, const std::string& path) {
    const json::ObjectReader reader(value, path);
    return {
        .version = reader.int64("version"),
        .encryptedPayload = reader.string("encrypted_payload"),
        .updatedAt = reader.isoDate("updated_at"),
    };
}

}  // namespace

Json toJson(const TargetSyncPutResponse& response) {
    Json object = Json::object();
    object["version"] = response.version;
    object["updated_at"] = json::isoDateValue(response.updatedAt);
    return object;
}

TargetSyncPutResponse targetSyncPutResponseFromJson(const Json& value, const std::string& path) {
    const json::ObjectReader reader(value, path);
    return {.version = reader.int64("version"), .updatedAt = reader.isoDate("updated_at")};
}

Json toJson(const TargetSyncStateResponse& response) {
    Json object = Json::object();
    if (response.state) {
        Json state = Json::object();
        state["version"] = response.state->version;
        state["encrypted_payload"] = response.state->encryptedPayload;
        state["updated_at"] = json::isoDateValue(response.state->updatedAt);
        object["state"] = std::move(state);
    }
    return object;
}

TargetSyncStateResponse targetSyncStateResponseFromJson(const Json& value,
                                                        const std::string& path) {
    return {.state = json::ObjectReader(value, path).optional("state", stateFromJson)};
}

Json toJson(const LinkedUnlockState& state) {
    Json object = Json::object();
    object["ios_device_id"] = state.iosDeviceId;
    object["target_id"] = state.targetId;
    object["approved_until"] = json::isoDateValue(state.approvedUntil);
    object["signature"] = state.signature;
    object["revision"] = state.revision;
    return object;
}

LinkedUnlockState linkedUnlockStateFromJson(const Json& value, const std::string& path) {
    const json::ObjectReader reader(value, path);
    return {
        .iosDeviceId = reader.string("ios_device_id"),
        .targetId = reader.string("target_id"),
        .approvedUntil = reader.isoDate("approved_until"),
        .signature = reader.string("signature"),
        .revision = reader.int64("revision"),
    };
}

Json toJson(const LinkedUnlockStateResponse& response) {
    Json object = Json::object();
    object["unlocks"] = json::arrayOf(response.unlocks);
    return object;
}

LinkedUnlockStateResponse linkedUnlockStateResponseFromJson(const Json& value,
                                                            const std::string& path) {
    const json::ObjectReader reader(value, path);
    return {.unlocks = reader.required("unlocks", [](const Json& list, const std::string& at) {
        return json::readArray(list, at, linkedUnlockStateFromJson);
    })};
}

}  // namespace quorvel::backend
