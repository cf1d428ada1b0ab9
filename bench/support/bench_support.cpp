#include "support/bench_support.hpp"

#include <stdlib.h>

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <stdexcept>
#include <string>
#include <system_error>

#include "QuorvelShared/support/clock.hpp"

namespace quorvel::bench {

TemporaryHome::TemporaryHome() {
    std::string pattern =
        (std::filesystem::temp_directory_path() / "quorvel-bench.XXXXXX").string();
    if (!::mkdtemp(pattern.data()))
        throw std::runtime_error("no temporary folder");
    root_ = pattern;
    ::setenv("XDG_DATA_HOME", (root_ / "data").c_str(), 1);
    ::setenv("XDG_CONFIG_HOME", (root_ / "config").c_str(), 1);
}

TemporaryHome::~TemporaryHome() {
    std::error_code ignored;
    std::filesystem::remove_all(root_, ignored);
}

void spinUntil(const char* what, int pollMs, const std::function<bool()>& done) {
    QDeadlineTimer deadline(60000);
    while (!done()) {
        if (deadline.hasExpired())
            throw std::runtime_error(std::string("the bench waited too long for ") + what);
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, pollMs);
    }
}

double percentile(std::vector<double> values, double p) {
    std::sort(values.begin(), values.end());
    const auto index = static_cast<std::size_t>(std::ceil(p * values.size())) - 1;
    return values[std::min(index, values.size() - 1)];
}

double milliseconds(std::chrono::steady_clock::time_point from,
                    std::chrono::steady_clock::time_point to) {
    return std::chrono::duration<double, std::milli>(to - from).count();
}

double residentMegabytes(std::int64_t pid) {
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    for (std::string line; std::getline(status, line);) {
        if (line.rfind("VmRSS:", 0) == 0)
            return std::atof(line.c_str() + 6) / 1024.0;
    }
    return -1;
}

Date wholeSecondsFromNow(double seconds) {
    return Date{std::floor(systemClock().now().secondsSinceReferenceDate) + seconds};
}

}  // namespace quorvel::bench
