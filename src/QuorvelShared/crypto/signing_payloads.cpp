#include "QuorvelShared/crypto/signing_payloads.hpp"

#include "QuorvelShared/support/json_reader.hpp"
#include "QuorvelShared/support/json_writer.hpp"

namespace quorvel {

Json toJson(const UnlockApprovalSigningPayload& payload) {
    Json object = Json::object();
    object["requestId"] = payload.requestId;
    object["approvedDurationSeconds"] = payload.approvedDurationSeconds;
    object["approvedUntil"] = json::isoDateValue(payload.approvedUntil);
    object["iosDeviceId"] = payload.iosDeviceId;
    return object;
}

Json toJson(const LinkedUnlockSigningPayload& payload) {
    Json object = Json::object();
    object["macDeviceId"] = payload.macDeviceId;
    object["targetId"] = payload.targetId;
    object["approvedUntil"] = json::isoDateValue(payload.approvedUntil);
    object["iosDeviceId"] = payload.iosDeviceId;
    object["revision"] = payload.revision;
    return object;
}

Json toJson(const LinkedUnlockReceiptSigningPayload& payload) {
    Json object = Json::object();
    object["macDeviceId"] = payload.macDeviceId;
    object["iosDeviceId"] = payload.iosDeviceId;
    object["targetId"] = payload.targetId;
    object["revision"] = payload.revision;
    return object;
}

Json toJson(const TargetSyncReceiptSigningPayload& payload) {
    Json object = Json::object();
    object["macDeviceId"] = payload.macDeviceId;
    object["iosDeviceId"] = payload.iosDeviceId;
    object["requestId"] = payload.requestId;
    object["version"] = payload.version;
    return object;
}

Json toJson(const BLETrustedStateSigningPayload& payload) {
    Json object = Json::object();
    object["kind"] = toJson(payload.kind);
    object["iosDeviceId"] = payload.iosDeviceId;
    object["requestId"] = payload.requestId;
    if (payload.macDeviceId) {
        object["macDeviceId"] = *payload.macDeviceId;
    }
    if (payload.encryptedTargetPayload) {
        object["encryptedTargetPayload"] = *payload.encryptedTargetPayload;
    }
    if (payload.targetSyncVersion) {
        object["targetSyncVersion"] = *payload.targetSyncVersion;
    }
    return object;
}

UnlockApprovalSigningPayload unlockApprovalSigningPayloadFromJson(const Json& value,
                                                                  const std::string& path) {
    const json::ObjectReader reader(value, path);
    return UnlockApprovalSigningPayload{
        .requestId = reader.string("requestId"),
        .approvedDurationSeconds = reader.int64("approvedDurationSeconds"),
        .approvedUntil = reader.isoDate("approvedUntil"),
        .iosDeviceId = reader.string("iosDeviceId"),
    };
}

LinkedUnlockSigningPayload linkedUnlockSigningPayloadFromJson(const Json& value,
                                                              const std::string& path) {
    const json::ObjectReader reader(value, path);
    return LinkedUnlockSigningPayload{
        .macDeviceId = reader.string("macDeviceId"),
        .targetId = reader.string("targetId"),
        .approvedUntil = reader.isoDate("approvedUntil"),
        .iosDeviceId = reader.string("iosDeviceId"),
        .revision = reader.int64("revision"),
    };
}

LinkedUnlockReceiptSigningPayload linkedUnlockReceiptSigningPayloadFromJson(
    const Json& value, const std::string& path) {
    const json::ObjectReader reader(value, path);
    return LinkedUnlockReceiptSigningPayload{
        .macDeviceId = reader.string("macDeviceId"),
        .iosDeviceId = reader.string("iosDeviceId"),
        .targetId = reader.string("targetId"),
        .revision = reader.int64("revision"),
    };
}

TargetSyncReceiptSigningPayload targetSyncReceiptSigningPayloadFromJson(const Json& value,
                                                                        const std::string& path) {
    const json::ObjectReader reader(value, path);
    return TargetSyncReceiptSigningPayload{
        .macDeviceId = reader.string("macDeviceId"),
        .iosDeviceId = reader.string("iosDeviceId"),
        .requestId = reader.string("requestId"),
        .version = reader.int64("version"),
    };
}

BLETrustedStateSigningPayload bleTrustedStateSigningPayloadFromJson(const Json& value,
                                                                    const std::string& path) {
    const json::ObjectReader reader(value, path);
    return BLETrustedStateSigningPayload{
        .kind = reader.required("kind", bleLocalPrototypeMessageKindFromJson),
        .iosDeviceId = reader.string("iosDeviceId"),
        .requestId = reader.string("requestId"),
        .macDeviceId = reader.optionalString("macDeviceId"),
        .encryptedTargetPayload = reader.optionalString("encryptedTargetPayload"),
        .targetSyncVersion = reader.optionalInt64("targetSyncVersion"),
    };
}

template <class Payload>
std::string canonicalBytes(const Payload& payload) {
    return json::write(toJson(payload), json::Style::canonical);
}

template std::string canonicalBytes(const UnlockApprovalSigningPayload&);
template std::string canonicalBytes(const LinkedUnlockSigningPayload&);
template std::string canonicalBytes(const LinkedUnlockReceiptSigningPayload&);
template std::string canonicalBytes(const TargetSyncReceiptSigningPayload&);
template std::string canonicalBytes(const BLETrustedStateSigningPayload&);

}  // namespace quorvel
