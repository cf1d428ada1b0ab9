#include "QuorvelShared/messages/ble_local_send_gate.hpp"

namespace quorvel {

void BLELocalSendGate::acquire(Continuation continuation) {
    if (isHeld_) {
        waiters_.push_back(std::move(continuation));
        return;
    }
    isHeld_ = true;
    ready_.push_back(std::move(continuation));
    runReady();
}

void BLELocalSendGate::release() {
    if (waiters_.empty()) {
        isHeld_ = false;
        return;
    }
    ready_.push_back(std::move(waiters_.front()));
    waiters_.pop_front();
    runReady();
}

void BLELocalSendGate::runReady() {
    // A continuation that releases at once would otherwise run the next one inside itself, and a
    // long queue would nest as deep as it is long.
    if (running_) {
        return;
    }
    running_ = true;
    struct Reset {
        bool& flag;
        ~Reset() { flag = false; }
    } reset{running_};
    while (!ready_.empty()) {
        Continuation next = std::move(ready_.front());
        ready_.pop_front();
        if (next) {
            next();
        }
    }
}

}  // namespace quorvel
