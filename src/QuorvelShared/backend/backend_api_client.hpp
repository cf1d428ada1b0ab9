#pragma once

// The HTTPS JSON client of the backend. Every endpoint builds its address (and body, where it has
// one) and makes one exchange through the transport: a POST or PUT carries a compact JSON body
// with "content-type: application/json", a GET or DELETE neither; every request carries
// "authorization: Bearer <token>" while the client holds a token. A status in 200...299 is
// success; any other throws BackendAPIError::httpStatus with the body. Nothing is retried and no
// redirect is followed.
//
// Failures, all before or instead of a result:
//   an identifier that is empty, "." or "..", or a base address that is not an absolute URL
//                                         -> BackendAPIError invalidResponse, nothing sent
//   a body value with no JSON form        -> json::EncodeError, nothing sent
//   no answer                             -> the transport's HttpTransportError, unchanged
//   an answer that is not HTTP            -> BackendAPIError invalidResponse
//   a status outside 200...299            -> BackendAPIError httpStatus
//   a success body that is not the record -> json::DecodeError, unchanged
//
// Thread-safe: the configuration is read under a mutex while a request is built, and the
// exchange runs outside it, so several requests of one client may be in flight at once.
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>

#include "QuorvelShared/backend/account_records.hpp"
#include "QuorvelShared/backend/backend_configuration.hpp"
#include "QuorvelShared/backend/backend_fetching.hpp"
#include "QuorvelShared/backend/http_transport.hpp"
#include "QuorvelShared/backend/pairing_session_records.hpp"
#include "QuorvelShared/backend/target_sync_records.hpp"
#include "QuorvelShared/backend/unlock_request_records.hpp"
#include "QuorvelShared/devicekeys/device_public_key_bundle.hpp"
#include "QuorvelShared/support/date.hpp"
#include "QuorvelShared/support/json.hpp"

namespace quorvel::backend {

// The linked-unlock fields of an approval; each is sent exactly when present.
struct LinkedApprovalFields {
    std::optional<std::string> linkedTargetId;
    std::optional<std::int64_t> linkedRevision;
    std::optional<std::string> linkedSignature;
};

class BackendAPIClient final : public TargetSyncStateFetching, public LinkedUnlockStateFetching {
public:
    BackendAPIClient(BackendConfiguration configuration, std::shared_ptr<HttpTransport> transport);

    // Requests built afterwards carry the new token, or none; requests in flight keep theirs.
    void updateAccessToken(std::optional<std::string> accessToken);

    // Accounts and devices.
    AppleAuthResponse authenticateWithApple(const std::string& identityToken,
                                            const std::string& authorizationCode);
    DeviceRegistrationResponse registerDevice(DeviceType type,
                                              const std::optional<std::string>& deviceId,
                                              const std::optional<std::string>& deviceName,
                                              const DevicePublicKeyBundle& publicKeys,
                                              const std::optional<std::string>& apnsToken);
    void deleteAccount();

    // Unlock requests.
    UnlockRequestCreateResponse createUnlockRequest(const std::optional<std::string>& requestId,
                                                    const std::string& macDeviceId,
                                                    const std::string& iosDeviceId,
                                                    const std::string& encryptedContext);
    UnlockRequestFetchResponse fetchUnlockRequest(const std::string& requestId);
    PendingUnlockRequestResponse fetchPendingUnlockRequest(const std::string& iosDeviceId);
    void approveUnlockRequest(const std::string& requestId, const std::string& iosDeviceId,
                              std::int64_t approvedDurationSeconds, Date approvedUntil,
                              const std::string& signature,
                              const LinkedApprovalFields& linked = {});
    void cancelUnlockRequest(const std::string& requestId, const std::string& iosDeviceId);

    // Pairing sessions.
    PairingSessionCreateResponse createPairingSession(const std::string& macDeviceId);
    PairingSessionStatusResponse fetchPairingSession(const std::string& sessionId);
    PairingApproveResponse approvePairingSession(const std::string& sessionId,
                                                 const std::string& code,
                                                 const std::string& iosDeviceId);

    // Target sync and linked unlocks.
    TargetSyncPutResponse putTargetSync(const std::string& macDeviceId,
                                        const std::string& iosDeviceId, std::int64_t version,
                                        const std::string& encryptedPayload);
    TargetSyncStateResponse fetchTargetSync(const std::string& macDeviceId) override;
    void createLinkedUnlock(const std::string& macDeviceId, const std::string& iosDeviceId,
                            const std::string& targetId, Date approvedUntil,
                            const std::string& signature, std::int64_t revision);
    LinkedUnlockStateResponse fetchLinkedUnlocks(const std::string& macDeviceId) override;

private:
    // The base address with `path` appended; throws invalidResponse when none can be formed.
    std::string address(std::string_view path) const;
    // `prefix` + the identifier as one path segment + `suffix`; throws invalidResponse for an
    // identifier that cannot be one.
    static std::string pathWith(std::string_view prefix, std::string_view identifier,
                                std::string_view suffix = {});

    // One exchange with a JSON body to the base address plus `path`; the success body.
    std::string send(std::string_view path, std::string_view method, const Json& body);
    // One exchange without a body to a complete address; the success body.
    std::string send(const std::string& url, std::string_view method);
    std::string exchange(HttpRequest request) const;

    mutable std::mutex mutex_;
    BackendConfiguration configuration_;
    const std::shared_ptr<HttpTransport> transport_;
};

}  // namespace quorvel::backend
