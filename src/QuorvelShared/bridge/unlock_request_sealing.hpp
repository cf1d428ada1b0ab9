#pragma once

// An unlock request as every sender builds it (the application for its lock targets, the
// native-messaging host for the browser's): the remote-open counts frozen to ride along, the
// target and its policy described in a context that only the iPhone's key-agreement key opens,
// and the wire message with the request's lifetime and the deadline of the iPhone's delivery
// receipt. Both senders make the same request from the same link, target and moment.
#include <cstdint>
#include <set>
#include <string>

#include "QuorvelShared/bridge/mac_link_configuration.hpp"
#include "QuorvelShared/messages/ble_local_prototype_wire_message.hpp"
#include "QuorvelShared/policy/default_lock_policy.hpp"
#include "QuorvelShared/policy/policy_enums.hpp"
#include "QuorvelShared/support/date.hpp"
#include "QuorvelShared/support/operation_step.hpp"

namespace quorvel {

// What the iPhone is asked to unlock, with the policy the sender resolved for it.
struct UnlockRequestTarget {
    std::string id;
    TargetType type = TargetType::macApp;
    std::string displayName;
    DefaultLockPolicy policy;
};

struct SealedUnlockRequest {
    // The remote-open batches that ride with the request; acknowledged once the iPhone answered,
    // else they ride again with the next request.
    std::set<std::string> sentBatchIds;
    std::int64_t lifetimeSeconds = 0;
    Date expiresAt;
    BLELocalPrototypeWireMessage message;
};

// "req_" and a fresh UUID. Made before the sealing, so that a failure of the sealing can name the
// request it was for.
std::string newUnlockRequestId();

// Freezes the remote-open counts, seals the context for the link's iPhone and builds the wire
// message, all at `now`. Throws the remote-open store's and the encryption's errors; `step` names
// what was under way.
SealedUnlockRequest sealUnlockRequest(const std::string& requestId,
                                      const UnlockRequestTarget& target,
                                      const MacLinkConfiguration& link, Date now,
                                      OperationStep& step);

}  // namespace quorvel
