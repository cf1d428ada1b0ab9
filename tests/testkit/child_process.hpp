#pragma once

#include <sys/types.h>

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

namespace quorvel::testkit {

// Runs `body` in a forked child process and returns its pid. The child ends with the body's
// result as exit status (an escaping exception gives 99). Fork before starting any thread.
pid_t startChild(const std::function<int()>& body);

// Waits for the child and returns its exit status, or -1 when it did not exit normally.
int waitForChild(pid_t pid);

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
