#include "QuorvelNativeHost/host/web_target_unlock_steps.hpp"

#include <exception>
#include <optional>

#include "QuorvelNativeHost/host/error_text.hpp"
#include "QuorvelNativeHost/host/message_handling.hpp"
#include "QuorvelPlatform/logging/log_categories.hpp"
#include "QuorvelShared/bridge/mac_link_configuration_store.hpp"
#include "QuorvelShared/bridge/unlock_answer_check.hpp"
#include "QuorvelShared/policy/mac_target_policy_store.hpp"
#include "QuorvelShared/support/event_boundary.hpp"
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

void acknowledgeBatches(const PreparedUnlock& request) {
    RemoteOpenEventStore(RemoteOpenEventStore::defaultFilePath())
        .acknowledge(request.sealed.sentBatchIds);
}

OperationStep acknowledgingBatches() {
    return {"acknowledging the remote-open counts", RemoteOpenEventStore::defaultFilePath()};
}

// After the windows opened, a failure no longer denies anything: it is reported alone.
void reportAfterApproval(const PreparedUnlock& request, const OperationStep& step,
                         const std::exception_ptr& error) {
    qCWarning(lcHost, "unlock request for %s approved, but %s", request.targetLocalId.c_str(),
              describeFailure(step, describeException(error)).c_str());
}

// The step a denial or an error names for where the check of the answer ended.
OperationStep checkStep(UnlockAnswerCheck::Stage stage, const PreparedUnlock& request,
                        const BLELocalPrototypeWireMessage& answer) {
    using Stage = UnlockAnswerCheck::Stage;
    switch (stage) {
        case Stage::answer:
            break;
        case Stage::approvalSignature:
            return {"checking the approval's signature", {}};
        case Stage::linkedSignature:
            return {"checking the linked approval's signature", {}};
        case Stage::linkedRevision:
            return {"accepting the linked revision of " + answer.linkedTargetId.value_or(""),
                    LinkedUnlockRevisionStateStore::filePath()};
    }
    return {"checking the iPhone's answer to " + request.requestId, {}};
}

// The denial the check's verdict stands for; none for an approval.
std::optional<MacToExtensionMessage> denialFor(const UnlockAnswerCheck& check,
                                               const PreparedUnlock& request,
                                               const BLELocalPrototypeWireMessage& answer,
                                               const OperationStep& step) {
    const std::string& target = request.targetLocalId;
    using Verdict = UnlockAnswerCheck::Verdict;
    switch (check.verdict) {
        case Verdict::cancelled:
            return denyUnlock(target, DenialReason::cancelled,
                              "the iPhone discarded request " + request.requestId);
        case Verdict::notAnApproval:
            return denyUnlock(
                target, DenialReason::approvalIncomplete,
                describeFailure(step, "an answer of kind " +
                                          std::string(nameOf<BLELocalPrototypeMessageKind>(
                                              answer.kind, bleLocalPrototypeMessageKindNames))));
        case Verdict::forAnotherRequest:
            return denyUnlock(target, DenialReason::approvalIncomplete,
                              describeFailure(step, "the approval is for request " +
                                                        answer.requestId.value_or("(none)") +
                                                        ", not for " + request.requestId));
        case Verdict::incomplete:
            return denyUnlock(target, DenialReason::approvalIncomplete,
                              describeFailure(step,
                                              "the approval lacks its end, its length or its "
                                              "signature"));
        case Verdict::signatureInvalid:
            return denyUnlock(target, DenialReason::signatureInvalid,
                              describeFailure(step, "it does not verify with the iPhone's key"));
        case Verdict::failed:
            std::rethrow_exception(check.error);
        case Verdict::linkedSignatureInvalid:
            return denyUnlock(target, DenialReason::linkedInvalidOrStale,
                              describeFailure(step, "it does not verify with the iPhone's key"));
        case Verdict::linkedRevisionStale:
            return denyUnlock(
                target, DenialReason::linkedInvalidOrStale,
                describeFailure(step, "revision " +
                                          std::to_string(answer.linkedRevision.value_or(0)) +
                                          " is older than the one accepted"));
        case Verdict::linkedFieldsPartial:
            // Without all three linked fields the approval is a plain one.
        case Verdict::approved:
            break;
    }
    return std::nullopt;
}

// The grants of a checked approval. Returns the answer, or throws the failure of a store before
// the windows are open.
MacToExtensionMessage openAllowWindows(const PreparedUnlock& request,
                                       const UnlockAnswerCheck& check,
                                       const BLELocalPrototypeWireMessage& answer, Date now,
                                       OperationStep& step) {
    const std::string& target = request.targetLocalId;
    std::vector<std::string> idsToOpen;
    if (check.linked) {
        idsToOpen = quorvel::linkedWebTargetIds(check.linked->targetId);
        if (idsToOpen.empty())
            idsToOpen = {target};
    } else {
        idsToOpen = webTargetIdsOpenedWith(target);
    }

    for (const std::string& id : idsToOpen) {
        step = {"opening the allow window of " + id, AllowWindowStateStore::filePath()};
        AllowWindowStateStore::grant(id, check.approvedUntil, AllowWindowStateStore::filePath());
    }

    // The windows are open: whatever fails from here on, the target is unlocked, and the answer
    // says so. The failure is reported; an unacknowledged batch rides again.
    try {
        if (auto receipt = BLELocalAcceptedApprovalReceipt::fromMessage(answer, now)) {
            BLELocalAcceptedApprovalReceiptStore::save(
                *receipt, BLELocalAcceptedApprovalReceiptStore::filePath());
        }
    } catch (...) {
        reportAfterApproval(
            request,
            {"saving the approval receipt", BLELocalAcceptedApprovalReceiptStore::filePath()},
            std::current_exception());
    }
    try {
        acknowledgeBatches(request);
    } catch (...) {
        reportAfterApproval(request, acknowledgingBatches(), std::current_exception());
    }
    return MacToExtensionMessage{
        MacToExtensionMessage::UnlockApproved{target, check.approvedUntil}};
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
    OperationStep step{"loading the link configuration", MacLinkConfigurationStore::filePath()};
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
        PreparedUnlock request{targetLocalId, *configuration, newUnlockRequestId(), {}};
        const UnlockRequestTarget described{
            targetLocalId, targetType, targetDisplayName,
            policyFor(targetLocalId, targetType, loadSyncedListOrNone())};
        request.sealed = sealUnlockRequest(request.requestId, described, *configuration, now, step);
        return request;
    } catch (...) {
        return denyForError(targetLocalId, step, std::current_exception());
    }
}

MacToExtensionMessage finishUnlock(const PreparedUnlock& request,
                                   const BLELocalPrototypeWireMessage& answer, Date now) {
    OperationStep step{"checking the iPhone's answer to " + request.requestId, {}};
    try {
        const UnlockAnswerCheck check =
            checkUnlockAnswer(answer, request.requestId, request.configuration);
        step = checkStep(check.stage, request, answer);
        if (check.verdict == UnlockAnswerCheck::Verdict::cancelled) {
            step = acknowledgingBatches();
            acknowledgeBatches(request);
        }
        if (auto denial = denialFor(check, request, answer, step))
            return *denial;
        return openAllowWindows(request, check, answer, now, step);
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
