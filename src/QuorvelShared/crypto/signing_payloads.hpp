#pragma once

// The five records that the devices sign. A signature covers the canonical bytes of its record
// (json::Style::canonical): compact, keys in ascending byte order, "/" written as "\/", dates as
// whole-second UTC ISO text, absent optional fields left out, nothing added before or after. The
// checking side rebuilds the record from the message it received, so both devices must produce
// these bytes identically; the record's type shows only in its keys.
#include <cstdint>
#include <optional>
#include <string>

#include "QuorvelShared/messages/ble_local_prototype_message_kind.hpp"
#include "QuorvelShared/support/date.hpp"
#include "QuorvelShared/support/json.hpp"

namespace quorvel {

// Signed by the iPhone when it approves one unlock request.
struct UnlockApprovalSigningPayload {
    std::string requestId;
    std::int64_t approvedDurationSeconds = 0;
    Date approvedUntil;
    std::string iosDeviceId;

    friend bool operator==(const UnlockApprovalSigningPayload&,
                           const UnlockApprovalSigningPayload&) = default;
};

// Signed by the iPhone when an approval opens a linked target at a revision.
struct LinkedUnlockSigningPayload {
    std::string macDeviceId;
    std::string targetId;
    Date approvedUntil;
    std::string iosDeviceId;
    std::int64_t revision = 0;

    friend bool operator==(const LinkedUnlockSigningPayload&,
                           const LinkedUnlockSigningPayload&) = default;
};

// Signed by the Mac when it has applied a linked unlock.
struct LinkedUnlockReceiptSigningPayload {
    std::string macDeviceId;
    std::string iosDeviceId;
    std::string targetId;
    std::int64_t revision = 0;

    friend bool operator==(const LinkedUnlockReceiptSigningPayload&,
                           const LinkedUnlockReceiptSigningPayload&) = default;
};

// Signed by the Mac when it has applied a synced target-list version.
struct TargetSyncReceiptSigningPayload {
    std::string macDeviceId;
    std::string iosDeviceId;
    std::string requestId;
    std::int64_t version = 0;

    friend bool operator==(const TargetSyncReceiptSigningPayload&,
                           const TargetSyncReceiptSigningPayload&) = default;
};

// Signed by the iPhone as the trust signature of its Bluetooth state messages.
struct BLETrustedStateSigningPayload {
    BLELocalPrototypeMessageKind kind = BLELocalPrototypeMessageKind::targetSync;
    std::string iosDeviceId;
    std::string requestId;
    std::optional<std::string> macDeviceId;
    std::optional<std::string> encryptedTargetPayload;
    std::optional<std::int64_t> targetSyncVersion;

    friend bool operator==(const BLETrustedStateSigningPayload&,
                           const BLETrustedStateSigningPayload&) = default;
};

Json toJson(const UnlockApprovalSigningPayload& payload);
Json toJson(const LinkedUnlockSigningPayload& payload);
Json toJson(const LinkedUnlockReceiptSigningPayload& payload);
Json toJson(const TargetSyncReceiptSigningPayload& payload);
Json toJson(const BLETrustedStateSigningPayload& payload);

UnlockApprovalSigningPayload unlockApprovalSigningPayloadFromJson(const Json& value,
                                                                  const std::string& path);
LinkedUnlockSigningPayload linkedUnlockSigningPayloadFromJson(const Json& value,
                                                              const std::string& path);
LinkedUnlockReceiptSigningPayload linkedUnlockReceiptSigningPayloadFromJson(
    const Json& value, const std::string& path);
TargetSyncReceiptSigningPayload targetSyncReceiptSigningPayloadFromJson(const Json& value,
                                                                        const std::string& path);
BLETrustedStateSigningPayload bleTrustedStateSigningPayloadFromJson(const Json& value,
                                                                    const std::string& path);

// The bytes a signature covers. Throws json::EncodeError for text that is not UTF-8.
template <class Payload>
std::string canonicalBytes(const Payload& payload);

}  // namespace quorvel
