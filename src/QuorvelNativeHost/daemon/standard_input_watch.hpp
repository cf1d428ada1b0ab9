#pragma once

#include <functional>
#include <thread>

namespace quorvel::daemon {

// Reads standard input on a thread of its own, discarding what comes, until end of file or a
// read error; then calls `onEnd` on that thread. The application keeps the write end of the
// pipe open for as long as it wants the daemon.
class StandardInputWatch {
public:
    explicit StandardInputWatch(std::function<void()> onEnd);
    ~StandardInputWatch();  // joins: only after the end was reported
    StandardInputWatch(const StandardInputWatch&) = delete;
    StandardInputWatch& operator=(const StandardInputWatch&) = delete;

private:
    std::thread reader_;
};

}  // namespace quorvel::daemon
