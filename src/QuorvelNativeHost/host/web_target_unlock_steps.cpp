#include "QuorvelNativeHost/host/web_target_unlock_steps.hpp"

#include <exception>
#include <optional>

#include "QuorvelNativeHost/host/error_text.hpp"
#include "QuorvelNativeHost/host/message_handling.hpp"
#include "QuorvelPlatform/logging/log_categories.hpp"
#include "QuorvelShared/bridge/ble_local_unlock_timing.hpp"
#include "QuorvelShared/bridge/mac_link_configuration_store.hpp"
#include "QuorvelShared/crypto/unlock_context_crypto.hpp"
#include "QuorvelShared/crypto/unlock_context_signing.hpp"
#include "QuorvelShared/policy/mac_target_policy_store.hpp"
#include "QuorvelShared/policy/unlock_context.hpp"
#include "QuorvelShared/support/event_boundary.hpp"
#include "QuorvelShared/support/uuid.hpp"
#include "QuorvelShared/unlockstate/allow_window_state_store.hpp"
#include "QuorvelShared/unlockstate/ble_local_accepted_approval_receipt_store.hpp"
#include "QuorvelShared/unlockstate/linked_unlock_revision_state_store.hpp"
#include "QuorvelShared/unlockstate/linked_web_target_ids.hpp"
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
                           const MacLinkConfiguration& configuration, Date now,
                           OperationStep& step) {
    PreparedUnlock request;
    request.targetLocalId = targetLocalId;
    request.configuration = configuration;
    request.requestId = "req_" + newUuidText();

    step = {"freezing the remote-open counts", RemoteOpenEventStore::defaultFileURL()};
    RemoteOpenEventStore remoteOpens(RemoteOpenEventStore::defaultFileURL());
    std::vector<RemoteOpenEventBatch> batches = remoteOpens.snapshotForUnlock(now);
    for (const RemoteOpenEventBatch& batch : batches)
        request.sentBatchIds.insert(batch.id);

    const DefaultLockPolicy policy = policyFor(targetLocalId, targetType, loadSyncedListOrNone());
    step = {"sealing the request for the iPhone", {}};
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

OperationStep acknowledgingBatches() {
    return {"acknowledging the remote-open counts", RemoteOpenEventStore::defaultFileURL()};
}

// After the windows opened, a failure no longer denies anything: it is reported alone.
void reportAfterApproval(const PreparedUnlock& request, const OperationStep& step,
                         const std::exception_ptr& error) {
    qCWarning(lcHost, "unlock request for %s approved, but %s", request.targetLocalId.c_str(),
              describeFailure(step, describeException(error)).c_str());
}

// The checks and grants of an approval. Returns the answer, or throws the failure of a store
// before the windows are open.
MacToExtensionMessage applyApproval(const PreparedUnlock& request,
                                    const BLELocalPrototypeWireMessage& answer, Date now,
                                    OperationStep& step) {
    const MacLinkConfiguration& link = request.configuration;
    const std::string& target = request.targetLocalId;
    if (answer.requestId != request.requestId) {
        return denyUnlock(target, DenialReason::approvalIncomplete,
                          describeFailure(step, "the approval is for request " +
                                                    answer.requestId.value_or("(none)") +
                                                    ", not for " + request.requestId));
    }
    if (!answer.approvedUntil || !answer.approvedDurationSeconds || !answer.approvalSignature) {
        return denyUnlock(target, DenialReason::approvalIncomplete,
                          describeFailure(step,
                                          "the approval lacks its end, its length or its "
                                          "signature"));
    }
    const Date approvedUntil = *answer.approvedUntil;
    const UnlockApprovalSigningPayload approval{request.requestId, *answer.approvedDurationSeconds,
                                                approvedUntil, link.iosDeviceId};
    step = {"checking the approval's signature", {}};
    if (!UnlockContextCrypto::verifyApprovalSignature(*answer.approvalSignature, approval,
                                                      link.iosSigningPublicKeyBase64)) {
        return denyUnlock(target, DenialReason::signatureInvalid,
                          describeFailure(step, "it does not verify with the iPhone's key"));
    }

    std::vector<std::string> idsToOpen;
    if (answer.linkedTargetId && answer.linkedRevision && answer.linkedSignature) {
        const LinkedUnlockSigningPayload linked{link.macDeviceId, *answer.linkedTargetId,
                                                approvedUntil, link.iosDeviceId,
                                                *answer.linkedRevision};
        step = {"checking the linked approval's signature", {}};
        if (!UnlockContextCrypto::verifyLinkedUnlockSignature(*answer.linkedSignature, linked,
                                                              link.iosSigningPublicKeyBase64)) {
            return denyUnlock(target, DenialReason::linkedInvalidOrStale,
                              describeFailure(step, "it does not verify with the iPhone's key"));
        }
        step = {"accepting the linked revision of " + *answer.linkedTargetId,
                LinkedUnlockRevisionStateStore::fileURL()};
        if (!LinkedUnlockRevisionStateStore::accept(*answer.linkedTargetId, *answer.linkedRevision,
                                                    LinkedUnlockRevisionStateStore::fileURL())) {
            return denyUnlock(
                target, DenialReason::linkedInvalidOrStale,
                describeFailure(step, "revision " + std::to_string(*answer.linkedRevision) +
                                          " is older than the one accepted"));
        }
        idsToOpen = quorvel::linkedWebTargetIds(*answer.linkedTargetId);
        if (idsToOpen.empty())
            idsToOpen = {target};
    } else {
        idsToOpen = webTargetIdsOpenedWith(target);
    }

    for (const std::string& id : idsToOpen) {
        step = {"opening the allow window of " + id, AllowWindowStateStore::fileURL()};
        AllowWindowStateStore::grant(id, approvedUntil, AllowWindowStateStore::fileURL());
    }

    // The windows are open: whatever fails from here on, the target is unlocked, and the answer
    // says so. The failure is reported; an unacknowledged batch rides again.
    try {
        if (auto receipt = BLELocalAcceptedApprovalReceipt::fromMessage(answer, now)) {
            BLELocalAcceptedApprovalReceiptStore::save(
                *receipt, BLELocalAcceptedApprovalReceiptStore::fileURL());
        }
    } catch (...) {
        reportAfterApproval(
            request,
            {"saving the approval receipt", BLELocalAcceptedApprovalReceiptStore::fileURL()},
            std::current_exception());
    }
    try {
        acknowledgeBatches(request);
    } catch (...) {
        reportAfterApproval(request, acknowledgingBatches(), std::current_exception());
    }
    return MacToExtensionMessage{MacToExtensionMessage::UnlockApproved{target, approvedUntil}};
}

}  // namespace

MacToExtensionMessage denyUnlock(const std::string& targetLocalId, const std::string& reason,
                                 std::string_view cause) {
    qCWarning(lcHost, "unlock request for %s denied with %s: %s", targetLocalId.c_str(),
              reason.c_str(), std::string(cause).c_str());
    return MacToExtensionMessage{MacToExtensionMessage::UnlockDenied{targetLocalId, reason}};
}

MacToExtensionMessage denyForError(const std::string& targetLocalId, const OperationStep& step,
                                   const std::exception_ptr& error) {
    return denyUnlock(targetLocalId, errorText(error),
                      describeFailure(step, describeException(error)));
}

std::variant<PreparedUnlock, MacToExtensionMessage> prepareUnlock(
    const std::string& targetLocalId, TargetType targetType, const std::string& targetDisplayName,
    Date now) {
    OperationStep step{"loading the link configuration", MacLinkConfigurationStore::fileURL()};
    try {
        const std::optional<MacLinkConfiguration> configuration = MacLinkConfigurationStore::load();
        if (!configuration) {
            return denyUnlock(targetLocalId, DenialReason::notConfigured,
                              describeFailure(step, "there is none"));
        }
        if (!configuration->isUsableForUnlockRequests()) {
            return denyUnlock(targetLocalId, DenialReason::configIncomplete,
                              describeFailure(step, "it lacks a device id or a key of the iPhone"));
        }
        return sealRequest(targetLocalId, targetType, targetDisplayName, *configuration, now, step);
    } catch (...) {
        return denyForError(targetLocalId, step, std::current_exception());
    }
}

MacToExtensionMessage finishUnlock(const PreparedUnlock& request,
                                   const BLELocalPrototypeWireMessage& answer, Date now) {
    OperationStep step{"checking the iPhone's answer to " + request.requestId, {}};
    try {
        if (answer.kind == BLELocalPrototypeMessageKind::unlockCancellation) {
            step = acknowledgingBatches();
            acknowledgeBatches(request);
            return denyUnlock(request.targetLocalId, DenialReason::cancelled,
                              "the iPhone discarded request " + request.requestId);
        }
        if (answer.kind != BLELocalPrototypeMessageKind::unlockApproval) {
            return denyUnlock(
                request.targetLocalId, DenialReason::approvalIncomplete,
                describeFailure(step, "an answer of kind " +
                                          std::string(nameOf<BLELocalPrototypeMessageKind>(
                                              answer.kind, bleLocalPrototypeMessageKindNames))));
        }
        return applyApproval(request, answer, now, step);
    } catch (...) {
        return denyForError(request.targetLocalId, step, std::current_exception());
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
