#pragma once

// The one message exchanged with the paired iPhone over Bluetooth LE, and carried in the mailbox
// between the programs: a flat, versioned JSON object with a kind and optional fields, each kind
// filling a few. Keys equal the field names; absent fields are left out (never null); a null
// reads as absent; unknown keys are ignored; dates are ISO text with whole seconds. The decoder
// does not test `version`: rejecting other versions is the receiving daemon's rule.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "QuorvelShared/messages/ble_local_prototype_message_kind.hpp"
#include "QuorvelShared/support/date.hpp"
#include "QuorvelShared/support/json.hpp"

namespace quorvel {

struct BLELocalPrototypeWireMessage {
    std::int64_t version = 1;
    BLELocalPrototypeMessageKind kind = BLELocalPrototypeMessageKind::unlockRequest;
    std::optional<std::string> requestId;
    std::optional<std::string> encryptedContext;
    std::optional<Date> expiresAt;
    std::optional<Date> deliveryDeadline;
    std::optional<std::int64_t> approvedDurationSeconds;
    std::optional<Date> approvedUntil;
    std::optional<std::string> approvalSignature;
    std::optional<std::string> linkedTargetId;
    std::optional<std::int64_t> linkedRevision;
    std::optional<std::string> linkedSignature;
    std::optional<std::string> encryptedTargetPayload;
    std::optional<std::int64_t> targetSyncVersion;
    std::optional<std::string> pairingSessionId;
    std::optional<std::string> pairingCode;
    std::optional<std::string> macDeviceId;
    std::optional<std::string> macDisplayName;
    std::optional<std::string> macEncryptionPublicKeyBase64;
    std::optional<std::string> macSigningPublicKeyBase64;
    std::optional<std::string> iosDeviceId;
    std::optional<std::string> iosEncryptionPublicKeyBase64;
    std::optional<std::string> iosSigningPublicKeyBase64;
    std::optional<bool> pairingAccepted;
    std::optional<std::string> pairingError;
    std::optional<std::string> trustSignature;

    // Version 1, kind unlockRequest, these five fields and nothing else.
    static BLELocalPrototypeWireMessage unlockRequest(const std::string& requestId,
                                                      const std::string& encryptedContext,
                                                      Date expiresAt, Date deliveryDeadline,
                                                      const std::string& macDeviceId);

    friend bool operator==(const BLELocalPrototypeWireMessage&,
                           const BLELocalPrototypeWireMessage&) = default;
};

// Keys in declaration order, absent fields left out.
Json toJson(const BLELocalPrototypeWireMessage& message);
BLELocalPrototypeWireMessage bleLocalPrototypeWireMessageFromJson(const Json& value,
                                                                  const std::string& path);

// The bytes on the link: compact JSON in declaration order. Throws json::EncodeError.
std::string encodeBLELocalPrototypeWireMessage(const BLELocalPrototypeWireMessage& message);
// Parses and decodes received bytes. Throws json::DecodeError.
BLELocalPrototypeWireMessage decodeBLELocalPrototypeWireMessage(std::string_view text);

}  // namespace quorvel
