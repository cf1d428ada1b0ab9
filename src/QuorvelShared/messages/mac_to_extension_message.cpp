#include "QuorvelShared/messages/mac_to_extension_message.hpp"

#include "QuorvelShared/messages/unknown_message_type.hpp"
#include "QuorvelShared/support/json_reader.hpp"
#include "QuorvelShared/support/json_writer.hpp"

namespace quorvel {
namespace {

using M = MacToExtensionMessage;

Json objectOfType(std::string_view type) {
    Json object = Json::object();
    object["type"] = std::string(type);
    return object;
}

Json fieldsOf(const M::LockRequired& m) {
    Json object = objectOfType(m.type);
    object["targetLocalId"] = m.targetLocalId;
    return object;
}

Json fieldsOf(const M::UnlockPending& m) {
    Json object = objectOfType(m.type);
    object["requestId"] = m.requestId;
    object["targetLocalId"] = m.targetLocalId;
    object["expiresAt"] = json::isoDateValue(m.expiresAt);
    return object;
}

Json fieldsOf(const M::UnlockApproved& m) {
    Json object = objectOfType(m.type);
    object["targetLocalId"] = m.targetLocalId;
    object["allowUntil"] = json::isoDateValue(m.allowUntil);
    return object;
}

Json fieldsOf(const M::UnlockDenied& m) {
    Json object = objectOfType(m.type);
    object["targetLocalId"] = m.targetLocalId;
    object["reason"] = m.reason;
    return object;
}

Json fieldsOf(const M::TargetsState& m) {
    Json object = objectOfType(m.type);
    object["version"] = m.version;
    object["managed"] = m.managed;
    object["targets"] = json::arrayOf(m.targets);
    return object;
}

Json fieldsOf(const M::AllowState& m) {
    Json object = objectOfType(m.type);
    object["allows"] = json::arrayOf(m.allows);
    return object;
}

Json fieldsOf(const M::BluetoothState& m) {
    Json object = objectOfType(m.type);
    object["status"] = m.status.word();
    if (m.detail) {
        object["detail"] = *m.detail;
    }
    return object;
}

Json fieldsOf(const M::PolicyUpdated& m) {
    return objectOfType(m.type);
}

}  // namespace

Json toJson(const MacToExtensionMessage& message) {
    return std::visit([](const auto& m) { return fieldsOf(m); }, message.value);
}

MacToExtensionMessage macToExtensionMessageFromJson(const Json& value, const std::string& path) {
    const json::ObjectReader reader(value, path);
    const std::string type = reader.string("type");
    if (type == M::LockRequired::type) {
        return {M::LockRequired{reader.string("targetLocalId")}};
    }
    if (type == M::UnlockPending::type) {
        return {M::UnlockPending{reader.string("requestId"), reader.string("targetLocalId"),
                                 reader.isoDate("expiresAt")}};
    }
    if (type == M::UnlockApproved::type) {
        return {M::UnlockApproved{reader.string("targetLocalId"), reader.isoDate("allowUntil")}};
    }
    if (type == M::UnlockDenied::type) {
        return {M::UnlockDenied{reader.string("targetLocalId"), reader.string("reason")}};
    }
    if (type == M::PolicyUpdated::type) {
        return {M::PolicyUpdated{}};
    }
    if (type == M::TargetsState::type) {
        return {M::TargetsState{reader.int64("version"), reader.boolean("managed"),
                                reader.required("targets", [](const Json& v, const std::string& p) {
                                    return json::readArray(v, p, syncedWebTargetSummaryFromJson);
                                })}};
    }
    if (type == M::AllowState::type) {
        return {M::AllowState{reader.required("allows", [](const Json& v, const std::string& p) {
            return json::readArray(v, p, allowWindowSummaryFromJson);
        })}};
    }
    if (type == M::BluetoothState::type) {
        return {M::BluetoothState{BluetoothLinkStatus::fromWord(reader.string("status")),
                                  reader.optionalString("detail")}};
    }
    failUnknownMessageType(reader);
}

std::string encodeMacToExtensionMessage(const MacToExtensionMessage& message) {
    return json::write(toJson(message), json::Style::compact);
}

MacToExtensionMessage decodeMacToExtensionMessage(std::string_view text) {
    return macToExtensionMessageFromJson(json::parse(text), "");
}

}  // namespace quorvel
