#include "QuorvelShared/bridge/ble_local_bridge_hand_over.hpp"

#include "QuorvelShared/bridge/ble_local_bridge_store.hpp"
#include "QuorvelShared/support/notifications.hpp"

namespace quorvel::BLELocalBridgeHandOver {

std::optional<BLELocalBridgeRequest> requestCarrying(const BLELocalPrototypeWireMessage& message,
                                                     std::int64_t timeoutSeconds) {
    if (!message.requestId || message.requestId->empty())
        return std::nullopt;
    return BLELocalBridgeRequest{*message.requestId, message, timeoutSeconds};
}

void fileRequest(const BLELocalBridgeRequest& request, OperationStep& step) {
    step = {"filing the request in the mailbox", BLELocalBridgeStore::stateURL()};
    BLELocalBridgeStore::saveRequest(request);
    step = {"posting " + std::string(BLELocalBridgeStore::requestNotification), {}};
    postNotification(BLELocalBridgeStore::requestNotification);
    step = {"waiting for the bridge daemon's answer in the mailbox",
            BLELocalBridgeStore::stateURL()};
}

BLELocalBridgeWait::Step poll(BLELocalBridgeWait& wait, const std::string& requestId,
                              BootClock::time_point now) {
    return wait.poll(now, [&requestId] { return BLELocalBridgeStore::loadResponse(requestId); });
}

}  // namespace quorvel::BLELocalBridgeHandOver
