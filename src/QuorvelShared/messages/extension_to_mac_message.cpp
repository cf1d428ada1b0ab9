#include "QuorvelShared/messages/extension_to_mac_message.hpp"

#include "QuorvelShared/messages/unknown_message_type.hpp"
#include "QuorvelShared/support/json_reader.hpp"
#include "QuorvelShared/support/json_writer.hpp"

namespace quorvel {
namespace {

using M = ExtensionToMacMessage;

Json objectOfType(std::string_view type) {
    Json object = Json::object();
    object["type"] = std::string(type);
    return object;
}

Json fieldsOf(const M::ProfileConnected& m) {
    Json object = objectOfType(m.type);
    object["profileId"] = m.profileId;
    return object;
}

Json fieldsOf(const M::UnlockRequested& m) {
    Json object = objectOfType(m.type);
    object["profileId"] = m.profileId;
    object["targetLocalId"] = m.targetLocalId;
    object["targetType"] = toJson(m.targetType);
    object["targetDisplayName"] = m.targetDisplayName;
    return object;
}

Json fieldsOf(const M::TargetBlocked& m) {
    Json object = objectOfType(m.type);
    object["profileId"] = m.profileId;
    object["targetLocalId"] = m.targetLocalId;
    object["targetDisplayName"] = m.targetDisplayName;
    object["url"] = m.url;
    return object;
}

Json fieldsOf(const M::TargetsSync& m) {
    Json object = objectOfType(m.type);
    object["profileId"] = m.profileId;
    return object;
}

Json fieldsOf(const M::EventsSubscribe& m) {
    Json object = objectOfType(m.type);
    object["profileId"] = m.profileId;
    return object;
}

}  // namespace

Json toJson(const ExtensionToMacMessage& message) {
    return std::visit([](const auto& m) { return fieldsOf(m); }, message.value);
}

ExtensionToMacMessage extensionToMacMessageFromJson(const Json& value, const std::string& path) {
    const json::ObjectReader reader(value, path);
    const std::string type = reader.string("type");
    if (type == M::ProfileConnected::type) {
        return {M::ProfileConnected{reader.string("profileId")}};
    }
    if (type == M::UnlockRequested::type) {
        M::UnlockRequested m;
        m.profileId = reader.string("profileId");
        m.targetLocalId = reader.string("targetLocalId");
        if (auto targetType = reader.optional("targetType", targetTypeFromJson)) {
            m.targetType = *targetType;
        }
        if (auto name = reader.optionalString("targetDisplayName")) {
            m.targetDisplayName = std::move(*name);
        }
        return {m};
    }
    if (type == M::TargetBlocked::type) {
        return {M::TargetBlocked{reader.string("profileId"), reader.string("targetLocalId"),
                                 reader.string("targetDisplayName"), reader.string("url")}};
    }
    if (type == M::TargetsSync::type) {
        return {M::TargetsSync{reader.string("profileId")}};
    }
    if (type == M::EventsSubscribe::type) {
        return {M::EventsSubscribe{reader.string("profileId")}};
    }
    failUnknownMessageType(reader);
}

std::string encodeExtensionToMacMessage(const ExtensionToMacMessage& message) {
    return json::write(toJson(message), json::Style::compact);
}

ExtensionToMacMessage decodeExtensionToMacMessage(std::string_view text) {
    return extensionToMacMessageFromJson(json::parse(text), "");
}

}  // namespace quorvel
