#pragma once

// A process descriptor (pidfd) stands for one process for as long as it is held, never for
// another that is given the same id later, and becomes readable once that process has ended, so
// an event loop can wait for the end without polling.
#include <sys/types.h>

namespace quorvel {

// Opens a descriptor (close-on-exec) on the running process `pid`. Returns -1 with errno set when
// it cannot: ESRCH when no such process exists, ENOSYS on a kernel without process descriptors
// (before Linux 5.3).
int openProcessDescriptor(pid_t pid) noexcept;

}  // namespace quorvel
