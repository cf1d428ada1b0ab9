#include "QuorvelPlatform/process/process_descriptor.hpp"

#include <sys/syscall.h>
#include <unistd.h>

namespace quorvel {

int openProcessDescriptor(pid_t pid) noexcept {
    // The system call itself: glibc wraps it only from 2.36 on. Its descriptors are always
    // close-on-exec.
    return static_cast<int>(::syscall(SYS_pidfd_open, pid, 0));
}

}  // namespace quorvel
