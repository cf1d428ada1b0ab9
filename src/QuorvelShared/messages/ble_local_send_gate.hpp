#pragma once

// A one-holder gate with a first-in first-out queue, for serialising sends over the link on the
// caller's loop. A sender calls acquire() with what it wants to do once it holds the gate, sends,
// and then calls release() exactly once. No threads: everything runs on the caller's thread.
#include <deque>
#include <functional>

namespace quorvel {

class BLELocalSendGate {
public:
    using Continuation = std::function<void()>;

    // On a free gate: takes it and runs `continuation` at once. On a held gate: queues it; it runs
    // when every earlier waiter has had the gate, and then holds it (handed over, never freed in
    // between). A continuation that a call inside another continuation makes runnable runs right
    // after that one returns, so hand-overs never nest. Queued continuations are never cancelled.
    void acquire(Continuation continuation);

    // Hands the gate to the first waiter and runs it, or frees the gate when none waits.
    // Releasing a free gate leaves it free.
    void release();

    bool isHeld() const { return isHeld_; }
    std::size_t waiterCount() const { return waiters_.size(); }

private:
    void runReady();

    bool isHeld_ = false;
    std::deque<Continuation> waiters_;
    // Continuations that hold the gate and are due to run, in order.
    std::deque<Continuation> ready_;
    bool running_ = false;
};

}  // namespace quorvel
