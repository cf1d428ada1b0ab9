#include "QuorvelNativeHost/daemon/delivery_recovery_state.hpp"

#include <algorithm>
#include <utility>

namespace quorvel::daemon {

void BLELocalUnlockDeliveryRecoveryState::begin(const BLELocalPrototypeWireMessage& message) {
    if (!message.requestId)
        return;
    const std::string& id = *message.requestId;
    if (!deliveries_.contains(id))
        requestOrder_.push_back(id);
    deliveries_[id] = Delivery{message, message, false};
}

std::optional<BLELocalPrototypeWireMessage> BLELocalUnlockDeliveryRecoveryState::takeMessageForSend(
    const std::string& requestId) {
    const auto found = deliveries_.find(requestId);
    if (found == deliveries_.end())
        return std::nullopt;
    return std::exchange(found->second.queuedMessage, std::nullopt);
}

std::vector<BLELocalPrototypeWireMessage> BLELocalUnlockDeliveryRecoveryState::activeMessages()
    const {
    std::vector<BLELocalPrototypeWireMessage> messages;
    for (const auto& id : requestOrder_) {
        if (const auto found = deliveries_.find(id); found != deliveries_.end()) {
            messages.push_back(found->second.message);
        }
    }
    return messages;
}

bool BLELocalUnlockDeliveryRecoveryState::prepareRetry(const std::string& requestId) {
    const auto found = deliveries_.find(requestId);
    if (found == deliveries_.end() || found->second.hasUsedRecovery)
        return false;
    found->second.hasUsedRecovery = true;
    found->second.queuedMessage = found->second.message;
    return true;
}

bool BLELocalUnlockDeliveryRecoveryState::hasUsedRecovery(const std::string& requestId) const {
    const auto found = deliveries_.find(requestId);
    return found != deliveries_.end() && found->second.hasUsedRecovery;
}

void BLELocalUnlockDeliveryRecoveryState::finish(const std::string& requestId) {
    deliveries_.erase(requestId);
    std::erase(requestOrder_, requestId);
}

}  // namespace quorvel::daemon
