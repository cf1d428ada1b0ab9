#pragma once

// One unlock request of the extension for a target, from the sealed request to the answer: the
// request is prepared, carried through the bridge daemon and its answer applied. It never fails:
// the completion receives "unlock.approved" or "unlock.denied", once, on a later turn of the
// loop. Destroying the object first cancels the request and nothing is answered.
#include <QObject>
#include <QPointer>

#include <functional>
#include <optional>
#include <string>

#include "QuorvelNativeHost/host/bridge_exchange.hpp"
#include "QuorvelNativeHost/host/web_target_unlock_steps.hpp"
#include "QuorvelShared/messages/extension_to_mac_message.hpp"
#include "QuorvelShared/messages/mac_to_extension_message.hpp"

namespace quorvel::host {

class WebTargetUnlock final : public QObject {
    Q_OBJECT
public:
    using Completion = std::function<void(const MacToExtensionMessage&)>;

    WebTargetUnlock(ExtensionToMacMessage::UnlockRequested request, Completion completion,
                    QObject* parent = nullptr);

private:
    void start();
    void prepare();
    // Runs one step; what it throws denies this request alone.
    void guarded(const std::function<void()>& step);
    void answered(const BridgeExchange::Result& result);
    void complete(const MacToExtensionMessage& answer);

    ExtensionToMacMessage::UnlockRequested request_;
    Completion completion_;
    std::optional<PreparedUnlock> prepared_;
    QPointer<BridgeExchange> exchange_;
};

}  // namespace quorvel::host
