#include "QuorvelShared/messages/ble_local_prototype_wire_message.hpp"

#include "QuorvelShared/support/json_reader.hpp"
#include "QuorvelShared/support/json_writer.hpp"

namespace quorvel {
namespace {

template <class T>
void putOptional(Json& object, const char* key, const std::optional<T>& value) {
    if (value) {
        object[key] = *value;
    }
}

void putOptional(Json& object, const char* key, const std::optional<Date>& value) {
    if (value) {
        object[key] = json::isoDateValue(*value);
    }
}

}  // namespace

BLELocalPrototypeWireMessage BLELocalPrototypeWireMessage::unlockRequest(
    const std::string& requestId, const std::string& encryptedContext, Date expiresAt,
    Date deliveryDeadline, const std::string& macDeviceId) {
    BLELocalPrototypeWireMessage message;
    message.version = 1;
    message.kind = BLELocalPrototypeMessageKind::unlockRequest;
    message.requestId = requestId;
    message.encryptedContext = encryptedContext;
    message.expiresAt = expiresAt;
    message.deliveryDeadline = deliveryDeadline;
    message.macDeviceId = macDeviceId;
    return message;
}

Json toJson(const BLELocalPrototypeWireMessage& m) {
    Json object = Json::object();
    object["version"] = m.version;
    object["kind"] = toJson(m.kind);
    putOptional(object, "requestId", m.requestId);
    putOptional(object, "encryptedContext", m.encryptedContext);
    putOptional(object, "expiresAt", m.expiresAt);
    putOptional(object, "deliveryDeadline", m.deliveryDeadline);
    putOptional(object, "approvedDurationSeconds", m.approvedDurationSeconds);
    putOptional(object, "approvedUntil", m.approvedUntil);
    putOptional(object, "approvalSignature", m.approvalSignature);
    putOptional(object, "linkedTargetId", m.linkedTargetId);
    putOptional(object, "linkedRevision", m.linkedRevision);
    putOptional(object, "linkedSignature", m.linkedSignature);
    putOptional(object, "encryptedTargetPayload", m.encryptedTargetPayload);
    putOptional(object, "targetSyncVersion", m.targetSyncVersion);
    putOptional(object, "pairingSessionId", m.pairingSessionId);
    putOptional(object, "pairingCode", m.pairingCode);
    putOptional(object, "macDeviceId", m.macDeviceId);
    putOptional(object, "macDisplayName", m.macDisplayName);
    putOptional(object, "macEncryptionPublicKeyBase64", m.macEncryptionPublicKeyBase64);
    putOptional(object, "macSigningPublicKeyBase64", m.macSigningPublicKeyBase64);
    putOptional(object, "iosDeviceId", m.iosDeviceId);
    putOptional(object, "iosEncryptionPublicKeyBase64", m.iosEncryptionPublicKeyBase64);
    putOptional(object, "iosSigningPublicKeyBase64", m.iosSigningPublicKeyBase64);
    putOptional(object, "pairingAccepted", m.pairingAccepted);
    putOptional(object, "pairingError", m.pairingError);
    putOptional(object, "trustSignature", m.trustSignature);
    return object;
}

BLELocalPrototypeWireMessage bleLocalPrototypeWireMessageFromJson(const Json& value,
                                                                  const std::string& path) {
    const json::ObjectReader reader(value, path);
    BLELocalPrototypeWireMessage m;
    m.version = reader.int64("version");
    m.kind = reader.required("kind", bleLocalPrototypeMessageKindFromJson);
    m.requestId = reader.optionalString("requestId");
    m.encryptedContext = reader.optionalString("encryptedContext");
    m.expiresAt = reader.optionalIsoDate("expiresAt");
    m.deliveryDeadline = reader.optionalIsoDate("deliveryDeadline");
    m.approvedDurationSeconds = reader.optionalInt64("approvedDurationSeconds");
    m.approvedUntil = reader.optionalIsoDate("approvedUntil");
    m.approvalSignature = reader.optionalString("approvalSignature");
    m.linkedTargetId = reader.optionalString("linkedTargetId");
    m.linkedRevision = reader.optionalInt64("linkedRevision");
    m.linkedSignature = reader.optionalString("linkedSignature");
    m.encryptedTargetPayload = reader.optionalString("encryptedTargetPayload");
    m.targetSyncVersion = reader.optionalInt64("targetSyncVersion");
    m.pairingSessionId = reader.optionalString("pairingSessionId");
    m.pairingCode = reader.optionalString("pairingCode");
    m.macDeviceId = reader.optionalString("macDeviceId");
    m.macDisplayName = reader.optionalString("macDisplayName");
    m.macEncryptionPublicKeyBase64 = reader.optionalString("macEncryptionPublicKeyBase64");
    m.macSigningPublicKeyBase64 = reader.optionalString("macSigningPublicKeyBase64");
    m.iosDeviceId = reader.optionalString("iosDeviceId");
    m.iosEncryptionPublicKeyBase64 = reader.optionalString("iosEncryptionPublicKeyBase64");
    m.iosSigningPublicKeyBase64 = reader.optionalString("iosSigningPublicKeyBase64");
    m.pairingAccepted = reader.optionalBoolean("pairingAccepted");
    m.pairingError = reader.optionalString("pairingError");
    m.trustSignature = reader.optionalString("trustSignature");
    return m;
}

std::string encodeBLELocalPrototypeWireMessage(const BLELocalPrototypeWireMessage& message) {
    return json::write(toJson(message), json::Style::compact);
}

BLELocalPrototypeWireMessage decodeBLELocalPrototypeWireMessage(std::string_view text) {
    return bleLocalPrototypeWireMessageFromJson(json::parse(text), "");
}

}  // namespace quorvel
