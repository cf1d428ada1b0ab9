#pragma once

// The mailbox as both programs use it: the file "ble-bridge-state.json" in the shared state
// folder, stamped with the system clock. Requesters file through ble_local_bridge_hand_over.hpp,
// which posts requestNotification after each successful saveRequest (a failed post fails the
// request: no daemon would wake for it); the daemon posts responseNotification after each
// saveResponse (and when it picks up a request whose response is already stored), where a failed
// post only delays the requesters, which poll loadResponse.
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "QuorvelShared/bridge/ble_local_bridge_request.hpp"

namespace quorvel::BLELocalBridgeStore {

inline constexpr std::string_view requestNotification = "app.quorvel.bleBridge.request";
inline constexpr std::string_view responseNotification = "app.quorvel.bleBridge.response";

// Computed on each call, so the shared state folder is made (0700) before the mailbox is used.
std::filesystem::path stateURL();

void saveRequest(const BLELocalBridgeRequest& request);
std::vector<BLELocalBridgeRequest> loadPendingRequests();
void saveResponse(const BLELocalBridgeResponse& response);
// Many responses, or pick-up marks for many requests, in one write (see BLELocalBridgeStateStore).
void saveResponses(const std::vector<BLELocalBridgeResponse>& responses);
void savePickUpMarks(const std::vector<std::string>& requestIds);
std::optional<BLELocalBridgeResponse> loadResponse(const std::string& requestId);

}  // namespace quorvel::BLELocalBridgeStore
