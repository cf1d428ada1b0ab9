#include "QuorvelShared/bridge/ble_local_bridge_store.hpp"

#include "QuorvelShared/bridge/ble_local_bridge_state_store.hpp"
#include "QuorvelShared/support/clock.hpp"
#include "QuorvelShared/support/xdg_paths.hpp"

namespace quorvel::BLELocalBridgeStore {
namespace {

// The store holds nothing but its location; making it per call keeps the location and the
// folder's mode right without a process-wide object.
BLELocalBridgeStateStore store() {
    return BLELocalBridgeStateStore(stateURL());
}

}  // namespace

std::filesystem::path stateURL() {
    return paths::sharedStateFile("ble-bridge-state.json");
}

void saveRequest(const BLELocalBridgeRequest& request) {
    store().saveRequest(request, systemClock().now());
}

std::vector<BLELocalBridgeRequest> loadPendingRequests() {
    return store().loadPendingRequests(systemClock().now());
}

void saveResponse(const BLELocalBridgeResponse& response) {
    store().saveResponse(response, systemClock().now());
}

void saveResponses(const std::vector<BLELocalBridgeResponse>& responses) {
    store().saveResponses(responses, systemClock().now());
}

void savePickUpMarks(const std::vector<std::string>& requestIds) {
    store().savePickUpMarks(requestIds, systemClock().now());
}

std::optional<BLELocalBridgeResponse> loadResponse(const std::string& requestId) {
    return store().loadResponse(requestId);
}

}  // namespace quorvel::BLELocalBridgeStore
