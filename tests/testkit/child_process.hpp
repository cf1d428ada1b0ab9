#pragma once

#include <sys/types.h>

#include <functional>
#include <vector>

namespace quorvel::testkit {

// Runs `body` in a forked child process and returns its pid. The child ends with the body's
// result as exit status (an escaping exception gives 99). Fork before starting any thread.
pid_t startChild(const std::function<int()>& body);

// Waits for the child and returns its exit status, or -1 when it did not exit normally.
int waitForChild(pid_t pid);

// Starts `count` children running body(index) at once and waits for all; returns their statuses.
std::vector<int> runChildren(int count, const std::function<int(int)>& body);

}  // namespace quorvel::testkit
