#include "testkit/child_process.hpp"

#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

#include "testkit/poll.hpp"

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

std::optional<int> waitForExit(pid_t pid, std::chrono::milliseconds patience) {
    std::optional<int> exitStatus;
    pollUntil(
        [&] {
            int status = 0;
            if (::waitpid(pid, &status, WNOHANG) != pid)
                return false;
            exitStatus = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
            return true;
        },
        patience);
    return exitStatus;
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

OpenFiles openFilesOf(pid_t pid) {
    const std::filesystem::path folder = "/proc/" + std::to_string(pid);
    OpenFiles result;
    std::ifstream limits(folder / "limits");
    const std::string label = "Max open files";
    for (std::string line; std::getline(limits, line);) {
        if (line.rfind(label, 0) == 0) {
            std::istringstream fields(line.substr(label.size()));
            fields >> result.softLimit >> result.hardLimit;
        }
    }
    std::error_code error;
    for (std::filesystem::directory_iterator entry(folder / "fd", error), end;
         !error && entry != end; entry.increment(error)) {
        ++result.open;
    }
    return result;
}

}  // namespace quorvel::testkit
