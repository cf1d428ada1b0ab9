#include "QuorvelMac/model/unlock_request_run.hpp"

#include <QTimer>
#include <optional>
#include <stdexcept>
#include <variant>

#include "QuorvelMac/model/mac_app_model.hpp"
#include "QuorvelPlatform/logging/log_categories.hpp"
#include "QuorvelShared/bridge/ble_local_bridge_hand_over.hpp"
#include "QuorvelShared/bridge/mac_link_configuration_store.hpp"
#include "QuorvelShared/bridge/unlock_answer_check.hpp"
#include "QuorvelShared/bridge/unlock_request_sealing.hpp"
#include "QuorvelShared/support/event_boundary.hpp"
#include "QuorvelShared/unlockstate/linked_unlock_revision_state_store.hpp"

namespace quorvel {

namespace unlockTexts {
const char* const pairingRequired = "iPhoneとのBluetoothペアリングが必要です";
const char* const cancelled = "iPhoneで解除申請を破棄しました";
const char* const bridgeFailedPrefix = "Bluetooth通信に失敗しました: ";
const char* const invalidRequest = "解除申請を作成できませんでした";
const char* const incompleteApproval = "iPhoneからの承認データが不足しています";
const char* const invalidApprovalSignature = "iPhoneからの承認を確認できませんでした";
const char* const bridgeNotRunning =
    "MacアプリのBluetooth連携が起動していません。Macアプリを開き直してください";
const char* const deliveryUnconfirmed =
    "iPhoneに解除申請が届いたことを確認できませんでした。iPhoneのPellorimを開いて、もう一度送ってく"
    "ださい";
const char* const timeout = "iPhoneからの承認がタイムアウトしました";
}  // namespace unlockTexts

namespace {

// A failure of the road, carrying the text the lock panel shows.
struct UnlockFailure : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// The linked-unlock checks have no text of their own; the panel names the case.
UnlockFailure linkedUnlockFailure(const char* caseName) {
    return UnlockFailure(std::string("操作を完了できませんでした。(MacLinkedUnlockError.") +
                         caseName + ")");
}

// The target as the iPhone is told about it.
UnlockRequestTarget describedForTheIPhone(const MacLockTarget& target) {
    const TargetType type =
        target.kind == MacLockTarget::Kind::macApp ? TargetType::macApp : TargetType::webDomain;
    return {target.id, type, target.displayName, target.effectivePolicy()};
}

}  // namespace

UnlockRequestRun::UnlockRequestRun(MacAppModel* model, MacLockTarget target)
    : QObject(model), model_(model), target_(std::move(target)) {}

void UnlockRequestRun::startLater() {
    QTimer::singleShot(0, this, [this] { guarded([this] { begin(); }); });
}

void UnlockRequestRun::guarded(const std::function<void()>& step) {
    try {
        step();
    } catch (...) {
        fail(describeException(std::current_exception()));
    }
}

void UnlockRequestRun::begin() {
    if (!model_)
        return finish();
    // This copy serves the whole request; a later change of the link does not reach it.
    step_ = {"taking the link configuration", MacLinkConfigurationStore::filePath()};
    const auto configuration = model_->macLinkConfiguration();
    if (!configuration || !configuration->isUsableForUnlockRequests())
        return fail(unlockTexts::pairingRequired);
    configuration_ = *configuration;
    try {
        requestId_ = newUnlockRequestId();
        model_->pendingUnlockTargetsByRequestId_[requestId_] = target_.id;
        const SealedUnlockRequest sealed = sealUnlockRequest(
            requestId_, describedForTheIPhone(target_), configuration_, model_->now(), step_);
        model_->pendingRemoteOpenBatchIdsByRequestId_[requestId_] = sealed.sentBatchIds;
        expiresAt_ = sealed.expiresAt;
        model_->updateOverlay(target_, LockOverlayState::Status::confirmingIPhoneDelivery());
        auto request =
            BLELocalBridgeHandOver::requestCarrying(sealed.message, sealed.lifetimeSeconds);
        if (!request)
            throw UnlockFailure(unlockTexts::invalidRequest);
        requester_ =
            new BLELocalBridgeRequester(std::move(*request),
                                        {[this] { guarded([this] { deliveryConfirmed(); }); },
                                         [this](const BLELocalBridgeRequester::Result& result) {
                                             guarded([this, &result] { bridgeEnded(result); });
                                         }},
                                        this);
    } catch (const std::exception& error) {
        return fail(error.what());
    }
    requester_->start();
}

void UnlockRequestRun::deliveryConfirmed() {
    if (!model_)
        return finish();
    model_->updateOverlay(target_, LockOverlayState::Status::waitingForIPhone(expiresAt_));
}

void UnlockRequestRun::bridgeEnded(const BLELocalBridgeRequester::Result& result) {
    if (!model_)
        return finish();
    step_ = requester_->step();
    if (const auto* error = std::get_if<std::exception_ptr>(&result))
        return fail(describeException(*error));
    const auto& outcome = std::get<BLELocalBridgeWait::Outcome>(result);
    using Kind = BLELocalBridgeWait::Outcome::Kind;
    switch (outcome.kind) {
        case Kind::answered:
            return handleAnswer(*outcome.message);
        case Kind::failed:
            if (outcome.error == "iphone_delivery_unconfirmed" ||
                outcome.error == "deliveryUnconfirmed")
                return fail(unlockTexts::deliveryUnconfirmed);
            return fail(unlockTexts::bridgeFailedPrefix + outcome.error);
        case Kind::emptyAnswer:
            return fail(unlockTexts::incompleteApproval);
        case Kind::notRunning:
            return fail(unlockTexts::bridgeNotRunning);
        case Kind::timedOut:
            return fail(unlockTexts::timeout);
    }
}

void UnlockRequestRun::handleAnswer(const BLELocalPrototypeWireMessage& answer) {
    step_ = {"checking the iPhone's answer", {}};
    const UnlockAnswerCheck check = checkUnlockAnswer(answer, requestId_, configuration_);
    if (check.stage == UnlockAnswerCheck::Stage::linkedRevision)
        step_ = {"accepting the linked revision", LinkedUnlockRevisionStateStore::filePath()};
    using Verdict = UnlockAnswerCheck::Verdict;
    switch (check.verdict) {
        case Verdict::cancelled:
            qCWarning(lcModel, "unlock request %s for %s ended: %s", requestId_.c_str(),
                      target_.id.c_str(), unlockTexts::cancelled);
            model_->pendingUnlockTargetsByRequestId_.erase(requestId_);
            model_->acknowledgeRemoteOpenBatches(requestId_);
            model_->updateOverlay(target_,
                                  LockOverlayState::Status::failed(unlockTexts::cancelled));
            return finish();
        case Verdict::notAnApproval:
        case Verdict::forAnotherRequest:
        case Verdict::incomplete:
            throw UnlockFailure(unlockTexts::incompleteApproval);
        case Verdict::signatureInvalid:
            throw UnlockFailure(unlockTexts::invalidApprovalSignature);
        case Verdict::failed:
            std::rethrow_exception(check.error);
        case Verdict::linkedFieldsPartial:
            throw linkedUnlockFailure("incompleteState");
        case Verdict::linkedSignatureInvalid:
            throw linkedUnlockFailure("invalidSignature");
        case Verdict::linkedRevisionStale:
            throw linkedUnlockFailure("staleRevision");
        case Verdict::approved:
            break;
    }
    model_->pendingUnlockTargetsByRequestId_.erase(requestId_);
    model_->acknowledgeRemoteOpenBatches(requestId_);
    model_->applyApproval(target_.id, check.approvedUntil,
                          check.linked ? std::optional(check.linked->targetId) : std::nullopt);
    finish();
}

void UnlockRequestRun::fail(const std::string& text) {
    qCWarning(lcModel, "unlock request %s for %s failed: %s",
              requestId_.empty() ? "(not made)" : requestId_.c_str(), target_.id.c_str(),
              describeFailure(step_, text).c_str());
    if (model_) {
        // Only this request's own entries go: another request for the same target keeps its own.
        model_->forgetRequest(requestId_);
        model_->updateOverlay(target_, LockOverlayState::Status::failed(text));
    }
    finish();
}

void UnlockRequestRun::finish() {
    // Nothing more of the mailbox is read or reported once the road has ended.
    if (requester_)
        requester_->cancel();
    deleteLater();
}

}  // namespace quorvel
