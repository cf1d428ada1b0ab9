#include "QuorvelShared/bridge/ble_local_bridge_request.hpp"

#include "QuorvelShared/support/json_reader.hpp"

namespace quorvel {

Json toJson(const BLELocalBridgeRequest& request) {
    Json value = Json::object();
    value["requestId"] = request.requestId;
    value["message"] = toJson(request.message);
    value["timeoutSeconds"] = request.timeoutSeconds;
    return value;
}

BLELocalBridgeRequest bleLocalBridgeRequestFromJson(const Json& value, const std::string& path) {
    const json::ObjectReader reader(value, path);
    return BLELocalBridgeRequest{
        .requestId = reader.string("requestId"),
        .message = reader.required("message", bleLocalPrototypeWireMessageFromJson),
        .timeoutSeconds = reader.int64("timeoutSeconds"),
    };
}

Json toJson(const BLELocalBridgeResponse& response) {
    Json value = Json::object();
    value["requestId"] = response.requestId;
    value["completed"] = response.completed;
    if (response.message) {
        value["message"] = toJson(*response.message);
    }
    if (response.error) {
        value["error"] = *response.error;
    }
    return value;
}

BLELocalBridgeResponse bleLocalBridgeResponseFromJson(const Json& value, const std::string& path) {
    const json::ObjectReader reader(value, path);
    return BLELocalBridgeResponse{
        .requestId = reader.string("requestId"),
        .completed = reader.boolean("completed"),
        .message = reader.optional("message", bleLocalPrototypeWireMessageFromJson),
        .error = reader.optionalString("error"),
    };
}

}  // namespace quorvel
