#pragma once

// Reads frames from standard input on a thread of its own, one frame per request, and hands each
// result to the main loop on a later turn. The main loop asks for the next frame only when it is
// ready for it, so nothing is read while an inline request runs.
#include <QObject>

#include <condition_variable>
#include <exception>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <variant>

#include "QuorvelNativeHost/host/message_framing.hpp"

namespace quorvel::host {

class FrameReaderThread final : public QObject {
    Q_OBJECT
public:
    // A frame's body; no value at a clean end of input; or the read's failure.
    using Result = std::variant<std::optional<std::string>, std::exception_ptr>;

    FrameReaderThread(int fd, std::function<void(const Result&)> onFrame,
                      QObject* parent = nullptr);
    ~FrameReaderThread() override;

    // Reads one frame; its result arrives through onFrame on the object's thread.
    void readNext();

private:
    void run();

    MessageReader reader_;
    // Takes the result by reference: a frame can be a megabyte, and it is handed over, not copied.
    std::function<void(const Result&)> onFrame_;
    std::mutex mutex_;
    std::condition_variable wake_;
    bool wanted_ = false;
    bool stopping_ = false;
    bool busy_ = false;
    std::thread thread_;
};

}  // namespace quorvel::host
