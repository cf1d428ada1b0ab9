#pragma once

// Runs the unlock requests that arrive once the extension listens for pushed events: each one on
// its own, overlapping the others and the main loop, each writing its answer when it ends (so
// answers may come in any order). A failed write of an answer is dropped with that request.
#include <QObject>

#include <map>

#include "QuorvelNativeHost/host/message_framing.hpp"
#include "QuorvelShared/messages/extension_to_mac_message.hpp"

namespace quorvel::host {

class WebTargetUnlock;

class ConcurrentRequestProcessor final : public QObject {
    Q_OBJECT
public:
    explicit ConcurrentRequestProcessor(MessageWriter& writer, QObject* parent = nullptr);

    // Starts the request and returns at once.
    void submit(const ExtensionToMacMessage::UnlockRequested& request);
    // Ends every running request at once; none of them writes anything.
    void cancelAll();

    std::size_t runningCount() const { return running_.size(); }

private:
    MessageWriter& writer_;
    std::uint64_t nextId_ = 0;
    std::map<std::uint64_t, WebTargetUnlock*> running_;
};

}  // namespace quorvel::host
