#pragma once

// The host's main loop: takes one frame at a time from standard input, decodes it and answers it.
// "unlock.requested" is answered inline (nothing else is read meanwhile) until the extension
// subscribes to events; from then on unlock requests run concurrently and a store event stream
// pushes state changes. The loop ends the event loop with status 0 at the end of input, or with
// status 1 after printing the error that ended it; requests still running are dropped unanswered.
#include <QObject>
#include <QPointer>

#include <exception>
#include <memory>

#include "QuorvelNativeHost/host/concurrent_request_processor.hpp"
#include "QuorvelNativeHost/host/frame_reader_thread.hpp"
#include "QuorvelNativeHost/host/message_framing.hpp"
#include "QuorvelNativeHost/host/store_event_stream.hpp"
#include "QuorvelNativeHost/host/web_target_unlock.hpp"

namespace quorvel::host {

class HostLoop final : public QObject {
    Q_OBJECT
public:
    HostLoop(int inputFd, int outputFd, QObject* parent = nullptr);
    ~HostLoop() override;

    // Asks for the first frame; the rest follows from the loop's turns.
    void start();

private:
    void frameRead(const FrameReaderThread::Result& result);
    void dispatch(const ExtensionToMacMessage& message);
    void subscribe(const std::string& profileId);
    void answerInline(const MacToExtensionMessage& answer);
    void end(int status, const std::exception_ptr& error);

    MessageWriter writer_;
    ConcurrentRequestProcessor processor_;
    QPointer<StoreEventStream> stream_;
    QPointer<WebTargetUnlock> inlineRequest_;
    // Set by the first subscription for the rest of the process, even once the stream stopped.
    bool subscribed_ = false;
    bool ended_ = false;
    std::unique_ptr<FrameReaderThread> reader_;
};

}  // namespace quorvel::host
