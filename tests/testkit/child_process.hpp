#pragma once

#include <sys/types.h>

#include <chrono>
#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace quorvel::testkit {

// Runs `body` in a forked child process and returns its pid. The child ends with the body's
// result as exit status (an escaping exception gives 99). Fork before starting any thread.
pid_t startChild(const std::function<int()>& body);

// Waits for the child and returns its exit status, or -1 when it did not exit normally.
int waitForChild(pid_t pid);

// Waits for the child to end, at most `patience` (a guard against a hang, not a measure): its
// exit status, -1 when it did not exit normally, no value when it still runs (it is left so).
std::optional<int> waitForExit(pid_t pid, std::chrono::milliseconds patience);

// Starts `count` children running body(index) at once and waits for all; returns their statuses.
std::vector<int> runChildren(int count, const std::function<int(int)>& body);

// What /proc shows of a running process: its soft and hard limits of open files ("unlimited" or
// a number; empty when the process is gone), and how many descriptors it has open.
struct OpenFiles {
    std::string softLimit;
    std::string hardLimit;
    std::size_t open = 0;
};
OpenFiles openFilesOf(pid_t pid);

}  // namespace quorvel::testkit
