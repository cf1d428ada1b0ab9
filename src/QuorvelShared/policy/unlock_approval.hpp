#pragma once

// An approval as the iPhone reports it: the four fields it signs and the signature over them.
// Neither program builds or reads one today; the record keeps the peer's field list and keys.
#include <cstdint>
#include <string>

#include "QuorvelShared/support/bytes.hpp"
#include "QuorvelShared/support/date.hpp"
#include "QuorvelShared/support/json.hpp"

namespace quorvel {

struct UnlockApproval {
    std::string requestId;
    std::int64_t approvedDurationSeconds = 0;
    Date approvedUntil;
    std::string iosDeviceId;
    // DER signature bytes.
    Bytes signature;

    friend bool operator==(const UnlockApproval&, const UnlockApproval&) = default;
};

// All five keys required; the date as ISO text and the signature as standard base64, as
// everywhere else in the system.
Json toJson(const UnlockApproval& approval);
UnlockApproval unlockApprovalFromJson(const Json& value, const std::string& path);

}  // namespace quorvel
