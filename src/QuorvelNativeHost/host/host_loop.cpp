#include "QuorvelNativeHost/host/host_loop.hpp"

#include <QCoreApplication>

#include "QuorvelNativeHost/host/message_handling.hpp"
#include "QuorvelPlatform/logging/log_categories.hpp"
#include "QuorvelShared/support/event_boundary.hpp"

namespace quorvel::host {

HostLoop::HostLoop(int inputFd, int outputFd, QObject* parent)
    : QObject(parent),
      writer_(outputFd),
      processor_(writer_),
      reader_(std::make_unique<FrameReaderThread>(
          inputFd, [this](const FrameReaderThread::Result& result) { frameRead(result); })) {}

HostLoop::~HostLoop() = default;

void HostLoop::start() {
    reader_->readNext();
}

void HostLoop::frameRead(const FrameReaderThread::Result& result) {
    if (ended_)
        return;
    if (const auto* error = std::get_if<std::exception_ptr>(&result)) {
        end(1, *error);
        return;
    }
    const auto& body = std::get<std::optional<std::string>>(result);
    if (!body) {
        end(0, nullptr);
        return;
    }
    ExtensionToMacMessage message;
    try {
        message = decodeExtensionToMacMessage(*body);
    } catch (...) {
        end(1, std::current_exception());
        return;
    }
    try {
        dispatch(message);
    } catch (...) {
        // This message goes unanswered; the host goes on with the next one.
        reportEscapedException(LogArea::host, "a message of the extension",
                               std::current_exception());
        reader_->readNext();
    }
}

void HostLoop::dispatch(const ExtensionToMacMessage& message) {
    using In = ExtensionToMacMessage;
    if (const auto* subscription = std::get_if<In::EventsSubscribe>(&message.value)) {
        subscribe(subscription->profileId);
        reader_->readNext();
        return;
    }
    if (const auto* request = std::get_if<In::UnlockRequested>(&message.value)) {
        recordProfileConnected(request->profileId);
        if (subscribed_) {
            processor_.submit(*request);
            reader_->readNext();
        } else {
            // Nothing more is read until this answer is written.
            inlineRequest_ = new WebTargetUnlock(
                *request,
                [this](const MacToExtensionMessage& answer) {
                    WebTargetUnlock* finished = inlineRequest_.data();
                    inlineRequest_ = nullptr;
                    finished->deleteLater();
                    answerInline(answer);
                },
                this);
        }
        return;
    }
    answerInline(*answerAtOnce(message));
}

void HostLoop::subscribe(const std::string& profileId) {
    recordProfileConnected(profileId);
    if (subscribed_)
        return;
    subscribed_ = true;
    stream_ = new StoreEventStream(profileId, writer_, this);
}

void HostLoop::answerInline(const MacToExtensionMessage& answer) {
    try {
        writer_.write(answer);
    } catch (...) {
        end(1, std::current_exception());
        return;
    }
    reader_->readNext();
}

void HostLoop::end(int status, const std::exception_ptr& error) {
    ended_ = true;
    processor_.cancelAll();
    delete stream_;
    delete inlineRequest_;
    if (error)
        qCWarning(lcHost, "%s", describeException(error).c_str());
    QCoreApplication::exit(status);
}

}  // namespace quorvel::host
