#pragma once

// The records of the unlock-request endpoints. The sealed context and the approval signature
// travel as opaque texts; dates are ISO text in whole seconds. Absent optionals are left out when
// writing and read as absent when missing or null.
#include <cstdint>
#include <optional>
#include <string>

#include "QuorvelShared/support/date.hpp"
#include "QuorvelShared/support/json.hpp"

namespace quorvel::backend {

struct UnlockRequestCreateResponse {
    std::string requestId;
    std::string status;  // the server's state word, not interpreted
    Date expiresAt;

    friend bool operator==(const UnlockRequestCreateResponse&,
                           const UnlockRequestCreateResponse&) = default;
};

struct UnlockRequestFetchResponse {
    std::string requestId;
    std::string macDeviceId;
    std::string status;
    std::string encryptedContext;
    Date expiresAt;
    std::optional<std::int64_t> approvedDurationSeconds;
    std::optional<Date> approvedUntil;
    std::optional<std::string> approvalSignature;
    std::optional<std::string> linkedTargetId;
    std::optional<std::int64_t> linkedRevision;
    std::optional<std::string> linkedSignature;

    friend bool operator==(const UnlockRequestFetchResponse&,
                           const UnlockRequestFetchResponse&) = default;
};

// No request: nothing is pending for the iPhone.
struct PendingUnlockRequestResponse {
    std::optional<UnlockRequestFetchResponse> request;

    friend bool operator==(const PendingUnlockRequestResponse&,
                           const PendingUnlockRequestResponse&) = default;
};

// {"request_id", "status", "expires_at"}, all required.
Json toJson(const UnlockRequestCreateResponse& response);
UnlockRequestCreateResponse unlockRequestCreateResponseFromJson(const Json& value,
                                                                const std::string& path);

// The five first keys are required: "request_id", "mac_device_id", "status",
// "encrypted_context", "expires_at"; then "approved_duration_seconds", "approved_until",
// "approval_signature", "linked_target_id", "linked_revision", "linked_signature".
Json toJson(const UnlockRequestFetchResponse& response);
UnlockRequestFetchResponse unlockRequestFetchResponseFromJson(const Json& value,
                                                              const std::string& path);

// {"request": fetch response}; a request that is present must decode in full.
Json toJson(const PendingUnlockRequestResponse& response);
PendingUnlockRequestResponse pendingUnlockRequestResponseFromJson(const Json& value,
                                                                  const std::string& path);

}  // namespace quorvel::backend
