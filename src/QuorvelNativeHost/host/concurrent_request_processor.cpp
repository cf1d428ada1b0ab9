#include "QuorvelNativeHost/host/concurrent_request_processor.hpp"

#include <exception>

#include "QuorvelNativeHost/host/web_target_unlock.hpp"
#include "QuorvelPlatform/logging/failure_report.hpp"
#include "QuorvelPlatform/logging/log_categories.hpp"

namespace quorvel::host {

ConcurrentRequestProcessor::ConcurrentRequestProcessor(MessageWriter& writer, QObject* parent)
    : QObject(parent), writer_(writer) {}

void ConcurrentRequestProcessor::submit(const ExtensionToMacMessage::UnlockRequested& request) {
    const std::uint64_t id = nextId_++;
    running_[id] = new WebTargetUnlock(
        request,
        [this, id](const MacToExtensionMessage& answer) {
            try {
                writer_.write(answer);
            } catch (const std::exception& error) {
                // The extension's end is gone; the request is over either way.
                reportFailure(lcHost, {"answering an unlock request of the extension", {}},
                              error.what());
            }
            if (auto found = running_.find(id); found != running_.end()) {
                found->second->deleteLater();
                running_.erase(found);
            }
        },
        this);
}

void ConcurrentRequestProcessor::cancelAll() {
    std::map<std::uint64_t, WebTargetUnlock*> running;
    running.swap(running_);
    for (auto& [id, request] : running)
        delete request;
}

}  // namespace quorvel::host
