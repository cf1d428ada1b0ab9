#pragma once

// What the benchmarks share: a home folder of the run's own, a wait that keeps the event loop
// turning, and the arithmetic and sources of their figures.
#include <chrono>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <vector>

#include "QuorvelShared/support/date.hpp"

namespace quorvel::bench {

// Points XDG_DATA_HOME and XDG_CONFIG_HOME into a fresh temporary folder, so that the state files
// of the run stay its own; removes the folder at the end.
class TemporaryHome {
public:
    TemporaryHome();
    ~TemporaryHome();
    TemporaryHome(const TemporaryHome&) = delete;
    TemporaryHome& operator=(const TemporaryHome&) = delete;

    std::filesystem::path data() const { return root_ / "data"; }

private:
    std::filesystem::path root_;
};

// Runs the event loop until `done` holds, looking again at least every `pollMs` for what arrives
// without an event of its own (a file another program writes). Throws, naming `what`, after a
// minute: a bench that stalls says where.
void spinUntil(const char* what, int pollMs, const std::function<bool()>& done);
inline void spinUntil(const char* what, const std::function<bool()>& done) {
    spinUntil(what, 1, done);
}

// The value at or above the share `p` (0 to 1) of the values: the nearest rank.
double percentile(std::vector<double> values, double p);

double milliseconds(std::chrono::steady_clock::time_point from,
                    std::chrono::steady_clock::time_point to);

// The resident memory of a process (VmRSS) in MB, or -1 when it cannot be read.
double residentMegabytes(std::int64_t pid);

// A date `seconds` after the current whole second.
Date wholeSecondsFromNow(double seconds);

}  // namespace quorvel::bench
