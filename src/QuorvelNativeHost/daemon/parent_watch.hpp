#pragma once

#include <cstdint>

class QObject;

namespace quorvel::daemon {

// Ties the daemon's life to the process that started it. The parent's process descriptor becomes
// readable when the parent ends; the event loop then ends the daemon at once with _exit(0),
// whatever it was about to do: no stream is finished, no request cancelled, no file written.
// Waiting costs the idle daemon no wake-up.
class ParentWatch {
public:
    // Opens the descriptor on `parentProcessId` first and only then compares getppid() with it:
    // once the parent is confirmed, the descriptor is known to be the parent's, never that of a
    // process given the id after the parent ended. Where no descriptor can be opened (a kernel
    // before Linux 5.3), that is reported on standard error and the parent is not watched; the
    // end of standard input, whose only writer is the parent, still ends the daemon.
    explicit ParentWatch(std::int32_t parentProcessId);
    ~ParentWatch();
    ParentWatch(const ParentWatch&) = delete;
    ParentWatch& operator=(const ParentWatch&) = delete;

    // False when `parentProcessId` was not this process's parent when the watch was made.
    bool isParent() const { return isParent_; }

    // Starts watching on the loop of the calling thread, whose application object must exist;
    // the watch lasts as long as `owner`, which must go before this object.
    void start(QObject& owner);

private:
    int descriptor_ = -1;
    bool isParent_ = false;
};

}  // namespace quorvel::daemon
