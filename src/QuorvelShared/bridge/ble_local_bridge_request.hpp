#pragma once

// The two records that travel through the mailbox: a request that the application or the
// native-messaging host hands to the bridge daemon, and the daemon's response. Neither validates
// its contents; the mailbox store supplies the date form of the nested wire message.
#include <cstdint>
#include <optional>
#include <string>

#include "QuorvelShared/messages/ble_local_prototype_wire_message.hpp"
#include "QuorvelShared/support/json.hpp"

namespace quorvel {

struct BLELocalBridgeRequest {
    // The mailbox is keyed by it; unique among the requests alive at one time.
    std::string requestId;
    BLELocalPrototypeWireMessage message;
    // How long the requester waits for the final response; for an unlock request also how long
    // the daemon waits for the phone's answer.
    std::int64_t timeoutSeconds = 0;

    friend bool operator==(const BLELocalBridgeRequest&, const BLELocalBridgeRequest&) = default;
};

// The daemon writes only these combinations:
//   completed false, no message, no error:   picked up, being served (proof the daemon runs)
//   completed false, an unlockReceipt:        the phone confirmed delivery
//   completed true, a message:                the phone's final reply
//   completed true, an error:                 the request failed; the error is the failure's text
struct BLELocalBridgeResponse {
    std::string requestId;
    bool completed = false;
    std::optional<BLELocalPrototypeWireMessage> message;
    std::optional<std::string> error;

    friend bool operator==(const BLELocalBridgeResponse&, const BLELocalBridgeResponse&) = default;
};

Json toJson(const BLELocalBridgeRequest& request);
BLELocalBridgeRequest bleLocalBridgeRequestFromJson(const Json& value, const std::string& path);

Json toJson(const BLELocalBridgeResponse& response);
BLELocalBridgeResponse bleLocalBridgeResponseFromJson(const Json& value, const std::string& path);

}  // namespace quorvel
