#include "testkit/child_process.hpp"

#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <stdexcept>

namespace quorvel::testkit {

pid_t startChild(const std::function<int()>& body) {
    std::fflush(nullptr);
    const pid_t pid = ::fork();
    if (pid < 0) {
        throw std::runtime_error("fork failed");
    }
    if (pid == 0) {
        int status = 99;
        try {
            status = body();
        } catch (...) {
            status = 99;
        }
        std::fflush(nullptr);
        ::_exit(status);
    }
    return pid;
}

int waitForChild(pid_t pid) {
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0) {
        if (errno != EINTR) {
            return -1;
        }
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::vector<int> runChildren(int count, const std::function<int(int)>& body) {
    std::vector<pid_t> pids;
    for (int i = 0; i < count; ++i) {
        pids.push_back(startChild([&body, i] { return body(i); }));
    }
    std::vector<int> statuses;
    for (const pid_t pid : pids) {
        statuses.push_back(waitForChild(pid));
    }
    return statuses;
}

}  // namespace quorvel::testkit
