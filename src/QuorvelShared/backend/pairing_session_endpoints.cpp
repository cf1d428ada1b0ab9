// Pairing through the backend: the Mac opens a session, anyone holding its id reads it, the
// iPhone approves it with the code.
#include "QuorvelShared/backend/backend_api_client.hpp"
#include "QuorvelShared/support/json_reader.hpp"

namespace quorvel::backend {
namespace {

constexpr std::string_view pairingSessions = "/v1/pairing/sessions/";

}  // namespace

PairingSessionCreateResponse BackendAPIClient::createPairingSession(
    const std::string& macDeviceId) {
    Json body = Json::object();
    body["mac_device_id"] = macDeviceId;
    return pairingSessionCreateResponseFromJson(
        json::parse(send("/v1/pairing/sessions", "POST", body)), "");
}

PairingSessionStatusResponse BackendAPIClient::fetchPairingSession(const std::string& sessionId) {
    const std::string url = address(pathWith(pairingSessions, sessionId));
    return pairingSessionStatusResponseFromJson(json::parse(send(url, "GET")), "");
}

PairingApproveResponse BackendAPIClient::approvePairingSession(const std::string& sessionId,
                                                               const std::string& code,
                                                               const std::string& iosDeviceId) {
    const std::string path = pathWith(pairingSessions, sessionId, "/approve");
    Json body = Json::object();
    body["code"] = code;
    body["ios_device_id"] = iosDeviceId;
    return pairingApproveResponseFromJson(json::parse(send(path, "POST", body)), "");
}

}  // namespace quorvel::backend
