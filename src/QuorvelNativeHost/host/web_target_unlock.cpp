#include "QuorvelNativeHost/host/web_target_unlock.hpp"

#include <QTimer>

#include "QuorvelShared/support/clock.hpp"

namespace quorvel::host {

WebTargetUnlock::WebTargetUnlock(ExtensionToMacMessage::UnlockRequested request,
                                 Completion completion, QObject* parent)
    : QObject(parent), request_(std::move(request)), completion_(std::move(completion)) {
    QTimer::singleShot(0, this, &WebTargetUnlock::start);
}

void WebTargetUnlock::start() {
    guarded([this] { prepare(); });
}

void WebTargetUnlock::prepare() {
    auto prepared = prepareUnlock(request_.targetLocalId, request_.targetType,
                                  request_.targetDisplayName, systemClock().now());
    if (auto* answer = std::get_if<MacToExtensionMessage>(&prepared)) {
        complete(*answer);
        return;
    }
    prepared_ = std::move(std::get<PreparedUnlock>(prepared));
    exchange_ = new BridgeExchange(
        prepared_->sealed.message, prepared_->sealed.lifetimeSeconds,
        [this](const BridgeExchange::Result& result) {
            guarded([this, &result] { answered(result); });
        },
        this);
}

void WebTargetUnlock::guarded(const std::function<void()>& step) {
    try {
        step();
    } catch (...) {
        // Only this request is denied; the host goes on serving the others.
        complete(denyForError(request_.targetLocalId, {"carrying the request", {}},
                              std::current_exception()));
    }
}

void WebTargetUnlock::answered(const BridgeExchange::Result& result) {
    exchange_->deleteLater();
    if (const auto* error = std::get_if<std::exception_ptr>(&result)) {
        complete(denyForError(request_.targetLocalId, exchange_->step(), *error));
        return;
    }
    complete(finishUnlock(*prepared_, std::get<BLELocalPrototypeWireMessage>(result),
                          systemClock().now()));
}

void WebTargetUnlock::complete(const MacToExtensionMessage& answer) {
    if (!completion_)
        return;  // answered once already
    Completion completion = std::move(completion_);
    completion(answer);
}

}  // namespace quorvel::host
