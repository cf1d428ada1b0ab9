#include "QuorvelNativeHost/host/frame_reader_thread.hpp"

#include <QMetaObject>

namespace quorvel::host {

FrameReaderThread::FrameReaderThread(int fd, std::function<void(const Result&)> onFrame,
                                     QObject* parent)
    : QObject(parent), reader_(fd), onFrame_(std::move(onFrame)), thread_([this] { run(); }) {}

FrameReaderThread::~FrameReaderThread() {
    bool busy = false;
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
        busy = busy_ || wanted_;
    }
    wake_.notify_one();
    if (busy) {
        // Blocked in a read that only the browser can end; the process is ending anyway.
        thread_.detach();
    } else {
        thread_.join();
    }
}

void FrameReaderThread::readNext() {
    {
        std::lock_guard lock(mutex_);
        wanted_ = true;
    }
    wake_.notify_one();
}

void FrameReaderThread::run() {
    for (;;) {
        {
            std::unique_lock lock(mutex_);
            wake_.wait(lock, [this] { return wanted_ || stopping_; });
            if (stopping_)
                return;
            wanted_ = false;
            busy_ = true;
        }
        Result result;
        try {
            result = reader_.readFramedMessage();
        } catch (...) {
            result = std::current_exception();
        }
        // Posted under the lock: once the destructor has set stopping_, nothing more is posted,
        // and an event posted before it is dropped with the object.
        std::lock_guard lock(mutex_);
        busy_ = false;
        if (stopping_)
            return;
        QMetaObject::invokeMethod(
            this, [this, result = std::move(result)] { onFrame_(result); }, Qt::QueuedConnection);
    }
}

}  // namespace quorvel::host
