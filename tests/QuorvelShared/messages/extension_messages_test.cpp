#include <gtest/gtest.h>

#include "QuorvelShared/messages/extension_to_mac_message.hpp"
#include "QuorvelShared/messages/mac_to_extension_message.hpp"
#include "QuorvelShared/support/json_reader.hpp"
#include "testkit/capture_error.hpp"

namespace quorvel {
namespace {

using E = ExtensionToMacMessage;
using M = MacToExtensionMessage;

Date at(const char* iso) {
    return *parseIsoDate(iso);
}

template <class Decode>
std::optional<json::DecodeError> decodeErrorOf(Decode decode, const std::string& text) {
    return testkit::captureError<json::DecodeError>([&] { return decode(text); });
}

TEST(ExtensionToMacMessage, EveryCaseEncodesAndDecodes) {
    const std::pair<E, std::string> cases[] = {
        {E{E::ProfileConnected{"p1"}}, R"({"type":"profile.connected","profileId":"p1"})"},
        {E{E::UnlockRequested{"p1", "t1", TargetType::macApp, "Mail"}},
         R"({"type":"unlock.requested","profileId":"p1","targetLocalId":"t1",)"
         R"("targetType":"macApp","targetDisplayName":"Mail"})"},
        {E{E::TargetBlocked{"p1", "t1", "Ex", "https://ex.com/a"}},
         R"({"type":"target.blocked","profileId":"p1","targetLocalId":"t1",)"
         R"("targetDisplayName":"Ex","url":"https:\/\/ex.com\/a"})"},
        {E{E::TargetsSync{"p1"}}, R"({"type":"targets.sync","profileId":"p1"})"},
        {E{E::EventsSubscribe{"p1"}}, R"({"type":"events.subscribe","profileId":"p1"})"},
    };
    for (const auto& [message, text] : cases) {
        EXPECT_EQ(encodeExtensionToMacMessage(message), text);
        EXPECT_EQ(decodeExtensionToMacMessage(text), message) << text;
    }
}

TEST(ExtensionToMacMessage, UnlockRequestedDefaults) {
    for (const char* text : {R"({"type":"unlock.requested","profileId":"p","targetLocalId":"t"})",
                             R"({"type":"unlock.requested","profileId":"p","targetLocalId":"t",)"
                             R"("targetType":null,"targetDisplayName":null,"unknown":1})"}) {
        const E message = decodeExtensionToMacMessage(text);
        const auto& request = std::get<E::UnlockRequested>(message.value);
        EXPECT_EQ(request.targetType, TargetType::webDomain);
        EXPECT_EQ(request.targetDisplayName, "ロック対象");
        EXPECT_EQ(encodeExtensionToMacMessage(message),
                  R"({"type":"unlock.requested","profileId":"p","targetLocalId":"t",)"
                  R"("targetType":"webDomain","targetDisplayName":"ロック対象"})");
    }
}

TEST(ExtensionToMacMessage, DecodingFailures) {
    using K = json::DecodeErrorKind;
    const std::tuple<std::string, K, std::string> cases[] = {
        {R"({"type":"Profile.Connected","profileId":"p"})", K::dataCorrupted, "type"},
        {R"({"type":"policy.updated"})", K::dataCorrupted, "type"},
        {R"({"profileId":"p"})", K::keyNotFound, "type"},
        {R"({"type":7})", K::typeMismatch, "type"},
        {R"({"type":"target.blocked","profileId":"p","targetLocalId":"t",)"
         R"("targetDisplayName":"d"})",
         K::keyNotFound, "url"},
        {R"({"type":"unlock.requested","profileId":"p","targetLocalId":"t","targetType":"web"})",
         K::dataCorrupted, "targetType"},
        {R"({"type":"profile.connected","profileId":null})", K::valueNotFound, "profileId"},
    };
    for (const auto& [text, kind, path] : cases) {
        const auto error = decodeErrorOf(decodeExtensionToMacMessage, text);
        ASSERT_TRUE(error) << "decoded: " << text;
        EXPECT_EQ(error->kind(), kind) << text;
        EXPECT_EQ(error->path(), path) << text;
    }
    const auto unknown = decodeErrorOf(decodeExtensionToMacMessage, R"({"type":"x"})");
    ASSERT_TRUE(unknown) << "decoded an unknown type";
    EXPECT_EQ(unknown->description(), "Unknown message type.");
}

TEST(MacToExtensionMessage, EveryCaseEncodesAndDecodes) {
    const std::pair<M, std::string> cases[] = {
        {M{M::LockRequired{"t1"}}, R"({"type":"lock.required","targetLocalId":"t1"})"},
        {M{M::UnlockPending{"req_1", "t1", at("2024-05-01T10:00:00Z")}},
         R"({"type":"unlock.pending","requestId":"req_1","targetLocalId":"t1",)"
         R"("expiresAt":"2024-05-01T10:00:00Z"})"},
        {M{M::UnlockApproved{"t1", at("2024-05-01T10:15:00Z")}},
         R"({"type":"unlock.approved","targetLocalId":"t1","allowUntil":"2024-05-01T10:15:00Z"})"},
        {M{M::UnlockDenied{"t1", "iphone_bluetooth_timeout"}},
         R"({"type":"unlock.denied","targetLocalId":"t1","reason":"iphone_bluetooth_timeout"})"},
        {M{M::TargetsState{3, true, {{"w", "a.com", "A", true, "app", 60}}}},
         R"({"type":"targets.state","version":3,"managed":true,"targets":[{"id":"w",)"
         R"("domain":"a.com","displayName":"A","enabled":true,"linkedTargetId":"app",)"
         R"("warningBeforeEndSeconds":60}]})"},
        {M{M::AllowState{{{"t1", at("2024-05-01T10:15:00Z")}}}},
         R"({"type":"allow.state","allows":[{"targetId":"t1","allowUntil":"2024-05-01T10:15:00Z"}]})"},
        {M{M::AllowState{}}, R"({"type":"allow.state","allows":[]})"},
        {M{M::BluetoothState{BluetoothLinkState::connected, "iPhone"}},
         R"({"type":"bluetooth.state","status":"connected","detail":"iPhone"})"},
        {M{M::BluetoothState{BluetoothLinkState::off, std::nullopt}},
         R"({"type":"bluetooth.state","status":"off"})"},
        // Another writer's word in the status file is forwarded as it was.
        {M{M::BluetoothState{BluetoothLinkStatus::fromWord("poweredOff"), std::nullopt}},
         R"({"type":"bluetooth.state","status":"poweredOff"})"},
        {M{M::PolicyUpdated{}}, R"({"type":"policy.updated"})"},
    };
    for (const auto& [message, text] : cases) {
        EXPECT_EQ(encodeMacToExtensionMessage(message), text);
        EXPECT_EQ(decodeMacToExtensionMessage(text), message) << text;
    }
}

TEST(MacToExtensionMessage, DecodingRules) {
    const M nullDetail =
        decodeMacToExtensionMessage(R"({"type":"bluetooth.state","status":"s","detail":null})");
    EXPECT_EQ(std::get<M::BluetoothState>(nullDetail.value).detail, std::nullopt);
    EXPECT_TRUE(std::get<M::TargetsState>(
                    decodeMacToExtensionMessage(
                        R"({"type":"targets.state","version":1,"managed":false,"targets":[]})")
                        .value)
                    .targets.empty());

    using K = json::DecodeErrorKind;
    const std::tuple<std::string, K, std::string> cases[] = {
        {R"({"type":"targets.state","version":1,"targets":[]})", K::keyNotFound, "managed"},
        {R"({"type":"targets.state","version":1,"managed":false,"targets":[{"id":"i"}]})",
         K::keyNotFound, "targets[0].domain"},
        {R"({"type":"unlock.approved","targetLocalId":"t","allowUntil":"2024-05-01T10:15:00.1Z"})",
         K::dataCorrupted, "allowUntil"},
        {R"({"type":"Lock.required","targetLocalId":"t"})", K::dataCorrupted, "type"},
        {R"({"type":"profile.connected","profileId":"p"})", K::dataCorrupted, "type"},
    };
    for (const auto& [text, kind, path] : cases) {
        const auto error = decodeErrorOf(decodeMacToExtensionMessage, text);
        ASSERT_TRUE(error) << "decoded: " << text;
        EXPECT_EQ(error->kind(), kind) << text;
        EXPECT_EQ(error->path(), path) << text;
    }
}

}  // namespace
}  // namespace quorvel
