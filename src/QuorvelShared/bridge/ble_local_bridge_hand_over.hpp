#pragma once

// The requester's side of the mailbox, one synchronous step at a time, as both programs that hand
// requests to the bridge daemon take them: the request is filed and the daemon woken, then the
// requester's own timer calls poll() until the wait (ble_local_bridge_wait.hpp) has an outcome.
// The loop that drives them is QuorvelPlatform's BLELocalBridgeRequester.
#include <cstdint>
#include <optional>
#include <string>

#include "QuorvelShared/bridge/ble_local_bridge_request.hpp"
#include "QuorvelShared/bridge/ble_local_bridge_wait.hpp"
#include "QuorvelShared/support/boot_clock.hpp"
#include "QuorvelShared/support/operation_step.hpp"

namespace quorvel::BLELocalBridgeHandOver {

// The mailbox request that carries `message` for `timeoutSeconds`; none when the message names no
// request (an absent or empty id), since the mailbox is keyed by it. Nothing is written.
std::optional<BLELocalBridgeRequest> requestCarrying(const BLELocalPrototypeWireMessage& message,
                                                     std::int64_t timeoutSeconds);

// Saves the request in the mailbox (which drops an earlier response of the same id) and posts the
// request notification. Throws the store's and the poster's errors. `step` names what is under
// way; on return it is the wait for the daemon's answer, which starts then.
void fileRequest(const BLELocalBridgeRequest& request, OperationStep& step);

// One round of `wait` at `now` over the mailbox's response to `requestId`. The store's errors
// propagate and leave the wait as it was.
BLELocalBridgeWait::Step poll(BLELocalBridgeWait& wait, const std::string& requestId,
                              BootClock::time_point now);

}  // namespace quorvel::BLELocalBridgeHandOver
