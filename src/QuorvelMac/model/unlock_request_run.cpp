#include "QuorvelMac/model/unlock_request_run.hpp"

#include <QTimer>
#include <set>
#include <stdexcept>

#include "QuorvelMac/model/mac_app_model.hpp"
#include "QuorvelPlatform/logging/log_categories.hpp"
#include "QuorvelShared/bridge/ble_local_bridge_store.hpp"
#include "QuorvelShared/bridge/mac_link_configuration_store.hpp"
#include "QuorvelShared/crypto/unlock_context_crypto.hpp"
#include "QuorvelShared/crypto/unlock_context_signing.hpp"
#include "QuorvelShared/policy/unlock_context.hpp"
#include "QuorvelShared/support/event_boundary.hpp"
#include "QuorvelShared/support/notifications.hpp"
#include "QuorvelShared/support/uuid.hpp"
#include "QuorvelShared/unlockstate/linked_unlock_revision_state_store.hpp"
#include "QuorvelShared/unlockstate/remote_open_event_store.hpp"

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

constexpr std::int64_t shortestLifetimeSeconds = 3600;
constexpr double deliveryDeadlineSeconds = 30;

// A failure of the road, carrying the text the lock panel shows.
struct UnlockFailure : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// The linked-unlock checks have no text of their own; the panel names the case.
UnlockFailure linkedUnlockFailure(const char* caseName) {
    return UnlockFailure(std::string("操作を完了できませんでした。(MacLinkedUnlockError.") +
                         caseName + ")");
}

}  // namespace

UnlockRequestRun::UnlockRequestRun(MacAppModel* model, MacLockTarget target)
    : QObject(model), model_(model), target_(std::move(target)) {
    pollTimer_.setSingleShot(true);
    pollTimer_.setTimerType(Qt::PreciseTimer);
    connect(&pollTimer_, &QTimer::timeout, this, [this] { guarded(&UnlockRequestRun::poll); });
}

void UnlockRequestRun::startLater() {
    QTimer::singleShot(0, this, [this] { guarded(&UnlockRequestRun::begin); });
}

void UnlockRequestRun::guarded(void (UnlockRequestRun::*step)()) {
    try {
        (this->*step)();
    } catch (...) {
        fail(describeException(std::current_exception()));
    }
}

void UnlockRequestRun::begin() {
    if (!model_)
        return finish();
    // This copy serves the whole request; a later change of the link does not reach it.
    step_ = {"taking the link configuration", MacLinkConfigurationStore::fileURL()};
    const auto configuration = model_->macLinkConfiguration();
    if (!configuration || !configuration->isUsableForUnlockRequests())
        return fail(unlockTexts::pairingRequired);
    configuration_ = *configuration;
    try {
        requestId_ = "req_" + newUuidText();
        model_->pendingUnlockTargetsByRequestId_[requestId_] = target_.id;
        const Date now = model_->now();
        step_ = {"freezing the remote-open counts", RemoteOpenEventStore::defaultFileURL()};
        RemoteOpenEventStore remoteOpens(RemoteOpenEventStore::defaultFileURL());
        const auto batches = remoteOpens.snapshotForUnlock(now);
        std::set<std::string> batchIds;
        for (const auto& batch : batches)
            batchIds.insert(batch.id);
        model_->pendingRemoteOpenBatchIdsByRequestId_[requestId_] = batchIds;

        step_ = {"sealing the request for the iPhone", {}};
        const auto context = UnlockContextPlaintext::forUnlock(
            requestId_, target_.id,
            target_.kind == MacLockTarget::Kind::macApp ? TargetType::macApp
                                                        : TargetType::webDomain,
            target_.displayName, target_.effectivePolicy(), now, batches);
        const std::string sealed =
            UnlockContextCrypto::encrypt(context, configuration_.iosEncryptionPublicKeyBase64);
        const std::int64_t lifetime =
            std::max(configuration_.pollTimeoutSeconds, shortestLifetimeSeconds);
        expiresAt_ = now.addingSeconds(static_cast<double>(lifetime));
        model_->updateOverlay(target_, LockOverlayState::Status::confirmingIPhoneDelivery());
        const auto message = BLELocalPrototypeWireMessage::unlockRequest(
            requestId_, sealed, expiresAt_, now.addingSeconds(deliveryDeadlineSeconds),
            configuration_.macDeviceId);
        if (!message.requestId || message.requestId->empty())
            throw UnlockFailure(unlockTexts::invalidRequest);
        step_ = {"filing the request in the mailbox", BLELocalBridgeStore::stateURL()};
        BLELocalBridgeStore::saveRequest({*message.requestId, message, lifetime});
        step_ = {"posting " + std::string(BLELocalBridgeStore::requestNotification), {}};
        postNotification(BLELocalBridgeStore::requestNotification);
        step_ = {"waiting for the bridge daemon's answer in the mailbox",
                 BLELocalBridgeStore::stateURL()};
        wait_.emplace(lifetime, BootClock::now());
    } catch (const std::exception& error) {
        return fail(error.what());
    }
    poll();
}

void UnlockRequestRun::poll() {
    if (!model_)
        return finish();
    std::optional<BLELocalBridgeWait::Outcome> outcome;
    try {
        const auto step = wait_->poll(
            BootClock::now(), [this] { return BLELocalBridgeStore::loadResponse(requestId_); });
        if (step.progress && step.progress->message &&
            step.progress->message->kind == BLELocalPrototypeMessageKind::unlockReceipt &&
            !deliveryConfirmed_) {
            deliveryConfirmed_ = true;
            model_->updateOverlay(target_, LockOverlayState::Status::waitingForIPhone(expiresAt_));
        }
        if (!step.outcome) {
            pollTimer_.start(step.pollAgainIn);
            return;
        }
        outcome = step.outcome;
    } catch (const std::exception& error) {
        return fail(error.what());
    }
    using Kind = BLELocalBridgeWait::Outcome::Kind;
    switch (outcome->kind) {
        case Kind::answered:
            try {
                handleAnswer(*outcome->message);
            } catch (const std::exception& error) {
                fail(error.what());
            }
            return;
        case Kind::failed:
            if (outcome->error == "iphone_delivery_unconfirmed" ||
                outcome->error == "deliveryUnconfirmed")
                return fail(unlockTexts::deliveryUnconfirmed);
            return fail(unlockTexts::bridgeFailedPrefix + outcome->error);
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
    if (answer.kind == BLELocalPrototypeMessageKind::unlockCancellation) {
        qCWarning(lcModel, "unlock request %s for %s ended: %s", requestId_.c_str(),
                  target_.id.c_str(), unlockTexts::cancelled);
        model_->pendingUnlockTargetsByRequestId_.erase(requestId_);
        model_->acknowledgeRemoteOpenBatches(requestId_);
        model_->updateOverlay(target_, LockOverlayState::Status::failed(unlockTexts::cancelled));
        return finish();
    }
    if (answer.kind != BLELocalPrototypeMessageKind::unlockApproval ||
        answer.requestId != requestId_ || !answer.approvedDurationSeconds ||
        !answer.approvedUntil || !answer.approvalSignature)
        throw UnlockFailure(unlockTexts::incompleteApproval);
    const UnlockApprovalSigningPayload payload{requestId_, *answer.approvedDurationSeconds,
                                               *answer.approvedUntil, configuration_.iosDeviceId};
    if (!UnlockContextCrypto::verifyApprovalSignature(*answer.approvalSignature, payload,
                                                      configuration_.iosSigningPublicKeyBase64))
        throw UnlockFailure(unlockTexts::invalidApprovalSignature);
    const bool linked = answer.linkedTargetId.has_value();
    if (linked != answer.linkedRevision.has_value() || linked != answer.linkedSignature.has_value())
        throw linkedUnlockFailure("incompleteState");
    if (linked) {
        const LinkedUnlockSigningPayload linkedPayload{
            configuration_.macDeviceId, *answer.linkedTargetId, *answer.approvedUntil,
            configuration_.iosDeviceId, *answer.linkedRevision};
        if (!UnlockContextCrypto::verifyLinkedUnlockSignature(
                *answer.linkedSignature, linkedPayload, configuration_.iosSigningPublicKeyBase64))
            throw linkedUnlockFailure("invalidSignature");
        step_ = {"accepting the linked revision", LinkedUnlockRevisionStateStore::fileURL()};
        if (!LinkedUnlockRevisionStateStore::accept(*answer.linkedTargetId, *answer.linkedRevision,
                                                    LinkedUnlockRevisionStateStore::fileURL()))
            throw linkedUnlockFailure("staleRevision");
    }
    model_->pendingUnlockTargetsByRequestId_.erase(requestId_);
    model_->acknowledgeRemoteOpenBatches(requestId_);
    model_->applyApproval(target_.id, *answer.approvedUntil, answer.linkedTargetId);
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
    deleteLater();
}

}  // namespace quorvel
