#include "QuorvelShared/bridge/unlock_answer_check.hpp"

#include "QuorvelShared/crypto/unlock_context_signing.hpp"
#include "QuorvelShared/unlockstate/linked_unlock_revision_state_store.hpp"

namespace quorvel {
namespace {

using Verdict = UnlockAnswerCheck::Verdict;
using Stage = UnlockAnswerCheck::Stage;

// The checks of an approval that has all its fields. `check.stage` follows them, so that an error
// thrown on the way is reported at the stage it was thrown at.
void checkSignedApproval(const BLELocalPrototypeWireMessage& answer, const std::string& requestId,
                         const MacLinkConfiguration& link, UnlockAnswerCheck& check) {
    check.stage = Stage::approvalSignature;
    const UnlockApprovalSigningPayload approval{requestId, *answer.approvedDurationSeconds,
                                                *answer.approvedUntil, link.iosDeviceId};
    if (!UnlockContextCrypto::verifyApprovalSignature(*answer.approvalSignature, approval,
                                                      link.iosSigningPublicKeyBase64)) {
        check.verdict = Verdict::signatureInvalid;
        return;
    }

    const bool anyLinked = answer.linkedTargetId || answer.linkedRevision || answer.linkedSignature;
    const bool allLinked = answer.linkedTargetId && answer.linkedRevision && answer.linkedSignature;
    if (!allLinked) {
        check.verdict = anyLinked ? Verdict::linkedFieldsPartial : Verdict::approved;
        check.approvedUntil = *answer.approvedUntil;
        return;
    }

    check.stage = Stage::linkedSignature;
    const LinkedUnlockSigningPayload linked{link.macDeviceId, *answer.linkedTargetId,
                                            *answer.approvedUntil, link.iosDeviceId,
                                            *answer.linkedRevision};
    if (!UnlockContextCrypto::verifyLinkedUnlockSignature(*answer.linkedSignature, linked,
                                                          link.iosSigningPublicKeyBase64)) {
        check.verdict = Verdict::linkedSignatureInvalid;
        return;
    }
    check.stage = Stage::linkedRevision;
    if (!LinkedUnlockRevisionStateStore::accept(*answer.linkedTargetId, *answer.linkedRevision,
                                                LinkedUnlockRevisionStateStore::filePath())) {
        check.verdict = Verdict::linkedRevisionStale;
        return;
    }
    check.verdict = Verdict::approved;
    check.approvedUntil = *answer.approvedUntil;
    check.linked =
        UnlockAnswerCheck::LinkedApproval{*answer.linkedTargetId, *answer.linkedRevision};
}

}  // namespace

UnlockAnswerCheck checkUnlockAnswer(const BLELocalPrototypeWireMessage& answer,
                                    const std::string& requestId,
                                    const MacLinkConfiguration& link) {
    UnlockAnswerCheck check;
    if (answer.kind == BLELocalPrototypeMessageKind::unlockCancellation) {
        check.verdict = Verdict::cancelled;
        return check;
    }
    if (answer.kind != BLELocalPrototypeMessageKind::unlockApproval) {
        check.verdict = Verdict::notAnApproval;
        return check;
    }
    if (answer.requestId != requestId) {
        check.verdict = Verdict::forAnotherRequest;
        return check;
    }
    if (!answer.approvedUntil || !answer.approvedDurationSeconds || !answer.approvalSignature) {
        check.verdict = Verdict::incomplete;
        return check;
    }
    try {
        checkSignedApproval(answer, requestId, link, check);
    } catch (...) {
        check.verdict = Verdict::failed;
        check.error = std::current_exception();
    }
    return check;
}

}  // namespace quorvel
