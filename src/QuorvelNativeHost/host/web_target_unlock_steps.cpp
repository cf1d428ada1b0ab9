#include "QuorvelNativeHost/host/web_target_unlock_steps.hpp"

#include <exception>
#include <iostream>
#include <optional>

#include "QuorvelNativeHost/host/error_text.hpp"
#include "QuorvelShared/unlockstate/linked_web_target_ids.hpp"
#include "QuorvelNativeHost/host/message_handling.hpp"
#include "QuorvelShared/bridge/ble_local_unlock_timing.hpp"
#include "QuorvelShared/bridge/mac_link_configuration_store.hpp"
#include "QuorvelShared/crypto/unlock_context_crypto.hpp"
#include "QuorvelShared/crypto/unlock_context_signing.hpp"
#include "QuorvelShared/policy/mac_target_policy_store.hpp"
#include "QuorvelShared/policy/unlock_context.hpp"
#include "QuorvelShared/support/uuid.hpp"
#include "QuorvelShared/unlockstate/allow_window_state_store.hpp"
#include "QuorvelShared/unlockstate/ble_local_accepted_approval_receipt_store.hpp"
#include "QuorvelShared/unlockstate/linked_unlock_revision_state_store.hpp"
#include "QuorvelShared/unlockstate/remote_open_event_store.hpp"

namespace quorvel::host {
namespace {

DefaultLockPolicy policyFor(const std::string& targetId, TargetType type,
                            const std::optional<SyncedTargetList>& list) {
    if (list) {
        if (type == TargetType::macApp) {
            if (list->macAppUnlockPolicy)
                return *list->macAppUnlockPolicy;
        } else {
            for (const SyncedWebTarget& target : list->webTargets) {
                if (target.id == targetId)
                    return target.policy;
            }
        }
    }
    return MacTargetPolicyStore::policy(targetId, DefaultLockPolicy::defaultFree());
}

PreparedUnlock sealRequest(const std::string& targetLocalId, TargetType targetType,
                           const std::string& targetDisplayName,
                           const MacLinkConfiguration& configuration, Date now) {
    PreparedUnlock request;
    request.targetLocalId = targetLocalId;
    request.configuration = configuration;
    request.requestId = "req_" + newUuidText();

    RemoteOpenEventStore remoteOpens(RemoteOpenEventStore::defaultFileURL());
    std::vector<RemoteOpenEventBatch> batches = remoteOpens.snapshotForUnlock(now);
    for (const RemoteOpenEventBatch& batch : batches)
        request.sentBatchIds.insert(batch.id);

    const DefaultLockPolicy policy = policyFor(targetLocalId, targetType, loadSyncedListOrNone());
    const UnlockContextPlaintext context =
        UnlockContextPlaintext::forUnlock(request.requestId, targetLocalId, targetType,
                                          targetDisplayName, policy, now, std::move(batches));
    const std::string sealed =
        UnlockContextCrypto::encrypt(context, configuration.iosEncryptionPublicKeyBase64);

    request.lifetimeSeconds =
        BLELocalUnlockRequestLifetime::timeoutSeconds(configuration.pollTimeoutSeconds);
    request.message = BLELocalPrototypeWireMessage::unlockRequest(
        request.requestId, sealed, now.addingSeconds(static_cast<double>(request.lifetimeSeconds)),
        BLELocalUnlockDeliveryConfirmation::deadline(now), configuration.macDeviceId);
    return request;
}

void acknowledgeBatches(const PreparedUnlock& request) {
    RemoteOpenEventStore(RemoteOpenEventStore::defaultFileURL()).acknowledge(request.sentBatchIds);
}

// The checks and grants of an approval. Returns the answer, or throws the failure of a store
// before the windows are open.
MacToExtensionMessage applyApproval(const PreparedUnlock& request,
                                    const BLELocalPrototypeWireMessage& answer, Date now) {
    const MacLinkConfiguration& link = request.configuration;
    const std::string& target = request.targetLocalId;
    if (answer.requestId != request.requestId || !answer.approvedUntil ||
        !answer.approvedDurationSeconds || !answer.approvalSignature) {
        return unlockDenied(target, DenialReason::approvalIncomplete);
    }
    const Date approvedUntil = *answer.approvedUntil;
    const UnlockApprovalSigningPayload approval{request.requestId, *answer.approvedDurationSeconds,
                                                approvedUntil, link.iosDeviceId};
    if (!UnlockContextCrypto::verifyApprovalSignature(*answer.approvalSignature, approval,
                                                      link.iosSigningPublicKeyBase64)) {
        return unlockDenied(target, DenialReason::signatureInvalid);
    }

    std::vector<std::string> idsToOpen;
    if (answer.linkedTargetId && answer.linkedRevision && answer.linkedSignature) {
        const LinkedUnlockSigningPayload linked{link.macDeviceId, *answer.linkedTargetId,
                                                approvedUntil, link.iosDeviceId,
                                                *answer.linkedRevision};
        if (!UnlockContextCrypto::verifyLinkedUnlockSignature(*answer.linkedSignature, linked,
                                                              link.iosSigningPublicKeyBase64) ||
            !LinkedUnlockRevisionStateStore::accept(*answer.linkedTargetId, *answer.linkedRevision,
                                                    LinkedUnlockRevisionStateStore::fileURL())) {
            return unlockDenied(target, DenialReason::linkedInvalidOrStale);
        }
        idsToOpen = quorvel::linkedWebTargetIds(*answer.linkedTargetId);
        if (idsToOpen.empty())
            idsToOpen = {target};
    } else {
        idsToOpen = webTargetIdsOpenedWith(target);
    }

    for (const std::string& id : idsToOpen) {
        AllowWindowStateStore::grant(id, approvedUntil, AllowWindowStateStore::fileURL());
    }

    // The windows are open: whatever fails from here on, the target is unlocked, and the answer
    // says so. The failure goes to standard error; an unacknowledged batch rides again.
    try {
        if (auto receipt = BLELocalAcceptedApprovalReceipt::fromMessage(answer, now)) {
            BLELocalAcceptedApprovalReceiptStore::save(
                *receipt, BLELocalAcceptedApprovalReceiptStore::fileURL());
        }
    } catch (...) {
        std::cerr << "QuorvelNativeHost: approval receipt not saved: "
                  << errorText(std::current_exception()) << '\n';
    }
    try {
        acknowledgeBatches(request);
    } catch (...) {
        std::cerr << "QuorvelNativeHost: remote-open counts not acknowledged: "
                  << errorText(std::current_exception()) << '\n';
    }
    return MacToExtensionMessage{MacToExtensionMessage::UnlockApproved{target, approvedUntil}};
}

}  // namespace

MacToExtensionMessage unlockDenied(const std::string& targetLocalId, const std::string& reason) {
    return MacToExtensionMessage{MacToExtensionMessage::UnlockDenied{targetLocalId, reason}};
}

std::variant<PreparedUnlock, MacToExtensionMessage> prepareUnlock(
    const std::string& targetLocalId, TargetType targetType, const std::string& targetDisplayName,
    Date now) {
    try {
        const std::optional<MacLinkConfiguration> configuration = MacLinkConfigurationStore::load();
        if (!configuration)
            return unlockDenied(targetLocalId, DenialReason::notConfigured);
        if (!configuration->isUsableForUnlockRequests()) {
            return unlockDenied(targetLocalId, DenialReason::configIncomplete);
        }
        return sealRequest(targetLocalId, targetType, targetDisplayName, *configuration, now);
    } catch (...) {
        return unlockDenied(targetLocalId, errorText(std::current_exception()));
    }
}

MacToExtensionMessage finishUnlock(const PreparedUnlock& request,
                                   const BLELocalPrototypeWireMessage& answer, Date now) {
    try {
        if (answer.kind == BLELocalPrototypeMessageKind::unlockCancellation) {
            acknowledgeBatches(request);
            return unlockDenied(request.targetLocalId, DenialReason::cancelled);
        }
        if (answer.kind != BLELocalPrototypeMessageKind::unlockApproval) {
            return unlockDenied(request.targetLocalId, DenialReason::approvalIncomplete);
        }
        return applyApproval(request, answer, now);
    } catch (...) {
        return unlockDenied(request.targetLocalId, errorText(std::current_exception()));
    }
}

std::vector<std::string> webTargetIdsOpenedWith(const std::string& targetId) {
    const std::optional<SyncedTargetList> list = loadSyncedListOrNone();
    if (!list)
        return {targetId};
    const SyncedWebTarget* named = nullptr;
    for (const SyncedWebTarget& target : list->webTargets) {
        if (target.id == targetId) {
            named = &target;
            break;
        }
    }
    if (!named || !named->linkedTargetId)
        return {targetId};
    std::vector<std::string> ids;
    for (const SyncedWebTarget& target : list->webTargets) {
        if (target.linkedTargetId == named->linkedTargetId)
            ids.push_back(target.id);
    }
    if (ids.empty())
        ids.push_back(targetId);
    return ids;
}

}  // namespace quorvel::host
