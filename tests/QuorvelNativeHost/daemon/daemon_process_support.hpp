#pragma once

// Starting the daemon program as the application does, and waiting for it.
#include <fcntl.h>
#include <linux/filter.h>
#include <linux/seccomp.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstddef>
#include <filesystem>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include "testkit/child_process.hpp"
#include "testkit/poll.hpp"

namespace quorvel::daemon {

// Only guards against a hang; nothing here measures speed.
inline constexpr auto patience = std::chrono::seconds(60);

// Whether the daemon's process can open process descriptors; without, as on a kernel before
// Linux 5.3, opening one fails with ENOSYS.
enum class ProcessDescriptors { available, missing };

// Makes every later pidfd_open of this process (and of the programs it executes) fail with ENOSYS.
inline bool denyProcessDescriptors() {
    sock_filter filter[] = {
        BPF_STMT(BPF_LD | BPF_W | BPF_ABS, offsetof(seccomp_data, nr)),
        BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, SYS_pidfd_open, 0, 1),
        BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ERRNO | ENOSYS),
        BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ALLOW),
    };
    sock_fprog program{static_cast<unsigned short>(std::size(filter)), filter};
    return ::prctl(PR_SET_NO_NEW_PRIVS, 1, 0, 0, 0) == 0 &&
           ::prctl(PR_SET_SECCOMP, SECCOMP_MODE_FILTER, &program) == 0;
}

// Starts the daemon with `arguments` and `stdinFd` as its standard input; output is discarded.
// With `softOpenFileLimit` the daemon starts with that soft limit of open files (the hard limit
// stays), as a desktop session may start it. With `stderrFd` its standard error goes there.
inline pid_t startDaemon(const std::vector<std::string>& arguments, int stdinFd,
                         std::optional<rlim_t> softOpenFileLimit = std::nullopt, int stderrFd = -1,
                         ProcessDescriptors descriptors = ProcessDescriptors::available) {
    std::vector<char*> argv{const_cast<char*>(QUORVEL_NATIVE_HOST)};
    for (const auto& argument : arguments)
        argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    const pid_t pid = ::fork();
    if (pid == 0) {
        if (softOpenFileLimit) {
            rlimit limit{};
            ::getrlimit(RLIMIT_NOFILE, &limit);
            limit.rlim_cur = *softOpenFileLimit;
            if (::setrlimit(RLIMIT_NOFILE, &limit) != 0)
                ::_exit(126);
        }
        if (descriptors == ProcessDescriptors::missing && !denyProcessDescriptors())
            ::_exit(126);
        ::dup2(stdinFd, STDIN_FILENO);
        const int null = ::open("/dev/null", O_WRONLY);
        ::dup2(null, STDOUT_FILENO);
        if (stderrFd >= 0)
            ::dup2(stderrFd, STDERR_FILENO);
        ::execv(argv[0], argv.data());
        ::_exit(127);
    }
    return pid;
}

// The exit status, or -1 when the process did not end normally or did not end in time.
inline int waitForExit(pid_t pid) {
    if (const auto status = testkit::waitForExit(pid, patience))
        return *status;
    ::kill(pid, SIGKILL);
    ::waitpid(pid, nullptr, 0);
    return -1;
}

inline void waitForFile(const std::filesystem::path& path) {
    ASSERT_TRUE(testkit::pollUntil([&] { return std::filesystem::exists(path); }, patience));
}

inline int nullInput() {
    return ::open("/dev/null", O_RDONLY);
}

}  // namespace quorvel::daemon
