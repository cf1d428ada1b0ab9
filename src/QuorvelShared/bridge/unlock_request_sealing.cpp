#include "QuorvelShared/bridge/unlock_request_sealing.hpp"

#include <utility>
#include <vector>

#include "QuorvelShared/bridge/ble_local_unlock_timing.hpp"
#include "QuorvelShared/crypto/unlock_context_crypto.hpp"
#include "QuorvelShared/policy/unlock_context.hpp"
#include "QuorvelShared/support/uuid.hpp"
#include "QuorvelShared/unlockstate/remote_open_event_store.hpp"

namespace quorvel {

std::string newUnlockRequestId() {
    return "req_" + newUuidText();
}

SealedUnlockRequest sealUnlockRequest(const std::string& requestId,
                                      const UnlockRequestTarget& target,
                                      const MacLinkConfiguration& link, Date now,
                                      OperationStep& step) {
    SealedUnlockRequest request;
    step = {"freezing the remote-open counts", RemoteOpenEventStore::defaultFilePath()};
    RemoteOpenEventStore remoteOpens(RemoteOpenEventStore::defaultFilePath());
    std::vector<RemoteOpenEventBatch> batches = remoteOpens.snapshotForUnlock(now);
    for (const RemoteOpenEventBatch& batch : batches)
        request.sentBatchIds.insert(batch.id);

    step = {"sealing the request for the iPhone", {}};
    const UnlockContextPlaintext context =
        UnlockContextPlaintext::forUnlock(requestId, target.id, target.type, target.displayName,
                                          target.policy, now, std::move(batches));
    const std::string sealed =
        UnlockContextCrypto::encrypt(context, link.iosEncryptionPublicKeyBase64);

    request.lifetimeSeconds =
        BLELocalUnlockRequestLifetime::timeoutSeconds(link.pollTimeoutSeconds);
    request.expiresAt = now.addingSeconds(static_cast<double>(request.lifetimeSeconds));
    request.message = BLELocalPrototypeWireMessage::unlockRequest(
        requestId, sealed, request.expiresAt, BLELocalUnlockDeliveryConfirmation::deadline(now),
        link.macDeviceId);
    return request;
}

}  // namespace quorvel
